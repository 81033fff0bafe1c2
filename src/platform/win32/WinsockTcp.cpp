#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/posix/NetGuard.h"
#include "platform/win32/Win32Net.h"

namespace zavro::win32 {

namespace {

std::string AddressText(const sockaddr* a) {
    char text[INET6_ADDRSTRLEN] = {};
    if (a->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, text, sizeof text);
    else if (a->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr, text,
                  sizeof text);
    return text;
}

NetError FromWsa(int error, NetError otherwise) {
    switch (error) {
        case WSAECONNREFUSED: return NetError::Refused;
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
        case WSAENETDOWN:
        case WSAEHOSTDOWN:
        case WSAEADDRNOTAVAIL: return NetError::Unreachable;
        case WSAETIMEDOUT: return NetError::ConnectTimeout;
        case WSAECONNRESET:
        case WSAECONNABORTED:
        case WSAESHUTDOWN: return NetError::Closed;
        default: return otherwise;
    }
}

// Blocking Winsock socket. Cancel closes the socket from the cancelling thread: Winsock
// then ends a blocked connect, send or recv with an error, which is the port's -1.
class WinsockSocket final : public ITcpSocket {
public:
    ~WinsockSocket() override { Close(); }

    bool Connect(const std::string& host, std::uint16_t port) override {
        Close();
        m_error = NetError::Unreachable;
        if (m_cancelled || !netguard::Allow(host)) return false;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
            m_error = NetError::Unresolved;
            return false;
        }
        std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> list(found, freeaddrinfo);
        for (const addrinfo* ai = found; ai && !m_cancelled; ai = ai->ai_next) {
            if (!netguard::Allow(AddressText(ai->ai_addr))) continue;
            const SOCKET s = socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
            if (s == INVALID_SOCKET) continue;
            {
                std::lock_guard lock(m_mutex);
                if (m_cancelled) {
                    closesocket(s);
                    return false;
                }
                m_socket = s;
            }
            if (connect(s, ai->ai_addr, static_cast<int>(ai->ai_addrlen)) == 0) {
                m_error = NetError::None;
                return true;
            }
            m_error = m_cancelled ? NetError::ConnectTimeout
                                  : FromWsa(WSAGetLastError(), NetError::Unreachable);
            Close();
        }
        return false;
    }

    long Send(const void* data, std::size_t size) override {
        const SOCKET s = Current();
        if (s == INVALID_SOCKET) {
            if (m_cancelled) m_error = NetError::NoAnswer;
            return -1;
        }
        const char* p = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const std::size_t left = size - done;
            const int chunk = left > 0x40000000u ? 0x40000000 : static_cast<int>(left);
            const int n = send(s, p + done, chunk, 0);
            if (n == SOCKET_ERROR || m_cancelled) return Failed();
            done += static_cast<std::size_t>(n);
        }
        return static_cast<long>(done);
    }

    long Receive(void* buffer, std::size_t size) override {
        const SOCKET s = Current();
        if (s == INVALID_SOCKET) {
            if (m_cancelled) m_error = NetError::NoAnswer;
            return -1;
        }
        const int want = size > 0x40000000u ? 0x40000000 : static_cast<int>(size);
        const int n = recv(s, static_cast<char*>(buffer), want, 0);
        if (n == SOCKET_ERROR || m_cancelled) return Failed();
        if (n == 0) m_error = NetError::Closed;
        return n;
    }

    void Cancel() override {
        m_cancelled = true;
        Close();
    }

    NetError LastError() const override { return m_error; }

    void Close() override {
        SOCKET s;
        {
            std::lock_guard lock(m_mutex);
            s = m_socket;
            m_socket = INVALID_SOCKET;
        }
        if (s != INVALID_SOCKET) {
            shutdown(s, SD_BOTH);
            closesocket(s);
        }
    }

private:
    SOCKET Current() {
        std::lock_guard lock(m_mutex);
        return m_cancelled ? INVALID_SOCKET : m_socket;
    }
    // A send or receive that failed; one cut short by Cancel is no answer: the caller gave
    // up waiting.
    long Failed() {
        m_error = m_cancelled ? NetError::NoAnswer : FromWsa(WSAGetLastError(), NetError::Closed);
        return -1;
    }

    std::mutex m_mutex;
    SOCKET m_socket = INVALID_SOCKET;
    std::atomic<bool> m_cancelled{false};
    std::atomic<NetError> m_error{NetError::None};
};

}  // namespace

WinsockFactory::WinsockFactory() {
    WSADATA data{};
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockFactory::~WinsockFactory() {
    if (m_started) WSACleanup();
}

std::unique_ptr<ITcpSocket> WinsockFactory::Create() {
    if (!m_started) return nullptr;
    return std::make_unique<WinsockSocket>();
}

}  // namespace zavro::win32
