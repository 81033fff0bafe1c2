// The real program through whole runs against the simulated router: guided PPPoE setup
// to the completion page, wireless name and key to the summary, a firmware upload.
#include <cstdint>
#include <random>
#include <string_view>

#include "WizardRun.h"

namespace zavro::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNewAdminPassword = "Nw&Pass=77";
constexpr const char* kPppoeUser = "alice@isp.example";
constexpr const char* kPppoePassword = "s3cret&pw%";
constexpr const char* kPppoeMtu = "1452";

// Start page to the PPPoE page's Next: a new admin password, then connection type PPPoE.
std::vector<std::string> PppoeSetup() {
    return Concat(ToPasswordPage(), {
                                        "type 1020 5820",
                                        std::string("type 1021 ") + kNewAdminPassword,
                                        std::string("type 1022 ") + kNewAdminPassword,
                                        "click 1013",
                                        "await-window CZavroConnectMode",
                                        "click 1019",  // PPPoE
                                        "click 1013",
                                        "await-window CZavroPPPoE",
                                        std::string("type 1036 ") + kPppoeUser,
                                        std::string("type 1037 ") + kPppoePassword,
                                        std::string("type 1039 ") + kPppoeMtu,
                                        "click 1013",
                                        "await-window CZavroSuccess",
                                    });
}

int Luma(std::uint32_t p) {
    return (((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
}

// Heights of the runs of rows of r that hold text (pixels darker than the pictures' plain
// fills): one per line of text.
std::vector<int> LineHeights(const Image& shot, const Rect& r) {
    std::vector<int> lines;
    int run = 0;
    for (int y = r.y; y <= r.y + r.h; ++y) {
        bool ink = false;
        for (int x = r.x; x < r.x + r.w && y < r.y + r.h && !ink; ++x)
            ink = Luma(shot.At(x, y)) < 160;
        if (ink) {
            ++run;
        } else if (run > 0) {
            lines.push_back(run);
            run = 0;
        }
    }
    return lines;
}

// The shipped languages the looks are checked in: English, and Dutch (picked by the
// command-line word that selects folder 2).
struct Language {
    const char* tag;
    std::vector<std::string> args;
};
const Language kLanguages[] = {{"en", {}}, {"nl", {"Spanish"}}};

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

TEST_F(WizardRunTest, PppoeSetupEndsOnTheCompletionPageOrTheFailurePage) {
    const fs::path shot = BuildFolder() / "e2e-pppoe-complete.png";
    struct Case {
        const char* name;
        bool internetUp;
        std::vector<std::string> tail;
        int exitCode;
    };
    const Case cases[] = {
        // Finish shows only after the Internet check; clicking it ends the program with 1.
        {"internet reachable",
         true,
         {"await-control 1013 30000", "screenshot " + shot.string(), "click 1013", "sleep 5000",
          "quit 0"},
         1},
        {"internet unreachable", false, {"await-window CZavroFailed 30000", "quit 0"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(shot);
        StartRouter(c.internetUp);
        const WizardOutcome run = RunWizard(Concat(PppoeSetup(), c.tail));
        EXPECT_EQ(run.program.exitCode, c.exitCode) << run.output;
        EXPECT_EQ(run.messages,
                  (std::vector<Message>{{"Zavro", MessageText("NewPwd_Set_Success")}}));

        // What the router holds: the state file, and the secrets it masks.
        EXPECT_EQ(StateValue("wanType"), "3") << StateFileText();
        EXPECT_EQ(StateValue("pppUserName"), kPppoeUser);
        EXPECT_EQ(StateValue("pppMTU"), kPppoeMtu);
        EXPECT_EQ(StateValue("pppConnectType"), "0");  // continuous
        EXPECT_EQ(StateValue("adminPasswordIsDefault"), "false");
        EXPECT_EQ(StateValue("reboots"), "1");  // the result page restarts the router
        routersim::State state = m_sim->GetState();
        EXPECT_EQ(state.adminPassword, kNewAdminPassword);
        EXPECT_EQ(state.wan["pppPassword"], kPppoePassword);
        EXPECT_EQ(m_sim->InternetRequests().size(), c.internetUp ? 1u : 0u);

        if (c.internetUp) {
            // The screenshot is the final picture, not the waiting one it replaced.
            const auto final = LoadPicture(shot);
            const auto expected = LoadPicture(fs::path(WizardFolder()) / "image/1/18.jpg");
            const auto waiting = LoadPicture(fs::path(WizardFolder()) / "image/1/18(1).jpg");
            ASSERT_TRUE(final && expected && waiting) << shot;
            const double toFinal = MeanDifference(*final, *expected);
            const double toWaiting = MeanDifference(*final, *waiting);
            EXPECT_LT(toFinal, 2.0);
            EXPECT_LT(toFinal * 4, toWaiting);
        }
        m_sim.reset();
    }
}

TEST_F(WizardRunTest, WrongCurrentPasswordIsRefusedAndTheDefaultKept) {
    StartRouter();
    const WizardOutcome run = RunWizard(Concat(ToPasswordPage(), {
                                                                     "type 1020 wrong-one",
                                                                     "type 1021 Other1",
                                                                     "type 1022 Other1",
                                                                     "click 1013",
                                                                     "type 1020 5820",
                                                                     "click 1077",  // keep it
                                                                     "await-window "
                                                                     "CZavroConnectMode",
                                                                     "quit 0",
                                                                 }));
    EXPECT_EQ(run.program.exitCode, 0) << run.output;
    // Checked when the new-password field takes the focus, and again on Next.
    const Message refused{"Zavro", MessageText("Current_Pwd_Error")};
    EXPECT_EQ(run.messages,
              (std::vector<Message>{refused, refused, {"Zavro", MessageText("Not_Change_Pwd")}}));
    EXPECT_EQ(StateValue("adminPasswordIsDefault"), "true") << StateFileText();
    EXPECT_EQ(m_sim->GetState().adminPassword, "5820");
}

TEST_F(WizardRunTest, WirelessNameAndKeyReachTheRouterAndTheSummary) {
    // Characters the request bodies must escape.
    const std::string ssid = "Home & Garden+1";
    const std::string key = "Key&With=Sym%20";
    const fs::path shot = BuildFolder() / "e2e-wireless-summary.png";
    fs::remove(shot);
    StartRouter();
    const WizardOutcome run = RunWizard(Concat(ToPasswordPage(), {
                                                                     "type 1020 5820",
                                                                     "click 1015",  // Wireless
                                                                     "await-window CZavroESSID",
                                                                     "check-text 1023 KORVAN",
                                                                     "type 1023 " + ssid,
                                                                     "click 1016",
                                                                     "await-window CZavroSetWPA",
                                                                     "click 1017",  // use a key
                                                                     "type 1023 " + key,
                                                                     "click 1013",
                                                                     "await-window CZavroWait",
                                                                     "await-control 1060 30000",
                                                                     "click 1060",
                                                                     "await-window CZvWPAconfigure",
                                                                     "check-text 1015 " + ssid,
                                                                     "check-text 1075 " + key,
                                                                     "check-text 1076 5820",
                                                                     "screenshot " + shot.string(),
                                                                     "quit 0",
                                                                 }));
    // A check-text mismatch on the summary would end the program with 98.
    EXPECT_EQ(run.program.exitCode, 0) << run.output;
    EXPECT_TRUE(run.messages.empty()) << run.messages.front().text;
    EXPECT_EQ(StateValue("ssid"), ssid) << StateFileText();
    EXPECT_EQ(StateValue("securityOn"), "true");
    EXPECT_EQ(StateValue("reboots"), "1");
    EXPECT_EQ(m_sim->GetState().wpaKey, key);
    // Every page and the wait dialog were painted once, after the click that asked for
    // them; typing into fields is no click.
    EXPECT_EQ(run.stamps,
              (std::vector<std::string>{
                  "paint CZavroWizard", "click 1013", "paint CZavroARQX", "click 1014",
                  "paint CZavroQXset", "click 1013", "paint CZavroSetPwd", "click 1015",
                  "paint CZavroESSID", "click 1016", "paint CZavroSetWPA", "click 1017",
                  "click 1013", "paint CZavroWait", "click 1060", "paint CZvWPAconfigure"}));
    const auto summary = LoadPicture(shot);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->width, 800);
    EXPECT_EQ(summary->height, 600);
}

// The longest key a person can type (63 hexadecimal digits) on the summary, where it is
// written down: whole, on two lines where the picture leaves room, its glyphs as tall as
// the wireless name's.
TEST_F(WizardRunTest, TheLongestKeyShowsWholeOnTheSummaryAtTheNameSize) {
    std::string key;
    for (int i = 0; i < 63; ++i) key += "0123456789abcdef"[(i * 7) % 16];
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.tag);
        const fs::path shot =
            BuildFolder() / (std::string("e2e-summary-long-key-") + language.tag + ".png");
        fs::remove(shot);
        StartRouter();  // its wireless name: "default"
        RunOptions options;
        options.args = language.args;
        const WizardOutcome run = RunWizard(
            Concat(ToPasswordPage(),
                   {"type 1020 5820", "click 1014", "await-window CZavroSetWPA", "click 1017",
                    "type 1023 " + key, "click 1013", "await-window CZavroWait",
                    "await-control 1060 30000", "click 1060", "await-window CZvWPAconfigure",
                    "check-text 1075 " + key, "screenshot " + shot.string(), "quit 0"}),
            options);
        EXPECT_EQ(run.program.exitCode, 0) << run.output;
        const auto summary = LoadPicture(shot);
        ASSERT_TRUE(summary) << shot;
        // Inside the value boxes the picture draws (their frames left out).
        const std::vector<int> name = LineHeights(*summary, {160, 366, 388, 19});
        const std::vector<int> lines = LineHeights(*summary, {245, 392, 305, 38});
        ASSERT_EQ(name.size(), 1u);
        ASSERT_EQ(lines.size(), 2u) << "the key is not on two whole lines";
        for (int height : lines) EXPECT_GE(height, name[0]);
        m_sim.reset();
    }
}

// The failure page with the Internet down: the diagnosis says why and what to do, drawn
// in the picture's own text colour (no toolkit black), below the picture's one sentence.
TEST_F(WizardRunTest, TheFailurePageSaysWhyInThePicturesTextLook) {
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.tag);
        const fs::path shot =
            BuildFolder() / (std::string("e2e-failure-page-") + language.tag + ".png");
        fs::remove(shot);
        StartRouter(false);
        RunOptions options;
        options.args = language.args;
        const WizardOutcome run = RunWizard(
            Concat(PppoeSetup(), {"await-window CZavroFailed 30000", "await-control 1062 30000",
                                  "screenshot " + shot.string(), "quit 0"}),
            options);
        EXPECT_EQ(run.program.exitCode, 0) << run.output;
        const auto page = LoadPicture(shot);
        ASSERT_TRUE(page) << shot;
        int ink = 0, black = 0;
        for (int y = 330; y < 430; ++y)
            for (int x = 107; x < 693; ++x) {
                const int luma = Luma(page->At(x, y));
                ink += luma < 160;
                black += luma < 40;
            }
        EXPECT_GT(ink, 300) << "no diagnosis";
        EXPECT_EQ(black, 0) << "the diagnosis is in the toolkit's black";
        m_sim.reset();
    }
}

TEST_F(WizardRunTest, FirmwareFileReachesTheRouterWhole) {
    // An odd size, and bytes of every value.
    std::string image(256 * 1024 + 77, '\0');
    std::mt19937 random(20261208);
    for (char& c : image) c = static_cast<char>(random() & 0xFF);
    const fs::path file = Temp("QX-3150n_v1.2.bin");
    ASSERT_TRUE(WriteFile(file.string(), image));
    StartRouter();
    const WizardOutcome run =
        RunWizard(Concat(ToPasswordPage(), {
                                               "type 1020 5820",
                                               "click 1010",  // Firmware
                                               "await-window CZavroUpdateFirM",
                                               "answer-file " + file.string(),
                                               "click 1016",  // Browse
                                               "check-text 1023 " + file.string(),
                                               "click 1017",  // Upload
                                               "await-window CZavroWait",
                                               "await-control 1060 30000",
                                               "click 1060",
                                               "quit 0",
                                           }));
    EXPECT_EQ(run.program.exitCode, 0) << run.output;
    EXPECT_TRUE(run.messages.empty()) << run.messages.front().text;
    EXPECT_EQ(StateValue("firmwareUploads"), "1") << StateFileText();
    EXPECT_EQ(StateValue("firmwareBytes"), std::to_string(image.size()));
    EXPECT_EQ(StateValue("firmwareName"), file.string());

    // The image part of the upload as received, byte for byte.
    const auto requests = m_sim->Requests();
    std::size_t upload = requests.size();
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (requests[i].method == "POST" && requests[i].target.rfind("/goform/formUpload", 0) == 0)
            upload = i;
    }
    ASSERT_LT(upload, requests.size());
    const std::string& body = requests[upload].body;
    const auto part = body.find("filename=");
    ASSERT_NE(part, std::string::npos);
    const auto data = body.find("\r\n\r\n", part);
    ASSERT_NE(data, std::string::npos);
    const std::string received = body.substr(data + 4, image.size());
    EXPECT_EQ(received.size(), image.size());
    EXPECT_EQ(Fnv1a(received), Fnv1a(image));
    EXPECT_EQ(body.compare(data + 4 + image.size(), 4, "\r\n--"), 0) << "the part goes on";
    // After the image the wait dialog sends the language before it offers its button.
    bool languageAfter = false;
    for (std::size_t i = upload + 1; i < requests.size(); ++i)
        languageAfter = languageAfter || requests[i].target.find("Language") != std::string::npos;
    EXPECT_TRUE(languageAfter);
}

TEST(JsonValueTest, ReadsStringsNumbersAndEscapes) {
    const std::string json =
        "{\n  \"ssid\": \"a \\\"b\\\" \\\\ \\u0026\",\n  \"reboots\": 2,\n"
        "  \"wan\": {\"pppMTU\": \"1452\"},\n  \"on\": true\n}\n";
    EXPECT_EQ(JsonValue(json, "ssid"), "a \"b\" \\ &");
    EXPECT_EQ(JsonValue(json, "reboots"), "2");
    EXPECT_EQ(JsonValue(json, "pppMTU"), "1452");
    EXPECT_EQ(JsonValue(json, "on"), "true");
    EXPECT_EQ(JsonValue(json, "missing"), std::nullopt);
    EXPECT_EQ(JsonValue("{\"cut\": \"no end", "cut"), std::nullopt);
}

}  // namespace
}  // namespace zavro::e2e
