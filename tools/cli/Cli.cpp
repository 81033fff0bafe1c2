#include "Cli.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Output.h"
#include "Terminal.h"
#include "app/InputRules.h"
#include "app/Texts.h"
#include "pages/UploadRunner.h"
#include "platform/Platform.h"
#include "platform/posix/CurlHttp.h"
#include "router/Function.h"
#include "router/RouterAddress.h"

namespace zavro::cli {

namespace {

constexpr const char* kRouterAddress = "192.168.2.1";  // Ports() decides where it goes
constexpr const char* kAccount = "admin";
constexpr const char* kFactoryPassword = "5820";
constexpr int kDefaultModel = 8;
constexpr double kDefaultRestartLimitS = 150;  // the wizard's wait after a restart
constexpr std::uint32_t kRestartPollMs = 1000;

// ---- failures ----

// Ends the command: exit code, JSON fields and the line for a person.
struct Stop {
    int exit = kExitFailed;
    std::string result;   // "failed", "login_refused", "bad_input", "bad_usage"
    std::string message;  // for a person
    Answer fields;        // what JSON adds after command, result and exit
};

Stop BadInputStop(const std::string& option, const std::string& message) {
    Stop s{kExitUsage, "bad_input", option + " " + message, {}};
    s.fields.Text("option", option);
    return s;
}

Stop UsageStop(const std::string& message) {
    return {kExitUsage, "bad_usage", message, {}};
}

// The router takes these texts as ANSI bytes.
constexpr const char* kAnsiOnly = "must hold only characters of Windows-1252 (Western European)";

// The option and the allowed values for what a rule refused.
Stop Refuse(BadInput bad) {
    switch (bad) {
        case BadInput::AddressMode:
            return BadInputStop("--address", "must be dynamic or fixed");
        case BadInput::MacLength:
            return BadInputStop("--mac", "must be 12 hexadecimal digits (or left out)");
        case BadInput::HostNameQuote:
            return BadInputStop("--host-name", "must not contain ' or \"");
        case BadInput::Ip:
            return BadInputStop(
                "--ip", "must be an address a.b.c.d with a from 1 to 223 and d from 1 to 254");
        case BadInput::Mask:
            return BadInputStop("--mask",
                                "must be a subnet mask of 1 to 31 leading one bits, such as "
                                "255.255.255.0");
        case BadInput::Gateway:
            return BadInputStop("--gateway",
                                "must be 0.0.0.0 (none) or an address a.b.c.d with a from 1 to "
                                "223 and d from 1 to 254");
        case BadInput::Dns:
            return BadInputStop("--dns", "must not be empty");
        case BadInput::MacDigits:
            return BadInputStop("--mac", "must be 12 hexadecimal digits (0-9, a-f, A-F)");
        case BadInput::Mtu:
            return BadInputStop(
                "--mtu", "must be " + std::to_string(kMtuMin) + " to " + std::to_string(kMtuMax));
        case BadInput::IdleTime:
            return BadInputStop("--idle", "must be " + std::to_string(kIdleMin) + " to " +
                                              std::to_string(kIdleMax) +
                                              " (minutes) with --connect on-demand");
        case BadInput::User:
            return BadInputStop("--user", "must not be empty");
        case BadInput::Password:
            return BadInputStop("--account-password-file", "must hold a password (not empty)");
        case BadInput::Ssid:
            return BadInputStop("--ssid",
                                "must be 1 to " + std::to_string(kSsidLimit) + " characters");
        case BadInput::WpaKey:
            return BadInputStop("--key-file", "must hold a key of " + std::to_string(kWpaKeyMin) +
                                                  " to " + std::to_string(kWpaKeyMax) +
                                                  " characters");
        case BadInput::UserNotAnsi:
            return BadInputStop("--user", kAnsiOnly);
        case BadInput::PasswordNotAnsi:
            return BadInputStop("--account-password-file", kAnsiOnly);
        case BadInput::HostNameNotAnsi:
            return BadInputStop("--host-name", kAnsiOnly);
        case BadInput::ServiceNotAnsi:
            return BadInputStop("--service", kAnsiOnly);
        case BadInput::ConnectionIdNotAnsi:
            return BadInputStop("--connection-id", kAnsiOnly);
        case BadInput::None:
            break;
    }
    return UsageStop("input refused");
}

void Require(BadInput bad) {
    if (bad != BadInput::None) throw Refuse(bad);
}

// A text longer than its page's field takes; the message never shows the text itself.
void Limit(const std::string& option, const std::string& value, std::size_t limit) {
    if (value.size() > limit)
        throw BadInputStop(option, "must be at most " + std::to_string(limit) + " characters");
}

// A typed WAN text, checked, as the ANSI bytes the router gets; its limit counts those.
std::string AnsiText(const std::string& option, const std::string& value, BadInput notAnsi,
                     std::size_t limit) {
    Require(CheckAnsiText(value, notAnsi));
    std::string ansi = Utf8ToAnsi(value);
    Limit(option, ansi, limit);
    return ansi;
}

// The cause fields of a failure, and its short name after the message.
void AddCause(Stop& s, const RouterFailure& failure) {
    if (failure.cause == FailCause::None) {
        s.fields.Raw("cause", "null");
    } else {
        s.message += std::string(" (") + FailCauseName(failure.cause) + ")";
        s.fields.Text("cause", FailCauseName(failure.cause));
    }
    if (failure.httpStatus) s.fields.Number("http_status", failure.httpStatus);
}

// A router result that is not 0: why, as far as it is known.
[[noreturn]] void RouterFailed(const CFunction& function, int code, const std::string& step) {
    RouterFailure failure = function.LastFailure();
    // Two codes say the status by themselves.
    if (failure.cause == FailCause::None && code == 3) failure = {FailCause::Login, 401};
    if (failure.cause == FailCause::None && code == 2) failure = {FailCause::HttpStatus, 404};
    const bool login = failure.cause == FailCause::Login;
    Stop s{login ? kExitLogin : kExitFailed, login ? "login_refused" : "failed", "", {}};
    const std::string why = DescribeFailure(failure);
    s.message = step + " failed: " + (why.empty() ? "the router failed or did not answer" : why);
    s.fields.Text("step", step).Number("code", code);
    AddCause(s, failure);
    throw s;
}

void Judge(const CFunction& function, int code, const std::string& step) {
    if (code != 0) RouterFailed(function, code, step);
}

// ---- the command line ----

struct OptionSpec {
    const char* name;
    const char* value;  // nullptr for a flag
    const char* help;
};

struct Context;

struct CommandSpec {
    const char* name;
    const char* operand;  // "" or the positional argument's name
    const char* summary;
    std::vector<OptionSpec> options;
    void (*run)(Context&);
};

struct Context {
    const CommandSpec* command = nullptr;
    std::map<std::string, std::string> options;  // given command options ("" for flags)
    std::string operand;
    int model = kDefaultModel;
    std::string passwordFile;
    std::uint32_t timeoutMs = 0;  // 0: the client's own
    posix::CurlHttpClient* http = nullptr;
    Answer answer;     // fields a command adds when done
    std::string done;  // the line for a person when done
    std::optional<std::string> routerPassword;

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    std::string Get(const std::string& name, const std::string& fallback = "") const {
        const auto it = options.find(name);
        return it == options.end() ? fallback : it->second;
    }

    // The admin password: --password-file, ZAVRO_PASSWORD, a prompt at a terminal, else
    // the router's factory password.
    const std::string& Password() {
        if (routerPassword) return *routerPassword;
        if (!passwordFile.empty()) {
            routerPassword = ReadSecretFile(passwordFile);
            if (!routerPassword) throw BadInputStop("--password-file", "cannot be read");
        } else if (const char* env = std::getenv("ZAVRO_PASSWORD")) {
            routerPassword = env;
        } else if (auto typed = PromptHidden("Router password for admin (Enter: factory "
                                             "password): ")) {
            routerPassword = typed->empty() ? kFactoryPassword : *typed;
        } else {
            routerPassword = kFactoryPassword;
        }
        return *routerPassword;
    }
};

// An option that has no default.
std::string Required(const Context& ctx, const std::string& option, const std::string& what) {
    if (!ctx.Has(option)) throw BadInputStop(option, "is required: " + what);
    return ctx.Get(option);
}

// --server as the page's address field holds it: four numbers of 0 to 255.
std::string ServerOption(const Context& ctx) {
    const auto octets = ParseDotted(ctx.Get("--server", "0.0.0.0"));
    if (!octets) throw BadInputStop("--server", "must be an address a.b.c.d of numbers 0 to 255");
    return std::to_string((*octets)[0]) + "." + std::to_string((*octets)[1]) + "." +
           std::to_string((*octets)[2]) + "." + std::to_string((*octets)[3]);
}

// A secret of a command: its file option, else the prompt at a terminal; "" when neither.
std::string CommandSecret(Context& ctx, const std::string& option, const std::string& prompt) {
    if (ctx.Has(option)) {
        const auto text = ReadSecretFile(ctx.Get(option));
        if (!text) throw BadInputStop(option, "cannot be read");
        return *text;
    }
    return PromptHidden(prompt).value_or("");
}

// Opens the connection with the admin password and the model, as every page does first.
void Connect(Context& ctx, CFunction& function) {
    Judge(function, function.ConnectRouter(kRouterAddress, kAccount, ctx.Password(), ctx.model),
          "login");
}

int ConnectMode(const Context& ctx) {
    const std::string mode = ctx.Get("--connect", "continuous");
    if (mode == "continuous") return kConnectContinuous;
    if (mode == "on-demand") return kConnectOnDemand;
    if (mode == "manual") return kConnectManual;
    throw BadInputStop("--connect", "must be continuous, on-demand or manual");
}

// --mac, or with --clone-mac this PC's adapter address once the router answered.
std::string MacOption(const Context& ctx) {
    if (ctx.Has("--mac") && ctx.Has("--clone-mac"))
        throw UsageStop("--mac and --clone-mac exclude each other");
    return ctx.Get("--mac");
}

// ---- commands ----

void RunCheck(Context& ctx) {
    CFunction function;
    Judge(function, function.TestLogin(kRouterAddress, kAccount, ctx.Password()), "login");
}

void RunSsid(Context& ctx) {
    CFunction function;
    Connect(ctx, function);
    const auto name = function.ReadSsid(ctx.Password());
    if (!name) RouterFailed(function, 1, "read");
    ctx.answer.Text("ssid", *name);
    ctx.done = *name;
}

void RunDhcp(Context& ctx) {
    std::string host = ctx.Get("--host-name");
    std::string mac = MacOption(ctx);
    Require(CheckCableModem(host, mac));
    host = AnsiText("--host-name", host, BadInput::HostNameNotAnsi, kHostNameLimit);
    CFunction function;
    Connect(ctx, function);
    function.ReadPcMacAddress();
    if (ctx.Has("--clone-mac")) mac = function.m_strPcMac;
    Judge(function, function.SetDhcpClient(host, function.m_strPcMac, mac), "request");
}

void RunStatic(Context& ctx) {
    // The page's DNS field is fixed at 0.0.0.0; its mask is proposed as 255.255.255.0.
    const std::string ip = Required(ctx, "--ip", "the WAN address a.b.c.d"),
                      mask = ctx.Get("--mask", "255.255.255.0"), dns = "0.0.0.0",
                      gateway = ctx.Get("--gateway", "0.0.0.0");
    Require(CheckFixedIp(ip, mask, dns, gateway));
    CFunction function;
    Connect(ctx, function);
    Judge(function, function.SetFixedIp(ip, mask, dns, gateway), "request");
}

struct Account {
    std::string user, password, mtu, idle;
    int mode = kConnectContinuous;
};

// The account name and its password (file or prompt), each within the field's length.
void ReadUserPassword(Context& ctx, const char* what, Account& a) {
    a.user = Required(ctx, "--user", "the account name");
    Limit("--user", Utf8ToAnsi(a.user), kAccountLimit);
    a.password = CommandSecret(ctx, "--account-password-file",
                               std::string(what) + " password for " + a.user + ": ");
    Limit("--account-password-file", Utf8ToAnsi(a.password), kAccountLimit);
}

// Once the rules took them: the account as the ANSI bytes the router gets.
void AccountToAnsi(Account& a) {
    a.user = Utf8ToAnsi(a.user);
    a.password = Utf8ToAnsi(a.password);
}

// User, password, MTU and connection mode of the PPPoE and tunnel pages, checked.
Account ReadAccount(Context& ctx, const char* what) {
    Account a;
    a.mtu = ctx.Get("--mtu", "1392");
    a.idle = ctx.Get("--idle");
    a.mode = ConnectMode(ctx);
    ReadUserPassword(ctx, what, a);
    Require(CheckAccount(a.user, a.password, a.mtu, a.mode, a.idle));
    AccountToAnsi(a);
    return a;
}

void RunPppoe(Context& ctx) {
    const std::string service =
        AnsiText("--service", ctx.Get("--service"), BadInput::ServiceNotAnsi, kServiceLimit);
    const Account a = ReadAccount(ctx, "PPPoE");
    CFunction function;
    Connect(ctx, function);
    function.ReadPcMacAddress();
    Judge(function, function.SetPppoe(a.user, a.password, service, a.mtu, a.mode, a.idle),
          "request");
}

void RunTunnel(Context& ctx, bool l2tp) {
    const std::string address = Required(ctx, "--address", "dynamic or fixed");
    const int addrMode = address == "dynamic" ? 0 : address == "fixed" ? 1 : -1;
    std::string host = ctx.Get("--host-name");
    const std::string ip = ctx.Get("--ip", "0.0.0.0"), mask = ctx.Get("--mask", "255.255.255.0"),
                      gateway = ctx.Get("--gateway", "0.0.0.0"), server = ServerOption(ctx);
    std::string mac = MacOption(ctx);
    Require(CheckTunnelAddress(addrMode, host, mac, ip, mask, gateway));
    host = AnsiText("--host-name", host, BadInput::HostNameNotAnsi, kHostNameLimit);
    // Models 6 and 7 have the field disabled: nothing can be typed there.
    const std::string typedId = ctx.Get("--connection-id");
    if (!typedId.empty() && (ctx.model == 6 || ctx.model == 7))
        throw BadInputStop("--connection-id", "is not taken by models 6 and 7");
    const std::string connectionId =
        AnsiText("--connection-id", typedId, BadInput::ConnectionIdNotAnsi, kConnectionIdLimit);
    const Account a = ReadAccount(ctx, l2tp ? "L2TP" : "PPTP");
    CFunction function;
    Connect(ctx, function);
    function.ReadPcMacAddress();
    if (ctx.Has("--clone-mac")) mac = function.m_strPcMac;
    const auto request = l2tp ? &CFunction::SetL2tp : &CFunction::SetPptp;
    Judge(function,
          (function.*request)(addrMode, host, function.m_strPcMac, mac, ip, mask, gateway, a.user,
                              a.password, server, connectionId, a.mtu, a.mode, a.idle),
          "request");
}

void RunPptp(Context& ctx) {
    RunTunnel(ctx, false);
}
void RunL2tp(Context& ctx) {
    RunTunnel(ctx, true);
}

void RunBigpond(Context& ctx) {
    if (ctx.model == 8) throw UsageStop("model 8 has no BigPond request (models 1 to 7 have)");
    Account a;
    ReadUserPassword(ctx, "BigPond", a);
    Require(CheckTelstra(a.user, a.password));
    AccountToAnsi(a);
    // The login-server box of the page: on when an address is given.
    const std::string serverSwitch = ctx.Has("--server") ? "ON" : "";
    const std::string server = ServerOption(ctx);
    CFunction function;
    Connect(ctx, function);
    Judge(function, function.SetTelstra(a.user, a.password, serverSwitch, server), "request");
}

void Reboot(CFunction& function) {
    Judge(function, function.RebootRouter(), "reboot");
}

void RunWireless(Context& ctx) {
    const std::string ssid = ctx.Get("--ssid");
    Limit("--ssid", ssid, kSsidLimit);
    Require(CheckSsid(ssid));
    CFunction function;
    Connect(ctx, function);
    function.EscapeSpecialChars(ssid);
    Judge(function, function.SetSsid(function.m_strEscaped), "request");
    if (ctx.Has("--reboot")) Reboot(function);
}

void RunWpa(Context& ctx) {
    const bool off = ctx.Has("--off");
    if (off == ctx.Has("--key-file")) throw UsageStop("give either --key-file F or --off");
    std::string key;
    if (!off) {
        key = CommandSecret(ctx, "--key-file", "");
        Require(CheckWpaKey(key));
    }
    CFunction function;
    Connect(ctx, function);
    if (off) {
        Judge(function, function.DisableWirelessSecurity(), "request");
    } else {
        function.EscapeSpecialChars(key);
        Judge(function, function.SetWpaKey(function.m_strEscaped), "request");
    }
    // The page restarts the router after every accepted change.
    if (!ctx.Has("--no-reboot")) Reboot(function);
}

void RunAdminPassword(Context& ctx) {
    const std::string fresh = CommandSecret(ctx, "--new-file", "New router password: ");
    if (fresh.empty()) throw BadInputStop("--new-file", "must hold the new password (not empty)");
    Limit("--new-file", fresh, kNewPasswordLimit);
    CFunction function;
    Connect(ctx, function);
    Judge(function, function.SetAdminPassword(ctx.Password(), fresh), "request");
}

void RunReboot(Context& ctx) {
    CFunction function;
    Connect(ctx, function);
    Reboot(function);
}

void RunLanguage(Context& ctx) {
    char* end = nullptr;
    const long language = std::strtol(ctx.operand.c_str(), &end, 10);
    if (ctx.operand.empty() || *end != '\0' || language < kLanguageMin || language > kLanguageMax)
        throw BadInputStop("N", "must be a language number from " + std::to_string(kLanguageMin) +
                                    " to " + std::to_string(kLanguageMax));
    if (ctx.model != 8) throw UsageStop("only model 8 takes the language of its web pages");
    CFunction function;
    Connect(ctx, function);
    Judge(function, function.SetRouterLanguage(static_cast<int>(language)), "request");
}

void RunUpload(Context& ctx) {
    std::ifstream file(ctx.operand, std::ios::binary);
    if (ctx.operand.empty() || !file)
        throw BadInputStop("FILE", JsonString(ctx.operand) + " cannot be read");
    {
        CFunction function;
        if (function.GetFirmwareModel(ctx.operand, file) != ctx.model)
            throw BadInputStop("FILE", JsonString(ctx.operand) + " is not an image for model " +
                                           std::to_string(ctx.model));
        file.clear();
        file.seekg(0);
        // The upload has no refusal of its own: a wrong password shows at the login.
        Connect(ctx, function);
    }
    UploadJob job;
    job.path = ctx.operand;
    job.password = ctx.Password();
    job.model = ctx.model;
    Platform& ports = Ports();
    ITcpFactory* plain = ports.tcp;
    std::optional<ProgressTcpFactory> progress;
    if (StderrIsTerminal() && plain) {
        progress.emplace(*plain);
        ports.tcp = &*progress;
    }
    RouterFailure why;
    const int result = RunUpload(job, file, &why);
    ports.tcp = plain;
    if (result != 1) {
        Stop s{kExitFailed, "failed", "upload failed: the router did not take the image", {}};
        s.fields.Text("step", "upload");
        AddCause(s, why);
        throw s;
    }
}

void RunInternet(Context& ctx) {
    CFunction function;
    if (function.CheckInternet() != 1) {
        Stop s{
            kExitFailed, "failed", "the Internet page " + Ports().homeUrl + " was not reached", {}};
        s.fields.Flag("internet", false);
        throw s;
    }
    ctx.answer.Flag("internet", true);
    ctx.done = "the Internet page " + Ports().homeUrl + " was reached";
}

double Seconds(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0 || value > 3600)
        throw BadInputStop(option, "must be a number of seconds above 0 and up to 3600");
    return value;
}

void RunWaitRestart(Context& ctx) {
    const double limitS =
        ctx.Has("--limit") ? Seconds("--limit", ctx.Get("--limit")) : kDefaultRestartLimitS;
    const auto limitMs = static_cast<std::uint64_t>(limitS * 1000);
    IClock& clock = *Ports().clock;
    const std::uint64_t start = clock.NowMs();
    for (;;) {
        const std::uint64_t elapsed = clock.NowMs() - start;
        if (elapsed >= limitMs) break;
        // No single try may outlast the limit.
        const std::uint64_t left = limitMs - elapsed;
        const std::uint64_t tryMs = ctx.timeoutMs && ctx.timeoutMs < left ? ctx.timeoutMs : left;
        ctx.http->SetTimeouts(static_cast<std::uint32_t>(tryMs), static_cast<std::uint32_t>(tryMs));
        CFunction function;
        const int code =
            function.ConnectRouter(kRouterAddress, kAccount, ctx.Password(), ctx.model);
        // Any answer means it is back; a refused password is still the caller's to know.
        if (code == 0) {
            ctx.answer.Number("waited_ms", static_cast<long>(clock.NowMs() - start));
            return;
        }
        if (code != 1) RouterFailed(function, code, "login");
        if (clock.NowMs() - start + kRestartPollMs >= limitMs) break;
        clock.SleepMs(kRestartPollMs);
    }
    char limitText[32];
    std::snprintf(limitText, sizeof limitText, "%g", limitS);
    Stop s{kExitFailed,
           "failed",
           std::string("the router did not answer within ") + limitText + " s",
           {}};
    s.fields.Text("step", "wait").Raw("cause", "null");
    throw s;
}

// ---- the table ----

const OptionSpec kAccountOptions[] = {
    {"--user", "NAME", "account name at the provider (1 to 64 characters)"},
    {"--account-password-file", "F", "file holding the account's password (- for stdin)"},
    {"--mtu", "N", "MTU, 512 to 1492 (default 1392)"},
    {"--connect", "MODE", "continuous (default), on-demand or manual"},
    {"--idle", "MIN", "idle time before hanging up, 1 to 1000 (with on-demand)"},
};

std::vector<OptionSpec> Tunnel() {
    std::vector<OptionSpec> o = {
        {"--address", "MODE", "dynamic (DHCP) or fixed WAN address"},
        {"--host-name", "NAME", "host name (dynamic; at most 30 characters, no quotes)"},
        {"--mac", "HEX12", "WAN MAC address to clone (dynamic)"},
        {"--clone-mac", nullptr, "clone this PC's adapter address"},
        {"--ip", "A.B.C.D", "WAN address (fixed)"},
        {"--mask", "A.B.C.D", "subnet mask (fixed; default 255.255.255.0)"},
        {"--gateway", "A.B.C.D", "default gateway (fixed; default 0.0.0.0, none)"},
        {"--server", "A.B.C.D", "the tunnel server's address (default 0.0.0.0)"},
        {"--connection-id", "ID", "connection ID (at most 30 characters; not models 6, 7)"},
    };
    o.insert(o.end(), std::begin(kAccountOptions), std::end(kAccountOptions));
    return o;
}

std::vector<OptionSpec> Pppoe() {
    std::vector<OptionSpec> o(std::begin(kAccountOptions), std::end(kAccountOptions));
    o.insert(o.begin() + 2, {"--service", "NAME", "service name (at most 30 characters)"});
    return o;
}

const std::vector<CommandSpec>& Commands() {
    static const std::vector<CommandSpec> commands = {
        {"check", "", "reach the router and log in", {}, RunCheck},
        {"ssid", "", "read the router's wireless name", {}, RunSsid},
        {"dhcp",
         "",
         "WAN by DHCP (cable modem)",
         {{"--host-name", "NAME", "host name (at most 30 characters, no quotes)"},
          {"--mac", "HEX12", "WAN MAC address to clone"},
          {"--clone-mac", nullptr, "clone this PC's adapter address"}},
         RunDhcp},
        {"static",
         "",
         "fixed WAN address",
         {{"--ip", "A.B.C.D", "WAN address"},
          {"--mask", "A.B.C.D", "subnet mask (default 255.255.255.0)"},
          {"--gateway", "A.B.C.D", "default gateway (default 0.0.0.0, none)"}},
         RunStatic},
        {"pppoe", "", "WAN by PPPoE", Pppoe(), RunPppoe},
        {"pptp", "", "WAN by PPTP", Tunnel(), RunPptp},
        {"l2tp", "", "WAN by L2TP", Tunnel(), RunL2tp},
        {"bigpond",
         "",
         "WAN by Telstra BigPond (models 1 to 7)",
         {{"--user", "NAME", "account name"},
          {"--account-password-file", "F", "file holding the account's password (- for stdin)"},
          {"--server", "A.B.C.D", "login server's address (left out: none)"}},
         RunBigpond},
        {"wireless",
         "",
         "set the wireless name",
         {{"--ssid", "NAME", "wireless name, 1 to 32 characters"},
          {"--reboot", nullptr, "restart the router afterwards"}},
         RunWireless},
        {"wpa",
         "",
         "set the WPA key, or switch wireless security off; then restart the router",
         {{"--key-file", "F", "file holding the key, 8 to 63 characters (- for stdin)"},
          {"--off", nullptr, "switch wireless security off"},
          {"--no-reboot", nullptr, "do not restart the router afterwards"}},
         RunWpa},
        {"admin-password",
         "",
         "change the router's admin password",
         {{"--new-file", "F", "file holding the new password, 1 to 30 characters (- for stdin)"}},
         RunAdminPassword},
        {"reboot", "", "restart the router", {}, RunReboot},
        {"language",
         "N",
         "set the language of the router's web pages (model 8), N 1 to 16",
         {},
         RunLanguage},
        {"upload", "FILE", "upload a firmware image (progress on a terminal)", {}, RunUpload},
        {"internet", "", "check that the Internet page can be reached", {}, RunInternet},
        {"wait-restart",
         "",
         "wait until the router answers again",
         {{"--limit", "SECONDS", "give up after this long (default 150)"}},
         RunWaitRestart},
    };
    return commands;
}

const OptionSpec kGlobalOptions[] = {
    {"--router", "HOST[:PORT]", "router address (default ZAVRO_ROUTER, else 192.168.2.1:80)"},
    {"--model", "N", "router model code 1 to 8 (default 8); it picks the request dialect"},
    {"--password-file", "F",
     "file holding the admin password (else ZAVRO_PASSWORD, a prompt "
     "at a terminal, or the factory password)"},
    {"--timeout", "SECONDS", "time limit of each exchange (default 300)"},
    {"--json", nullptr, "answer with one JSON object"},
    {"--help", nullptr, "this help; after a command, the command's help"},
};

std::string OptionLines(std::span<const OptionSpec> options) {
    std::string out;
    for (const OptionSpec& o : options) {
        std::string line = std::string("  ") + o.name + (o.value ? std::string(" ") + o.value : "");
        if (line.size() < 34) line.resize(34, ' ');
        // Help text wrapped at 90 columns under its own start.
        std::string_view rest = o.help;
        while (!rest.empty()) {
            const std::size_t space = rest.find(' ');
            const std::string_view word = rest.substr(0, space);
            if (line.size() > 35 && line.size() + 1 + word.size() > 90) {
                out += line + "\n";
                line = std::string(34, ' ');
            }
            line += " " + std::string(word);
            rest = space == std::string_view::npos ? "" : rest.substr(space + 1);
        }
        out += line + "\n";
    }
    return out;
}

std::string ProgramHelp() {
    std::string out =
        "usage: zavro-cli [--router HOST[:PORT]] [--model N] [--password-file F] [--json]\n"
        "                 COMMAND [options]\n\noptions:\n" +
        OptionLines(kGlobalOptions) + "\ncommands:\n";
    for (const CommandSpec& c : Commands()) {
        std::string head =
            std::string("  ") + c.name + (*c.operand ? std::string(" ") + c.operand : "");
        if (head.size() < 22) head.resize(22, ' ');
        out += head + " " + c.summary + "\n";
    }
    out +=
        "\nexit codes: 0 done, 1 the router failed or did not answer, 2 bad usage or input,\n"
        "3 login refused. zavro-cli COMMAND --help describes a command.\n";
    return out;
}

std::string CommandHelp(const CommandSpec& c) {
    std::string out = std::string("usage: zavro-cli [global options] ") + c.name +
                      (*c.operand ? std::string(" ") + c.operand : "") +
                      (c.options.empty() ? "" : " [options]") + "\n" + c.summary + "\n";
    if (!c.options.empty()) out += "\noptions:\n" + OptionLines(c.options);
    return out;
}

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, std::string_view name) {
    for (const OptionSpec& o : options)
        if (name == o.name) return &o;
    return nullptr;
}

const CommandSpec* FindCommand(std::string_view name) {
    for (const CommandSpec& c : Commands())
        if (name == c.name) return &c;
    return nullptr;
}

bool IsSecretOnCommandLine(std::string_view arg) {
    for (std::string_view word : {"--password", "--key", "--new", "--account-password"})
        if (arg == word || (arg.size() > word.size() && arg.substr(0, word.size()) == word &&
                            arg[word.size()] == '='))
            return true;
    return false;
}

// What Run prints: the answer for a finished command or a stop.
int Report(bool json, const Stop* stop, const Context& ctx) {
    const std::string command = ctx.command ? ctx.command->name : "";
    if (json) {
        Answer a;
        if (!command.empty()) a.Text("command", command);
        a.Text("result", stop ? stop->result : "done");
        a.Number("exit", stop ? stop->exit : kExitDone);
        a.Append(stop ? stop->fields : ctx.answer);
        if (stop) a.Text("message", stop->message);
        std::printf("%s\n", a.Json().c_str());
    } else if (stop) {
        std::fprintf(stderr, "zavro-cli%s%s: %s\n", command.empty() ? "" : " ", command.c_str(),
                     stop->message.c_str());
        if (stop->result == "bad_usage" && command.empty())
            std::fputs(ProgramHelp().c_str(), stderr);
    } else {
        std::printf("%s: %s\n", command.c_str(), ctx.done.empty() ? "done" : ctx.done.c_str());
    }
    return stop ? stop->exit : kExitDone;
}

}  // namespace

int Run(int argc, char** argv, posix::CurlHttpClient& http) {
    Context ctx;
    ctx.http = &http;
    bool json = false;
    bool help = false;
    try {
        // Global options may stand before or after the command.
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            auto value = [&](const std::string& option) -> std::string {
                if (i + 1 >= argc) throw UsageStop(option + " needs a value");
                return argv[++i];
            };
            if (arg == "--json") {
                json = true;
            } else if (arg == "--help" || arg == "-h") {
                help = true;
            } else if (arg == "--router") {
                const std::string text = value(arg);
                const auto address = router::ParseRouterAddress(text, 80);
                if (!address) throw BadInputStop("--router", "must be HOST or HOST:PORT");
                Ports().routerHost = address->host;
                Ports().routerPort = address->port;
            } else if (arg == "--model") {
                const std::string text = value(arg);
                if (text.size() != 1 || text[0] < '1' || text[0] > '8')
                    throw BadInputStop("--model", "must be a model code from 1 to 8");
                ctx.model = text[0] - '0';
            } else if (arg == "--password-file") {
                ctx.passwordFile = value(arg);
            } else if (arg == "--timeout") {
                ctx.timeoutMs = static_cast<std::uint32_t>(Seconds(arg, value(arg)) * 1000);
            } else if (IsSecretOnCommandLine(arg)) {
                // Named without its value: the value may be the secret.
                throw UsageStop(arg.substr(0, arg.find('=')) +
                                ": secrets are not taken on the command line; use a file "
                                "option, ZAVRO_PASSWORD or the prompt");
            } else if (!ctx.command) {
                ctx.command = FindCommand(arg);
                if (!ctx.command) throw UsageStop("unknown command " + arg);
            } else if (arg.rfind("--", 0) == 0) {
                const OptionSpec* spec = FindOption(ctx.command->options, arg);
                if (!spec)
                    throw UsageStop("unknown option " + arg.substr(0, arg.find('=')) +
                                    " (see zavro-cli " + ctx.command->name + " --help)");
                ctx.options[arg] = spec->value ? value(arg) : "";
            } else if (*ctx.command->operand && ctx.operand.empty()) {
                ctx.operand = arg;
            } else {
                // Not repeated: a stray word may be a secret typed in the wrong place.
                throw UsageStop("unexpected argument number " + std::to_string(i));
            }
        }
        if (help) {
            std::fputs((ctx.command ? CommandHelp(*ctx.command) : ProgramHelp()).c_str(), stdout);
            return kExitDone;
        }
        if (!ctx.command) throw UsageStop("no command given");
        if (*ctx.command->operand && ctx.operand.empty())
            throw UsageStop(std::string(ctx.command->operand) + " is missing");
        int fromStdin = ctx.passwordFile == "-";
        for (const auto& [name, value] : ctx.options)
            fromStdin += name.size() > 5 && name.ends_with("-file") && value == "-";
        if (fromStdin > 1) throw UsageStop("only one secret can come from standard input (-)");
        if (ctx.timeoutMs) http.SetTimeouts(ctx.timeoutMs, ctx.timeoutMs);
        ctx.command->run(ctx);
        return Report(json, nullptr, ctx);
    } catch (const Stop& stop) {
        return Report(json, &stop, ctx);
    }
}

}  // namespace zavro::cli
