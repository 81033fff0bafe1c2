// CFunction paths that need no router: adapter address, Internet check tries, environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/Platform.h"
#include "platform/posix/Environment.h"
#include "router/Function.h"
#include "support/Recorders.h"

namespace zavro {
namespace {

class FakeAdapters final : public IAdapterList {
public:
    std::optional<std::vector<std::uint8_t>> address;
    std::optional<std::vector<std::uint8_t>> FirstAdapterAddress() override { return address; }
};

// Answers OpenUrl from a script; refuses connections.
class ScriptedHttp final : public IHttpClient, public IHttpSession {
public:
    std::vector<bool> answers;  // one per OpenUrl; false past the end
    std::vector<std::string> opened;
    std::uint32_t timeout = 0;

    std::unique_ptr<IHttpSession> Open(const std::string&,
                                       std::uint32_t connectTimeoutMs) override {
        timeout = connectTimeoutMs;
        struct Borrowed final : IHttpSession {
            explicit Borrowed(ScriptedHttp& h) : h(h) {}
            std::unique_ptr<IHttpConnection> Connect(const std::string& a, std::uint16_t b,
                                                     const std::string& c,
                                                     const std::string& d) override {
                return h.Connect(a, b, c, d);
            }
            bool OpenUrl(const std::string& url, NetError*) override { return h.OpenUrl(url); }
            void Cancel() override {}  // answers at once: nothing to end
            ScriptedHttp& h;
        };
        return std::make_unique<Borrowed>(*this);
    }
    std::unique_ptr<IHttpConnection> Connect(const std::string&, std::uint16_t, const std::string&,
                                             const std::string&) override {
        return nullptr;
    }
    void Cancel() override {}
    bool OpenUrl(const std::string& url, NetError* = nullptr) override {
        const bool ok = opened.size() < answers.size() && answers[opened.size()];
        opened.push_back(url);
        return ok;
    }
};

class RouterFunction : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = Ports();
        Ports().adapters = &m_adapters;
        Ports().http = &m_http;
        Ports().shell = &m_shell;
        Ports().homeUrl = "http://home.invalid/";
    }
    void TearDown() override { Ports() = m_saved; }

    FakeAdapters m_adapters;
    ScriptedHttp m_http;
    test::ShellRecorder m_shell;
    Platform m_saved;
};

TEST_F(RouterFunction, PcMacIsUpperCaseHexWithoutSeparators) {
    CFunction f;
    m_adapters.address = std::vector<std::uint8_t>{0x00, 0x0a, 0xBC, 0xde, 0xF0, 0x01};
    f.ReadPcMacAddress();
    EXPECT_EQ(f.m_strPcMac, "000ABCDEF001");
    m_adapters.address = std::vector<std::uint8_t>{0xff, 0x7f};
    f.ReadPcMacAddress();
    EXPECT_EQ(f.m_strPcMac, "FF7F");
    // An unreadable list leaves the last value.
    m_adapters.address.reset();
    f.ReadPcMacAddress();
    EXPECT_EQ(f.m_strPcMac, "FF7F");
    CFunction fresh;
    fresh.ReadPcMacAddress();
    EXPECT_EQ(fresh.m_strPcMac, "");
}

TEST_F(RouterFunction, InternetCheckTriesThreeTimes) {
    {
        CFunction f;
        EXPECT_EQ(m_http.timeout, 300000u);
        EXPECT_EQ(f.CheckInternet(), 0);
        EXPECT_EQ(m_http.opened.size(), 3u);
        EXPECT_TRUE(m_shell.Calls().empty());
    }
    m_http.opened.clear();
    m_http.answers = {false, true};
    CFunction g;
    EXPECT_EQ(g.CheckInternet(), 1);
    EXPECT_EQ(m_http.opened,
              (std::vector<std::string>{"http://home.invalid/", "http://home.invalid/"}));
    const auto calls = m_shell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, "open");
    EXPECT_EQ(calls[0].file, "http://home.invalid/");
}

TEST_F(RouterFunction, NoHttpPortMeansTransportFailure) {
    Ports().http = nullptr;
    CFunction f;
    EXPECT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 8), 1);
    EXPECT_EQ(f.m_nModel, 8);
    EXPECT_EQ(f.TestLogin("192.168.2.1", "admin", "5820"), 1);
    EXPECT_FALSE(f.ReadSsid("5820").has_value());
    EXPECT_EQ(f.CheckInternet(), 0);
    std::istringstream image("not read");
    EXPECT_EQ(f.GetFirmwareModel("/x", image), 8);
}

TEST(RouterEnvironment, AppliesGoodValuesAndIgnoresBadOnes) {
    const struct {
        const char* router;
        const char* home;
        std::string host;
        unsigned short port;
        std::string url;
    } cases[] = {
        {"127.0.0.1:8080", "http://127.0.0.1:9/", "127.0.0.1", 8080, "http://127.0.0.1:9/"},
        {"[::1]:81", nullptr, "::1", 81, "http://www.zavro-net.example/"},
        {"localhost", "", "localhost", 80, "http://www.zavro-net.example/"},
        {"127.0.0.1:99999", "ftp://x/", "192.168.2.1", 80, "http://www.zavro-net.example/"},
        {nullptr, nullptr, "192.168.2.1", 80, "http://www.zavro-net.example/"},
    };
    for (const auto& c : cases) {
        if (c.router)
            setenv("ZAVRO_ROUTER", c.router, 1);
        else
            unsetenv("ZAVRO_ROUTER");
        if (c.home)
            setenv("ZAVRO_HOME_URL", c.home, 1);
        else
            unsetenv("ZAVRO_HOME_URL");
        Platform p;
        posix::ApplyEnvironment(p);
        EXPECT_EQ(p.routerHost, c.host) << (c.router ? c.router : "-");
        EXPECT_EQ(p.routerPort, c.port) << (c.router ? c.router : "-");
        EXPECT_EQ(p.homeUrl, c.url) << (c.home ? c.home : "-");
    }
    unsetenv("ZAVRO_ROUTER");
    unsetenv("ZAVRO_HOME_URL");
}

}  // namespace
}  // namespace zavro
