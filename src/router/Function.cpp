#include "router/Function.h"

#include <cstdio>
#include <limits>
#include <new>
#include <string_view>

#include "platform/Platform.h"
#include "router/Answers.h"
#include "router/Encoding.h"

namespace zavro {

using router::Dialect;
using router::DialectOf;
using router::FormPostBody;
using router::kQueryPostHeader;
using router::MacPairs;
using router::SplitOctets;

namespace {

constexpr const char* kUserAgent = "Zavro";
const std::string kRouterHost = "192.168.2.1";

// The connect-type flags of the query dialect ("demand0"... for PPPoE, "dialOnDemand"... for
// the tunnels); any other connect type adds nothing. The idle time comes escaped.
std::string ConnectFlags(int type, const std::string& idle, bool pppoe) {
    const std::string demand = pppoe ? "demand0=" : "dialOnDemand=";
    const std::string reconnect = pppoe ? "&autoReconnect0=" : "&autoReconnect=";
    const std::string silent = pppoe ? "&silentTimeout0=" : "&silentTimeout=";
    switch (type) {
        case 0:
            return demand + "0" + reconnect + "1";
        case 1:
            return demand + "1" + reconnect + "1" + silent + idle;
        case 2:
            return demand + "0" + reconnect + "0";
        default:
            return {};
    }
}

// "<prefix>_1=a&<prefix>_2=b&<prefix>_3=c&<prefix>_4=d"
std::string OctetFields(const std::string& prefix, const std::string& address) {
    const auto o = SplitOctets(address);
    std::string out;
    for (int i = 0; i < 4; ++i) {
        if (i) out += '&';
        out += prefix + "_" + std::to_string(i + 1) + "=" + o[i];
    }
    return out;
}

std::string EscapeOnly(std::string_view text, std::string_view special) {
    return router::PercentEscape(text, [special](unsigned char b) {
        return special.find(static_cast<char>(b)) != std::string_view::npos;
    });
}

// Typed text inside a form-encoded or query body: only the bytes that would end the field
// or start an escape are escaped, so "a&b=c" arrives whole and a space stays a space.
std::string FieldValue(std::string_view text) {
    return EscapeOnly(text, "%&=+");
}

// Typed text inside a request target: as in a body, and "#" so the rest is not taken for a
// fragment; the transport encodes what a request line cannot carry.
std::string TargetValue(std::string_view text) {
    return EscapeOnly(text, "%&=+#");
}

std::string WithZero(std::string body) {
    body += '\0';
    return body;
}

// Pieces of the two upload families.
constexpr std::string_view kPartBoundary = "-----------------------------7da31c3b3304bc";
constexpr std::string_view kPartTail =
    "\r\n-----------------------------7da31c3b3304bc\r\nContent-Disposition: form-data; "
    "name=\"submit-url\"\r\n\r\n/tools.asp\r\n-----------------------------7da31c3b3304bc--\r\n";
static_assert(kPartTail.size() == 159);
constexpr std::string_view kQueryBoundary = "///***---***---***---***---***///";

}  // namespace

CFunction::CFunction() {
    if (IHttpClient* http = Ports().http) m_internet = http->Open(kUserAgent, kConnectTimeoutMs);
}

CFunction::~CFunction() = default;

std::unique_ptr<IHttpConnection> CFunction::Open(const std::string& strAccount,
                                                 const std::string& strPassword) {
    if (!m_internet) return nullptr;
    const Platform& ports = Ports();
    return m_internet->Connect(ports.routerHost, ports.routerPort, strAccount, strPassword);
}

FailCause FailCauseOf(NetError error) {
    switch (error) {
        case NetError::Unresolved: return FailCause::Unresolved;
        case NetError::Refused: return FailCause::Refused;
        case NetError::ConnectTimeout: return FailCause::ConnectTimeout;
        case NetError::NoAnswer: return FailCause::NoAnswer;
        case NetError::Closed: return FailCause::Closed;
        case NetError::Garbled: return FailCause::Garbled;
        // No connection at all (or an adapter that cannot say why).
        case NetError::None:
        case NetError::Unreachable: break;
    }
    return FailCause::Unreachable;
}

void CFunction::NoteStatus(int status) {
    if (status >= 200 && status <= 399)
        m_lastFailure = {};
    else if (status == 401)
        m_lastFailure = {FailCause::Login, status};
    else if (status >= 100 && status <= 999)
        m_lastFailure = {FailCause::HttpStatus, status};
    else
        m_lastFailure = {FailCause::Garbled, 0};
}

void CFunction::NoteTransport(NetError error) { m_lastFailure = {FailCauseOf(error), 0}; }

void CFunction::Note(const HttpResult& result) {
    if (result.ok)
        NoteStatus(result.status);
    else
        NoteTransport(result.error);
}

HttpResult CFunction::Send(const std::string& verb, const std::string& object,
                           const std::string& header, const std::string& body,
                           std::size_t readMax) {
    HttpResult result;
    if (m_pConnection) result = m_pConnection->Send(verb, object, header, body, readMax);
    Note(result);
    return result;
}

int CFunction::Post(const std::string& object, const std::string& header, const std::string& body) {
    const HttpResult r = Send("POST", object, header, body);
    return r.ok ? JudgeResponse(r.status) : 1;
}

int CFunction::Get(const std::string& object) {
    const HttpResult r = Send("GET", object);
    return r.ok ? JudgeResponse(r.status) : 1;
}

int CFunction::JudgeResponse(int nStatus) {
    if (nStatus >= 200 && nStatus <= 399) return 0;
    if (nStatus == 401) return 3;
    return 1;
}

void CFunction::EscapeSpecialChars(const std::string& strText) {
    m_strEscaped += router::EscapeText(strText);
}

int CFunction::GetFirmwareModel(const std::string&, std::istream&) {
    return 8;
}

// ---- login and reads ----

int CFunction::ConnectRouter(const std::string&, const std::string& strAccount,
                             const std::string& strPassword, int nModel) {
    m_nModel = nModel;
    m_pConnection = Open(strAccount, strPassword);
    const HttpResult r = Send("GET", "index.asp");
    if (!r.ok) {
        m_pConnection.reset();
        return 1;
    }
    if (r.status == 401) return 3;
    if (r.status == 404) return 2;
    m_lastFailure = {};  // any other answer counts as the router answering
    return 0;
}

int CFunction::TestLogin(const std::string&, const std::string& strAccount,
                         const std::string& strPassword) {
    m_pConnection = Open(strAccount, strPassword);
    const HttpResult first = Send("GET", "index.asp");
    if (!first.ok) return 1;
    if (first.status == 200) {
        // Only the transport outcome of the wrong-password login counts.
        m_pConnection = Open(strAccount, kWrongPassword);
        if (!Send("GET", "index.asp").ok) return 1;
    }
    Note(first);
    return JudgeResponse(first.status);
}

void CFunction::ReadPcMacAddress() {
    IAdapterList* adapters = Ports().adapters;
    if (!adapters) return;
    const auto address = adapters->FirstAdapterAddress();
    if (!address) return;
    std::string mac;
    for (std::uint8_t b : *address) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%.2X", b);
        mac += hex;
    }
    m_strPcMac = mac;
}

std::optional<std::string> CFunction::ReadSsid(const std::string& strPassword) {
    m_pConnection = Open("admin", strPassword);
    const HttpResult r = Send("GET", "wlbasic.asp", {}, {}, 2999);
    // An error page holds no wireless name: reading one would show a made-up name.
    if (!r.ok || r.status >= 400) return std::nullopt;
    const std::string text = r.body.substr(0, r.body.find('\0'));
    return router::ExtractSsid(text);
}

int CFunction::CheckInternet() {
    if (!m_internet) return 0;
    const Platform& ports = Ports();
    for (int attempt = 0; attempt < 3; ++attempt) {
        NetError why = NetError::None;
        if (m_internet->OpenUrl(ports.homeUrl, &why)) {
            m_lastFailure = {};
            if (ports.shell) ports.shell->Execute("open", ports.homeUrl, "", "", ShowMode::Normal);
            return 1;
        }
        // An answer with an error status: the port does not say which.
        if (why == NetError::None)
            m_lastFailure = {FailCause::HttpStatus, 0};
        else
            NoteTransport(why);
    }
    return 0;
}

// ---- WAN requests ----

int CFunction::SetDhcpClient(const std::string& strHostName, const std::string& strMacValue,
                             const std::string& strMac) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost:
            return Post("/goform/formWanTcpipSetup", FormPostBody::Header(),
                        FormPostBody()
                            .Text("dynIPHostName", strHostName)
                            .Text("macAddrValue", strMacValue)
                            .Text("macAddr", strMac)
                            .Text("wanMode", "0")
                            .Finish());
        case Dialect::Query: {
            const auto p = MacPairs(strMac);
            std::string body = "dynIPHostName=" + FieldValue(strHostName) +
                               "&macAddrValue=" + strMacValue + "&cmacToggle=on";
            for (int i = 0; i < 6; ++i) body += "&cmac" + std::to_string(i + 1) + "=" + p[i];
            return Post("/goform/asp_setDhcpClient", std::string(kQueryPostHeader), WithZero(body));
        }
        case Dialect::FormEncoded:
            return Post("/goform/formWanTcpipSetup", "",
                        "dynIPHostName=" + FieldValue(strHostName) + "&macAddr=" + strMac +
                            "&submit-url=%2Fwandip.asp&wanMode=0");
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::SetFixedIp(const std::string& strIp, const std::string& strMask,
                          const std::string& strDns, const std::string& strGateway) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost:
            return Post("/goform/formWanTcpipSetup", FormPostBody::Header(),
                        FormPostBody()
                            .Text("ip", strIp)
                            .Text("mask", strMask)
                            .Text("dns1", strDns)
                            .Text("gateway", strGateway)
                            .Number("wanMode", 1)
                            .Text("dnsMode", "dnsManual")
                            .Text("ipMode", "fixedIp")
                            .Finish());
        case Dialect::Query:
            return Post(
                "/goform/asp_setStaticWizard", std::string(kQueryPostHeader),
                WithZero(OctetFields("wanip", strIp) + "&" + OctetFields("wansm", strMask) + "&" +
                         OctetFields("wangw", strGateway) + "&" + OctetFields("wandns", strDns)));
        case Dialect::FormEncoded:
            // This family takes the DNS server from the WAN side; dns1 goes out empty.
            return Post("/goform/formWanTcpipSetup", "",
                        "ip=" + strIp + "&mask=" + strMask + "&dns1=&gateway=" + strGateway +
                            "&submit-url=%2Fwansip.asp&wanMode=1&ipMode=fixedIp&dnsMode=dnsManual");
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::SetPppoe(const std::string& strUser, const std::string& strPassword,
                        const std::string& strService, const std::string& strMtu, int nConnectType,
                        const std::string& strIdleTime) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost: {
            FormPostBody body;
            body.Text("pppUserName", strUser)
                .Text("pppPassword", strPassword)
                .Text("pppServName", strService)
                .Text("pppMTU", strMtu)
                .Number("pppConnectType", nConnectType);
            if (nConnectType == 1) body.Text("pppIdleTime", strIdleTime);
            body.Number("wanMode", 2).Text("ipMode", "ppp");
            return Post("/goform/formWanTcpipSetup", FormPostBody::Header(), body.Finish());
        }
        case Dialect::Query:
            return Post("/goform/asp_setPppoeWizard", std::string(kQueryPostHeader),
                        WithZero("username0=" + FieldValue(strUser) +
                                 "&password0=" + FieldValue(strPassword) + "&serviceName0=" +
                                 FieldValue(strService) + "&mtu0=" + FieldValue(strMtu) +
                                 "&pppoeConnectType=" + std::to_string(nConnectType) + "&" +
                                 ConnectFlags(nConnectType, FieldValue(strIdleTime), true)));
        case Dialect::FormEncoded: {
            std::string body;
            if (nConnectType == 0 || nConnectType == 1 || nConnectType == 2) {
                body = "pppUserName=" + FieldValue(strUser) +
                       "&pppPassword=" + FieldValue(strPassword) +
                       "&pppServName=" + FieldValue(strService) + "&pppMTU=" + FieldValue(strMtu) +
                       "&pppConnectType=" + std::to_string(nConnectType);
                if (nConnectType == 1) body += "&pppIdleTime=" + FieldValue(strIdleTime);
                body += "&submit-url=%2Fwanpppoe.asp&wanMode=2&ipMode=ppp";
            }
            return Post("/goform/formWanTcpipSetup", "", body);
        }
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::SetPptp(int nAddrMode, const std::string& strHostName,
                       const std::string& strMacValue, const std::string& strMac,
                       const std::string& strIp, const std::string& strMask,
                       const std::string& strGateway, const std::string& strUser,
                       const std::string& strPassword, const std::string& strServer,
                       const std::string& strConnId, const std::string& strMtu, int nConnectType,
                       const std::string& strIdleTime) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost: {
            FormPostBody body;
            if (nAddrMode == 0)
                body.Text("HostName", strHostName)
                    .Text("macAddrValue", strMacValue)
                    .Text("Mac", strMac);
            if (nAddrMode == 1)
                body.Text("pptpIPAddr", strIp)
                    .Text("pptpIPMaskAddr", strMask)
                    .Text("pptpDfGateway", strGateway);
            body.Number("pptpIpMode", nAddrMode)
                .Number("wanMode", 3)
                .Text("pptpUserName", strUser)
                .Text("pptpPassword", strPassword)
                .Text("pptpGateway", strServer)
                .Text("pptpConntID", strConnId)
                .Text("pptpMTU", strMtu)
                .Number("pptpConnectType", nConnectType);
            if (nConnectType == 1) body.Text("pptpIdleTime", strIdleTime);
            return Post("/goform/formPPTPSetup", FormPostBody::Header(), body.Finish());
        }
        case Dialect::Query: {
            std::string body;
            if (nAddrMode == 0) body = "pptpIpMode=0&";
            if (nAddrMode == 1)
                body = "pptpIpMode=1&" + OctetFields("wanip", strIp) + "&" +
                       OctetFields("wansm", strMask) + "&" + OctetFields("wangw", strGateway) + "&";
            body += "username=" + FieldValue(strUser) + "&password=" + FieldValue(strPassword) +
                    "&wanmtu=" + FieldValue(strMtu) + "&";
            body += OctetFields("wansv", strServer) + "&";
            body += "pptpConnectType=" + std::to_string(nConnectType) + "&";
            body += ConnectFlags(nConnectType, FieldValue(strIdleTime), false);
            return Post("/goform/asp_setPptpWizard", std::string(kQueryPostHeader), WithZero(body));
        }
        case Dialect::FormEncoded: {
            std::string body;
            if (nAddrMode == 0)
                body = "pptpIpMode=0&HostName=" + FieldValue(strHostName) + "&Mac=" + strMac + "&";
            if (nAddrMode == 1)
                body = "pptpIpMode=1&pptpIPAddr=" + strIp + "&pptpIPMaskAddr=" + strMask +
                       "&pptpDfGateway=" + strGateway + "&";
            body += "pptpUserName=" + FieldValue(strUser) +
                    "&pptpPassword=" + FieldValue(strPassword) +
                    "&pptpGateway=" + FieldValue(strServer) +
                    "&pptpConntID=" + FieldValue(strConnId) + "&pptpMTU=" + FieldValue(strMtu) +
                    "&pptpConnectType=" + std::to_string(nConnectType);
            if (nConnectType == 1) body += "&pptpIdleTime=" + FieldValue(strIdleTime);
            body += "&submit-url=%2Fwanpptp.asp&wanMode=3";
            return Post("/goform/formPPTPSetup", "", body);
        }
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::SetL2tp(int nAddrMode, const std::string& strHostName,
                       const std::string& strMacValue, const std::string& strMac,
                       const std::string& strIp, const std::string& strMask,
                       const std::string& strGateway, const std::string& strUser,
                       const std::string& strPassword, const std::string& strServer,
                       const std::string& strConnId, const std::string& strMtu, int nConnectType,
                       const std::string& strIdleTime) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost: {
            FormPostBody body;
            if (nAddrMode == 0)
                body.Text("HostName", strHostName)
                    .Text("macAddrValue", strMacValue)
                    .Text("Mac", strMac);
            if (nAddrMode == 1)
                body.Text("L2TPIPAddr", strIp)
                    .Text("L2TPMaskAddr", strMask)
                    .Text("L2TPDefGateway", strGateway);
            body.Number("L2TPIpMode", nAddrMode)
                .Number("wanMode", 6)
                .Text("L2TPUserName", strUser)
                .Text("L2TPPassword", strPassword)
                .Text("L2TPGateway", strServer)
                .Text("L2TPConntID", strConnId)
                .Text("L2TPMTU", strMtu)
                .Number("L2TPConnectType", nConnectType);
            if (nConnectType == 1) body.Text("L2TPIdleTime", strIdleTime);
            return Post("/goform/formL2TPSetup", FormPostBody::Header(), body.Finish());
        }
        case Dialect::Query: {
            std::string body;
            if (nAddrMode == 0) body = "l2tpIpMode=0&";
            if (nAddrMode == 1)
                body = "l2tpIpMode=1&" + OctetFields("wanip", strIp) + "&" +
                       OctetFields("wansm", strMask) + "&" + OctetFields("wangw", strGateway) + "&";
            body += "username=" + FieldValue(strUser) + "&password=" + FieldValue(strPassword) +
                    "&wanmtu=" + FieldValue(strMtu) + "&l2tpsrv=" + FieldValue(strServer) + "&";
            body += "l2tpConnectType=" + std::to_string(nConnectType) + "&";
            body += ConnectFlags(nConnectType, FieldValue(strIdleTime), false);
            return Post("/goform/asp_setL2tpWizard", std::string(kQueryPostHeader), WithZero(body));
        }
        case Dialect::FormEncoded: {
            std::string body;
            if (nAddrMode == 0)
                body = "L2TPIpMode=0&HostName=" + FieldValue(strHostName) + "&Mac=" + strMac;
            if (nAddrMode == 1)
                body = "L2TPIpMode=1&L2TPIPAddr=" + strIp + "&L2TPMaskAddr=" + strMask +
                       "&L2TPDefGateway=" + strGateway;
            body += "&L2TPUserName=" + FieldValue(strUser) +
                    "&L2TPPassword=" + FieldValue(strPassword) +
                    "&L2TPGateway=" + FieldValue(strServer) + "&L2TPMTU=" + FieldValue(strMtu) +
                    "&L2TPConnectType=" + std::to_string(nConnectType);
            if (nConnectType == 1) body += "&L2TPIdleTime=" + FieldValue(strIdleTime);
            body += "&submit-url=%2Fwanl2tp.asp&wanMode=6";
            return Post("/goform/formL2TPSetup", "", body);
        }
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::SetTelstra(const std::string& strUser, const std::string& strPassword,
                          const std::string& strServerSwitch, const std::string& strServer) {
    const bool on = strServerSwitch == "ON";
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost: {
            FormPostBody body;
            body.Text("telBPUserName", strUser).Text("telBPPassword", strPassword);
            if (on) body.Text("telBPIPAddr", strServer).Text("telBPEnabled", strServerSwitch);
            body.Number("wanMode", 4);
            return Post("/goform/formTELBPSetup", FormPostBody::Header(), body.Finish());
        }
        case Dialect::Query: {
            std::string body = "telBPEnable=1&telBPUserName=" + FieldValue(strUser) +
                               "&telBPPassword=" + FieldValue(strPassword) + "&";
            if (on) body += "telBPsvMode=1&" + OctetFields("wansv", strServer);
            return Post("/goform/asp_setDhcpClient", std::string(kQueryPostHeader), WithZero(body));
        }
        case Dialect::FormEncoded:  // this family has no such request
        case Dialect::None:
            break;
    }
    return 1;
}

// ---- wireless, password, restart, language ----

int CFunction::SetSsid(const std::string& strSsid) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost:
            return Post("/goform/formWlanSetup", FormPostBody::Header(),
                        FormPostBody().Text("ssid", strSsid).Finish());
        case Dialect::Query:
            return Get("/goform/asp_setWlanBasic?ssid0=" + strSsid);
        case Dialect::FormEncoded:
            return Post("/goform/formWlanSetup", "", WithZero("ssid=" + strSsid));
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::SetWpaKey(const std::string& strKey) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost:
            return Post("/goform/formWlEncrypt", FormPostBody::Header(),
                        FormPostBody()
                            .Number("method", 2)
                            .Number("format", 2)
                            .Number("wpaCipher", 1)
                            .Number("pskFormat", 0)
                            .Text("pskValue", strKey)
                            .Finish());
        case Dialect::Query:
            return Get(
                "/goform/asp_setWlanSecurity?cryptType0=2\t\t\t\t\t&cryptSubType0=0"
                "&authType0=0&key0=" +
                strKey);
        case Dialect::FormEncoded:
            return Post("/goform/formWlEncrypt", "",
                        WithZero("wepEnabled=ON&method=2&length=1&format=2&defaultTxKeyId=1"
                                 "&key1=**********&wpaCipher=2&pskFormat=0&pskValue=" +
                                 strKey +
                                 "&sel1xMode=ON&radiusIP=&radiusPort=1812&radiusPass="
                                 "&submit-url=%2Fwireless.asp"));
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::DisableWirelessSecurity() {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost:
            return Post("/goform/formWlEncrypt", FormPostBody::Header(),
                        FormPostBody().Number("method", 0).Finish());
        case Dialect::Query:
            return Post("/goform/asp_setWlanSecurity", std::string(kQueryPostHeader),
                        WithZero("cryptType0=0&authType0=0"));
        case Dialect::FormEncoded:
            return Post("/goform/formWlEncrypt", "",
                        WithZero("wepEnabled=ON&method=0&length=1&format=2&defaultTxKeyId=1"
                                 "&key1=**********&wpaCipher=1&pskFormat=0&pskValue=**********"
                                 "&sel1xMode=ON&radiusIP=&radiusPort=1812&radiusPass="
                                 "&submit-url=%2Fwireless.asp"));
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::JudgePassword(const HttpResult& result) {
    if (!result.ok) return 1;
    switch (result.status) {
        case 200:
            return 0;
        case 401:
            return 3;
        case 404:
            return 2;
        default:
            return 1;
    }
}

int CFunction::SetAdminPassword(const std::string& strCurrent, const std::string& strNew) {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost:
            return JudgePassword(Send("POST", "/goform/formPasswordSetup", FormPostBody::Header(),
                                      FormPostBody()
                                          .Text("oldpass", strCurrent)
                                          .Text("newpass", strNew)
                                          .Text("confpass", strNew)
                                          .Finish(),
                                      999));
        case Dialect::FormEncoded:
            return JudgePassword(
                Send("POST", "/goform/formPasswordSetup", "",
                     "oldpass=" + FieldValue(strCurrent) + "&newpass=" + FieldValue(strNew) +
                         "&confpass=" + FieldValue(strNew) + "&submit-url=%2Fsyspasswd.asp",
                     999));
        case Dialect::Query: {
            // The change's own answer is not judged: only a fresh login with the new
            // password shows that the router took it.
            if (!Send("GET", "/goform/asp_setUser?account=admin&password=" + TargetValue(strNew) +
                                 "&password2=" + TargetValue(strNew))
                     .ok)
                return 1;
            m_pConnection = Open("admin", strNew);
            return JudgePassword(Send("GET", "getflash.asp", {}, {}, 999));
        }
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::RebootRouter() {
    switch (DialectOf(m_nModel)) {
        case Dialect::FormPost:
            return Post("/goform/formReboot", FormPostBody::Header(),
                        FormPostBody()
                            .Number("reset_flag", 0)
                            .Text("submit-url", "%2Ftlreset.asp")
                            .Finish());
        case Dialect::Query:
            return Get("/goform/asp_restart?ExeFunc=System+Restart");
        case Dialect::FormEncoded:
            return Post("/goform/formReboot", "", std::string(1, '\0'));
        case Dialect::None:
            break;
    }
    return 1;
}

int CFunction::SetRouterLanguage(int nLanguage) {
    if (m_nModel != 8) return 1;
    static constexpr struct {
        int language;
        const char* value;
    } kCodes[] = {{2, "256"},   {3, "8"},      {4, "32"},    {5, "128"},    {6, "16"},
                  {7, "1024"},  {8, "512"},    {9, "2"},     {10, "64"},    {11, "4096"},
                  {12, "2048"}, {13, "32768"}, {14, "8192"}, {15, "65536"}, {16, "1"}};
    std::string body = "selected_language=0";
    for (const auto& c : kCodes) {
        if (c.language == nLanguage) {
            body = std::string("language_") + c.value + "=on&selected_language=" + c.value;
            break;
        }
    }
    return Post("/goform/formWriteLanguage", "", body);
}

// ---- firmware upload ----

std::string CFunction::FormatPostHeader(const std::string& strPath, const std::string& strReferer,
                                        const std::string& strHost, std::int64_t nContentLength) {
    return "POST " + strPath + " HTTP/1.1\r\nReferer: " + strReferer +
           "\r\nContent-Type: multipart/form-data; "
           "boundary=---------------------------7da31c3b3304bc\r\nHost: " +
           strHost + "\r\nContent-Length: " + std::to_string(nContentLength) +
           "\r\nAuthorization: Basic " + m_strAuth + "\r\n\r\n";
}

namespace {

// Length of the open image, or -1 when it cannot be told.
std::int64_t FileLength(std::istream& file) {
    file.clear();
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    file.seekg(0, std::ios::beg);
    // A folder or device reports no usable length (a folder may claim the largest offset);
    // refusing it here keeps the length sums below from overflowing.
    if (!file || end < 0 || end > std::numeric_limits<std::int32_t>::max()) return -1;
    return static_cast<std::int64_t>(end);
}

// The whole request in one buffer: head, body head, the image read straight into place,
// body tail. Empty when the image cannot be read whole or the request would not fit the
// 32-bit length the router family counts in.
std::string BuildUpload(const std::string& head, const std::string& bodyHead, std::istream& file,
                        std::int64_t fileLength, std::string_view tail) {
    const std::int64_t fixed =
        static_cast<std::int64_t>(head.size() + bodyHead.size() + tail.size());
    // Checked before adding: a folder opened as a file reports a length near INT64_MAX.
    if (fileLength < 0 || fileLength > std::numeric_limits<std::int32_t>::max() - fixed) return {};
    const std::int64_t total = fixed + fileLength;
    std::string buffer;
    try {
        buffer.resize(static_cast<std::size_t>(total));
    } catch (const std::bad_alloc&) {
        return {};
    }
    char* out = buffer.data();
    out = std::copy(head.begin(), head.end(), out);
    out = std::copy(bodyHead.begin(), bodyHead.end(), out);
    if (fileLength > 0) {
        file.read(out, static_cast<std::streamsize>(fileLength));
        if (file.gcount() != static_cast<std::streamsize>(fileLength)) return {};
        out += fileLength;
    }
    std::copy(tail.begin(), tail.end(), out);
    return buffer;
}

}  // namespace

// An answer arrived and is not a refusal. Only a whole status line with an error code
// (wrong password, malformed message) says the router did not take the image; a first
// chunk that stops inside the status line, or holds none, is still an answer.
bool CFunction::Answered(CClientSocket& socket) {
    if (socket.ReceiveChunk(0) != 1) {
        NoteTransport(socket.LastError());
        return false;
    }
    const int status = router::AnswerStatus(socket.Text());
    if (status < 400) {
        m_lastFailure = {};
        return true;
    }
    NoteStatus(status);
    return false;
}

bool CFunction::SendAll(CClientSocket& socket, const std::string& buffer) {
    const long sent = socket.Send(buffer.data(), buffer.size());
    if (sent > 0 && static_cast<std::size_t>(sent) == buffer.size()) return true;
    NoteTransport(socket.LastError());
    return false;
}

int CFunction::UploadFirmware(const std::string& strFileName, std::istream& file, int nModel) {
    m_lastFailure = {};
    m_strAuth = router::Base64Encode("admin:" + m_strAuthPassword);
    switch (nModel) {
        case 1:
        case 3:
        case 4:
        case 5:
        case 8:
            return UploadOnePart(strFileName, file);
        default:
            return UploadQuery(strFileName, file);
    }
}

int CFunction::UploadOnePart(const std::string& strFileName, std::istream& file) {
    if (!m_pSocket) return 0;
    const std::int64_t length = FileLength(file);
    if (length < 0) return 0;
    const std::string bodyHead = std::string(kPartBoundary) +
                                 "\r\nContent-Disposition: form-data;name=\"binary\"; filename=\"" +
                                 strFileName +
                                 "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    const std::int64_t contentLength = static_cast<std::int64_t>(bodyHead.size()) + length +
                                       static_cast<std::int64_t>(kPartTail.size());
    const std::string head = FormatPostHeader(
        "/goform/formUpload", "http://" + kRouterHost + "/tools.asp", kRouterHost, contentLength);
    std::string buffer = BuildUpload(head, bodyHead, file, length, kPartTail);
    if (buffer.empty()) return 0;
    m_nRawLength = static_cast<std::int32_t>(buffer.size());
    if (!SendAll(*m_pSocket, buffer)) return 0;
    std::string().swap(buffer);
    return Answered(*m_pSocket) ? 1 : 0;
}

int CFunction::UploadQuery(const std::string& strFileName, std::istream& file) {
    if (!m_pSocket || !m_pSocket2) return 0;
    const std::int64_t length = FileLength(file);
    if (length < 0) return 0;
    const std::string bodyHead =
        "--" + std::string(kQueryBoundary) +
        "\r\nContent-Disposition: form-data; name=\"run.bin\"; filename=\"" + strFileName +
        "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    const std::string tail = "\r\n--" + std::string(kQueryBoundary) + "--";
    const std::int64_t contentLength =
        static_cast<std::int64_t>(bodyHead.size() + tail.size()) + length;
    const std::string head = FormatPostHeader(
        "/goform/asp_upload", "http://" + kRouterHost + "/mgmt.asp", kRouterHost, contentLength);
    {
        std::string buffer = BuildUpload(head, bodyHead, file, length, tail);
        if (buffer.empty()) return 0;
        m_nRawLength = static_cast<std::int32_t>(buffer.size());
        // The answer decides, not the send: the router may answer before taking it all.
        m_pSocket->Send(buffer.data(), buffer.size());
    }
    if (!Answered(*m_pSocket)) return 0;

    const std::string text = m_pSocket->FindValue("Moved Permanently", 110, 3000);
    if (text.empty()) {
        m_lastFailure = {FailCause::Garbled, 0};
        return 0;
    }
    const router::UploadRedirect redirect = router::ParseRedirect(text);
    const std::string body = redirect.Body();
    const std::string second =
        FormatPostHeader("/goform/asp_updateFW", "http://" + kRouterHost + redirect.path,
                         kRouterHost, static_cast<std::int64_t>(body.size())) +
        body;
    m_nRawLength = static_cast<std::int32_t>(second.size());
    if (!SendAll(*m_pSocket2, second)) return 0;
    return Answered(*m_pSocket2) ? 1 : 0;
}

}  // namespace zavro
