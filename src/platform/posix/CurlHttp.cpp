#include "platform/posix/CurlHttp.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

#include "platform/posix/NetGuard.h"
#include "router/Encoding.h"

namespace zavro::posix {

namespace {

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What a session's Cancel reaches from another thread: the sockets its transfers hold
// (shut down, so a blocked transfer ends at once) and a flag that stops the next one.
struct CancelState {
    std::mutex mutex;
    std::atomic<bool> cancelled{false};
    std::set<curl_socket_t> sockets;

    void Cancel() {
        std::lock_guard lock(mutex);
        cancelled = true;
        for (curl_socket_t s : sockets) ::shutdown(s, SHUT_RDWR);
    }
};

// Every socket curl opens passes the loopback guard with its resolved address, so neither
// a name nor a redirect can lead elsewhere.
curl_socket_t OpenGuardedSocket(void* user, curlsocktype, curl_sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address->family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&address->addr);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    } else if (address->family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&address->addr);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
    }
    if (!netguard::Allow(text)) return CURL_SOCKET_BAD;
    auto* state = static_cast<CancelState*>(user);
    std::lock_guard lock(state->mutex);
    if (state->cancelled) return CURL_SOCKET_BAD;
    const curl_socket_t s =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (s != CURL_SOCKET_BAD) state->sockets.insert(s);
    return s;
}

int CloseTrackedSocket(void* user, curl_socket_t s) {
    auto* state = static_cast<CancelState*>(user);
    {
        // Once out of the set, Cancel cannot reach the number after it is reused.
        std::lock_guard lock(state->mutex);
        state->sockets.erase(s);
    }
    return ::close(s);
}

// Checked between curl's steps: nothing new starts once cancelled.
int AbortWhenCancelled(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CancelState*>(user)->cancelled ? 1 : 0;
}

// Keeps at most `keep` bytes of the answer; past `keep + kDrainLimit` the transfer is cut.
struct Sink {
    std::string body;
    std::size_t keep = 0;
    std::size_t seen = 0;
    bool cut = false;
};

size_t WriteToSink(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t n = size * count;
    if (sink->body.size() < sink->keep) {
        const std::size_t room = sink->keep - sink->body.size();
        sink->body.append(data, n < room ? n : room);
    }
    sink->seen += n;
    if (sink->seen > sink->keep + CurlHttpClient::kDrainLimit) {
        sink->cut = true;
        return 0;
    }
    return n;
}

// Why curl gave up. A time-out before the request went out is the connect's; after it,
// the answer's. A refusal or an unreachable network shows in the socket's errno.
NetError ErrorOf(CURL* h, CURLcode rc) {
    switch (rc) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return NetError::Unresolved;
        case CURLE_COULDNT_CONNECT: {
            long os = 0;
            curl_easy_getinfo(h, CURLINFO_OS_ERRNO, &os);
            return NetErrorFromErrno(static_cast<int>(os), NetError::Refused);
        }
        case CURLE_OPERATION_TIMEDOUT: {
            // Bytes of the request went out (on a new or a reused connection): it stood.
            long sent = 0;
            curl_easy_getinfo(h, CURLINFO_REQUEST_SIZE, &sent);
            return sent > 0 ? NetError::NoAnswer : NetError::ConnectTimeout;
        }
        case CURLE_OK:  // ended without a status line
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_BAD_CONTENT_ENCODING:
            return NetError::Garbled;
        default:  // nothing, a broken send or receive, a cut-off answer
            return NetError::Closed;
    }
}

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

void CommonOptions(CURL* h, const std::string& userAgent, std::uint32_t connectMs,
                   std::uint32_t receiveMs, CancelState* cancel) {
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(receiveMs));
    curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, OpenGuardedSocket);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, cancel);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, CloseTrackedSocket);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, cancel);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, AbortWhenCancelled);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, cancel);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

HttpResult CancelledResult() {
    HttpResult result;
    result.error = NetError::Closed;
    return result;
}

std::string UrlHost(const std::string& host) {
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

class CurlConnection final : public IHttpConnection {
public:
    CurlConnection(std::shared_ptr<CancelState> cancel, Easy easy, std::string base)
        : m_cancel(std::move(cancel)), m_easy(std::move(easy)), m_base(std::move(base)) {}

    HttpResult Send(const std::string& verb, const std::string& object,
                    const std::string& extraHeader, const std::string& body,
                    std::size_t readMax) override {
        if (m_cancel->cancelled) return CancelledResult();
        CURL* h = m_easy.get();
        const std::string target = RequestTarget(object);
        curl_easy_setopt(h, CURLOPT_URL, m_base.c_str());
        curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, target.c_str());

        const bool post = verb == "POST";
        HeaderList headers;
        auto add = [&](const std::string& line) {
            curl_slist* raw = headers.release();
            curl_slist* next = curl_slist_append(raw, line.c_str());
            headers.reset(next ? next : raw);
        };
        bool hasContentType = false;
        std::string_view rest = extraHeader;
        while (!rest.empty()) {
            const std::size_t eol = rest.find("\r\n");
            const std::string line(rest.substr(0, eol));
            if (!line.empty()) {
                add(line);
                if (line.size() >= 13 && strncasecmp(line.c_str(), "Content-Type:", 13) == 0)
                    hasContentType = true;
            }
            if (eol == std::string_view::npos) break;
            rest.remove_prefix(eol + 2);
        }
        add("Accept:");
        add("Expect:");
        if (post && !hasContentType) add("Content-Type:");
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

        if (post) {
            curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, nullptr);
            curl_easy_setopt(h, CURLOPT_POST, 1L);
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
        } else {
            curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, verb == "GET" ? nullptr : verb.c_str());
        }

        Sink sink;
        sink.keep = readMax;
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteToSink);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
        const CURLcode rc = curl_easy_perform(h);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, nullptr);

        HttpResult result;
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        if ((rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && sink.cut)) && status > 0) {
            result.ok = true;
            result.status = static_cast<int>(status);
            result.body = std::move(sink.body);
        } else {
            result.error = ErrorOf(h, rc);
        }
        return result;
    }

private:
    std::shared_ptr<CancelState> m_cancel;  // outlives the handle, whose sockets it holds
    Easy m_easy;
    std::string m_base;
};

class CurlSession final : public IHttpSession {
public:
    CurlSession(std::string userAgent, std::uint32_t connectMs, std::uint32_t receiveMs,
                CurlHttpClient::Resolver resolve)
        : m_userAgent(std::move(userAgent)),
          m_connectMs(connectMs),
          m_receiveMs(receiveMs),
          m_resolve(std::move(resolve)) {}

    std::unique_ptr<IHttpConnection> Connect(const std::string& host, std::uint16_t port,
                                             const std::string& user,
                                             const std::string& password) override {
        if (!netguard::Allow(host) || m_cancel->cancelled) return nullptr;
        Easy easy(curl_easy_init());
        if (!easy) return nullptr;
        CURL* h = easy.get();
        CommonOptions(h, m_userAgent, m_connectMs, m_receiveMs, m_cancel.get());
        // The router is on the LAN: never through a proxy.
        curl_easy_setopt(h, CURLOPT_PROXY, "");
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, password.c_str());
        // Credentials go out only after the server's challenge, then on every request of
        // this connection.
        curl_easy_setopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_ONLY));
        std::string base = "http://" + UrlHost(host) + ":" + std::to_string(port) + "/";
        return std::make_unique<CurlConnection>(m_cancel, std::move(easy), std::move(base));
    }

    bool OpenUrl(const std::string& url, NetError* why) override {
        NetError ignored;
        NetError& error = why ? *why : ignored;
        if (m_cancel->cancelled) {
            error = NetError::Closed;
            return false;
        }
        error = NetError::Garbled;  // a URL that does not parse
        std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
        char* host = nullptr;
        char* port = nullptr;
        if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
            curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK)
            return false;
        const std::string hostText = host;
        curl_free(host);
        std::string portText = "80";
        if (curl_url_get(parsed.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
            portText = port;
            curl_free(port);
        }
        // A name goes to the resolver hook when there is one, never to the system's.
        std::string address = hostText;
        if (m_resolve) {
            const auto found = m_resolve(hostText);
            if (!found) {
                error = NetError::Unresolved;
                return false;
            }
            address = *found;
        }
        if (!netguard::Allow(address)) {
            error = NetError::Unreachable;
            return false;
        }

        Easy easy(curl_easy_init());
        if (!easy) return false;
        CURL* h = easy.get();
        CommonOptions(h, m_userAgent, m_connectMs, m_receiveMs, m_cancel.get());
        HeaderList pinned;
        if (m_resolve) {
            pinned.reset(
                curl_slist_append(nullptr, (hostText + ":" + portText + ":" + address).c_str()));
            curl_easy_setopt(h, CURLOPT_RESOLVE, pinned.get());
            // A redirect could name a host the hook never saw.
            curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        } else {
            curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
            curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
        }
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard);
        const CURLcode rc = curl_easy_perform(h);
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        if (rc != CURLE_OK || status <= 0) {
            error = ErrorOf(h, rc);
            return false;
        }
        error = NetError::None;
        return status < 400;
    }

    void Cancel() override { m_cancel->Cancel(); }

private:
    std::shared_ptr<CancelState> m_cancel = std::make_shared<CancelState>();
    std::string m_userAgent;
    std::uint32_t m_connectMs;
    std::uint32_t m_receiveMs;
    CurlHttpClient::Resolver m_resolve;
};

}  // namespace

NetError NetErrorFromErrno(int error, NetError otherwise) {
    switch (error) {
        case ECONNREFUSED:
            return NetError::Refused;
        case ENETUNREACH:
        case EHOSTUNREACH:
        case ENETDOWN:
        case EHOSTDOWN:
        case EADDRNOTAVAIL:
            return NetError::Unreachable;
        case ETIMEDOUT:
            return NetError::ConnectTimeout;
        case ECONNRESET:
        case ECONNABORTED:
        case EPIPE:
            return NetError::Closed;
        default:
            return otherwise;
    }
}

std::string RequestTarget(const std::string& object) {
    // A byte that cannot stand in a request line goes percent-encoded.
    const std::string target =
        router::PercentEscape(object, [](unsigned char b) { return b <= 0x20 || b >= 0x7F; });
    return object.empty() || object.front() != '/' ? "/" + target : target;
}

CurlHttpClient::CurlHttpClient() {
    GlobalInit();
}

CurlHttpClient::~CurlHttpClient() = default;

void CurlHttpClient::SetResolver(Resolver resolve) {
    m_resolve = std::move(resolve);
}

void CurlHttpClient::SetTimeouts(std::uint32_t connectMs, std::uint32_t receiveMs) {
    m_connectOverrideMs = connectMs;
    m_receiveMs = receiveMs;
}

std::unique_ptr<IHttpSession> CurlHttpClient::Open(const std::string& userAgent,
                                                   std::uint32_t connectTimeoutMs) {
    const std::uint32_t connectMs = m_connectOverrideMs ? m_connectOverrideMs : connectTimeoutMs;
    const std::uint32_t receiveMs = m_receiveMs ? m_receiveMs : connectTimeoutMs;
    return std::make_unique<CurlSession>(userAgent, connectMs, receiveMs, m_resolve);
}

}  // namespace zavro::posix
