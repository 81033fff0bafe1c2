#include "platform/posix/PosixTcp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/posix/CurlHttp.h"
#include "platform/posix/NetGuard.h"

namespace zavro::posix {

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

class PosixTcpSocket final : public ITcpSocket {
public:
    PosixTcpSocket() {
        if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) m_wake[0] = m_wake[1] = -1;
    }
    ~PosixTcpSocket() override {
        Close();
        if (m_wake[0] >= 0) ::close(m_wake[0]);
        if (m_wake[1] >= 0) ::close(m_wake[1]);
    }

    bool Connect(const std::string& host, std::uint16_t port) override {
        Close();
        m_error = NetError::Unreachable;
        if (m_wake[0] < 0 || m_cancelled || !netguard::Allow(host)) return false;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
            m_error = NetError::Unresolved;
            return false;
        }
        std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, ::freeaddrinfo);
        for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
            // The name may resolve elsewhere than its text suggests.
            if (!netguard::Allow(AddressText(ai->ai_addr))) continue;
            const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                                    ai->ai_protocol);
            if (fd < 0) continue;
            if (ConnectOne(fd, ai->ai_addr, ai->ai_addrlen)) {
                m_fd = fd;
                m_error = NetError::None;
                return true;
            }
            ::close(fd);
            if (m_cancelled) break;
        }
        return false;
    }

    long Send(const void* data, std::size_t size) override {
        if (m_fd < 0) return -1;
        const char* p = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            if (!WaitFor(m_fd, POLLOUT)) return -1;
            const ssize_t n = ::send(m_fd, p + done, size - done, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
                m_error = NetErrorFromErrno(errno, NetError::Closed);
                return -1;
            }
            done += static_cast<std::size_t>(n);
        }
        return static_cast<long>(done);
    }

    long Receive(void* buffer, std::size_t size) override {
        if (m_fd < 0) return -1;
        for (;;) {
            if (!WaitFor(m_fd, POLLIN)) return -1;
            const ssize_t n = ::recv(m_fd, buffer, size, 0);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
                m_error = NetErrorFromErrno(errno, NetError::Closed);
                return -1;
            }
            if (n == 0) m_error = NetError::Closed;
            return static_cast<long>(n);
        }
    }

    void Cancel() override {
        m_cancelled = true;
        if (m_wake[1] >= 0) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
        }
    }

    void Close() override {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    NetError LastError() const override { return m_error; }

private:
    // Blocks until fd is ready for the event; false on cancel or a poll failure. A closed
    // or failed peer counts as ready, so the following call reports it. A wait cut short
    // by Cancel counts as no answer: the caller gave up waiting.
    bool WaitFor(int fd, short event) {
        for (;;) {
            if (m_cancelled) {
                m_error = NetError::NoAnswer;
                return false;
            }
            pollfd fds[2] = {{fd, event, 0}, {m_wake[0], POLLIN, 0}};
            const int n = ::poll(fds, 2, -1);
            if (n < 0) {
                if (errno == EINTR) continue;
                m_error = NetError::Closed;
                return false;
            }
            if (m_cancelled || (fds[1].revents & POLLIN)) {
                m_error = NetError::NoAnswer;
                return false;
            }
            if (fds[0].revents) return true;
        }
    }

    bool ConnectOne(int fd, const sockaddr* address, socklen_t length) {
        if (::connect(fd, address, length) == 0) return true;
        if (errno != EINPROGRESS) {
            m_error = NetErrorFromErrno(errno, NetError::Unreachable);
            return false;
        }
        if (!WaitFor(fd, POLLOUT)) {
            if (m_error == NetError::NoAnswer) m_error = NetError::ConnectTimeout;
            return false;
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
        if (error == 0) return true;
        m_error = NetErrorFromErrno(error, NetError::Unreachable);
        return false;
    }

    int m_fd = -1;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_cancelled{false};
    NetError m_error = NetError::None;
};

}  // namespace

std::unique_ptr<ITcpSocket> PosixTcpFactory::Create() {
    return std::make_unique<PosixTcpSocket>();
}

}  // namespace zavro::posix
