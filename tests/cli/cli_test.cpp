// zavro-cli through the real program against the simulated router on loopback: every
// command in every dialect, refusals of bad input, a wrong password, a router that does
// not answer, the terminal (prompt without echo, progress bar), and secrets kept out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "RouterSim.h"
#include "support/LoopbackPort.h"

namespace zavro::clitest {
namespace {

constexpr const char* kAdminSecret = "Adm1n&Secret=7";
constexpr const char* kAccountSecret = "Acc#Secret+pass";
constexpr const char* kKeySecret = "Wpa&Key=Secret%9";

class CliTest : public ::testing::Test {
protected:
    void StartRouter(int model, unsigned rebootDownMs = 0, const char* adminPassword = "5820") {
        routersim::Options options;
        options.model = model;
        options.rebootDownMs = rebootDownMs;
        m_sim = std::make_unique<routersim::Simulator>(options);
        ASSERT_TRUE(m_sim->Start());
        routersim::State s = m_sim->GetState();
        s.adminPassword = adminPassword;
        m_sim->SetState(s);
    }
    std::map<std::string, std::string> Env() const {
        return {
            {"ZAVRO_ROUTER", "127.0.0.1:" + std::to_string(m_sim->Port())},
            {"ZAVRO_HOME_URL", "http://127.0.0.1:" + std::to_string(m_sim->InternetPort()) + "/"},
            {"ZAVRO_LOOPBACK_ONLY", "1"},
            // The upload's 10 s pause and the restart poll, shortened.
            {"ZAVRO_TIME_SCALE", "0.01"}};
    }
    // A file holding text, removed with the test.
    std::string File(const std::string& text) {
        char name[] = "/tmp/zavro-cli-secret-XXXXXX";
        const int fd = ::mkstemp(name);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
        m_files.push_back(name);
        return name;
    }
    ~CliTest() override {
        for (const auto& f : m_files) std::remove(f.c_str());
    }
    // Runs with the simulator's address (the options' own variables first).
    const CliResult& Run(const std::vector<std::string>& args, CliOptions options = {}) {
        for (const auto& [k, v] : Env()) options.env.emplace(k, v);
        m_last = RunCli(args, options);
        m_outputs += m_last.out + m_last.err;
        return m_last;
    }
    // Runs with --json; the answer must be one JSON object.
    std::map<std::string, JsonValue> Json(std::vector<std::string> args, CliOptions options = {}) {
        args.insert(args.begin(), "--json");
        const auto json = ParseJsonObject(Run(args, std::move(options)).out);
        EXPECT_TRUE(json) << "not one JSON object: " << m_last.out << m_last.err;
        if (!json) return {};
        EXPECT_EQ(json->at("exit").text, std::to_string(m_last.exit)) << m_last.out;
        return *json;
    }
    // A command that must be done.
    void Done(const std::vector<std::string>& args, CliOptions options = {}) {
        const auto json = Json(args, std::move(options));
        EXPECT_EQ(m_last.exit, 0) << args[0] << ": " << m_last.out << m_last.err;
        EXPECT_EQ(Field(json, "result"), "done") << args[0];
    }

    static std::string Field(const std::map<std::string, JsonValue>& json, const char* key) {
        return json.count(key) ? json.at(key).text : "";
    }

    std::unique_ptr<routersim::Simulator> m_sim;
    CliResult m_last;
    std::string m_outputs;  // everything every run printed
    std::vector<std::string> m_files;
};

// ---- every command in every dialect ----

class CliDialectTest : public CliTest, public ::testing::WithParamInterface<int> {};

TEST_P(CliDialectTest, EveryCommandChangesTheRouterAsItsPageWould) {
    const int model = GetParam();
    const bool query = model == 2;
    StartRouter(model);
    const std::string m = std::to_string(model);
    const std::string admin = File(std::string(kAdminSecret) + "\n");
    const std::string account = File(kAccountSecret);
    const std::string key = File(std::string(kKeySecret) + "\r\n");
    auto state = [&] { return m_sim->GetState(); };
    auto wan = [&](const std::string& field) {
        const auto s = state();
        return s.wan.count(field) ? s.wan.at(field) : "<missing " + field + ">";
    };

    // The factory password when no other is given; then the admin password is changed.
    Done({"--model", m, "check"});
    Done({"--model", m, "admin-password", "--new-file", admin});
    EXPECT_EQ(state().adminPassword, kAdminSecret);
    const std::vector<std::string> g = {"--model", m, "--password-file", admin};
    auto with = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), g.begin(), g.end());
        return rest;
    };

    // Typed texts go as Windows-1252 bytes: u with diaeresis is 0xFC.
    Done(with({"dhcp", "--host-name", "host-\xC3\xBC", "--mac", "001122aabbcc"}));
    EXPECT_EQ(state().wanType, 1);
    EXPECT_EQ(wan("dynIPHostName"), "host-\xFC");
    EXPECT_EQ(wan(query ? "cmac6" : "macAddr"), query ? "cc" : "001122aabbcc");

    Done(with({"static", "--ip", "10.1.2.3", "--gateway", "10.1.2.254"}));
    EXPECT_EQ(state().wanType, 2);
    EXPECT_EQ(wan(query ? "wanip_4" : "ip"), query ? "3" : "10.1.2.3");
    EXPECT_EQ(wan(query ? "wansm_4" : "mask"), query ? "0" : "255.255.255.0");
    EXPECT_EQ(wan(query ? "wangw_4" : "gateway"), query ? "254" : "10.1.2.254");

    Done(with({"pppoe", "--user",
               "b\xC3\xB6"
               "b",
               "--account-password-file", account, "--service", "svc", "--connect", "on-demand",
               "--idle", "7"}));
    EXPECT_EQ(state().wanType, 3);
    EXPECT_EQ(wan(query ? "username0" : "pppUserName"),
              "b\xF6"
              "b");
    EXPECT_EQ(wan(query ? "password0" : "pppPassword"), kAccountSecret);
    EXPECT_EQ(wan(query ? "silentTimeout0" : "pppIdleTime"), "7");
    EXPECT_EQ(wan(query ? "mtu0" : "pppMTU"), "1392");

    Done(with({"pptp", "--address", "fixed", "--ip", "10.1.2.3", "--gateway", "10.1.2.254",
               "--user", "tom", "--account-password-file", account, "--server", "10.9.9.9",
               "--connect", "manual"}));
    EXPECT_EQ(state().wanType, 4);
    EXPECT_EQ(wan(query ? "password" : "pptpPassword"), kAccountSecret);
    EXPECT_EQ(wan(query ? "wansv_4" : "pptpGateway"), query ? "9" : "10.9.9.9");
    EXPECT_EQ(wan(query ? "wanip_4" : "pptpIPAddr"), query ? "3" : "10.1.2.3");
    if (!query) {
        EXPECT_EQ(wan("pptpConnectType"), "2");
    }

    Done(with({"l2tp", "--address", "dynamic", "--host-name", "h2", "--clone-mac", "--user", "ann",
               "--account-password-file", account, "--server", "10.8.8.8", "--mtu", "1492"}));
    EXPECT_EQ(state().wanType, 5);
    EXPECT_EQ(wan(query ? "password" : "L2TPPassword"), kAccountSecret);
    EXPECT_EQ(wan(query ? "l2tpsrv" : "L2TPGateway"), "10.8.8.8");
    EXPECT_EQ(wan(query ? "wanmtu" : "L2TPMTU"), "1492");

    if (model == 8) {
        // The family without a BigPond request: refused before anything is sent.
        m_sim->ClearRequests();
        EXPECT_EQ(Json(with({"bigpond", "--user", "bp", "--account-password-file", account}))
                      .at("result")
                      .text,
                  "bad_usage");
        EXPECT_EQ(m_last.exit, 2);
        EXPECT_TRUE(m_sim->Requests().empty());
    } else {
        Done(with({"bigpond", "--user", "bp", "--account-password-file", account, "--server",
                   "10.7.7.7"}));
        EXPECT_EQ(state().wanType, 6);
        EXPECT_EQ(wan("telBPPassword"), kAccountSecret);
        EXPECT_EQ(wan(query ? "wansv_1" : "telBPIPAddr"), query ? "10" : "10.7.7.7");
    }

    // Escaped on the way like the page's text: it arrives whole.
    Done(with({"wireless", "--ssid", "Cafe & Bar=1%"}));
    EXPECT_EQ(state().ssid, "Cafe & Bar=1%");
    const auto read = Json(with({"ssid"}));
    EXPECT_EQ(Field(read, "ssid"), "Cafe & Bar=1%");

    const int reboots = state().reboots;
    Done(with({"wpa", "--key-file", key}));
    EXPECT_TRUE(state().securityOn);
    EXPECT_EQ(state().wpaKey, kKeySecret);
    EXPECT_EQ(state().reboots, reboots + 1);  // the page restarts after the change
    Done(with({"wpa", "--off", "--no-reboot"}));
    EXPECT_FALSE(state().securityOn);
    EXPECT_EQ(state().reboots, reboots + 1);
    Done(with({"reboot"}));
    EXPECT_EQ(state().reboots, reboots + 2);

    const std::string image = File(std::string(40000, 'F'));
    if (model == 8) {
        Done(with({"language", "3"}));
        EXPECT_EQ(state().webLanguage, 8);
        Done(with({"upload", image}));
        EXPECT_EQ(state().firmwareUploads, 1);
        EXPECT_EQ(state().firmwareBytes, 40000u);
        Done(with({"wait-restart"}));
    } else {
        // Every image is taken for model 8 only, and so is the language.
        EXPECT_EQ(Json(with({"upload", image})).at("option").text, "FILE");
        EXPECT_EQ(m_last.exit, 2);
        EXPECT_EQ(Json(with({"language", "3"})).at("result").text, "bad_usage");
        EXPECT_EQ(state().firmwareUploads, 0);
    }
    Done({"internet"});

    // The old password no longer logs in: exit 3, the cause said.
    const auto refused =
        Json({"--model", m, "pppoe", "--user", "bob", "--account-password-file", account});
    EXPECT_EQ(m_last.exit, 3);
    EXPECT_EQ(refused.at("result").text, "login_refused");
    EXPECT_EQ(refused.at("cause").text, "login");
    EXPECT_EQ(refused.at("http_status").text, "401");

    for (const char* secret : {kAdminSecret, kAccountSecret, kKeySecret})
        EXPECT_EQ(m_outputs.find(secret), std::string::npos) << secret;
}

INSTANTIATE_TEST_SUITE_P(FormPostQueryFormEncoded, CliDialectTest, ::testing::Values(1, 2, 8));

// ---- refusals ----

TEST_F(CliTest, BadInputGivesExit2NamingTheOptionAndNothingIsSent) {
    StartRouter(8);
    const std::string account = File(kAccountSecret);
    const std::string shortKey = File("7chars!");
    const std::string longSecret = File(std::string(65, 'x') + kAccountSecret);
    // Outside Windows-1252, which the router takes: Cyrillic Zhe, a CJK ideograph.
    const std::string zhe = "\xD0\x96", cjk = "\xE4\xB8\xAD";
    const std::string wideSecret = File("pass" + cjk);
    auto tunnel = [&](const char* command, std::vector<std::string> more) {
        more.insert(more.begin(), {command, "--address", "dynamic", "--user", "u",
                                   "--account-password-file", account});
        return more;
    };
    auto pppoe = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"pppoe", "--user", "u", "--account-password-file", account});
        return more;
    };
    const struct {
        std::vector<std::string> args;
        const char* option;   // "" for a usage error
        const char* allowed;  // part of the message
    } cases[] = {
        {pppoe({"--mtu", "511"}), "--mtu", "512 to 1492"},
        {pppoe({"--mtu", "1493"}), "--mtu", "512 to 1492"},
        {pppoe({"--mtu", "big"}), "--mtu", "512 to 1492"},
        {pppoe({"--connect", "on-demand", "--idle", "1001"}), "--idle", "1 to 1000"},
        {{"pptp", "--address", "dynamic", "--user", "u", "--account-password-file", account,
          "--connect", "on-demand"},
         "--idle",
         "1 to 1000"},
        {{"pppoe", "--account-password-file", account}, "--user", "is required"},
        {{"pppoe", "--user", "", "--account-password-file", account}, "--user", "not be empty"},
        {{"pppoe", "--user", "al" + zhe, "--account-password-file", account},
         "--user",
         "Windows-1252"},
        {{"pppoe", "--user", "u", "--account-password-file", wideSecret},
         "--account-password-file",
         "Windows-1252"},
        {pppoe({"--service", "isp" + cjk}), "--service", "Windows-1252"},
        {{"dhcp", "--host-name", "pc" + zhe}, "--host-name", "Windows-1252"},
        {tunnel("pptp", {"--host-name", "pc" + cjk}), "--host-name", "Windows-1252"},
        {tunnel("l2tp", {"--connection-id", "id" + zhe}), "--connection-id", "Windows-1252"},
        {tunnel("pptp", {"--server", "1.2.3.4&x=1"}), "--server", "numbers 0 to 255"},
        {tunnel("l2tp", {"--server", "1.2.3"}), "--server", "numbers 0 to 255"},
        {{"--model", "4", "bigpond", "--user", "u", "--account-password-file", account, "--server",
          "256.1.1.1"},
         "--server",
         "numbers 0 to 255"},
        {{"static"}, "--ip", "is required"},
        {{"pppoe", "--user", "u"}, "--account-password-file", "not empty"},
        {{"pppoe", "--user", "u", "--account-password-file", longSecret},
         "--account-password-file",
         "at most 64"},
        {pppoe({"--connect", "sometimes"}), "--connect", "continuous, on-demand or manual"},
        {{"static", "--ip", "192.168.1.0"}, "--ip", "1 to 254"},
        {{"static", "--ip", "10.0.0.1", "--mask", "255.0.255.0"}, "--mask", "255.255.255.0"},
        {{"static", "--ip", "10.0.0.1", "--gateway", "10.0.0.0"}, "--gateway", "0.0.0.0"},
        {{"dhcp", "--mac", "00112233445"}, "--mac", "12 hexadecimal digits"},
        {{"dhcp", "--mac", "00:11:22:33:"}, "--mac", "12 hexadecimal digits"},
        {{"dhcp", "--host-name", "o'neil"}, "--host-name", "must not contain"},
        {{"pptp", "--user", "u"}, "--address", "is required: dynamic or fixed"},
        {{"pptp", "--address", "static"}, "--address", "must be dynamic or fixed"},
        {{"--model", "7", "l2tp", "--address", "dynamic", "--connection-id", "c1"},
         "--connection-id",
         "models 6 and 7"},
        {{"wireless", "--ssid", ""}, "--ssid", "1 to 32"},
        {{"wireless", "--ssid", std::string(33, 's')}, "--ssid", "at most 32"},
        {{"wpa", "--key-file", shortKey}, "--key-file", "8 to 63"},
        {{"wpa", "--key-file", "/nonexistent/key"}, "--key-file", "cannot be read"},
        {{"language", "17"}, "N", "1 to 16"},
        {{"upload", "/nonexistent/image.bin"}, "FILE", "cannot be read"},
        {{"--model", "9", "check"}, "--model", "1 to 8"},
        {{"--router", "host:99999", "check"}, "--router", "HOST:PORT"},
        {{"wait-restart", "--limit", "0"}, "--limit", "above 0"},
        {{"wpa"}, "", "--key-file F or --off"},
        {{"dhcp", "--mac", "001122334455", "--clone-mac"}, "", "exclude each other"},
        {{"pppoe", "--mtuu", "1"}, "", "unknown option --mtuu"},
        {{"frobnicate"}, "", "unknown command"},
        {{"--password=" + std::string(kAdminSecret), "check"}, "", "not taken on the command line"},
        {{"pppoe", "--account-password", "x"}, "", "not taken on the command line"},
        {{"pppoe", kAccountSecret, "--user", "u"}, "", "unexpected argument"},
        {{"--password-file", "-", "wpa", "--key-file", "-"}, "", "only one secret"},
        {{}, "", "no command"},
    };
    for (const auto& c : cases) {
        const std::string what = c.args.empty() ? "(none)" : c.args.back();
        const auto json = Json(c.args);
        EXPECT_EQ(m_last.exit, 2) << what << ": " << m_last.out << m_last.err;
        EXPECT_EQ(Field(json, "result"), *c.option ? "bad_input" : "bad_usage") << what;
        if (*c.option) {
            EXPECT_EQ(Field(json, "option"), c.option) << what;
        }
        const std::string message = Field(json, "message");
        EXPECT_NE(message.find(c.option), std::string::npos) << what << ": " << message;
        EXPECT_NE(message.find(c.allowed), std::string::npos) << what << ": " << message;
    }
    // The line for a person says the same on standard error, nothing on standard output.
    const CliResult plain = Run({"pppoe", "--user", "u", "--mtu", "100"});
    EXPECT_EQ(plain.exit, 2);
    EXPECT_EQ(plain.out, "");
    EXPECT_EQ(plain.err, "zavro-cli pppoe: --mtu must be 512 to 1492\n");

    EXPECT_TRUE(m_sim->Requests().empty()) << m_sim->Requests().size() << " requests sent";
    EXPECT_EQ(m_outputs.find(kAccountSecret), std::string::npos);
    EXPECT_EQ(m_outputs.find(kAdminSecret), std::string::npos);
}

// ---- a router that does not answer ----

TEST_F(CliTest, NoAnswerGivesExit1WithinTheTimeLimitGiven) {
    StartRouter(8);
    const std::string closed = "127.0.0.1:" + std::to_string(test::UnusedLoopbackPort());
    // Nothing listens: refused at once.
    auto json = Json({"--router", closed, "reboot"});
    EXPECT_EQ(m_last.exit, 1);
    EXPECT_EQ(json.at("result").text, "failed");
    EXPECT_EQ(json.at("step").text, "login");
    EXPECT_EQ(json.at("cause").text, "refused");
    EXPECT_FALSE(m_last.killed);
    EXPECT_NE(Run({"--router", closed, "reboot"}).err.find("refused"), std::string::npos)
        << m_last.err;

    // Connected, but no answer ever comes: the exchange's own limit ends it.
    m_sim->SetFault({.kind = routersim::FaultKind::NoAnswer, .path = ""});
    json = Json({"--timeout", "0.3", "pppoe", "--user", "u", "--account-password-file", File("p")});
    EXPECT_FALSE(m_last.killed) << "still waiting when the test gave up";
    EXPECT_EQ(m_last.exit, 1);
    EXPECT_EQ(json.at("result").text, "failed");
    EXPECT_EQ(json.at("cause").text, "no_answer");
    m_sim->SetFault({});

    // The login passes, the setting is refused with an error status: 1, not 3.
    m_sim->SetFault({.kind = routersim::FaultKind::Status, .status = 500, .path = "/goform/"});
    json = Json({"reboot"});
    EXPECT_EQ(m_last.exit, 1);
    EXPECT_EQ(json.at("step").text, "reboot");
    EXPECT_EQ(json.at("code").text, "1");
    EXPECT_EQ(json.at("cause").text, "http");
    EXPECT_EQ(json.at("http_status").text, "500");
    EXPECT_EQ(m_sim->GetState().reboots, 0);
    m_sim->SetFault({});

    // The restart wait gives up at its limit.
    json = Json({"--router", closed, "wait-restart", "--limit", "2"});
    EXPECT_FALSE(m_last.killed);
    EXPECT_EQ(m_last.exit, 1);
    EXPECT_EQ(json.at("step").text, "wait");
}

TEST_F(CliTest, WaitRestartReturnsOnceTheRouterAnswersAgain) {
    StartRouter(8, 300);
    Done({"reboot"});
    const std::size_t before = m_sim->Requests().size();
    Done({"wait-restart"});
    // It logged in once the restart was over.
    const auto requests = m_sim->Requests();
    ASSERT_GT(requests.size(), before);
    EXPECT_EQ(requests.back().target, "/index.asp");
    EXPECT_EQ(requests.back().status, 200);
}

// ---- the terminal ----

TEST_F(CliTest, PromptsWithoutEchoAndDrawsProgressOnlyOnATerminal) {
    StartRouter(8, 0, kAdminSecret);

    const CliResult check =
        Run({"check"},
            {.terminal = true, .typeAfter = "Router password for admin", .typed = kAdminSecret});
    EXPECT_EQ(check.exit, 0) << check.err;
    EXPECT_EQ(check.out, "check: done\n");
    EXPECT_NE(check.err.find("Router password for admin"), std::string::npos) << check.err;
    EXPECT_EQ(check.err.find(kAdminSecret), std::string::npos) << "echoed: " << check.err;

    const std::string image = File(std::string(300000, 'I'));
    CliOptions terminal{.env = {{"ZAVRO_PASSWORD", kAdminSecret}}, .terminal = true};
    const CliResult shown = Run({"upload", image}, terminal);
    EXPECT_EQ(shown.exit, 0) << shown.err;
    EXPECT_NE(shown.err.find("100%"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find(" KiB of 29"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("/s"), std::string::npos) << shown.err;

    CliOptions file = terminal;
    file.terminal = false;
    const CliResult quiet = Run({"upload", image}, file);
    EXPECT_EQ(quiet.exit, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(quiet.out, "upload: done\n");
    EXPECT_EQ(m_sim->GetState().firmwareUploads, 2);
}

// ---- secrets and help ----

TEST_F(CliTest, SecretsFromFileEnvironmentOrStandardInputAreNeverPrinted) {
    StartRouter(8, 0, kAdminSecret);

    Done({"wpa", "--key-file", "-", "--no-reboot"},
         {.env = {{"ZAVRO_PASSWORD", kAdminSecret}}, .input = std::string(kKeySecret) + "\n"});
    EXPECT_EQ(m_sim->GetState().wpaKey, kKeySecret);

    // A new password from standard input; the wrong old one refused with exit 3.
    EXPECT_EQ(Json({"admin-password", "--new-file", "-"},
                   {.env = {{"ZAVRO_PASSWORD", kKeySecret}}, .input = kAccountSecret})
                  .at("result")
                  .text,
              "login_refused");
    EXPECT_EQ(m_last.exit, 3);
    EXPECT_EQ(m_sim->GetState().adminPassword, kAdminSecret);

    for (const char* secret : {kAdminSecret, kAccountSecret, kKeySecret})
        EXPECT_EQ(m_outputs.find(secret), std::string::npos) << secret << " in " << m_outputs;
}

TEST_F(CliTest, HelpForTheProgramAndForEachCommand) {
    const CliResult program = RunCli({"--help"});
    EXPECT_EQ(program.exit, 0);
    const char* commands[] = {"check",    "ssid",   "dhcp",           "static",
                              "pppoe",    "pptp",   "l2tp",           "bigpond",
                              "wireless", "wpa",    "admin-password", "reboot",
                              "language", "upload", "internet",       "wait-restart"};
    for (const char* c : commands) {
        EXPECT_NE(program.out.find(std::string("\n  ") + c + " "), std::string::npos) << c;
        const CliResult one = RunCli({c, "--help"});
        EXPECT_EQ(one.exit, 0) << c;
        EXPECT_EQ(one.out.rfind(std::string("usage: zavro-cli [global options] ") + c, 0), 0u)
            << one.out;
    }
    EXPECT_NE(program.out.find("3 login refused"), std::string::npos);
    EXPECT_NE(RunCli({"pptp", "--help"}).out.find("--connection-id ID"), std::string::npos);
}

}  // namespace
}  // namespace zavro::clitest
