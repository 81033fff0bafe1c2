// Typed text on the wire: the query and form-encoded dialects escape only "%", "&", "=" and
// "+" in a body (and "#" too in a request target), the form-post dialect sends it raw.
// The exact bytes are pinned, then what the router decoded.
#include <map>

#include "RouterWireFixture.h"
#include "app/Texts.h"
#include "router/Function.h"

#ifdef ZAVRO_HAVE_ROUTERSIM
namespace zavro::test {
namespace {

using namespace std::string_literals;

class TypedText : public RouterWireTest {
protected:
    CFunction& Connect(int model) {
        StartRouter(model);
        m_f = std::make_unique<CFunction>();
        EXPECT_EQ(m_f->ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
        return *m_f;
    }
    // The last request the router took with credentials.
    routersim::Request Last() const {
        auto requests = Authed();
        return requests.empty() ? routersim::Request{} : requests.back();
    }
    std::unique_ptr<CFunction> m_f;
};

TEST_F(TypedText, AdminPasswordInEveryDialect) {
    const struct {
        int model;
        std::string password, target, body;
    } cases[] = {
        // In a request target "#" is escaped too, and the transport encodes the space.
        {2, "a&b#c+d",
         "/goform/asp_setUser?account=admin&password=a%26b%23c%2Bd&password2=a%26b%23c%2Bd", ""},
        {2, "my pass?",
         "/goform/asp_setUser?account=admin&password=my%20pass?&password2=my%20pass?", ""},
        {8, "a&b#c+d", "/goform/formPasswordSetup",
         "oldpass=5820&newpass=a%26b#c%2Bd&confpass=a%26b#c%2Bd&submit-url=%2Fsyspasswd.asp"},
        {8, "my pass", "/goform/formPasswordSetup",
         "oldpass=5820&newpass=my pass&confpass=my pass&submit-url=%2Fsyspasswd.asp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password + " model " + std::to_string(c.model));
        CFunction& f = Connect(c.model);
        EXPECT_EQ(f.SetAdminPassword("5820", c.password), 0);
        const auto requests = Authed();
        const auto change = std::find_if(requests.begin(), requests.end(), [](const auto& r) {
            return r.target.find("asp_setUser") != std::string::npos ||
                   r.target == "/goform/formPasswordSetup";
        });
        ASSERT_NE(change, requests.end());
        EXPECT_EQ(change->target, c.target);
        EXPECT_EQ(change->body, c.body);
        EXPECT_EQ(m_sim->GetState().adminPassword, c.password);
        CFunction again;
        EXPECT_EQ(again.ConnectRouter("192.168.2.1", "admin", c.password, c.model), 0);
    }
    // The form-post dialect sends the value as typed.
    CFunction& f = Connect(1);
    EXPECT_EQ(f.SetAdminPassword("5820", "50%+off"), 0);
    EXPECT_NE(Last().body.find("name=\"newpass\"\r\n\r\n50%+off\r\n"), std::string::npos);
}

// The exact body, then what the router decoded: each field whole, no stray "x" field. The
// values go through the pages' ANSI conversion: "\xC3\xBC" (u with diaeresis) is the one
// byte 0xFC on the wire.
TEST_F(TypedText, PppoeAccountAndCableModemHostName) {
    const struct {
        int model;
        bool cable;
        std::string body;
        std::map<std::string, std::string> decoded;
    } cases[] = {
        {2,
         false,
         "username0=joe co&password0=50%25%2B\xFC\x66\x66&serviceName0=isp #1&mtu0=1400%26x&"
         "pppoeConnectType=1&demand0=1&autoReconnect0=1&silentTimeout0=5%3D9\0"s,
         {{"password0", "50%+\xFC\x66\x66"}, {"mtu0", "1400&x"}}},
        {8,
         false,
         "pppUserName=joe co&pppPassword=50%25%2B\xFC\x66\x66&pppServName=isp #1&pppMTU=1400%26x&"
         "pppConnectType=1&pppIdleTime=5%3D9&submit-url=%2Fwanpppoe.asp&wanMode=2&ipMode=ppp",
         {{"pppPassword", "50%+\xFC\x66\x66"}, {"pppMTU", "1400&x"}}},
        {2,
         true,
         "dynIPHostName=pc%26x%3D1 \xFC&macAddrValue=&cmacToggle=on&cmac1=00&cmac2=11&cmac3=22&"
         "cmac4=33&cmac5=44&cmac6=55\0"s,
         {{"dynIPHostName", "pc&x=1 \xFC"}}},
        {8,
         true,
         "dynIPHostName=pc%26x%3D1 \xFC&macAddr=001122334455&submit-url=%2Fwandip.asp&wanMode=0",
         {{"dynIPHostName", "pc&x=1 \xFC"}}},
    };
    const std::string kHost = Utf8ToAnsi("pc&x=1 \xC3\xBC");
    const std::string kPassword = Utf8ToAnsi(
        "50%+\xC3\xBC"
        "ff");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        CFunction& f = Connect(c.model);
        EXPECT_EQ(c.cable ? f.SetDhcpClient(kHost, "", "001122334455")
                          : f.SetPppoe("joe co", kPassword, "isp #1", "1400&x", 1, "5=9"),
                  0);
        EXPECT_EQ(Last().body, c.body);
        auto wan = m_sim->GetState().wan;
        for (const auto& [field, value] : c.decoded) EXPECT_EQ(wan[field], value) << field;
        EXPECT_EQ(wan.count("x"), 0u);
    }
    // The form-post dialect: the same bytes raw.
    CFunction& f = Connect(1);
    EXPECT_EQ(f.SetPppoe("joe co", kPassword, "isp #1", "1400", 0, ""), 0);
    EXPECT_NE(Last().body.find("name=\"pppPassword\"\r\n\r\n50%+\xFC"
                               "ff\r\n"),
              std::string::npos);
    EXPECT_EQ(f.SetDhcpClient(kHost, "", "001122334455"), 0);
    EXPECT_NE(Last().body.find("\r\n\r\npc&x=1 \xFC\r\n"), std::string::npos) << Last().body;
}

TEST_F(TypedText, TunnelAccounts) {
    const struct {
        int model;
        bool l2tp;
        std::string piece;
    } cases[] = {
        {2, false, "&username=u 1&password=p%3D%262&wanmtu=1400%2B&wansv_1=10&"},
        {2, true, "&username=u 1&password=p%3D%262&wanmtu=1400%2B&l2tpsrv=vpn#a&"},
        {8, false,
         "&pptpUserName=u 1&pptpPassword=p%3D%262&pptpGateway=vpn#a&pptpConntID=id%25&"
         "pptpMTU=1400%2B&pptpConnectType=1&pptpIdleTime=9 &submit-url="},
        {8, true,
         "&L2TPUserName=u 1&L2TPPassword=p%3D%262&L2TPGateway=vpn#a&L2TPMTU=1400%2B&"
         "L2TPConnectType=1&L2TPIdleTime=9 &submit-url="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + (c.l2tp ? " L2TP" : " PPTP"));
        CFunction& f = Connect(c.model);
        const std::string server = c.model == 2 && !c.l2tp ? "10.1.1.9" : "vpn#a";
        if (c.l2tp)
            f.SetL2tp(1, "", "", "", "10.1.1.2", "255.0.0.0", "10.1.1.1", "u 1", "p=&2", server,
                      "id%", "1400+", 1, "9 ");
        else
            f.SetPptp(1, "", "", "", "10.1.1.2", "255.0.0.0", "10.1.1.1", "u 1", "p=&2", server,
                      "id%", "1400+", 1, "9 ");
        const std::string body = Last().body;
        EXPECT_NE(body.find(c.piece), std::string::npos) << body;
    }
}

}  // namespace
}  // namespace zavro::test
#endif
