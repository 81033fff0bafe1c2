#include <windows.h>
// after windows.h
#include <wininet.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

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

// The handles of one session, for its Cancel on another thread: closing a handle ends a
// call blocked on it. Children come after their parents and are closed first; a handle
// Cancel closed is never closed again (its number may belong to another by then).
struct HandleSet {
    std::mutex mutex;
    bool cancelled = false;
    std::vector<HINTERNET> open;

    void Cancel() {
        std::lock_guard lock(mutex);
        cancelled = true;
        for (auto it = open.rbegin(); it != open.rend(); ++it) InternetCloseHandle(*it);
        open.clear();
    }
};

// One handle of a session, closed with it unless Cancel closed it first.
class Tracked {
public:
    Tracked(std::shared_ptr<HandleSet> set, HINTERNET h) : m_set(std::move(set)) {
        if (!h) return;
        std::lock_guard lock(m_set->mutex);
        if (m_set->cancelled) {
            InternetCloseHandle(h);
            SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
            return;
        }
        m_set->open.push_back(h);
        m_handle = h;
    }
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked() {
        if (!m_handle) return;
        std::lock_guard lock(m_set->mutex);
        for (auto it = m_set->open.begin(); it != m_set->open.end(); ++it) {
            if (*it == m_handle) {
                m_set->open.erase(it);
                InternetCloseHandle(m_handle);
                break;
            }
        }
    }
    // Null once cancelled: a closed handle's number is not used again.
    HINTERNET get() const {
        std::lock_guard lock(m_set->mutex);
        return m_set->cancelled ? nullptr : m_handle;
    }
    explicit operator bool() const { return get() != nullptr; }

private:
    std::shared_ptr<HandleSet> m_set;
    HINTERNET m_handle = nullptr;
};

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

// Whether the request of this thread went out: WinINet reports a time-out alike for the
// connect and the answer, its status callback tells them apart (handles are synchronous,
// so the callback runs on the requesting thread).
thread_local bool t_requestSent = false;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID, DWORD) {
    if (status == INTERNET_STATUS_REQUEST_SENT || status == INTERNET_STATUS_RECEIVING_RESPONSE)
        t_requestSent = true;
}

// waitedFull: the call gave up only at its time limit. Some WinINets report a receive that
// timed out like a peer that closed; the time it took tells them apart.
NetError LastNetError(bool waitedFull = false) {
    const DWORD code = GetLastError();
    if (waitedFull && t_requestSent && code != ERROR_INTERNET_NAME_NOT_RESOLVED &&
        code != ERROR_INTERNET_CANNOT_CONNECT)
        return NetError::NoAnswer;
    switch (code) {
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
            return NetError::Unresolved;
        case ERROR_INTERNET_CANNOT_CONNECT:
            return NetError::Refused;
        case ERROR_INTERNET_TIMEOUT:
            return t_requestSent ? NetError::NoAnswer : NetError::ConnectTimeout;
        // WinINet takes a reply without a status line as HTTP/0.9; this one comes when the
        // peer closed without a word.
        case ERROR_HTTP_INVALID_SERVER_RESPONSE:
            return NetError::Closed;
        case ERROR_HTTP_INVALID_HEADER:
        case ERROR_HTTP_HEADER_NOT_FOUND:
        case ERROR_INTERNET_INVALID_URL:
        case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
            return NetError::Garbled;
        default:
            return NetError::Closed;  // aborted, reset, or closed without an answer
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
    WinInetConnection(std::shared_ptr<HandleSet> set, HINTERNET connection, DWORD timeoutMs)
        : m_set(set), m_connection(std::move(set), connection), m_timeoutMs(timeoutMs) {}

    HttpResult Send(const std::string& verb, const std::string& object,
                    const std::string& extraHeader, const std::string& body,
                    std::size_t readMax) override {
        HttpResult result;
        const std::string target = RequestObject(object);
        if (!m_connection) {
            result.error = NetError::Closed;
            return result;
        }
        Tracked request(
            m_set, HttpOpenRequestA(m_connection.get(), verb.c_str(), target.c_str(), nullptr,
                                    nullptr, nullptr, INTERNET_FLAG_EXISTING_CONNECT, kContext));
        if (!request) {
            result.error = LastNetError();
            return result;
        }
        InternetSetStatusCallbackA(request.get(), OnStatus);
        const ULONGLONG start = GetTickCount64();
        // Set on the request too: not every WinINet passes the session's value down.
        InternetSetOptionA(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &m_timeoutMs,
                           sizeof m_timeoutMs);
        InternetSetOptionA(request.get(), INTERNET_OPTION_SEND_TIMEOUT, &m_timeoutMs,
                           sizeof m_timeoutMs);
        t_requestSent = false;
        // HttpSendRequestA takes a non-const body pointer but does not write through it.
        std::string bytes = body;
        if (!HttpSendRequestA(request.get(), extraHeader.empty() ? nullptr : extraHeader.c_str(),
                              static_cast<DWORD>(extraHeader.size()),
                              bytes.empty() ? nullptr : bytes.data(),
                              static_cast<DWORD>(bytes.size()))) {
            result.error = LastNetError(GetTickCount64() - start >= m_timeoutMs * 9ull / 10);
            return result;
        }
        result.status = StatusOf(request.get());
        if (result.status <= 0) {
            HttpResult garbled;
            garbled.error = NetError::Garbled;
            return garbled;
        }
        result.ok = true;
        if (readMax > 0) ReadAnswer(request.get(), readMax, result.body);
        return result;
    }

private:
    std::shared_ptr<HandleSet> m_set;
    Tracked m_connection;
    DWORD m_timeoutMs;
};

class WinInetSession final : public IHttpSession {
public:
    WinInetSession(HINTERNET root, DWORD timeoutMs) : m_root(m_set, root), m_timeoutMs(timeoutMs) {}

    std::unique_ptr<IHttpConnection> Connect(const std::string& host, std::uint16_t port,
                                             const std::string& user,
                                             const std::string& password) override {
        if (!netguard::Allow(host)) return nullptr;
        if (!m_root) return nullptr;
        HINTERNET connection =
            InternetConnectA(m_root.get(), host.c_str(), port, user.c_str(), password.c_str(),
                             INTERNET_SERVICE_HTTP, 0, kContext);
        if (!connection) return nullptr;
        return std::make_unique<WinInetConnection>(m_set, connection, m_timeoutMs);
    }

    bool OpenUrl(const std::string& url, NetError* why) override {
        NetError ignored;
        NetError& error = why ? *why : ignored;
        error = NetError::Garbled;  // a URL that does not parse
        char host[256] = {};
        URL_COMPONENTSA parts{};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = sizeof host;
        if (!m_root) {
            error = NetError::Closed;
            return false;
        }
        if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return false;
        if (!netguard::Allow(host)) {
            error = NetError::Unreachable;
            return false;
        }
        // The callback is inherited by the handle InternetOpenUrlA makes.
        InternetSetStatusCallbackA(m_root.get(), OnStatus);
        t_requestSent = false;
        Tracked answer(m_set, InternetOpenUrlA(m_root.get(), url.c_str(), nullptr, 0,
                                               INTERNET_FLAG_TRANSFER_ASCII, kContext));
        if (!answer) {
            error = LastNetError();
            return false;
        }
        const int status = StatusOf(answer.get());
        error = status > 0 ? NetError::None : NetError::Garbled;
        return status > 0 && status < 400;
    }

    void Cancel() override { m_set->Cancel(); }

private:
    std::shared_ptr<HandleSet> m_set = std::make_shared<HandleSet>();
    Tracked m_root;  // after the set it belongs to
    DWORD m_timeoutMs;
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
    // An answer may take as long as the connect may, as on the libcurl side: a short
    // session (the failure page's diagnosis) then stays short.
    InternetSetOptionA(root.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(root.get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
    return std::make_unique<WinInetSession>(root.release(), timeout);
}

}  // namespace zavro::win32
