// The PPPoE road with the keyboard alone, as a person who cannot use a mouse or see the
// picture takes it: real key events through a private X server (XTest), and after every
// key what a screen reader finds, read over the accessibility bus (AT-SPI). The transcript
// of the road is compared with the checked-in one, per language; the router gets the same
// requests as from the mouse road.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "RealInput.h"
#include "WizardRun.h"

namespace zavro::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUser = "alice@isp.example";
constexpr const char* kPassword = "s3cret&pw%";
constexpr const char* kMtu = "1452";
constexpr const char* kNewAdmin = "Admin2024";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class KeyboardAccessTest : public WizardRunTest {
protected:
    static void SetUpTestSuite() {
        s_x = XServer::StartShared(s_why);
        if (s_x == nullptr) return;
        // A session bus of our own: the accessibility bus is started on it on demand.
        s_busDir = fs::temp_directory_path() / ("zavro-bus-" + std::to_string(::getpid()));
        fs::create_directories(s_busDir);
        const std::string address = "unix:path=" + (s_busDir / "bus").string();
        // The accessibility bus puts its socket there: one per run, so that runs side by
        // side do not meet.
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) s_runtimeDir = old;
        ::setenv("XDG_RUNTIME_DIR", s_busDir.c_str(), 1);
        s_bus = new ProgramProcess;
        if (!s_bus->Start("dbus-daemon", "/", {}, (s_busDir / "bus.log").string(),
                          {"--session", "--nofork", "--address=" + address})) {
            s_why = "no dbus-daemon";
            return;
        }
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        for (int i = 0; i < 100 && !fs::exists(s_busDir / "bus"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        // Brings the accessibility bus up before the program starts, so that it registers.
        if (!Dump()) s_why = "no accessibility bus";
    }
    static void TearDownTestSuite() {
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        if (s_runtimeDir)
            ::setenv("XDG_RUNTIME_DIR", s_runtimeDir->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        delete s_bus;  // the accessibility bus ends with its session bus
        s_bus = nullptr;
        delete s_x;
        s_x = nullptr;
        std::error_code ec;
        fs::remove_all(s_busDir, ec);
    }
    void SetUp() override {
        WizardRunTest::SetUp();
        ASSERT_NE(s_x, nullptr) << "no X server for real input: " << s_why;
        ASSERT_TRUE(Dump().has_value()) << s_why;
    }

    static std::optional<std::string> Dump() {
        return s_x->Query("/usr/bin/python3",
                          {ZAVRO_SOURCE_DIR "/tests/access/atspi_dump.py", "zavro"});
    }
    // The line of the control with the focus ("" when none).
    static std::string FocusLine(const std::string& dump) {
        for (const std::string& line : SplitLines(dump))
            if (!line.empty() && line[0] == '*') return line.substr(1);
        return {};
    }

    // Polls the screen reader's view (real time, bounded) until ready says it is what a key
    // should have led to; the last view read.
    template <class Ready>
    std::string AwaitView(Ready ready, unsigned limitMs = 10000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        std::string view;
        do {
            if (auto d = Dump()) view = *d;
            if (ready(view)) return view;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < until);
        ADD_FAILURE() << "the view did not come:\n" << view;
        return view;
    }

    // A page: waits for its first paint and its focus (and what else ready wants), then
    // writes down all it reads.
    void Page(const std::string& className,
              const std::function<bool(const std::string&)>& ready = {}) {
        m_stamps = AwaitStamp("paint " + className, m_stamps, 30000);
        ASSERT_NE(m_stamps, 0u) << "no page " << className;
        const std::string view = AwaitView(
            [&](const std::string& v) { return !FocusLine(v).empty() && (!ready || ready(v)); },
            60000);
        m_transcript.push_back("# page " + className);
        for (const std::string& line : SplitLines(view)) {
            if (line.rfind("# window ", 0) == 0) {
                m_transcript.push_back("name: " + line.substr(9));
            } else if (!line.empty() && (line[0] == '*' || line[0] == ' ')) {
                m_transcript.push_back(line.substr(1));
                const std::size_t colon = line.find(": ");
                EXPECT_TRUE(colon != std::string::npos && line.size() > colon + 2 &&
                            line.compare(colon + 2, 2, " (") != 0)
                    << "a control without a name on " << className << ": " << line;
            } else {
                m_transcript.push_back(line);
            }
        }
        m_focus = FocusLine(view);
        m_transcript.push_back("focus: " + m_focus);
    }
    // A key that moves the focus: what the screen reader announces next.
    void Move(const std::string& key) {
        ASSERT_TRUE(s_x->Key(key));
        const std::string before = m_focus;
        m_focus = FocusLine(AwaitView([&](const std::string& v) {
            const std::string now = FocusLine(v);
            return !now.empty() && now != before;
        }));
        m_transcript.push_back("key: " + key);
        m_transcript.push_back("focus: " + m_focus);
    }
    // A key that acts (Enter, Space) or typing: nothing to announce but what follows.
    void Act(const std::string& key) {
        ASSERT_TRUE(s_x->Key(key));
        m_transcript.push_back("key: " + key);
    }
    void Type(const std::string& text) {
        ASSERT_TRUE(s_x->Type(text));
        m_transcript.push_back("type: " + text);
    }
    // The message box the road shows: its text and button, closed with Enter.
    void Box() {
        const std::string view = AwaitView([](const std::string& v) {
            return FocusLine(v).rfind("button:", 0) == 0 &&
                   v.find("# window Zavro") != std::string::npos;
        });
        m_transcript.push_back("# box");
        bool inBox = false;
        for (const std::string& line : SplitLines(view)) {
            if (line.rfind("# window ", 0) == 0)
                inBox = line == "# window Zavro";
            else if (inBox && !line.empty() && (line[0] == '*' || line[0] == ' '))
                m_transcript.push_back(line.substr(1));
        }
        Act("Return");
    }

    // The whole road, from the start page to Exit on the result page.
    void KeyboardRoad() {
        Page("CZavroWizard");
        Act("Return");
        Page("CZavroARQX");
        Act("Return");
        Page("CZavroQXset");
        Act("Return");  // the PC's network reset and the address wait follow
        Page("CZavroSetPwd");
        Type("5820");
        Move("Tab");  // leaving the current password checks it: a wait
        m_stamps = AwaitStamp("wait end", m_stamps, 30000);
        Type(kNewAdmin);
        Move("Tab");
        Type(kNewAdmin);
        Move("Tab");
        Move("Tab");
        Act("Return");
        Box();
        Page("CZavroConnectMode");
        Move("shift+Tab");
        Act("space");
        // The box painted on the picture is ticked: the reader hears it of the button.
        m_focus = FocusLine(AwaitView([](const std::string& v) {
            return FocusLine(v).find(" (checked)") != std::string::npos;
        }));
        m_transcript.push_back("focus: " + m_focus);
        Move("Tab");
        Act("Return");
        Page("CZavroPPPoE");
        Type(kUser);
        Move("Tab");
        Type(kPassword);
        Move("Tab");
        Move("Tab");
        Type(kMtu);  // Tab into a field selects its text: typing replaces it
        for (int i = 0; i < 3; ++i) Move("Tab");  // idle time is for on-demand only
        Act("Return");
        // The router restarts, then the Internet check: the page is read once it shows
        // its final picture with Finish, and has settled.
        std::string last;
        Page("CZavroSuccess", [&](const std::string& v) {
            const bool settled = v == last && v.find("button: " + m_finish) != std::string::npos;
            last = v;
            return settled;
        });
        for (int i = 0; i < 12 && m_focus != m_exit; ++i) Move("shift+Tab");
        Act("Return");
    }

    // The keyboard road in a language; the requests the router got.
    std::vector<std::string> RunRoad(const std::string& language, std::vector<std::string> args) {
        std::mutex mutex;
        std::vector<std::string> requests;
        StartRouter(true, [&](const std::string& line) {
            std::lock_guard lock(mutex);
            if (line.find(" -> ") != std::string::npos) requests.push_back(line);
        });
        RunOptions run;
        run.display = s_x->Display();
        run.args = std::move(args);
        run.messageLog = false;  // the box shows, and is read and closed with the keys
        run.env = {{"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}};
        if (!StartWizard({}, run)) return {};
        KeyboardRoad();
        const WizardOutcome outcome = FinishWizard();
        EXPECT_EQ(outcome.program.exitCode, 1) << outcome.output;  // Exit, by keyboard
        EXPECT_EQ(StateValue("pppUserName"), kUser);
        EXPECT_EQ(StateValue("pppMTU"), kMtu);
        EXPECT_EQ(m_sim->GetState().adminPassword, kNewAdmin);

        std::string text;
        for (const std::string& line : m_transcript) text += line + "\n";
        const std::string name = "pppoe-road-" + language + ".txt";
        std::ofstream(BuildFolder() / name, std::ios::binary) << text;
        EXPECT_EQ(text, ReadFile((fs::path(ZAVRO_SOURCE_DIR) / "tests/access" / name).string()))
            << "what the screen reader read is in " << (BuildFolder() / name);
        m_sim.reset();
        std::lock_guard lock(mutex);
        return requests;
    }

    std::vector<std::string> m_transcript;
    std::string m_focus;
    std::string m_exit = "button: Exit";  // what Exit and Finish read as
    std::string m_finish = "Finish";
    std::size_t m_stamps = 0;

    static inline XServer* s_x = nullptr;
    static inline ProgramProcess* s_bus = nullptr;
    static inline std::string s_why;
    static inline fs::path s_busDir;
    static inline std::optional<std::string> s_runtimeDir;
};

TEST_F(KeyboardAccessTest, EnglishRoadByKeyboardSendsWhatTheMouseRoadSends) {
    const std::vector<std::string> keyboard = RunRoad("en", {});

    std::mutex mutex;
    std::vector<std::string> requests;
    StartRouter(true, [&](const std::string& line) {
        std::lock_guard lock(mutex);
        if (line.find(" -> ") != std::string::npos) requests.push_back(line);
    });
    const WizardOutcome mouse = RunWizard(Concat(
        ToPasswordPage(),
        {"type 1020 5820", std::string("type 1021 ") + kNewAdmin,
         std::string("type 1022 ") + kNewAdmin, "click 1013", "await-window CZavroConnectMode",
         "click 1019", "click 1013", "await-window CZavroPPPoE", std::string("type 1036 ") + kUser,
         std::string("type 1037 ") + kPassword, std::string("type 1039 ") + kMtu, "click 1013",
         "await-window CZavroSuccess", "await-control 1013 60000", "click 1008", "sleep 5000",
         "quit 0"}));
    EXPECT_EQ(mouse.program.exitCode, 1) << mouse.output;
    std::lock_guard lock(mutex);
    EXPECT_FALSE(requests.empty());
    EXPECT_EQ(keyboard, requests);
}

TEST_F(KeyboardAccessTest, DutchRoadByKeyboardReadsInDutch) {
    m_exit = "button: Afsluiten";
    m_finish = "Voltooien";
    EXPECT_FALSE(RunRoad("nl", {"Spanish"}).empty());
}

}  // namespace
}  // namespace zavro::e2e
