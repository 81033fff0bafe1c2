#include "WizardRun.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <thread>

#include "platform/posix/ProfileReader.h"
#include "platform/posix/StbPictures.h"

namespace zavro::e2e {

namespace fs = std::filesystem;

void WizardRunTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = fs::temp_directory_path() /
            ("zavro-e2e-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    // Also the program's runtime folder, which Qt wants private.
    fs::permissions(m_dir, fs::perms::owner_all);
}

void WizardRunTest::TearDown() {
    m_program.reset();
    m_sim.reset();
    if (HasFailure()) {
        std::cerr << "e2e files kept in " << m_dir << "\n";
    } else {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
}

void WizardRunTest::StartRouter(bool internetUp, std::function<void(const std::string&)> log) {
    // Each run starts from no earlier state file and no earlier message log.
    fs::remove(Temp("state.json"));
    fs::remove(Temp("messages.log"));
    routersim::Options options;
    options.model = 8;  // the model the router check settles on
    options.internetUp = internetUp;
    options.stateFile = Temp("state.json").string();
    options.log = std::move(log);
    m_sim = std::make_unique<routersim::Simulator>(options);
    ASSERT_TRUE(m_sim->Start());
}

WizardOutcome WizardRunTest::RunWizard(const std::vector<std::string>& script,
                                       const RunOptions& run) {
    if (!StartWizard(script, run)) return {};
    return FinishWizard();
}

bool WizardRunTest::StartWizard(const std::vector<std::string>& script, const RunOptions& run) {
    std::string text;
    for (const auto& line : script) text += line + "\n";
    if (!WriteFile(Temp("script.txt").string(), text) || !m_sim) {
        ADD_FAILURE() << "no script or no router";
        return false;
    }
    const std::string port = std::to_string(m_sim->Port());
    const std::string internet = std::to_string(m_sim->InternetPort());
    std::map<std::string, std::string> env = {
        {"QT_QPA_PLATFORM", run.display.empty() ? "offscreen" : "xcb"},
        {"ZAVRO_ROUTER", "127.0.0.1:" + port},
        {"ZAVRO_HOME_URL", "http://127.0.0.1:" + internet + "/"},
        {"ZAVRO_TIME_SCALE", run.timeScale},
        {"ZAVRO_AUTOMATION", Temp("script.txt").string()},
        {"ZAVRO_REGISTRY_FILE", Temp("registry").string()},
        {"ZAVRO_LOOPBACK_ONLY", "1"},
        {"ZAVRO_TIMING_LOG", Temp("timing.log").string()},
        {"XDG_RUNTIME_DIR", m_dir.string()},
    };
    if (run.messageLog) env["ZAVRO_MESSAGE_LOG"] = Temp("messages.log").string();
    for (const auto& [name, value] : run.env) env[name] = value;
    if (!run.display.empty()) env["DISPLAY"] = run.display;
    if (run.echoScript) env["ZAVRO_AUTOMATION_VERBOSE"] = "1";
    if (run.homeInside) {
        const fs::path home = Temp("home");
        fs::create_directories(home);
        env["HOME"] = home.string();
        env["XDG_CONFIG_HOME"] = (home / ".config").string();
        env["XDG_CACHE_HOME"] = (home / ".cache").string();
        env["XDG_DATA_HOME"] = (home / ".local/share").string();
        env["XDG_STATE_HOME"] = (home / ".local/state").string();
    }
    fs::remove(Temp("timing.log"));
    m_program = std::make_unique<ProgramProcess>();
    const std::string folder = run.programFolder.empty() ? WizardFolder() : run.programFolder;
    if (!m_program->Start(folder + "/zavro", folder, env, Temp("output.txt").string(), run.args)) {
        ADD_FAILURE() << "cannot start " << WizardProgram();
        m_program.reset();
        return false;
    }
    return true;
}

WizardOutcome WizardRunTest::FinishWizard() {
    WizardOutcome outcome;
    if (!m_program) return outcome;
    outcome.program = m_program->Wait(kRunLimitMs);
    m_program.reset();
    outcome.output = ReadFile(Temp("output.txt").string());
    for (const std::string& line : ReadLines(Temp("messages.log").string())) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) {
            outcome.messages.push_back({"", line});
        } else {
            outcome.messages.push_back({line.substr(0, tab), line.substr(tab + 1)});
        }
    }
    for (const std::string& line : ReadLines(Temp("timing.log").string())) {
        if (line.rfind("wait ", 0) == 0) continue;  // the waits' own stamps
        const auto last = line.rfind(' ');
        outcome.stamps.push_back(line.substr(0, last));
    }
    EXPECT_FALSE(outcome.program.timedOut) << "killed after " << kRunLimitMs << " ms\n"
                                           << outcome.output;
    EXPECT_EQ(outcome.output.find("non-loopback"), std::string::npos) << outcome.output;
    return outcome;
}

std::size_t WizardRunTest::AwaitStamp(const std::string& prefix, std::size_t after,
                                      unsigned limitMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    do {
        const auto lines = ReadLines(Temp("timing.log").string());
        for (std::size_t i = after; i < lines.size(); ++i)
            if (lines[i].rfind(prefix, 0) == 0) return i + 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return 0;
}

std::string WizardRunTest::StateFileText() const {
    return ReadFile(Temp("state.json").string());
}

std::optional<std::string> WizardRunTest::StateValue(const std::string& key) const {
    return JsonValue(StateFileText(), key);
}

fs::path WizardRunTest::BuildFolder() {
    return ZAVRO_BINARY_DIR;
}

std::string WizardRunTest::MessageText(const std::string& key) {
    ProfileReader profile;
    const std::string ini = WizardFolder() + "/image/1/string.ini";
    std::string text = profile.ReadA(ini, "MESSAGE", key, "", 4096);
    EXPECT_FALSE(text.empty()) << "no text for " << key << " in " << ini;
    return text;
}

std::optional<Image> WizardRunTest::LoadPicture(const fs::path& path) {
    const std::string bytes = ReadFile(path.string());
    StbPictures pictures;
    return pictures.Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

double WizardRunTest::MeanDifference(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height || a.Empty()) return 255;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            const int ca = static_cast<int>((a.pixels[i] >> shift) & 0xFF);
            const int cb = static_cast<int>((b.pixels[i] >> shift) & 0xFF);
            sum += std::abs(ca - cb);
        }
    }
    return sum / (3.0 * static_cast<double>(a.pixels.size()));
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::optional<std::string> JsonValue(const std::string& json, const std::string& key) {
    const std::string name = "\"" + key + "\": ";
    const auto at = json.find(name);
    if (at == std::string::npos) return std::nullopt;
    std::size_t i = at + name.size();
    if (i >= json.size()) return std::nullopt;
    std::string value;
    if (json[i] != '"') {
        const auto end = json.find_first_of(",}\n", i);
        return json.substr(i, end == std::string::npos ? std::string::npos : end - i);
    }
    for (++i; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            value += json[i];
            continue;
        }
        const char e = json[++i];
        switch (e) {
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case 'u':
                if (i + 4 < json.size()) {
                    value += static_cast<char>(std::stoi(json.substr(i + 1, 4), nullptr, 16));
                    i += 4;
                }
                break;
            default:
                value += e;
                break;
        }
    }
    if (i >= json.size()) return std::nullopt;  // no closing quote
    return value;
}

}  // namespace zavro::e2e
