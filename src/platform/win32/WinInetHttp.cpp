#include <windows.h>
// after windows.h
#include <wininet.h>

#include <memory>
#include <string>

#include "platform/posix/NetGuard.h"
#include "platform/win32/Win32Net.h"
#include "router/Encoding.h"

namespace zavro::win32 {

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
using Handle = std::unique_ptr<void, InternetCloser>;

constexpr DWORD_PTR kContext = 1;

// Reads the answer into out, at most readMax bytes.
void ReadAnswer(HINTERNET request, std::size_t readMax, std::string& out) {
    char chunk[4096];
    while (out.size() < readMax) {
        const std::size_t want =
            readMax - out.size() < sizeof chunk ? readMax - out.size() : sizeof chunk;
        DWORD got = 0;
        if (!InternetReadFile(request, chunk, static_cast<DWORD>(want), &got) || got == 0) break;
        out.append(chunk, got);
    }
}

int StatusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return 0;
    return static_cast<int>(status);
}

class WinInetConnection final : public IHttpConnection {
public:
    explicit WinInetConnection(Handle connection) : m_connection(std::move(connection)) {}

    HttpResult Send(const std::string& verb, const std::string& object,
                    const std::string& extraHeader, const std::string& body,
                    std::size_t readMax) override {
        HttpResult result;
        const std::string target = RequestObject(object);
        Handle request(HttpOpenRequestA(m_connection.get(), verb.c_str(), target.c_str(), nullptr,
                                        nullptr, nullptr, INTERNET_FLAG_EXISTING_CONNECT,
                                        kContext));
        if (!request) return result;
        // HttpSendRequestA takes a non-const body pointer but does not write through it.
        std::string bytes = body;
        if (!HttpSendRequestA(request.get(), extraHeader.empty() ? nullptr : extraHeader.c_str(),
                              static_cast<DWORD>(extraHeader.size()),
                              bytes.empty() ? nullptr : bytes.data(),
                              static_cast<DWORD>(bytes.size())))
            return result;
        result.status = StatusOf(request.get());
        if (result.status <= 0) return HttpResult{};
        result.ok = true;
        if (readMax > 0) ReadAnswer(request.get(), readMax, result.body);
        return result;
    }

private:
    Handle m_connection;
};

class WinInetSession final : public IHttpSession {
public:
    explicit WinInetSession(Handle root) : m_root(std::move(root)) {}

    std::unique_ptr<IHttpConnection> Connect(const std::string& host, std::uint16_t port,
                                             const std::string& user,
                                             const std::string& password) override {
        if (!netguard::Allow(host)) return nullptr;
        Handle connection(InternetConnectA(m_root.get(), host.c_str(), port, user.c_str(),
                                           password.c_str(), INTERNET_SERVICE_HTTP, 0, kContext));
        if (!connection) return nullptr;
        return std::make_unique<WinInetConnection>(std::move(connection));
    }

    bool OpenUrl(const std::string& url) override {
        char host[256] = {};
        URL_COMPONENTSA parts{};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = sizeof host;
        if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return false;
        if (!netguard::Allow(host)) return false;
        Handle answer(InternetOpenUrlA(m_root.get(), url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_TRANSFER_ASCII, kContext));
        if (!answer) return false;
        const int status = StatusOf(answer.get());
        return status > 0 && status < 400;
    }

private:
    Handle m_root;
};

}  // namespace

std::string RequestObject(const std::string& object) {
    // A byte that cannot stand in a request line goes percent-encoded.
    const std::string target =
        router::PercentEscape(object, [](unsigned char b) { return b <= 0x20 || b >= 0x7F; });
    return object.empty() || object.front() != '/' ? "/" + target : target;
}

std::unique_ptr<IHttpSession> WinInetClient::Open(const std::string& userAgent,
                                                  std::uint32_t connectTimeoutMs) {
    Handle root(
        InternetOpenA(userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) return nullptr;
    DWORD timeout = connectTimeoutMs;
    InternetSetOptionA(root.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    return std::make_unique<WinInetSession>(std::move(root));
}

}  // namespace zavro::win32
