// The real program while it waits, tried with a real mouse and keyboard: pointer and key
// events go through a private X server (XTest), so every click takes the route a hand's
// click takes. Exit ends the program during any wait; a click on anything else during a
// wait does nothing, then or afterwards.
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "RealInput.h"
#include "WizardRun.h"

namespace zavro::e2e {
namespace {

// Centres of the hotspots the tests click (page coordinates, which the 800x600 display
// makes screen coordinates).
constexpr int kExit[] = {745, 60};              // 1008
constexpr int kSummaryExit[] = {744, 60};       // 1073 of the wireless summary
constexpr int kNext[] = {644, 505};             // 1013
constexpr int kKeepDefault[] = {570, 504};      // 1077 of the password page
constexpr int kCurrentPassword[] = {465, 308};  // 1020
constexpr int kNewPassword[] = {465, 343};      // 1021
constexpr Rect kWaitLine{107, 494, 420, 22};    // where a page says that it waits

namespace fs = std::filesystem;

// Waits (real time, bounded) until the program has written a screenshot.
bool AwaitFile(const fs::path& path, unsigned limitMs = 30000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < until) {
        std::error_code ec;
        if (fs::file_size(path, ec) > 0 && !ec) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));  // written whole
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Pixels of r darker than any of the pictures' plain fills: text drawn there.
int InkIn(const Image& shot, const Rect& r) {
    int ink = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const std::uint32_t p = shot.At(x, y);
            const int luma = (((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
            ink += luma < 160;
        }
    return ink;
}

class RealInputTest : public WizardRunTest {
protected:
    static void SetUpTestSuite() { s_x = XServer::StartShared(s_why); }
    static void TearDownTestSuite() {
        delete s_x;
        s_x = nullptr;
    }
    void SetUp() override {
        WizardRunTest::SetUp();
        ASSERT_NE(s_x, nullptr) << "no X server for real input: " << s_why;
    }

    RunOptions OnDisplay(const std::string& timeScale = "0.001") const {
        RunOptions run;
        run.display = s_x->Display();
        run.timeScale = timeScale;
        return run;
    }
    static void Click(const int (&at)[2]) { ASSERT_TRUE(s_x->Click(at[0], at[1])); }
    // Waits for a stamp after the first `after` ones; fails the test if none comes.
    std::size_t Await(const std::string& prefix, std::size_t after = 0, unsigned ms = 30000) {
        const std::size_t n = AwaitStamp(prefix, after, ms);
        EXPECT_NE(n, 0u) << "no '" << prefix << "' stamp";
        return n;
    }
    void NoAnswer(const std::string& path = "") {
        routersim::Fault fault;
        fault.kind = routersim::FaultKind::NoAnswer;
        fault.path = path;
        m_sim->SetFault(fault);
    }
    // The program on the password page, the current password typed there with real keys;
    // the count of stamps up to the page's paint, or 0 when it did not get there.
    std::size_t ToPasswordTyped() {
        StartRouter();
        if (!StartWizard(ToPasswordPage(), OnDisplay())) return 0;
        const std::size_t shown = Await("paint CZavroSetPwd");
        if (shown == 0 || !s_x->Click(kCurrentPassword[0], kCurrentPassword[1]) ||
            !s_x->Type("5820"))
            return 0;
        return shown;
    }
    static bool Painted(const WizardOutcome& run, const std::string& page) {
        for (const auto& s : run.stamps)
            if (s == "paint " + page) return true;
        return false;
    }

    // A copy of the program's folder whose English string.ini lacks the lines that start
    // with prefix.
    fs::path MediumWithout(const std::string& prefix) const {
        const fs::path copy = Temp("medium");
        const fs::path from = WizardFolder();
        fs::create_directories(copy);
        for (const char* part : {"zavro", "image", "dhcpsetting.vbs", "dns-replaceserverlist.vbs"})
            fs::copy(from / part, copy / part,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        const fs::path ini = copy / "image" / "1" / "string.ini";
        std::string kept;
        std::istringstream lines(ReadFile(ini.string()));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(prefix, 0) != 0) kept += line + "\n";
        EXPECT_TRUE(WriteFile(ini.string(), kept));
        return copy;
    }

    static XServer* s_x;
    static std::string s_why;
};
XServer* RealInputTest::s_x = nullptr;
std::string RealInputTest::s_why;

// Next on the router connection page, then Exit 1 s into the 6-second address wait (real
// time): the program ends there, before the password page.
TEST_F(RealInputTest, ExitDuringTheAddressWaitEndsTheProgramThere) {
    StartRouter();
    ASSERT_TRUE(StartWizard({"await-window CZavroWizard 10000", "click 1013",
                             "await-window CZavroARQX", "click 1014", "await-window CZavroQXset"},
                            OnDisplay("1")));
    const std::size_t shown = Await("paint CZavroQXset");
    Click(kNext);
    Await("wait begin", shown);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Click(kExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    EXPECT_FALSE(Painted(run, "CZavroSetPwd")) << "the wait ran to its end first";
}

// Default on the password page against a router that takes the connection and never
// answers; Next during that wait does nothing, Exit ends the program: clicked, or with
// Enter when it holds the keyboard focus (a Tab meanwhile is dropped: the focus stays).
TEST_F(RealInputTest, ExitWhileTheRouterNeverAnswersEndsTheProgram) {
    for (const bool keyboard : {false, true}) {
        SCOPED_TRACE(keyboard ? "Exit by keyboard" : "Exit by mouse");
        const std::size_t shown = ToPasswordTyped();
        ASSERT_NE(shown, 0u);
        NoAnswer();
        // The header comes before the fields: one step back from the first field is Exit.
        if (keyboard) {
            ASSERT_TRUE(s_x->Key("shift+Tab"));
        }
        Click(kKeepDefault);  // a click moves no focus to a hotspot
        Await("wait begin", shown);
        Click(kNext);
        if (keyboard) {
            ASSERT_TRUE(s_x->Key("Tab"));
            ASSERT_TRUE(s_x->Key("Return"));
        } else {
            Click(kExit);
        }
        const WizardOutcome run = FinishWizard();
        EXPECT_EQ(run.program.exitCode, 1) << run.output;
        EXPECT_TRUE(run.messages.empty());
        // One login went out; Next during the wait sent nothing.
        EXPECT_EQ(m_sim->Requests().size(), 1u);
        m_sim.reset();
    }
}

// The wireless summary reads the wireless name from a router that does not answer: its
// own Exit (1073) ends the program during that read.
TEST_F(RealInputTest, SummaryExitEndsTheProgramDuringTheNameRead) {
    StartRouter();
    NoAnswer("/wlbasic.asp");
    ASSERT_TRUE(
        StartWizard(Concat(ToPasswordPage(),
                           {"type 1020 5820", "click 1014", "await-window CZavroSetWPA",
                            "click 1017", "type 1023 KeyForTheTest", "click 1013",
                            "await-window CZavroWait", "await-control 1060 30000", "click 1060"}),
                    OnDisplay()));
    const std::size_t closed = Await("click 1060");
    ASSERT_NE(Await("wait begin", closed), 0u) << "the name read is not waiting";
    Await("paint CZvWPAconfigure", closed);
    Click(kSummaryExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(m_sim->Requests().back().target, "/wlbasic.asp");
}

// Next clicked again while a slow check of the password runs does nothing, then or
// afterwards; the first click after the wait acts.
TEST_F(RealInputTest, NextDuringASlowExchangeDoesNothingAndTheNextClickWorks) {
    const std::size_t shown = ToPasswordTyped();
    ASSERT_NE(shown, 0u);
    routersim::Fault slow;
    slow.kind = routersim::FaultKind::Slow;
    slow.slowDelayMs = 150;  // the login's answer trickles in for seconds
    slow.count = 1;
    m_sim->SetFault(slow);
    Click(kNext);
    const std::size_t waiting = Await("wait begin", shown);
    Click(kNext);
    ASSERT_EQ(AwaitStamp("wait end", waiting, 0), 0u) << "the second click came after the wait";
    const std::size_t next = Await("paint CZavroConnectMode", waiting);
    Click(kExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_NE(next, 0u);
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    // One Next with no new password: one check of the current one, one message.
    EXPECT_EQ(run.messages, (std::vector<Message>{{"Zavro", MessageText("Not_Change_Pwd")}}));
    std::vector<std::string> paths;
    for (const auto& r : m_sim->Requests()) paths.push_back(r.method + " " + r.target);
    // The check's two logins, each answering the router's challenge.
    EXPECT_EQ(paths.size(), 4u) << ::testing::PrintToString(paths);
    std::vector<std::string> paints;
    for (const auto& s : run.stamps)
        if (s.rfind("paint ", 0) == 0) paints.push_back(s);
    ASSERT_FALSE(paints.empty());
    EXPECT_EQ(paints.back(), "paint CZavroConnectMode");
}

// Default on the password page against a router that never answers: from its third
// second the page says that it waits, counting, in the plain strip left of Default and
// Next, and nowhere else does it change; Exit still ends the program. English and Dutch,
// and a medium without the line's text, where the page at 4 s is the page before.
TEST_F(RealInputTest, ALongWaitSaysSoOnThePageAndExitEndsIt) {
    struct Case {
        const char* language;
        std::vector<std::string> args;
        bool withKey;
    } cases[] = {{"en", {}, true}, {"nl", {"Spanish"}, true}, {"en-without-key", {}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        const std::string tag = std::string("-") + c.language + ".png";
        const fs::path before = BuildFolder() / ("e2e-wait-line-before" + tag);
        const fs::path at4 = BuildFolder() / ("e2e-wait-line-4s" + tag);
        const fs::path later = BuildFolder() / ("e2e-wait-line-later" + tag);
        for (const fs::path& shot : {before, at4, later}) fs::remove(shot);
        StartRouter();
        RunOptions options = OnDisplay("1");
        options.args = c.args;
        if (!c.withKey) options.programFolder = MediumWithout("wait_router=").string();
        ASSERT_TRUE(
            StartWizard(Concat(ToPasswordPage(),
                               {"type 1020 5820", "screenshot " + before.string(),
                                "await-busy 30000", "sleep 4000", "screenshot " + at4.string(),
                                "sleep 1500", "screenshot " + later.string()}),
                        options));
        ASSERT_TRUE(AwaitFile(before));
        NoAnswer();
        Click(kKeepDefault);
        ASSERT_TRUE(AwaitFile(later)) << "no wait, or the program ended";
        Click(kExit);
        const WizardOutcome run = FinishWizard();
        EXPECT_EQ(run.program.exitCode, 1) << run.output;
        EXPECT_TRUE(run.messages.empty());

        const auto idle = LoadPicture(before), waited = LoadPicture(at4), on = LoadPicture(later);
        ASSERT_TRUE(idle && waited && on);
        EXPECT_EQ(InkIn(*idle, kWaitLine), 0) << "the strip is not plain";
        if (!c.withKey) {
            EXPECT_EQ(MeanDifference(idle->Crop(kWaitLine), waited->Crop(kWaitLine)), 0.0);
            m_sim.reset();
            continue;
        }
        EXPECT_GT(InkIn(*waited, kWaitLine), 200) << "no line after 4 s";
        // The count went on: the line changed while the rest of the page stayed.
        EXPECT_GT(MeanDifference(waited->Crop(kWaitLine), on->Crop(kWaitLine)), 0.0);
        // Title, text and the plain space around the line (hotspots show the pointer,
        // the focused field its caret).
        for (const Rect& rest : {Rect{0, 112, 800, 176}, Rect{0, 392, 530, 100}})
            EXPECT_EQ(MeanDifference(idle->Crop(rest), waited->Crop(rest)), 0.0)
                << rest.x << "," << rest.y;
        m_sim.reset();
    }
}

// A wrong current password, then a real click into the new-password field: the check
// fails and gives the focus back to the current-password field, and the field that lost
// it shows no caret (it looks like the untouched confirmation field).
TEST_F(RealInputTest, AfterAFailedFocusCheckOnlyTheFocusedFieldHasACaret) {
    StartRouter();
    std::vector<fs::path> shots;
    // The check takes milliseconds: the looks come well after the click that starts it.
    std::vector<std::string> script = Concat(ToPasswordPage(), {"type 1020 wrong", "sleep 3000"});
    for (int i = 0; i < 4; ++i) {  // caret blinks: four looks, a quarter second apart
        shots.push_back(BuildFolder() / ("e2e-caret-" + std::to_string(i) + ".png"));
        fs::remove(shots.back());
        script.push_back("sleep 250");
        script.push_back("screenshot " + shots.back().string());
    }
    ASSERT_TRUE(StartWizard(script, OnDisplay()));
    Await("paint CZavroSetPwd");
    Click(kNewPassword);
    // The pointer off the fields: a field under it looks hovered.
    ASSERT_TRUE(s_x->Query("xdotool", {"mousemove", "300", "450"}));
    ASSERT_TRUE(AwaitFile(shots.back()));
    Click(kExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    EXPECT_EQ(run.messages, (std::vector<Message>{{"Zavro", MessageText("Current_Pwd_Error")}}));
    for (const fs::path& shot : shots) {
        const auto picture = LoadPicture(shot);
        ASSERT_TRUE(picture) << shot;
        // Inside the frames: the picture under the corners differs.
        EXPECT_EQ(
            MeanDifference(picture->Crop({402, 337, 127, 12}), picture->Crop({402, 372, 127, 12})),
            0.0)
            << "the new-password field shows a caret in " << shot;
    }
}

// The restart box under a window manager: its size is fixed, so its frame offers neither
// maximise nor minimise.
TEST_F(RealInputTest, TheWaitDialogHasAFixedSizeUnderAWindowManager) {
    ASSERT_TRUE(s_x->StartWindowManager("openbox")) << "openbox is not installed";
    struct StopManager {
        ~StopManager() { s_x->StopWindowManager(); }
    } stop;
    StartRouter();
    const fs::path shown = BuildFolder() / "e2e-wait-dialog.png";
    fs::remove(shown);
    ASSERT_TRUE(StartWizard(
        Concat(ToPasswordPage(),
               {"type 1020 5820", "click 1014", "await-window CZavroSetWPA",
                "click 1013",  // security off, then the restart box
                "await-window CZavroWait", "sleep 1000", "screenshot " + shown.string()}),
        OnDisplay()));
    ASSERT_TRUE(AwaitFile(shown));
    const auto ids = s_x->Query("xdotool", {"search", "--onlyvisible", "--name", "^Zavro$"});
    ASSERT_TRUE(ids.has_value());
    int dialogs = 0;
    std::istringstream list(*ids);
    for (std::string id; list >> id;) {
        const auto props =
            s_x->Query("xprop", {"-id", id, "_NET_WM_WINDOW_TYPE", "_NET_WM_ALLOWED_ACTIONS",
                                 "WM_NORMAL_HINTS", "_MOTIF_WM_HINTS"});
        ASSERT_TRUE(props.has_value()) << id;
        if (props->find("_NET_WM_WINDOW_TYPE_DIALOG") == std::string::npos) continue;
        ++dialogs;
        // The window manager's own actions: no maximise, no resize.
        EXPECT_EQ(props->find("MAXIMIZE"), std::string::npos) << *props;
        EXPECT_EQ(props->find("_NET_WM_ACTION_RESIZE"), std::string::npos) << *props;
        const auto min = props->find("minimum size: "), max = props->find("maximum size: ");
        ASSERT_TRUE(min != std::string::npos && max != std::string::npos) << *props;
        EXPECT_EQ(props->substr(min + 14, props->find('\n', min) - min - 14),
                  props->substr(max + 14, props->find('\n', max) - max - 14));
        // The frame's buttons: Motif decorations without minimise (0x20) and maximise
        // (0x40), functions (when given) without them (0x08, 0x10).
        const auto motif = props->find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = ");
        ASSERT_NE(motif, std::string::npos) << *props;
        std::istringstream fields(props->substr(motif + 34));
        unsigned long flags = 0, functions = 0, decorations = 0;
        char comma = 0;
        fields >> std::hex >> flags >> comma >> functions >> comma >> decorations;
        ASSERT_TRUE(fields) << *props;
        EXPECT_TRUE(flags & 2) << "no decorations given: the frame shows every button";
        EXPECT_EQ(decorations & 0x61, 0u) << *props;  // 0x01 would mean all
        if (flags & 1) {
            EXPECT_EQ(functions & 0x19, 0u) << *props;
        }
    }
    EXPECT_EQ(dialogs, 1);
    m_program->Terminate(3000);
    FinishWizard();
}

}  // namespace
}  // namespace zavro::e2e
