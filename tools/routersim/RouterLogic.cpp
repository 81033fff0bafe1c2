#include "RouterLogic.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace routersim {
namespace {

using wire::Fields;

enum : unsigned { kFormPost = 1, kQuery = 2, kFormEncoded = 4, kFormFamilies = 5, kAll = 7 };

enum class Kind { Page, Setting, Upload, UpdateFirmware };

struct Route {
    std::string_view path;
    unsigned families;
    Kind kind;
    std::string_view methods;  // space separated
};

// Pages the submit-url redirects name are served too, for clients that follow them.
constexpr Route kRoutes[] = {
    {"/", kAll, Kind::Page, "GET HEAD"},
    {"/index.asp", kAll, Kind::Page, "GET HEAD"},
    {"/getflash.asp", kAll, Kind::Page, "GET HEAD"},
    {"/wlbasic.asp", kAll, Kind::Page, "GET HEAD"},
    {"/wandip.asp", kAll, Kind::Page, "GET HEAD"},
    {"/wansip.asp", kAll, Kind::Page, "GET HEAD"},
    {"/wanpppoe.asp", kAll, Kind::Page, "GET HEAD"},
    {"/wanpptp.asp", kAll, Kind::Page, "GET HEAD"},
    {"/wanl2tp.asp", kAll, Kind::Page, "GET HEAD"},
    {"/wireless.asp", kAll, Kind::Page, "GET HEAD"},
    {"/syspasswd.asp", kAll, Kind::Page, "GET HEAD"},
    {"/tlreset.asp", kAll, Kind::Page, "GET HEAD"},
    {"/tools.asp", kAll, Kind::Page, "GET HEAD"},
    {"/mgmt.asp", kAll, Kind::Page, "GET HEAD"},
    {"/upgrade.asp", kAll, Kind::Page, "GET HEAD"},
    {"/goform/formWanTcpipSetup", kFormFamilies, Kind::Setting, "POST"},
    {"/goform/formPPTPSetup", kFormFamilies, Kind::Setting, "POST"},
    {"/goform/formL2TPSetup", kFormFamilies, Kind::Setting, "POST"},
    {"/goform/formTELBPSetup", kFormPost, Kind::Setting, "POST"},
    {"/goform/formWlanSetup", kFormFamilies, Kind::Setting, "POST"},
    {"/goform/formWlEncrypt", kFormFamilies, Kind::Setting, "POST"},
    {"/goform/formPasswordSetup", kFormFamilies, Kind::Setting, "POST"},
    {"/goform/formReboot", kFormFamilies, Kind::Setting, "POST"},
    {"/goform/formWriteLanguage", kFormEncoded, Kind::Setting, "POST"},
    {"/goform/formUpload", kFormFamilies, Kind::Upload, "POST"},
    {"/goform/asp_setDhcpClient", kQuery, Kind::Setting, "POST"},
    {"/goform/asp_setStaticWizard", kQuery, Kind::Setting, "POST"},
    {"/goform/asp_setPppoeWizard", kQuery, Kind::Setting, "POST"},
    {"/goform/asp_setPptpWizard", kQuery, Kind::Setting, "POST"},
    {"/goform/asp_setL2tpWizard", kQuery, Kind::Setting, "POST"},
    {"/goform/asp_setWlanBasic", kQuery, Kind::Setting, "GET"},
    {"/goform/asp_setWlanSecurity", kQuery, Kind::Setting, "GET POST"},
    {"/goform/asp_setUser", kQuery, Kind::Setting, "GET"},
    {"/goform/asp_restart", kQuery, Kind::Setting, "GET"},
    {"/goform/asp_upload", kQuery, Kind::Upload, "POST"},
    {"/goform/asp_updateFW", kQuery, Kind::UpdateFirmware, "POST"},
};

constexpr std::string_view kFormBoundary = "/////////////////";
constexpr std::string_view kUploadBoundary = "---------------------------7da31c3b3304bc";
constexpr std::string_view kQueryUploadBoundary = "///***---***---***---***---***///";

unsigned FamilyBit(Dialect d) {
    switch (d) {
        case Dialect::FormPost:
            return kFormPost;
        case Dialect::Query:
            return kQuery;
        case Dialect::FormEncoded:
            return kFormEncoded;
    }
    return 0;
}

bool MethodAllowed(std::string_view methods, std::string_view method) {
    std::size_t pos = 0;
    while (pos < methods.size()) {
        std::size_t sp = methods.find(' ', pos);
        if (sp == std::string_view::npos) sp = methods.size();
        if (methods.substr(pos, sp - pos) == method) return true;
        pos = sp + 1;
    }
    return false;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           wire::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

Reply Simple(int status, std::string message) {
    Reply r;
    r.status = status;
    r.headers.emplace_back("Content-Type", "text/html");
    r.body = "<html><head><title>" + std::string(wire::Reason(status)) + "</title></head><body>" +
             message + "</body></html>\n";
    return r;
}

Reply Bad(std::string why) {
    return Simple(400, "Bad request: " + why);
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string JsonEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (u < 0x20) {
            static const char* hex = "0123456789abcdef";
            out += "\\u00";
            out.push_back(hex[u >> 4]);
            out.push_back(hex[u & 15]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool IsSecretField(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("pass") != std::string::npos || lower.find("psk") != std::string::npos ||
           lower.find("key") != std::string::npos;
}

std::string Mask(std::string_view secret) {
    return secret.empty() ? "" : "********";
}

// The first missing name, or "" when all are present.
std::string Missing(const Fields& fields, std::initializer_list<std::string_view> names) {
    for (auto n : names) {
        if (!wire::Get(fields, n)) return std::string(n);
    }
    return {};
}

std::string Value(const Fields& fields, std::string_view name) {
    const std::string* v = wire::Get(fields, name);
    return v ? *v : std::string();
}

// The four octet fields prefix_1 .. prefix_4.
std::string MissingOctets(const Fields& fields, std::string_view prefix) {
    for (int i = 1; i <= 4; ++i) {
        std::string n = std::string(prefix) + "_" + std::to_string(i);
        if (!wire::Get(fields, n)) return n;
    }
    return {};
}

bool ParseInt(std::string_view text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    out = n;
    return true;
}

// Settings are answered like the router's forms: a redirect to the page named by
// submit-url when the request carries one, a plain page otherwise.
Reply Accepted(const Fields& fields, bool allowRedirect = true) {
    Reply r = Simple(200, "Settings saved.");
    r.stateChanged = true;
    const std::string* url = wire::Get(fields, "submit-url");
    if (allowRedirect && url) {
        std::string target = wire::PercentDecode(*url);
        bool safe = !target.empty() && target.front() == '/' &&
                    std::none_of(target.begin(), target.end(), [](char c) {
                        auto u = static_cast<unsigned char>(c);
                        return u < 0x21 || u == 0x7F;
                    });
        if (safe) {
            r.status = 302;
            r.headers.emplace_back("Location", target);
            r.body = "<html><body>Moved to <a href=\"" + HtmlEscape(target) + "\">" +
                     HtmlEscape(target) + "</a></body></html>\n";
        }
    }
    return r;
}

void SetWan(State& state, int type, const Fields& fields) {
    state.wanType = type;
    state.wan.clear();
    for (const auto& [k, v] : fields) state.wan[k] = v;
}

// Validation of the connect-type dependent idle time and address-mode groups shared by
// the PPTP and L2TP forms of both form families.
std::string MissingTunnel(const Fields& f, Dialect d, bool l2tp) {
    const std::string modeName = l2tp ? "L2TPIpMode" : "pptpIpMode";
    std::string m = Missing(f, {modeName});
    if (!m.empty()) return m;
    std::string mode = Value(f, modeName);
    if (mode == "0") {
        m = d == Dialect::FormPost ? Missing(f, {"HostName", "macAddrValue", "Mac"})
                                   : Missing(f, {"HostName", "Mac"});
    } else if (mode == "1") {
        m = l2tp ? Missing(f, {"L2TPIPAddr", "L2TPMaskAddr", "L2TPDefGateway"})
                 : Missing(f, {"pptpIPAddr", "pptpIPMaskAddr", "pptpDfGateway"});
    }
    if (!m.empty()) return m;
    if (l2tp) {
        m = Missing(f, {"wanMode", "L2TPUserName", "L2TPPassword", "L2TPGateway", "L2TPMTU",
                        "L2TPConnectType"});
        if (m.empty() && d == Dialect::FormPost) m = Missing(f, {"L2TPConntID"});
        if (m.empty() && Value(f, "L2TPConnectType") == "1") m = Missing(f, {"L2TPIdleTime"});
        if (m.empty() && Value(f, "wanMode") != "6") m = "wanMode=6";
    } else {
        m = Missing(f, {"wanMode", "pptpUserName", "pptpPassword", "pptpGateway", "pptpConntID",
                        "pptpMTU", "pptpConnectType"});
        if (m.empty() && Value(f, "pptpConnectType") == "1") m = Missing(f, {"pptpIdleTime"});
        if (m.empty() && Value(f, "wanMode") != "3") m = "wanMode=3";
    }
    return m;
}

// Query-family connect-type flags (demand/dial-on-demand, reconnect, idle time).
std::string MissingQueryFlags(const Fields& f, std::string_view typeName, bool pppoe) {
    std::string m = Missing(f, {typeName});
    if (!m.empty()) return m;
    std::string type = Value(f, typeName);
    std::string demand = pppoe ? "demand0" : "dialOnDemand";
    std::string reconnect = pppoe ? "autoReconnect0" : "autoReconnect";
    std::string idle = pppoe ? "silentTimeout0" : "silentTimeout";
    if (type == "0" || type == "1" || type == "2") m = Missing(f, {demand, reconnect});
    if (m.empty() && type == "1") m = Missing(f, {idle});
    return m;
}

}  // namespace

Dialect DialectOf(int model) {
    switch (model) {
        case 2:
        case 6:
        case 7:
            return Dialect::Query;
        case 8:
            return Dialect::FormEncoded;
        default:
            return Dialect::FormPost;
    }
}

std::string_view DialectName(Dialect dialect) {
    switch (dialect) {
        case Dialect::FormPost:
            return "form-post";
        case Dialect::Query:
            return "query";
        case Dialect::FormEncoded:
            return "form-encoded";
    }
    return "";
}

// Layout of the answer (the client reads it by fixed offsets):
//   "HTTP/1.1 301 Moved Permanently\r\n"  the marker's last character 'y' is at index 29
//   fixed headers (Location, Content-Type, Content-Length of the fixed 512-byte body)
//   body: "<html><body><a href=%22" padded with spaces so that the window begins at
//   index 29 + 103 = 132 of the answer; the window is
//     PATH "%22>"                          path ends 4 characters before '<'
//     "<p>filename%3D" FILE "%22>"         value at "filename" + 11, ends 4 before '<'
//     "<p>startPos%3D" START "%26"         value at "startPos" + 11, ends at '%'
//     "endPos%3D" END "%26</p>"            value at "endPos" + 9, ends at '%'
//   and has to fit the 110 characters the client takes; the rest pads the body.
std::string UploadRedirect(const PendingUpload& upload) {
    const std::string path = "/upgrade.asp";
    const std::string status = "HTTP/1.1 301 Moved Permanently\r\n";
    constexpr std::size_t kBodySize = 512;
    const std::string headers =
        "Location: " + path +
        "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n";
    const std::string window = path + "%22><p>filename%3D" + upload.fileToken +
                               "%22><p>startPos%3D" + std::to_string(upload.startPos) +
                               "%26endPos%3D" + std::to_string(upload.endPos) + "%26</p>";
    const std::size_t windowAt = status.find("Moved Permanently") + 16 + 103;
    std::string body = "<html><body><a href=%22";
    const std::size_t before = status.size() + headers.size() + body.size();
    if (before < windowAt) body.append(windowAt - before, ' ');
    body += window;
    body += "</a></body></html>\n";
    if (body.size() < kBodySize) body.insert(body.size() - 8, kBodySize - body.size(), ' ');
    body.resize(kBodySize);
    return status + headers + body;
}

Reply RouterLogic::Handle(const Request& request) {
    const Dialect dialect = DialectOf(model);
    std::string_view target = request.target;
    std::size_t q = target.find('?');
    std::string_view path = target.substr(0, q);
    std::string_view query =
        q == std::string_view::npos ? std::string_view() : target.substr(q + 1);

    const Route* route = nullptr;
    for (const Route& r : kRoutes) {
        if (r.path == path) route = &r;
    }
    if (!route || !(route->families & FamilyBit(dialect))) {
        return Simple(404, "The page " + HtmlEscape(path) + " does not exist.");
    }

    bool authorised = false;
    std::string auth = request.Header("Authorization");
    if (StartsWithNoCase(auth, "Basic ")) {
        std::string_view token = std::string_view(auth).substr(6);
        while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
        auto decoded = wire::Base64Decode(token);
        authorised = decoded && *decoded == "admin:" + state.adminPassword;
    }
    if (!authorised) {
        Reply r = Simple(401, "Authorization required.");
        r.headers.emplace_back("WWW-Authenticate", "Basic realm=\"" + std::string(kRealm) + "\"");
        return r;
    }
    if (!MethodAllowed(route->methods, request.method)) {
        Reply r = Simple(405, "Method not allowed.");
        std::string allow(route->methods);
        std::replace(allow.begin(), allow.end(), ' ', ',');
        r.headers.emplace_back("Allow", allow);
        return r;
    }

    switch (route->kind) {
        case Kind::Page:
            return Page(path, request.method == "HEAD");
        case Kind::Upload:
            return Upload(dialect, path, request);
        case Kind::UpdateFirmware:
            return UpdateFirmware(wire::ParseQuery(wire::StripOneNul(request.body)));
        case Kind::Setting:
            break;
    }

    Fields fields;
    const std::string contentType = request.Header("Content-Type");
    if (dialect == Dialect::FormPost) {
        if (!StartsWithNoCase(contentType, "multipart/form-data") ||
            wire::BoundaryOf(contentType) != kFormBoundary) {
            return Bad("expected multipart/form-data with the form boundary");
        }
        std::vector<wire::Part> parts;
        if (!wire::ParseMultipart(wire::StripOneNul(request.body), kFormBoundary, parts)) {
            return Bad("malformed multipart body");
        }
        for (const auto& part : parts) {
            if (part.filename) return Bad("unexpected file part");
            fields.emplace_back(part.name, wire::PercentDecode(part.data));
        }
    } else if (dialect == Dialect::FormEncoded) {
        if (StartsWithNoCase(contentType, "multipart/")) return Bad("expected a form-encoded body");
        fields = wire::ParseQuery(wire::StripOneNul(request.body));
    } else if (request.method == "GET") {
        fields = wire::ParseQuery(query);
    } else {
        if (!StartsWithNoCase(contentType, "multipart/form-data")) {
            return Bad("expected Content-Type: multipart/form-data");
        }
        fields = wire::ParseQuery(wire::StripOneNul(request.body));
    }
    return Apply(dialect, path, request, fields);
}

Reply RouterLogic::Apply(Dialect d, std::string_view path, const Request& request,
                         const Fields& f) {
    std::string m;
    auto missing = [&](std::string name) { return Bad("missing or wrong field " + name); };

    if (path == "/goform/formWanTcpipSetup") {
        std::string mode = Value(f, "wanMode");
        int type = 0;
        if (mode == "0") {
            type = 1;
            m = d == Dialect::FormPost ? Missing(f, {"dynIPHostName", "macAddrValue", "macAddr"})
                                       : Missing(f, {"dynIPHostName", "macAddr"});
        } else if (mode == "1") {
            type = 2;
            m = Missing(f, {"ip", "mask", "dns1", "gateway", "dnsMode", "ipMode"});
        } else if (mode == "2") {
            type = 3;
            m = Missing(f, {"pppUserName", "pppPassword", "pppServName", "pppMTU", "pppConnectType",
                            "ipMode"});
            if (m.empty() && Value(f, "pppConnectType") == "1") m = Missing(f, {"pppIdleTime"});
        } else {
            return missing("wanMode");
        }
        if (!m.empty()) return missing(m);
        SetWan(state, type, f);
        return Accepted(f);
    }
    if (path == "/goform/formPPTPSetup" || path == "/goform/formL2TPSetup") {
        bool l2tp = path == "/goform/formL2TPSetup";
        m = MissingTunnel(f, d, l2tp);
        if (!m.empty()) return missing(m);
        SetWan(state, l2tp ? 5 : 4, f);
        return Accepted(f);
    }
    if (path == "/goform/formTELBPSetup") {
        m = Missing(f, {"telBPUserName", "telBPPassword", "wanMode"});
        if (m.empty() && wire::Get(f, "telBPEnabled")) m = Missing(f, {"telBPIPAddr"});
        if (m.empty() && Value(f, "wanMode") != "4") m = "wanMode=4";
        if (!m.empty()) return missing(m);
        SetWan(state, 6, f);
        return Accepted(f);
    }
    if (path == "/goform/asp_setDhcpClient") {
        if (Value(f, "telBPEnable") == "1") {
            m = Missing(f, {"telBPUserName", "telBPPassword"});
            if (m.empty() && Value(f, "telBPsvMode") == "1") m = MissingOctets(f, "wansv");
            if (!m.empty()) return missing(m);
            SetWan(state, 6, f);
        } else {
            m = Missing(f, {"dynIPHostName", "macAddrValue", "cmacToggle", "cmac1", "cmac2",
                            "cmac3", "cmac4", "cmac5", "cmac6"});
            if (!m.empty()) return missing(m);
            SetWan(state, 1, f);
        }
        return Accepted(f);
    }
    if (path == "/goform/asp_setStaticWizard") {
        for (auto prefix : {"wanip", "wansm", "wangw", "wandns"}) {
            if (m.empty()) m = MissingOctets(f, prefix);
        }
        if (!m.empty()) return missing(m);
        SetWan(state, 2, f);
        return Accepted(f);
    }
    if (path == "/goform/asp_setPppoeWizard") {
        m = Missing(f, {"username0", "password0", "serviceName0", "mtu0"});
        if (m.empty()) m = MissingQueryFlags(f, "pppoeConnectType", true);
        if (!m.empty()) return missing(m);
        SetWan(state, 3, f);
        return Accepted(f);
    }
    if (path == "/goform/asp_setPptpWizard" || path == "/goform/asp_setL2tpWizard") {
        bool l2tp = path == "/goform/asp_setL2tpWizard";
        std::string modeName = l2tp ? "l2tpIpMode" : "pptpIpMode";
        m = Missing(f, {modeName, "username", "password", "wanmtu"});
        if (m.empty() && Value(f, modeName) == "1") {
            for (auto prefix : {"wanip", "wansm", "wangw"}) {
                if (m.empty()) m = MissingOctets(f, prefix);
            }
        }
        if (m.empty()) m = l2tp ? Missing(f, {"l2tpsrv"}) : MissingOctets(f, "wansv");
        if (m.empty())
            m = MissingQueryFlags(f, l2tp ? "l2tpConnectType" : "pptpConnectType", false);
        if (!m.empty()) return missing(m);
        SetWan(state, l2tp ? 5 : 4, f);
        return Accepted(f);
    }
    if (path == "/goform/formWlanSetup" || path == "/goform/asp_setWlanBasic") {
        std::string name = path == "/goform/formWlanSetup" ? "ssid" : "ssid0";
        if (!wire::Get(f, name)) return missing(name);
        state.ssid = Value(f, name);
        return Accepted(f);
    }
    if (path == "/goform/formWlEncrypt") {
        std::string method = Value(f, "method");
        if (method == "2") {
            if (!wire::Get(f, "pskValue")) return missing("pskValue");
            state.securityOn = true;
            state.wpaKey = Value(f, "pskValue");
        } else if (method == "0") {
            state.securityOn = false;
        } else {
            return missing("method");
        }
        return Accepted(f);
    }
    if (path == "/goform/asp_setWlanSecurity") {
        // The client sends cryptType0 with trailing TABs ("2\t\t\t\t\t"); they are padding.
        std::string type = Value(f, "cryptType0");
        while (!type.empty() && (type.back() == '\t' || type.back() == ' ')) type.pop_back();
        if (type == "2" && request.method == "GET") {
            if (!wire::Get(f, "key0")) return missing("key0");
            state.securityOn = true;
            state.wpaKey = Value(f, "key0");
        } else if (type == "0" && request.method == "POST") {
            state.securityOn = false;
        } else {
            return missing("cryptType0");
        }
        return Accepted(f);
    }
    if (path == "/goform/formPasswordSetup") {
        m = Missing(f, {"oldpass", "newpass", "confpass"});
        if (!m.empty()) return missing(m);
        if (Value(f, "oldpass") != state.adminPassword) return Bad("current password is wrong");
        if (Value(f, "newpass") != Value(f, "confpass")) return Bad("passwords differ");
        state.adminPassword = Value(f, "newpass");
        // Answered 200, not redirected: the client counts only 200 as a changed password.
        return Accepted(f, false);
    }
    if (path == "/goform/asp_setUser") {
        m = Missing(f, {"account", "password", "password2"});
        if (!m.empty()) return missing(m);
        if (Value(f, "account") != "admin") return Bad("unknown account");
        if (Value(f, "password") != Value(f, "password2")) return Bad("passwords differ");
        state.adminPassword = Value(f, "password");
        return Accepted(f, false);
    }
    if (path == "/goform/formReboot" || path == "/goform/asp_restart") {
        if (d == Dialect::FormPost) {
            m = Missing(f, {"reset_flag"});
        } else if (d == Dialect::Query) {
            std::string exe = Value(f, "ExeFunc");
            if (exe != "System+Restart" && exe != "System Restart") m = "ExeFunc";
        } else if (!wire::StripOneNul(request.body).empty()) {
            return Bad("the restart form takes no fields");
        }
        if (!m.empty()) return missing(m);
        ++state.reboots;
        Reply r = Accepted(f);
        r.body = "<html><body>The router is restarting.</body></html>\n";
        r.close = true;
        r.after = Reply::After::Reboot;
        return r;
    }
    if (path == "/goform/formWriteLanguage") {
        int language = 0;
        if (!ParseInt(Value(f, "selected_language"), language)) return missing("selected_language");
        for (const auto& [k, v] : f) {
            if (k.rfind("language_", 0) == 0 && k != "language_" + std::to_string(language)) {
                return Bad("language flag differs from selected_language");
            }
        }
        state.webLanguage = language;
        return Accepted(f);
    }
    return Simple(404, "The page does not exist.");
}

Reply RouterLogic::Upload(Dialect d, std::string_view path, const Request& request) {
    const bool queryFamily = d == Dialect::Query;
    // The client names the form family's boundary in the head for both families; the
    // body of the query family uses its own, so the body is parsed with that one.
    const std::string contentType = request.Header("Content-Type");
    if (!StartsWithNoCase(contentType, "multipart/form-data") ||
        wire::BoundaryOf(contentType) != kUploadBoundary) {
        return Bad("expected multipart/form-data with the upload boundary");
    }
    const std::string_view boundary = queryFamily ? kQueryUploadBoundary : kUploadBoundary;
    const std::string_view partName = queryFamily ? "run.bin" : "binary";
    std::vector<wire::Part> parts;
    if (!wire::ParseMultipart(request.body, boundary, parts)) return Bad("malformed upload body");
    const wire::Part* image = nullptr;
    for (const auto& part : parts) {
        if (part.name == partName && part.filename) image = &part;
    }
    if (!image) return Bad("no image part");
    if (!queryFamily) {
        ++state.firmwareUploads;
        state.firmwareBytes = image->data.size();
        state.firmwareName = *image->filename;
        Reply r = Simple(200, "Firmware accepted; the router restarts.");
        r.stateChanged = true;
        r.close = true;
        r.after = Reply::After::FirmwareRestart;
        return r;
    }
    (void)path;
    pending_.active = true;
    pending_.fileToken = "/var/fw" + std::to_string(++uploadSerial_) + ".bin";
    pending_.startPos = static_cast<std::size_t>(image->data.data() - request.body.data());
    pending_.endPos = pending_.startPos + image->data.size();
    pending_.bytes = image->data.size();
    pending_.name = *image->filename;
    Reply r;
    r.status = 301;
    r.rawAnswer = UploadRedirect(pending_);
    return r;
}

Reply RouterLogic::UpdateFirmware(const Fields& f) {
    std::string m = Missing(f, {"filename", "startPos", "endPos"});
    if (!m.empty()) return Bad("missing or wrong field " + m);
    if (!pending_.active) return Bad("no image was uploaded");
    if (Value(f, "filename") != pending_.fileToken ||
        Value(f, "startPos") != std::to_string(pending_.startPos) ||
        Value(f, "endPos") != std::to_string(pending_.endPos)) {
        return Bad("the parameters do not match the uploaded image");
    }
    pending_.active = false;
    ++state.firmwareUploads;
    state.firmwareBytes = pending_.bytes;
    state.firmwareName = pending_.name;
    Reply r = Simple(200, "Firmware accepted; the router restarts.");
    r.stateChanged = true;
    r.close = true;
    r.after = Reply::After::FirmwareRestart;
    return r;
}

Reply RouterLogic::Page(std::string_view path, bool head) const {
    Reply r;
    r.headers.emplace_back("Content-Type", "text/html");
    if (path == "/" || path == "/index.asp") {
        r.body =
            "<html><head><title>Zavro Broadband Router</title></head><body>\n"
            "<h1>Zavro Broadband Router</h1>\n<p>Model " +
            std::to_string(model) +
            "</p>\n<a href=\"/wlbasic.asp\">Wireless</a> <a href=\"/tools.asp\">Tools</a>\n"
            "</body></html>\n";
    } else if (path == "/getflash.asp") {
        r.body = "<html><head><script>\nvar model=" + std::to_string(model) +
                 ";\nvar wanType=" + std::to_string(state.wanType) +
                 ";\nvar firmwareUploads=" + std::to_string(state.firmwareUploads) +
                 ";\n</script></head><body>Flash settings</body></html>\n";
    } else if (path == "/wlbasic.asp") {
        // The client takes the name from this comparison: marker, quote, name, quote, ')'.
        const std::string action = DialectOf(model) == Dialect::Query ? "/goform/asp_setWlanBasic"
                                                                      : "/goform/formWlanSetup";
        r.body =
            "<html><head><title>Wireless</title>\n<script>\nfunction saveChanges() {\n"
            "  if (" +
            std::string(kSsidMarker) + "\"" + state.ssid +
            "\")\n    document.wlanSetup.changed.value = 1;\n  return true;\n}\n"
            "</script></head><body>\n<form name=\"wlanSetup\" method=\"post\" action=\"" +
            action + "\">\n<input type=\"text\" name=\"ssid\" maxlength=\"32\" value=\"" +
            HtmlEscape(state.ssid) +
            "\">\n<input type=\"hidden\" name=\"changed\" value=\"0\">\n</form></body></html>\n";
    } else {
        r.body = "<html><body>" + HtmlEscape(path) + "</body></html>\n";
    }
    if (head) r.body.clear();
    return r;
}

std::string RouterLogic::StatusText(bool internetUp, std::size_t requests) const {
    std::string out = "{\n";
    auto add = [&](std::string_view key, const std::string& value, bool quote) {
        out += "  \"" + std::string(key) + "\": ";
        out += quote ? "\"" + JsonEscape(value) + "\"" : value;
        out += ",\n";
    };
    add("model", std::to_string(model), false);
    add("dialect", std::string(DialectName(DialectOf(model))), true);
    add("adminPassword", Mask(state.adminPassword), true);
    add("adminPasswordIsDefault", state.adminPassword == "5820" ? "true" : "false", false);
    add("wanType", std::to_string(state.wanType), false);
    std::string wan = "{";
    bool first = true;
    for (const auto& [k, v] : state.wan) {
        wan += first ? "" : ", ";
        first = false;
        wan += "\"" + JsonEscape(k) + "\": \"" + JsonEscape(IsSecretField(k) ? Mask(v) : v) + "\"";
    }
    wan += "}";
    add("wan", wan, false);
    add("ssid", state.ssid, true);
    add("securityOn", state.securityOn ? "true" : "false", false);
    add("wpaKey", Mask(state.wpaKey), true);
    add("webLanguage", std::to_string(state.webLanguage), false);
    add("reboots", std::to_string(state.reboots), false);
    add("firmwareUploads", std::to_string(state.firmwareUploads), false);
    add("firmwareBytes", std::to_string(state.firmwareBytes), false);
    add("firmwareName", state.firmwareName, true);
    add("internetUp", internetUp ? "true" : "false", false);
    out += "  \"requests\": " + std::to_string(requests) + "\n}\n";
    return out;
}

}  // namespace routersim
