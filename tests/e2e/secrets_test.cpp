// Passwords and the wireless key typed into the real program reach the router, and none of
// them is left in a file the program or the simulator writes, nor in the simulator's log.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "WizardRun.h"
#include "support/SecretForms.h"

namespace zavro::e2e {
namespace {

namespace fs = std::filesystem;

// Distinct, each with a character that goes out percent-encoded.
constexpr const char* kAdmin = "AdminSecret&41";
constexpr const char* kPppoe = "PppoeSecret=52";
constexpr const char* kPptp = "PptpSecret#63";
constexpr const char* kL2tp = "L2tpSecret$74";
constexpr const char* kWpa = "WpaKeySecret&85";

std::string SecretIn(const std::string& text) {
    return test::SecretIn(text, {kAdmin, kPppoe, kPptp, kL2tp, kWpa});
}

// The admin password typed on the password page, kept, then connection type `box`.
std::vector<std::string> ToConnectionPage(int box) {
    return Concat(ToPasswordPage(),
                  {std::string("type 1020 ") + kAdmin, "click 1013",
                   "await-window CZavroConnectMode", "click " + std::to_string(box), "click 1013"});
}

// From the result page: its Internet check done (Finish shown), the router restarted.
std::vector<std::string> ToResult() {
    return {"await-window CZavroSuccess", "await-control 1013 30000", "quit 0"};
}

std::vector<std::string> Tunnel(int box, const std::string& first, const std::string& password) {
    return Concat(
        Concat(ToConnectionPage(box),
               {"await-window " + first, "click 1043", "type 1032 10.1.2.3", "type 1035 10.1.2.254",
                "click 1013", "await-window " + first + "2", "type 1036 tunnel-user",
                "type 1037 " + password, "type 1035 10.9.9.9", "click 1013",
                // The tunnel pages pass the language page on the way to the result.
                "await-window CZavroSetLanguage", "click 1067"}),
        ToResult());
}

TEST_F(WizardRunTest, SecretsReachTheRouterButNoLogOrFile) {
    std::mutex linesMutex;
    std::vector<std::string> simLines;
    StartRouter(true, [&](const std::string& line) {
        std::lock_guard lock(linesMutex);
        simLines.push_back(line);
    });
    const struct {
        const char* name;
        std::vector<std::string> script;
        std::function<bool(const routersim::State&)> delivered;
    } runs[] = {
        {"admin password and PPPoE",
         Concat(
             Concat(ToPasswordPage(), {"type 1020 5820", std::string("type 1021 ") + kAdmin,
                                       std::string("type 1022 ") + kAdmin, "click 1013",
                                       "await-window CZavroConnectMode", "click 1019", "click 1013",
                                       "await-window CZavroPPPoE", "type 1036 pppoe-user",
                                       std::string("type 1037 ") + kPppoe, "click 1013"}),
             ToResult()),
         [](const routersim::State& s) {
             return s.adminPassword == kAdmin && s.wan.count("pppPassword") &&
                    s.wan.at("pppPassword") == kPppoe;
         }},
        // The later runs log in with the changed admin password.
        {"PPTP", Tunnel(1020, "CZavroPPTPxDSL", kPptp),
         [](const routersim::State& s) {
             return s.wan.count("pptpPassword") && s.wan.at("pptpPassword") == kPptp;
         }},
        {"L2TP", Tunnel(1021, "CZavroL2TPxDSL", kL2tp),
         [](const routersim::State& s) {
             return s.wan.count("L2TPPassword") && s.wan.at("L2TPPassword") == kL2tp;
         }},
        {"WPA key",
         Concat(ToPasswordPage(),
                {std::string("type 1020 ") + kAdmin, "click 1014", "await-window CZavroSetWPA",
                 "click 1017", std::string("type 1023 ") + kWpa, "click 1013",
                 "await-window CZavroWait", "await-control 1060 30000", "click 1060",
                 "await-window CZvWPAconfigure", "quit 0"}),
         [](const routersim::State& s) { return s.securityOn && s.wpaKey == kWpa; }},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        // What a user's run writes: no echo of the script, HOME inside the test's folder.
        const WizardOutcome outcome =
            RunWizard(run.script, {.echoScript = false, .homeInside = true, .display = {}});
        EXPECT_EQ(outcome.program.exitCode, 0) << outcome.output;
        EXPECT_TRUE(run.delivered(m_sim->GetState())) << StateFileText();

        // Every file of the run: state file, message log, timing log, registry, output,
        // HOME. The script is the test's own and holds the secrets by design.
        std::size_t files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir)) {
            if (!entry.is_regular_file() || entry.path() == Temp("script.txt")) continue;
            ++files;
            EXPECT_EQ(SecretIn(ReadFile(entry.path().string())), "") << entry.path();
        }
        EXPECT_GE(files, 4u);  // at least the state file, both logs and the output
    }
    m_sim.reset();  // every line logged
    std::lock_guard lock(linesMutex);
    EXPECT_FALSE(simLines.empty());
    for (const std::string& line : simLines) EXPECT_EQ(SecretIn(line), "") << line;
}

}  // namespace
}  // namespace zavro::e2e
