// In-process router behind the HTTP port for the setup page tests: it checks the account's
// password like the router's Basic challenge, records every request that reaches it, takes
// a new admin password, and answers with the statuses a test chooses.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Http.h"

namespace zavro::test {

class SetupRouter final : public IHttpClient {
public:
    struct Request {
        std::string verb, object, header, body, user, password;
    };

    std::string password = "5820";
    bool reachable = true;
    // Status for an object name (path without the query), when the password is right.
    std::map<std::string, int> status;
    // Written by the result page's worker too: read it directly only with no worker
    // running, or through To() and Objects().
    std::vector<Request> requests;

    std::unique_ptr<IHttpSession> Open(const std::string&, std::uint32_t) override {
        return std::make_unique<Session>(*this);
    }

    // Requests to objects that start with prefix.
    std::vector<Request> To(const std::string& prefix) const {
        std::vector<Request> out;
        std::lock_guard lock(m_mutex);
        for (const auto& r : requests)
            if (r.object.rfind(prefix, 0) == 0) out.push_back(r);
        return out;
    }
    std::vector<std::string> Objects() const {
        std::vector<std::string> out;
        std::lock_guard lock(m_mutex);
        for (const auto& r : requests) out.push_back(r.object);
        return out;
    }

private:
    mutable std::mutex m_mutex;
    struct Connection final : IHttpConnection {
        Connection(SetupRouter& r, std::string u, std::string p)
            : router(r), user(std::move(u)), pass(std::move(p)) {}
        HttpResult Send(const std::string& verb, const std::string& object,
                        const std::string& header, const std::string& body, std::size_t) override {
            return router.Answer({verb, object, header, body, user, pass});
        }
        SetupRouter& router;
        std::string user, pass;
    };
    struct Session final : IHttpSession {
        explicit Session(SetupRouter& r) : router(r) {}
        std::unique_ptr<IHttpConnection> Connect(const std::string&, std::uint16_t,
                                                 const std::string& user,
                                                 const std::string& pass) override {
            return std::make_unique<Connection>(router, user, pass);
        }
        bool OpenUrl(const std::string&, NetError*) override { return false; }
        void Cancel() override {}  // answers at once: nothing to end
        SetupRouter& router;
    };

    static std::optional<std::string> Field(const std::string& text, const std::string& name) {
        const std::string key = name + "=";
        for (std::size_t at = 0; (at = text.find(key, at)) != std::string::npos; ++at) {
            if (at != 0 && text[at - 1] != '&' && text[at - 1] != '?') continue;
            const std::size_t from = at + key.size();
            return text.substr(from, text.find_first_of("&", from) - from);
        }
        return std::nullopt;
    }

    HttpResult Answer(Request r) {
        std::lock_guard lock(m_mutex);
        requests.push_back(r);
        if (!reachable) return {};
        if (r.user != "admin" || r.password != password) return {true, 401, ""};
        const std::string path = r.object.substr(0, r.object.find('?'));
        const auto it = status.find(path);
        const int code = it == status.end() ? 200 : it->second;
        if (code == 200) {
            // The form-encoded and query password changes.
            std::string body = r.body.substr(0, r.body.find('\0'));
            if (path == "/goform/formPasswordSetup") {
                if (auto p = Field(body, "newpass")) password = *p;
            } else if (path == "/goform/asp_setUser") {
                if (auto p = Field(r.object.substr(r.object.find('?') + 1), "password"))
                    password = *p;
            }
        }
        return {true, code, ""};
    }
};

}  // namespace zavro::test
