// The curl adapter's answer handling: an in-process loopback server answers every request
// with the fuzzer's bytes (status line, headers, body, optionally followed by a large
// filler so the read limit and the drain cut are reached), and the adapter must come back
// with a sane result, never more body than asked for.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "FuzzInput.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/NetGuard.h"

namespace {

constexpr std::size_t kReadLimits[] = {0, 1, 16, 2999, 8192, 100000};

class AnswerServer {
public:
    AnswerServer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            ::listen(m_listen, 16) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            zavro::fuzz::Fail("loopback listen");
        m_port = ntohs(addr.sin_port);
        std::thread([this] { Loop(); }).detach();  // lives as long as the process
    }
    std::uint16_t Port() const { return m_port; }
    void SetAnswer(std::string answer) {
        std::lock_guard lock(m_mutex);
        m_answer = std::move(answer);
    }

private:
    void Loop() {
        for (;;) {
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            timeval limit{2, 0};  // a client that stops sending cannot hold the server
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            ReadRequest(fd);
            std::string answer;
            {
                std::lock_guard lock(m_mutex);
                answer = m_answer;
            }
            for (std::size_t sent = 0; sent < answer.size();) {
                const ssize_t n =
                    ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            ::close(fd);
        }
    }
    // Reads the head and as much body as its Content-Length names, so that closing the
    // socket afterwards does not reset the answer away.
    static void ReadRequest(int fd) {
        std::string in;
        char chunk[4096];
        std::size_t need = std::string::npos;
        while (in.size() < need) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) return;
            in.append(chunk, static_cast<std::size_t>(n));
            const std::size_t end = in.find("\r\n\r\n");
            if (need == std::string::npos && end != std::string::npos) {
                need = end + 4;
                const std::size_t cl = in.find("Content-Length: ");
                if (cl != std::string::npos && cl < end)
                    need += std::strtoul(in.c_str() + cl + 16, nullptr, 10);
            }
        }
    }

    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::mutex m_mutex;
    std::string m_answer;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AnswerServer server;
    static zavro::posix::CurlHttpClient client;
    static const bool guarded = [] {
        zavro::netguard::SetLoopbackOnly(true, [](const std::string& host) {
            std::fprintf(stderr, "non-loopback connection attempted: %s\n", host.c_str());
            std::abort();
        });
        client.SetTimeouts(2000, 3000);
        return true;
    }();
    (void)guarded;

    zavro::fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::size_t readMax = kReadLimits[flags % std::size(kReadLimits)];
    const bool post = flags & 0x08;
    std::string answer(in.RestText());
    if (flags & 0x10) {
        // Oversized: past the drain limit whatever the answer says its length is.
        answer.append(zavro::posix::CurlHttpClient::kDrainLimit + 4096 + (flags >> 5) * 1000, 'x');
    }
    server.SetAnswer(std::move(answer));

    auto session = client.Open("Zavro", 2000);
    auto connection = session->Connect("127.0.0.1", server.Port(), "admin", "pw");
    ZAVRO_FUZZ_CHECK(connection != nullptr);
    for (int round = 0; round < 2; ++round) {
        const zavro::HttpResult result =
            post ? connection->Send("POST", "/goform/formWanTcpipSetup", "",
                                    std::string("a=1\0", 4), readMax)
                 : connection->Send("GET", "wlbasic.asp", "", "", readMax);
        ZAVRO_FUZZ_CHECK(result.body.size() <= readMax);
        if (result.ok) {
            ZAVRO_FUZZ_CHECK(result.status > 0);
        } else {
            ZAVRO_FUZZ_CHECK(result.status == 0 && result.body.empty());
        }
    }
    return 0;
}
