// Start-up language, shared state, folders and texts.
#include <gtest/gtest.h>

#include <fstream>

#include "app/Texts.h"
#include "app/ZavroApp.h"
#include "support/TestEnv.h"

namespace zavro {
namespace {

TEST(StartupLanguage, WordsAndPositions) {
    struct Case {
        const char* line;
        int language;
    } cases[] = {
        {"D:\\Setup\\zavro.exe", 1},
        {"D:\\Setup\\zavro.exe Spanish", 2},
        {"D:\\Setup\\zavro.exe Portugal", 3},
        {"D:\\Setup\\zavro.exe Portugal Spanish", 2},  // "Spanish" is tested first
        {"Portugal", 1},                               // position 0 does not count
        {"Spanish Portugal", 3},
        {"zavro portugal", 1},  // case-sensitive
        {"zavro SPANISH", 1},
        {"D:\\Spanish\\zavro.exe", 2},  // the program path counts too
        {"", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageFromCommandLine(c.line), c.language) << c.line;
}

TEST(StartupLanguage, InitInstanceTakesTheWholeCommandLine) {
    test::TestEnv env;
    env.AddPicture(2, "03.jpg");
    env.system.commandLine = env.system.programPath + " /x Spanish";
    EXPECT_EQ(theApp.InitInstance(), FALSE);  // the process ends when the hub's run returns
    EXPECT_EQ(theApp.GetLanguage(), 2);
    // The hub opened the wizard start page from the language-2 folder.
    ASSERT_FALSE(env.ui.History().empty());
    EXPECT_EQ(env.ui.History().front(), "CZavroWizard");
    EXPECT_TRUE(env.system.Exits().empty());
}

TEST(StartupLanguage, NoSocketLayerEndsWithoutAWindow) {
    test::TestEnv env;
    struct NoSocketLayer final : ITcpFactory {
        std::unique_ptr<ITcpSocket> Create() override { return nullptr; }
        bool Startup() override { return false; }
    } tcp;
    Ports().tcp = &tcp;
    EXPECT_EQ(theApp.InitInstance(), FALSE);
    EXPECT_TRUE(env.ui.History().empty());
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST(AppState, StartValuesAndAccessors) {
    CZavroApp app;
    EXPECT_EQ(app.m_strPassword, "5820");
    EXPECT_EQ(app.GetModel(), 0);
    EXPECT_EQ(app.m_pszRebootKey, nullptr);
    EXPECT_EQ(app.m_hHubWnd, nullptr);

    app.SetConnectionType(2, TRUE);
    app.SetConnectionType(4, FALSE);  // only clears the flag
    EXPECT_EQ(app.GetConnectionType(), 2);
    EXPECT_EQ(app.GetConnectionTypeChosen(), 0);

    for (auto [variant, name] : {std::pair{0, ""}, {1, ""}, {2, "QX-3150NS"}, {3, "QX-3150nS"},
                                 {4, ""}}) {
        app.m_nModelVariant = variant;
        EXPECT_EQ(app.GetModelName(), name) << variant;
    }
}

TEST(Folders, BaseFolderCutsTwice) {
    test::TestEnv env;
    struct Case {
        const char* program;
        char sep;
        const char* base;
        const char* image;
    } cases[] = {
        {"D:\\Media\\Setup\\Wizard.exe", '\\', "D:\\Media", "D:\\Media\\Setup\\image"},
        {"D:\\Setup\\Wizard.exe", '\\', "D:", "D:\\Setup\\image"},
        {"D:\\Wizard.exe", '\\', "", "D:\\image"},  // program at a drive root
        {"/media/cd/Wizard/zavro", '/', "/media/cd", "/media/cd/Wizard/image"},
        {"/zavro", '/', "", "/image"},  // program at the filesystem root
        {"zavro", '/', "", "/image"},
    };
    for (const auto& c : cases) {
        env.system.programPath = c.program;
        env.system.separator = c.sep;
        EXPECT_EQ(GetBaseFolder(), c.base) << c.program;
        EXPECT_EQ(g_strBaseFolder, c.base);
        EXPECT_EQ(GetImageFolder(), c.image) << c.program;
    }
    env.system.programPath = "D:\\Setup\\Wizard.exe";
    env.system.separator = '\\';
    EXPECT_EQ(GetManualFolder(), "D:\\Setup\\Manual");
    EXPECT_EQ(GetQIGFolder(), "D:\\Setup\\QIG");
}

TEST(Messages, WideReadFromTheLanguageFolder) {
    test::TestEnv env;
    theApp.SetLanguage(6);
    const std::string ini = env.ImageDir() + "/6/string.ini";
    env.profile.values[ini + "|MESSAGE|Connect_to_Router"] = "Bitte Router anschließen";
    ShowMessage("Connect_to_Router");
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].caption, "Zavro");
    EXPECT_EQ(env.ui.Messages()[0].text, "Bitte Router anschließen");
    ASSERT_EQ(env.profile.lookups.size(), 1u);
    EXPECT_TRUE(env.profile.lookups[0].wide);
}

TEST(Messages, NinetyEightFamilyReadsFolderOneAsAnsi) {
    test::TestEnv env;
    theApp.SetLanguage(6);
    for (OsVersion v : {OsVersion{4, 10, 1, ""}, OsVersion{4, 10, 1, "A"}, OsVersion{4, 90, 1, ""}}) {
        env.system.version = v;
        env.profile.lookups.clear();
        env.profile.values[env.ImageDir() + "/1/string.ini|MESSAGE|Reboot"] = "Caf\xE9 \x80";
        ShowMessage("Reboot");
        ASSERT_EQ(env.profile.lookups.size(), 1u);
        EXPECT_FALSE(env.profile.lookups[0].wide);
        EXPECT_EQ(env.profile.lookups[0].path, env.ImageDir() + "/1/string.ini");
        EXPECT_EQ(env.ui.Messages().back().text, "Caf\xC3\xA9 \xE2\x82\xAC");  // Windows-1252
    }
}

TEST(Messages, MissingKeyGivesAnEmptyBox) {
    test::TestEnv env;
    ShowMessage("no_such_key");
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, "");
    EXPECT_EQ(env.ui.Messages()[0].caption, "Zavro");
}

TEST(Texts, Utf16ToUtf8) {
    EXPECT_EQ(Utf16ToUtf8(u"Gr\u00FC\u00DFe"), "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");  // unpaired
}

TEST(Pictures, LoadPictureDecodesOrFails) {
    test::TestEnv env;
    env.AddPicture(1, "03.jpg");
    auto pic = LoadPicture(env.ImageDir() + "/1/03.jpg");
    ASSERT_TRUE(pic.has_value());
    EXPECT_EQ(pic->width, 800);
    EXPECT_EQ(pic->height, 600);
    EXPECT_FALSE(LoadPicture(env.ImageDir() + "/1/missing.jpg"));
    std::ofstream(env.ImageDir() + "/1/text.jpg") << "this is not a picture";
    EXPECT_FALSE(LoadPicture(env.ImageDir() + "/1/text.jpg"));
    std::ofstream(env.ImageDir() + "/1/empty.jpg");
    EXPECT_FALSE(LoadPicture(env.ImageDir() + "/1/empty.jpg"));
}

}  // namespace
}  // namespace zavro
