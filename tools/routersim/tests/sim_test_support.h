// A raw loopback HTTP client for the simulator's own tests: it sends bytes exactly as
// given and reads the answer without interpreting more than the status line and length.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "HttpWire.h"

namespace routersim::test {

// Base64 of "admin:5820", the simulator's default account.
inline constexpr std::string_view kDefaultAuth = "YWRtaW46NTgyMA==";
inline constexpr std::string_view kFormBoundary = "/////////////////";
inline constexpr std::string_view kUploadBoundary = "---------------------------7da31c3b3304bc";
inline constexpr std::string_view kQueryUploadBoundary = "///***---***---***---***---***///";

struct Answer {
    int status = 0;
    std::string head;  // status line and headers with the empty line
    std::string body;
    std::string raw;  // everything read
    std::string Header(std::string_view name) const {
        std::size_t pos = head.find("\r\n");
        while (pos != std::string::npos && pos + 2 < head.size()) {
            std::size_t next = head.find("\r\n", pos + 2);
            std::string_view line(head.data() + pos + 2, next - pos - 2);
            std::size_t colon = line.find(':');
            if (colon != std::string_view::npos &&
                wire::EqualsNoCase(line.substr(0, colon), name)) {
                std::string_view v = line.substr(colon + 1);
                while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
                return std::string(v);
            }
            pos = next;
        }
        return {};
    }
};

// How a read ended.
enum class End { Answer, Closed, Reset, Silent };

class RawClient {
public:
    explicit RawClient(std::uint16_t port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // loopback only
        if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            m_error = errno;
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RawClient() {
        if (m_fd >= 0) ::close(m_fd);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return m_fd >= 0; }
    int ConnectError() const { return m_error; }

    bool Send(std::string_view data) {
        while (!data.empty()) {
            ssize_t n = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // One receive, waiting at most ms (real time, only as a bound on a broken server).
    // Appends to m_buf; returns how the wait ended.
    End ReadSome(int ms) {
        pollfd p{m_fd, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, ms);
        } while (r < 0 && errno == EINTR);
        if (r == 0) return End::Silent;
        char chunk[65536];
        ssize_t n;
        do {
            n = ::recv(m_fd, chunk, sizeof chunk, 0);
        } while (n < 0 && errno == EINTR);
        if (n == 0) return End::Closed;
        if (n < 0) return errno == ECONNRESET ? End::Reset : End::Closed;
        m_buf.append(chunk, static_cast<std::size_t>(n));
        ++m_reads;
        return End::Answer;
    }

    // Reads until one whole answer (head and Content-Length body) is in, the peer closes
    // or resets, or nothing comes for ms.
    End ReadAnswer(Answer& out, int ms = 5000) {
        for (;;) {
            std::size_t headEnd = m_buf.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                Answer a;
                a.head = m_buf.substr(0, headEnd + 4);
                if (a.head.rfind("HTTP/1.", 0) == 0 && a.head.size() > 12)
                    a.status = std::stoi(a.head.substr(9, 3));
                std::string cl = a.Header("Content-Length");
                std::size_t length = cl.empty() ? 0 : std::stoul(cl);
                if (m_buf.size() >= headEnd + 4 + length) {
                    a.body = m_buf.substr(headEnd + 4, length);
                    a.raw = m_buf.substr(0, headEnd + 4 + length);
                    m_buf.erase(0, headEnd + 4 + length);
                    out = std::move(a);
                    return End::Answer;
                }
            }
            End e = ReadSome(ms);
            if (e != End::Answer) return e;
        }
    }

    const std::string& Buffered() const { return m_buf; }
    int Reads() const { return m_reads; }

private:
    int m_fd = -1;
    int m_error = 0;
    std::string m_buf;
    int m_reads = 0;
};

// A request with the default account, Host and Content-Length (unless extra has its own);
// extra: header lines each ending in CRLF.
inline std::string Request(std::string_view method, std::string_view target,
                           std::string_view body = {}, std::string_view extra = {},
                           std::string_view auth = kDefaultAuth) {
    std::string r = std::string(method) + " " + std::string(target) + " HTTP/1.1\r\n";
    r += "Host: 127.0.0.1\r\n";
    if (!auth.empty()) r += "Authorization: Basic " + std::string(auth) + "\r\n";
    r += extra;
    const bool ownLength = extra.find("Content-Length:") != std::string_view::npos;
    if (!ownLength && (method != "GET" || !body.empty()))
        r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    r += "\r\n";
    r += body;
    return r;
}

// Sends one request on a fresh connection and reads the answer (status 0 when none came).
inline Answer Exchange(std::uint16_t port, const std::string& request) {
    RawClient c(port);
    Answer a;
    if (c.Connected() && c.Send(request)) c.ReadAnswer(a);
    return a;
}

// The form-post family's multipart body, with the trailing zero byte the client sends.
inline std::string FormPostBody(
    std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
    std::string b;
    for (const auto& [name, value] : fields) {
        b += "--" + std::string(kFormBoundary) + "\r\nContent-Disposition: form-data; name=\"" +
             std::string(name) + "\"\r\n\r\n" + std::string(value) + "\r\n";
    }
    b += "--" + std::string(kFormBoundary) + "--";
    b.push_back('\0');
    return b;
}

inline std::string FormPostHeader() {
    return "Content-Type: multipart/form-data; boundary=" + std::string(kFormBoundary) + "\r\n";
}

inline std::string WithZero(std::string s) {
    s.push_back('\0');
    return s;
}

}  // namespace routersim::test
