// Every configuration request in every dialect, compared byte for byte with the request
// the router family expects: method, target as received, Content-Type, body with or
// without its trailing zero byte.
#include <functional>

#include "RouterWireFixture.h"
#include "router/Function.h"

#ifdef ZAVRO_HAVE_ROUTERSIM
namespace zavro::test {
namespace {

using namespace std::string_literals;

// The form-post dialect's multipart text for the fields, closed and zero-terminated.
std::string Mp(std::initializer_list<std::pair<const char*, const char*>> fields) {
    std::string s;
    for (const auto& [name, value] : fields)
        s += "--/////////////////\r\nContent-Disposition: form-data; name=\""s + name +
             "\"\r\n\r\n" + value + "\r\n";
    s += "--/////////////////--";
    s += '\0';
    return s;
}

const std::string kFp = "multipart/form-data; boundary=/////////////////";
const std::string kQ = "multipart/form-data";
const std::string kNone;  // no Content-Type header at all

struct WireCase {
    const char* name;
    int model;
    std::function<int(CFunction&)> call;
    std::string method, target, contentType, body;
    int result = 0;  // the router refuses incomplete settings
};

int Pptp(CFunction& f, int mode, int type) {
    return f.SetPptp(mode, "h1", "MV", "MAC1", "10.1.1.2", "255.0.0.0", "10.1.1.1", "u", "p",
                     "10.9.8.7", "cid", "1460", type, "9");
}
int L2tp(CFunction& f, int mode, int type) {
    return f.SetL2tp(mode, "h1", "MV", "MAC1", "10.1.1.2", "255.0.0.0", "10.1.1.1", "u", "p",
                     "10.9.8.7", "cid", "1460", type, "9");
}
int Dhcp(CFunction& f) {
    return f.SetDhcpClient("myhost", "00E0AABBCCDD", "001122AABBCC");
}
int Fixed(CFunction& f) {
    return f.SetFixedIp("10.0.0.5", "255.255.255.0", "10.0.0.53", "10.0.0.1");
}

const WireCase kCases[] = {
    // ---- SetDhcpClient
    {"Dhcp1", 1, Dhcp, "POST", "/goform/formWanTcpipSetup", kFp,
     Mp({{"dynIPHostName", "myhost"},
         {"macAddrValue", "00E0AABBCCDD"},
         {"macAddr", "001122AABBCC"},
         {"wanMode", "0"}})},
    {"Dhcp2", 2, Dhcp, "POST", "/goform/asp_setDhcpClient", kQ,
     "dynIPHostName=myhost&macAddrValue=00E0AABBCCDD&cmacToggle=on&cmac1=00&cmac2=11&cmac3=22"
     "&cmac4=AA&cmac5=BB&cmac6=CC\0"s},
    {"Dhcp8", 8, Dhcp, "POST", "/goform/formWanTcpipSetup", kNone,
     "dynIPHostName=myhost&macAddr=001122AABBCC&submit-url=%2Fwandip.asp&wanMode=0"},
    // ---- SetFixedIp
    {"Fixed1", 1, Fixed, "POST", "/goform/formWanTcpipSetup", kFp,
     Mp({{"ip", "10.0.0.5"},
         {"mask", "255.255.255.0"},
         {"dns1", "10.0.0.53"},
         {"gateway", "10.0.0.1"},
         {"wanMode", "1"},
         {"dnsMode", "dnsManual"},
         {"ipMode", "fixedIp"}})},
    {"Fixed2", 2, Fixed, "POST", "/goform/asp_setStaticWizard", kQ,
     "wanip_1=10&wanip_2=0&wanip_3=0&wanip_4=5&wansm_1=255&wansm_2=255&wansm_3=255&wansm_4=0"
     "&wangw_1=10&wangw_2=0&wangw_3=0&wangw_4=1&wandns_1=10&wandns_2=0&wandns_3=0&wandns_4=53\0"s},
    {"Fixed8", 8, Fixed, "POST", "/goform/formWanTcpipSetup", kNone,
     "ip=10.0.0.5&mask=255.255.255.0&dns1=&gateway=10.0.0.1&submit-url=%2Fwansip.asp&wanMode=1"
     "&ipMode=fixedIp&dnsMode=dnsManual"},
    // ---- SetPppoe
    {"Pppoe1Idle", 1, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 1, "5"); },
     "POST", "/goform/formWanTcpipSetup", kFp,
     Mp({{"pppUserName", "joe"},
         {"pppPassword", "pw1"},
         {"pppServName", "isp"},
         {"pppMTU", "1492"},
         {"pppConnectType", "1"},
         {"pppIdleTime", "5"},
         {"wanMode", "2"},
         {"ipMode", "ppp"}})},
    {"Pppoe4Always", 4,
     [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 0, "5"); }, "POST",
     "/goform/formWanTcpipSetup", kFp,
     Mp({{"pppUserName", "joe"},
         {"pppPassword", "pw1"},
         {"pppServName", "isp"},
         {"pppMTU", "1492"},
         {"pppConnectType", "0"},
         {"wanMode", "2"},
         {"ipMode", "ppp"}})},
    {"Pppoe2Type0", 2, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 0, "5"); },
     "POST", "/goform/asp_setPppoeWizard", kQ,
     "username0=joe&password0=pw1&serviceName0=isp&mtu0=1492&pppoeConnectType=0&demand0=0"
     "&autoReconnect0=1\0"s},
    {"Pppoe6Type1", 6, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 1, "5"); },
     "POST", "/goform/asp_setPppoeWizard", kQ,
     "username0=joe&password0=pw1&serviceName0=isp&mtu0=1492&pppoeConnectType=1&demand0=1"
     "&autoReconnect0=1&silentTimeout0=5\0"s},
    {"Pppoe7Type2", 7, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 2, "5"); },
     "POST", "/goform/asp_setPppoeWizard", kQ,
     "username0=joe&password0=pw1&serviceName0=isp&mtu0=1492&pppoeConnectType=2&demand0=0"
     "&autoReconnect0=0\0"s},
    {"Pppoe2Type3", 2, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 3, "5"); },
     "POST", "/goform/asp_setPppoeWizard", kQ,
     "username0=joe&password0=pw1&serviceName0=isp&mtu0=1492&pppoeConnectType=3&\0"s},
    {"Pppoe8Type2", 8, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 2, "5"); },
     "POST", "/goform/formWanTcpipSetup", kNone,
     "pppUserName=joe&pppPassword=pw1&pppServName=isp&pppMTU=1492&pppConnectType=2"
     "&submit-url=%2Fwanpppoe.asp&wanMode=2&ipMode=ppp"},
    {"Pppoe8Type1", 8, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 1, "5"); },
     "POST", "/goform/formWanTcpipSetup", kNone,
     "pppUserName=joe&pppPassword=pw1&pppServName=isp&pppMTU=1492&pppConnectType=1&pppIdleTime=5"
     "&submit-url=%2Fwanpppoe.asp&wanMode=2&ipMode=ppp"},
    {"Pppoe8Type7", 8, [](CFunction& f) { return f.SetPppoe("joe", "pw1", "isp", "1492", 7, "5"); },
     "POST", "/goform/formWanTcpipSetup", kNone, "", 1},
    // ---- SetPptp
    {"Pptp1Dhcp", 1, [](CFunction& f) { return Pptp(f, 0, 0); }, "POST", "/goform/formPPTPSetup",
     kFp,
     Mp({{"HostName", "h1"},
         {"macAddrValue", "MV"},
         {"Mac", "MAC1"},
         {"pptpIpMode", "0"},
         {"wanMode", "3"},
         {"pptpUserName", "u"},
         {"pptpPassword", "p"},
         {"pptpGateway", "10.9.8.7"},
         {"pptpConntID", "cid"},
         {"pptpMTU", "1460"},
         {"pptpConnectType", "0"}})},
    {"Pptp3Fixed", 3, [](CFunction& f) { return Pptp(f, 1, 1); }, "POST", "/goform/formPPTPSetup",
     kFp,
     Mp({{"pptpIPAddr", "10.1.1.2"},
         {"pptpIPMaskAddr", "255.0.0.0"},
         {"pptpDfGateway", "10.1.1.1"},
         {"pptpIpMode", "1"},
         {"wanMode", "3"},
         {"pptpUserName", "u"},
         {"pptpPassword", "p"},
         {"pptpGateway", "10.9.8.7"},
         {"pptpConntID", "cid"},
         {"pptpMTU", "1460"},
         {"pptpConnectType", "1"},
         {"pptpIdleTime", "9"}})},
    {"Pptp2Fixed", 2, [](CFunction& f) { return Pptp(f, 1, 1); }, "POST",
     "/goform/asp_setPptpWizard", kQ,
     "pptpIpMode=1&wanip_1=10&wanip_2=1&wanip_3=1&wanip_4=2&wansm_1=255&wansm_2=0&wansm_3=0"
     "&wansm_4=0&wangw_1=10&wangw_2=1&wangw_3=1&wangw_4=1&username=u&password=p&wanmtu=1460"
     "&wansv_1=10&wansv_2=9&wansv_3=8&wansv_4=7&pptpConnectType=1&dialOnDemand=1"
     "&autoReconnect=1&silentTimeout=9\0"s},
    {"Pptp2Dhcp", 2, [](CFunction& f) { return Pptp(f, 0, 2); }, "POST",
     "/goform/asp_setPptpWizard", kQ,
     "pptpIpMode=0&username=u&password=p&wanmtu=1460&wansv_1=10&wansv_2=9&wansv_3=8&wansv_4=7"
     "&pptpConnectType=2&dialOnDemand=0&autoReconnect=0\0"s},
    {"Pptp8Dhcp", 8, [](CFunction& f) { return Pptp(f, 0, 0); }, "POST", "/goform/formPPTPSetup",
     kNone,
     "pptpIpMode=0&HostName=h1&Mac=MAC1&pptpUserName=u&pptpPassword=p&pptpGateway=10.9.8.7"
     "&pptpConntID=cid&pptpMTU=1460&pptpConnectType=0&submit-url=%2Fwanpptp.asp&wanMode=3"},
    {"Pptp8Fixed", 8, [](CFunction& f) { return Pptp(f, 1, 1); }, "POST", "/goform/formPPTPSetup",
     kNone,
     "pptpIpMode=1&pptpIPAddr=10.1.1.2&pptpIPMaskAddr=255.0.0.0&pptpDfGateway=10.1.1.1"
     "&pptpUserName=u&pptpPassword=p&pptpGateway=10.9.8.7&pptpConntID=cid&pptpMTU=1460"
     "&pptpConnectType=1&pptpIdleTime=9&submit-url=%2Fwanpptp.asp&wanMode=3"},
    // ---- SetL2tp
    {"L2tp5Dhcp", 5, [](CFunction& f) { return L2tp(f, 0, 1); }, "POST", "/goform/formL2TPSetup",
     kFp,
     Mp({{"HostName", "h1"},
         {"macAddrValue", "MV"},
         {"Mac", "MAC1"},
         {"L2TPIpMode", "0"},
         {"wanMode", "6"},
         {"L2TPUserName", "u"},
         {"L2TPPassword", "p"},
         {"L2TPGateway", "10.9.8.7"},
         {"L2TPConntID", "cid"},
         {"L2TPMTU", "1460"},
         {"L2TPConnectType", "1"},
         {"L2TPIdleTime", "9"}})},
    {"L2tp1Fixed", 1, [](CFunction& f) { return L2tp(f, 1, 0); }, "POST", "/goform/formL2TPSetup",
     kFp,
     Mp({{"L2TPIPAddr", "10.1.1.2"},
         {"L2TPMaskAddr", "255.0.0.0"},
         {"L2TPDefGateway", "10.1.1.1"},
         {"L2TPIpMode", "1"},
         {"wanMode", "6"},
         {"L2TPUserName", "u"},
         {"L2TPPassword", "p"},
         {"L2TPGateway", "10.9.8.7"},
         {"L2TPConntID", "cid"},
         {"L2TPMTU", "1460"},
         {"L2TPConnectType", "0"}})},
    {"L2tp2Dhcp", 2, [](CFunction& f) { return L2tp(f, 0, 0); }, "POST",
     "/goform/asp_setL2tpWizard", kQ,
     "l2tpIpMode=0&username=u&password=p&wanmtu=1460&l2tpsrv=10.9.8.7&l2tpConnectType=0"
     "&dialOnDemand=0&autoReconnect=1\0"s},
    {"L2tp2Fixed", 2, [](CFunction& f) { return L2tp(f, 1, 1); }, "POST",
     "/goform/asp_setL2tpWizard", kQ,
     "l2tpIpMode=1&wanip_1=10&wanip_2=1&wanip_3=1&wanip_4=2&wansm_1=255&wansm_2=0&wansm_3=0"
     "&wansm_4=0&wangw_1=10&wangw_2=1&wangw_3=1&wangw_4=1&username=u&password=p&wanmtu=1460"
     "&l2tpsrv=10.9.8.7&l2tpConnectType=1&dialOnDemand=1&autoReconnect=1&silentTimeout=9\0"s},
    {"L2tp8Dhcp", 8, [](CFunction& f) { return L2tp(f, 0, 1); }, "POST", "/goform/formL2TPSetup",
     kNone,
     "L2TPIpMode=0&HostName=h1&Mac=MAC1&L2TPUserName=u&L2TPPassword=p&L2TPGateway=10.9.8.7"
     "&L2TPMTU=1460&L2TPConnectType=1&L2TPIdleTime=9&submit-url=%2Fwanl2tp.asp&wanMode=6"},
    {"L2tp8Fixed", 8, [](CFunction& f) { return L2tp(f, 1, 2); }, "POST", "/goform/formL2TPSetup",
     kNone,
     "L2TPIpMode=1&L2TPIPAddr=10.1.1.2&L2TPMaskAddr=255.0.0.0&L2TPDefGateway=10.1.1.1"
     "&L2TPUserName=u&L2TPPassword=p&L2TPGateway=10.9.8.7&L2TPMTU=1460&L2TPConnectType=2"
     "&submit-url=%2Fwanl2tp.asp&wanMode=6"},
    {"L2tp8NoMode", 8, [](CFunction& f) { return L2tp(f, 5, 0); }, "POST", "/goform/formL2TPSetup",
     kNone,
     "&L2TPUserName=u&L2TPPassword=p&L2TPGateway=10.9.8.7&L2TPMTU=1460&L2TPConnectType=0"
     "&submit-url=%2Fwanl2tp.asp&wanMode=6",
     1},
    // ---- SetTelstra
    {"Telstra1On", 1, [](CFunction& f) { return f.SetTelstra("bpuser", "bppw", "ON", "61.9.1.2"); },
     "POST", "/goform/formTELBPSetup", kFp,
     Mp({{"telBPUserName", "bpuser"},
         {"telBPPassword", "bppw"},
         {"telBPIPAddr", "61.9.1.2"},
         {"telBPEnabled", "ON"},
         {"wanMode", "4"}})},
    {"Telstra1LowerOn", 1,
     [](CFunction& f) { return f.SetTelstra("bpuser", "bppw", "on", "61.9.1.2"); }, "POST",
     "/goform/formTELBPSetup", kFp,
     Mp({{"telBPUserName", "bpuser"}, {"telBPPassword", "bppw"}, {"wanMode", "4"}})},
    {"Telstra2On", 2, [](CFunction& f) { return f.SetTelstra("bpuser", "bppw", "ON", "61.9.1.2"); },
     "POST", "/goform/asp_setDhcpClient", kQ,
     "telBPEnable=1&telBPUserName=bpuser&telBPPassword=bppw&telBPsvMode=1&wansv_1=61&wansv_2=9"
     "&wansv_3=1&wansv_4=2\0"s},
    {"Telstra2Off", 2, [](CFunction& f) { return f.SetTelstra("bpuser", "bppw", "", "61.9.1.2"); },
     "POST", "/goform/asp_setDhcpClient", kQ,
     "telBPEnable=1&telBPUserName=bpuser&telBPPassword=bppw&\0"s},
    // ---- SetSsid (the name as the page escaped it; the space is encoded on the wire only)
    {"Ssid1", 1, [](CFunction& f) { return f.SetSsid("my%2Enet x"); }, "POST",
     "/goform/formWlanSetup", kFp, Mp({{"ssid", "my%2Enet x"}})},
    {"Ssid2", 2, [](CFunction& f) { return f.SetSsid("my%2Enet x"); }, "GET",
     "/goform/asp_setWlanBasic?ssid0=my%2Enet%20x", kNone, ""},
    {"Ssid8", 8, [](CFunction& f) { return f.SetSsid("my%2Enet x"); }, "POST",
     "/goform/formWlanSetup", kNone, "ssid=my%2Enet x\0"s},
    // ---- SetWpaKey
    {"Wpa1", 1, [](CFunction& f) { return f.SetWpaKey("k%26ey"); }, "POST", "/goform/formWlEncrypt",
     kFp,
     Mp({{"method", "2"},
         {"format", "2"},
         {"wpaCipher", "1"},
         {"pskFormat", "0"},
         {"pskValue", "k%26ey"}})},
    {"Wpa2", 2, [](CFunction& f) { return f.SetWpaKey("k%26ey"); }, "GET",
     "/goform/asp_setWlanSecurity?cryptType0=2%09%09%09%09%09&cryptSubType0=0&authType0=0"
     "&key0=k%26ey",
     kNone, ""},
    {"Wpa8", 8, [](CFunction& f) { return f.SetWpaKey("k%26ey"); }, "POST", "/goform/formWlEncrypt",
     kNone,
     "wepEnabled=ON&method=2&length=1&format=2&defaultTxKeyId=1&key1=**********&wpaCipher=2"
     "&pskFormat=0&pskValue=k%26ey&sel1xMode=ON&radiusIP=&radiusPort=1812&radiusPass="
     "&submit-url=%2Fwireless.asp\0"s},
    // ---- DisableWirelessSecurity
    {"NoSec1", 1, [](CFunction& f) { return f.DisableWirelessSecurity(); }, "POST",
     "/goform/formWlEncrypt", kFp, Mp({{"method", "0"}})},
    {"NoSec2", 2, [](CFunction& f) { return f.DisableWirelessSecurity(); }, "POST",
     "/goform/asp_setWlanSecurity", kQ, "cryptType0=0&authType0=0\0"s},
    {"NoSec8", 8, [](CFunction& f) { return f.DisableWirelessSecurity(); }, "POST",
     "/goform/formWlEncrypt", kNone,
     "wepEnabled=ON&method=0&length=1&format=2&defaultTxKeyId=1&key1=**********&wpaCipher=1"
     "&pskFormat=0&pskValue=**********&sel1xMode=ON&radiusIP=&radiusPort=1812&radiusPass="
     "&submit-url=%2Fwireless.asp\0"s},
    // ---- SetAdminPassword (the query dialect's two steps have their own test)
    {"Password1", 1, [](CFunction& f) { return f.SetAdminPassword("5820", "n3w"); }, "POST",
     "/goform/formPasswordSetup", kFp,
     Mp({{"oldpass", "5820"}, {"newpass", "n3w"}, {"confpass", "n3w"}})},
    {"Password8", 8, [](CFunction& f) { return f.SetAdminPassword("5820", "n3w"); }, "POST",
     "/goform/formPasswordSetup", kNone,
     "oldpass=5820&newpass=n3w&confpass=n3w&submit-url=%2Fsyspasswd.asp"},
    // ---- RebootRouter
    {"Reboot1", 1, [](CFunction& f) { return f.RebootRouter(); }, "POST", "/goform/formReboot", kFp,
     Mp({{"reset_flag", "0"}, {"submit-url", "%2Ftlreset.asp"}})},
    {"Reboot2", 2, [](CFunction& f) { return f.RebootRouter(); }, "GET",
     "/goform/asp_restart?ExeFunc=System+Restart", kNone, ""},
    {"Reboot8", 8, [](CFunction& f) { return f.RebootRouter(); }, "POST", "/goform/formReboot",
     kNone, "\0"s},
};

class RouterRequests : public RouterWireTest, public ::testing::WithParamInterface<WireCase> {};

TEST_P(RouterRequests, SendsExactlyTheSpecifiedRequest) {
    const WireCase& c = GetParam();
    StartRouter(c.model);
    CFunction f;
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", c.model), 0);
    m_sim->ClearRequests();

    EXPECT_EQ(c.call(f), c.result);
    // After the login the connection sends its credentials at once: one request, no retry.
    const auto requests = m_sim->Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, c.method);
    EXPECT_EQ(r.target, c.target);
    EXPECT_EQ(r.Header("Content-Type"), c.contentType);
    EXPECT_EQ(r.body, c.body);
    EXPECT_EQ(r.Header("Content-Length"), c.method == "POST" ? std::to_string(c.body.size()) : "");
    EXPECT_EQ(r.Header("Authorization"), Basic("admin", "5820"));
    EXPECT_EQ(r.Header("Expect"), "");
}

INSTANTIATE_TEST_SUITE_P(AllDialects, RouterRequests, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- operations a model does not have, and model codes outside 1..8

TEST_F(RouterWireTest, NoRequestForMissingOperationsOrUnknownModels) {
    StartRouter(8);
    CFunction f;
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 8), 0);
    m_sim->ClearRequests();
    EXPECT_EQ(f.SetTelstra("u", "p", "ON", "1.2.3.4"), 1);
    EXPECT_TRUE(m_sim->Requests().empty());

    for (int model : {-1, 0, 9}) {
        CFunction g;
        ASSERT_EQ(g.ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
        m_sim->ClearRequests();
        EXPECT_EQ(g.SetSsid("x"), 1);
        EXPECT_EQ(g.SetPppoe("u", "p", "", "1492", 0, ""), 1);
        EXPECT_EQ(g.RebootRouter(), 1);
        EXPECT_EQ(g.SetAdminPassword("5820", "x"), 1);
        EXPECT_EQ(g.SetRouterLanguage(2), 1);
        EXPECT_TRUE(m_sim->Requests().empty()) << model;
    }
    // A client that never logged in has model -1 and no connection.
    CFunction fresh;
    EXPECT_EQ(fresh.m_nModel, -1);
    EXPECT_EQ(fresh.SetDhcpClient("h", "m", "m"), 1);
}

TEST_F(RouterWireTest, LanguageOnlyForModel8) {
    StartRouter(1);
    CFunction f;
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 1), 0);
    m_sim->ClearRequests();
    EXPECT_EQ(f.SetRouterLanguage(2), 1);
    EXPECT_TRUE(m_sim->Requests().empty());
}

TEST_F(RouterWireTest, RouterLanguageBodies) {
    const struct {
        int language;
        const char* body;
    } cases[] = {
        {1, "selected_language=0"},
        {2, "language_256=on&selected_language=256"},
        {3, "language_8=on&selected_language=8"},
        {4, "language_32=on&selected_language=32"},
        {5, "language_128=on&selected_language=128"},
        {6, "language_16=on&selected_language=16"},
        {7, "language_1024=on&selected_language=1024"},
        {8, "language_512=on&selected_language=512"},
        {9, "language_2=on&selected_language=2"},
        {10, "language_64=on&selected_language=64"},
        {11, "language_4096=on&selected_language=4096"},
        {12, "language_2048=on&selected_language=2048"},
        {13, "language_32768=on&selected_language=32768"},
        {14, "language_8192=on&selected_language=8192"},
        {15, "language_65536=on&selected_language=65536"},
        {16, "language_1=on&selected_language=1"},
        {0, "selected_language=0"},
        {17, "selected_language=0"},
    };
    StartRouter(8);
    CFunction f;
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 8), 0);
    for (const auto& c : cases) {
        m_sim->ClearRequests();
        EXPECT_EQ(f.SetRouterLanguage(c.language), 0);
        const auto requests = m_sim->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "POST");
        EXPECT_EQ(requests[0].target, "/goform/formWriteLanguage");
        EXPECT_EQ(requests[0].Header("Content-Type"), "");
        EXPECT_EQ(requests[0].body, c.body) << c.language;
    }
}

// The dialect follows the model code for every code: a sample request per model.
TEST_F(RouterWireTest, EveryModelPicksItsDialect) {
    const char* targets[] = {"",
                             "/goform/formWlanSetup",
                             "/goform/asp_setWlanBasic?ssid0=n",
                             "/goform/formWlanSetup",
                             "/goform/formWlanSetup",
                             "/goform/formWlanSetup",
                             "/goform/asp_setWlanBasic?ssid0=n",
                             "/goform/asp_setWlanBasic?ssid0=n",
                             "/goform/formWlanSetup"};
    for (int model = 1; model <= 8; ++model) {
        StartRouter(model);
        CFunction f;
        ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
        m_sim->ClearRequests();
        EXPECT_EQ(f.SetSsid("n"), 0);
        const auto requests = m_sim->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].target, targets[model]) << model;
        const bool multipart = model == 1 || model == 3 || model == 4 || model == 5;
        EXPECT_EQ(requests[0].Header("Content-Type"), multipart ? kFp : kNone) << model;
    }
}

}  // namespace
}  // namespace zavro::test
#endif
