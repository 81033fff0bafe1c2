// CClientSocket's receive buffer and ConnectClientSocket, over a scripted TCP port.
#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>

#include "platform/Platform.h"
#include "router/ClientSocket.h"
#include "router/Function.h"
#include "support/TestClock.h"

namespace zavro {
namespace {

struct Script {
    std::deque<std::string> chunks;  // each Receive hands out one; then 0 (closed)
    bool connectOk = true;
    std::string host;
    std::uint16_t port = 0;
    std::string sent;
    int cancels = 0;
};

class ScriptedSocket final : public ITcpSocket {
public:
    explicit ScriptedSocket(Script& s) : m_s(s) {}
    bool Connect(const std::string& host, std::uint16_t port) override {
        m_s.host = host;
        m_s.port = port;
        return m_s.connectOk;
    }
    long Send(const void* data, std::size_t size) override {
        m_s.sent.append(static_cast<const char*>(data), size);
        return static_cast<long>(size);
    }
    long Receive(void* buffer, std::size_t size) override {
        if (m_s.chunks.empty()) return 0;
        std::string c = m_s.chunks.front();
        m_s.chunks.pop_front();
        if (c == "<error>") return -1;
        EXPECT_LE(c.size(), size);
        std::copy(c.begin(), c.end(), static_cast<char*>(buffer));
        return static_cast<long>(c.size());
    }
    void Cancel() override { ++m_s.cancels; }
    void Close() override {}

private:
    Script& m_s;
};

class ScriptedFactory final : public ITcpFactory {
public:
    explicit ScriptedFactory(Script& s) : m_s(s) {}
    std::unique_ptr<ITcpSocket> Create() override { return std::make_unique<ScriptedSocket>(m_s); }

private:
    Script& m_s;
};

class RouterSocket : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = Ports();
        Ports().tcp = &m_factory;
        Ports().clock = &m_clock;
        Ports().routerHost = "127.0.0.1";
        Ports().routerPort = 8081;
    }
    void TearDown() override { Ports() = m_saved; }

    Script m_script;
    ScriptedFactory m_factory{m_script};
    test::TestClock m_clock;
    Platform m_saved;
};

TEST_F(RouterSocket, ConnectUsesConfiguredRouterAndPauses) {
    CClientSocket s;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &s), 1);
    EXPECT_EQ(m_script.host, "127.0.0.1");
    EXPECT_EQ(m_script.port, 8081);
    EXPECT_EQ(s.m_bConnected, 1);
    EXPECT_EQ(m_clock.Sleeps(), std::vector<std::uint32_t>{10});

    m_script.connectOk = false;
    CClientSocket t;
    EXPECT_EQ(ConnectClientSocket("192.168.2.1", 80, &t), 0);
    EXPECT_EQ(t.m_bConnected, 0);
    EXPECT_EQ(ConnectClientSocket("192.168.2.1", 80, nullptr), 0);
}

TEST_F(RouterSocket, BufferKeepsAtMost8191BytesOfText) {
    CClientSocket s;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &s), 1);
    for (char c : {'a', 'b', 'c'}) m_script.chunks.push_back(std::string(4092, c));
    EXPECT_EQ(s.ReceiveChunk(0), 1);
    EXPECT_EQ(s.ReceiveChunk(0), 1);
    EXPECT_EQ(s.ReceiveChunk(0), 1);
    EXPECT_EQ(s.m_nReceived, 3 * 4092);
    const std::string text = s.Text();
    ASSERT_EQ(text.size(), 8191u);
    EXPECT_EQ(text.substr(0, 4092), std::string(4092, 'a'));
    EXPECT_EQ(text.substr(4092, 4092), std::string(4092, 'b'));
    EXPECT_EQ(text.substr(8184), std::string(7, 'c'));
    EXPECT_EQ(s.m_szBuffer[8191], '\0');
    EXPECT_EQ(s.m_bDataArrived, 1);
}

TEST_F(RouterSocket, TextStopsAtZeroByteButCountsAll) {
    CClientSocket s;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &s), 1);
    m_script.chunks.push_back(std::string("ab\0cd", 5));
    m_script.chunks.push_back("ef");
    EXPECT_EQ(s.ReceiveChunk(0), 1);
    EXPECT_EQ(s.ReceiveChunk(0), 1);
    EXPECT_STREQ(s.Text(), "abef");
    EXPECT_EQ(s.m_nReceived, 7);
}

TEST_F(RouterSocket, CloseOrErrorChangesNothing) {
    CClientSocket s;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &s), 1);
    m_script.chunks.push_back("<error>");
    EXPECT_EQ(s.ReceiveChunk(0), 0);
    EXPECT_EQ(s.ReceiveChunk(0), 0);  // closed
    EXPECT_EQ(s.m_nReceived, 0);
    EXPECT_EQ(s.m_bDataArrived, 0);
    EXPECT_STREQ(s.Text(), "");
    CClientSocket unconnected;
    EXPECT_EQ(unconnected.ReceiveChunk(0), 0);
    EXPECT_EQ(unconnected.Send("x", 1), -1);
}

TEST_F(RouterSocket, NotificationsAndFindValue) {
    CClientSocket s;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &s), 1);
    s.OnClose(0);
    EXPECT_EQ(s.m_bClosed, 1);
    std::string answer = "HTTP/1.1 301 Moved Permanently\r\n";
    answer += std::string(100, '.') + "TARGET";  // 103 after the marker's last "y"
    m_script.chunks.push_back(answer);
    s.OnReceive(0);
    EXPECT_EQ(s.m_bClosed, 0);
    EXPECT_EQ(s.FindValue("Moved Permanently", 6, 3000), "TARGET");
    EXPECT_EQ(s.FindValue("Found", 6, 3000), "null");
    // A new connection starts from an empty buffer.
    s.OnConnect(0);
    EXPECT_STREQ(s.Text(), "");
    EXPECT_EQ(s.m_nReceived, 0);
    s.Cancel();
    EXPECT_EQ(m_script.cancels, 1);
}

// The one-part upload judges the first chunk of the answer: only a whole status line with
// an error code is a refusal.
TEST_F(RouterSocket, UploadAnswerIsRefusedOnlyByAWholeErrorStatusLine) {
    const struct {
        const char* chunk;
        int result;
    } cases[] = {
        {"HTTP/1.1 20", 1},  // the line goes on in a later chunk
        {"HTTP/1.1 200 OK\r\n", 1},
        {"HTTP/1.1 302 Found\r\nLocation: /x\r\n", 1},
        {"<html>upgrading", 1},
        {"HTTP/1.1 500 Internal Server Error\r\n", 0},
        {"HTTP/1.1 401 Unauthorized\r\n", 0},
        {"<error>", 0},
    };
    for (const auto& c : cases) {
        CClientSocket s;
        ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &s), 1);
        m_script.chunks = {c.chunk};
        CFunction f;
        f.m_pSocket = &s;
        std::istringstream image("image");
        EXPECT_EQ(f.UploadFirmware("/fw.bin", image, 8), c.result) << c.chunk;
    }
}

}  // namespace
}  // namespace zavro
