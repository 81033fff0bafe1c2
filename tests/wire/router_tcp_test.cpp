// The POSIX TCP adapter: blocking use, peer close, and Cancel from another thread.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/posix/PosixTcp.h"

namespace zavro::posix {
namespace {

// A loopback listener that accepts one connection and does what the test says.
class Listener {
public:
    Listener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        EXPECT_EQ(::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(m_fd, 4), 0);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
    }
    ~Listener() {
        if (m_peer >= 0) ::close(m_peer);
        ::close(m_fd);
    }
    int Accept() { return m_peer = ::accept(m_fd, nullptr, nullptr); }
    std::uint16_t Port() const { return m_port; }
    int Peer() const { return m_peer; }

private:
    int m_fd = -1;
    int m_peer = -1;
    std::uint16_t m_port = 0;
};

TEST(RouterTcp, SendReceiveAndPeerClose) {
    Listener l;
    PosixTcpFactory factory;
    auto s = factory.Create();
    ASSERT_TRUE(s->Connect("127.0.0.1", l.Port()));
    ASSERT_GE(l.Accept(), 0);
    EXPECT_EQ(s->Send("hello", 5), 5);
    char buf[16] = {};
    ASSERT_EQ(::recv(l.Peer(), buf, sizeof buf, 0), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    ASSERT_EQ(::send(l.Peer(), "ok", 2, 0), 2);
    EXPECT_EQ(s->Receive(buf, sizeof buf), 2);
    ::shutdown(l.Peer(), SHUT_RDWR);
    EXPECT_EQ(s->Receive(buf, sizeof buf), 0);
    s->Close();
    EXPECT_EQ(s->Send("x", 1), -1);
}

TEST(RouterTcp, ConnectFailsWhereNothingListens) {
    std::uint16_t port;
    {
        Listener l;
        port = l.Port();
    }
    PosixTcpFactory factory;
    auto s = factory.Create();
    EXPECT_FALSE(s->Connect("127.0.0.1", port));
    EXPECT_EQ(s->Receive(nullptr, 0), -1);
}

TEST(RouterTcp, CancelEndsBlockedReceiveAndSend) {
    Listener l;
    PosixTcpFactory factory;
    auto r = factory.Create();
    ASSERT_TRUE(r->Connect("127.0.0.1", l.Port()));
    ASSERT_GE(l.Accept(), 0);

    std::atomic<long> got{1};
    std::thread receiver([&] {
        char buf[8];
        got = r->Receive(buf, sizeof buf);
    });
    // The peer never writes; only the cancel can end the receive. The pause makes it
    // likely the receive is already blocked; the result must be -1 either way.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    r->Cancel();
    receiver.join();
    EXPECT_EQ(got, -1);
    EXPECT_EQ(r->Send("x", 1), -1);

    auto w = factory.Create();
    Listener l2;
    ASSERT_TRUE(w->Connect("127.0.0.1", l2.Port()));
    ASSERT_GE(l2.Accept(), 0);
    std::string big(16u << 20, 'x');  // far more than the socket buffers hold
    std::atomic<long> sent{1};
    std::thread sender([&] { sent = w->Send(big.data(), big.size()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    w->Cancel();
    sender.join();
    EXPECT_EQ(sent, -1);
}

}  // namespace
}  // namespace zavro::posix
