// The wait dialog's timers and texts, and the input checks of the wireless and firmware
// pages that never reach the router.
#include <gtest/gtest.h>

#include <fstream>

#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "pages/ZavroWait.h"
#include "support/TestEnv.h"
#include "ui/ButtonST.h"

namespace zavro {
namespace {

struct WaitCase {
    int model;
    const char* const* key;
    int timer;
    unsigned ms;
};

TEST(WaitDialog, TimerByModelAndKey) {
    const WaitCase cases[] = {
        {8, &kRebootKeyLanguage, 11, 50000}, {8, &kRebootKeyFirmware, 22, 120000},
        {8, &kRebootKeySsid, 22, 65000},     {8, &kRebootKeyWpa, 22, 65000},
        {1, &kRebootKeyFirmware, 22, 120000}, {7, &kRebootKeyLanguage, 11, 50000},
        {2, &kRebootKeyFirmware, 22, 45000}, {6, &kRebootKeyLanguage, 22, 45000},
        {4, &kRebootKeyWpa, 22, 45000},
    };
    for (const auto& c : cases) {
        test::TestEnv env;
        theApp.SetModel(c.model);
        theApp.m_pszRebootKey = *c.key;
        std::map<int, unsigned> timers;
        bool buttonHidden = false;
        env.ui.onModal = [&](test::FakeWindow& w) {
            timers = w.Timers();
            buttonHidden = !w.IsControlVisible(1060);
            w.EndModal(1);
        };
        CZavroWait wait;
        EXPECT_EQ(wait.DoModal(), 1);
        // Beside the dialog's own timer, the progress bar's tick.
        EXPECT_EQ(timers, (std::map<int, unsigned>{{c.timer, c.ms}, {33, 1000}}))
            << "model " << c.model << " key " << *c.key;
        EXPECT_TRUE(buttonHidden);
    }
}

TEST(WaitDialog, LabelTextAndButtonAfterTheTimer) {
    test::TestEnv env;
    env.profile.echoKeys = true;
    theApp.SetModel(8);
    theApp.m_pszRebootKey = kRebootKeyWpa;
    env.ui.onModal = [&](test::FakeWindow& w) {
        EXPECT_TRUE(w.Style().modalFrame);
        EXPECT_FALSE(w.Icon().Empty());
        EXPECT_EQ(w.Icon().pixels, LoadIconResource(128).pixels);
        EXPECT_EQ(w.GetText(1061), "WPA_Reboot");
        EXPECT_EQ(w.Caption(), "Zavro");
        // Centred on the work area.
        const Rect work = w.WorkArea(), box = w.Geometry();
        EXPECT_EQ(box.x + box.w / 2, work.x + work.w / 2);
        EXPECT_EQ(box.y + box.h / 2, work.y + work.h / 2);
        // The bar fills over the 65 s the router takes, and never shows full too early.
        EXPECT_EQ(w.Control(1062)->progress, 0);
        env.clock.Advance(32500);
        EXPECT_EQ(w.Control(1062)->progress, 49);  // 32 whole seconds of 65
        env.clock.Advance(32499);
        EXPECT_EQ(w.Control(1062)->progress, 98);
        EXPECT_TRUE(w.IsControlVisible(1062));
        EXPECT_FALSE(w.IsControlVisible(1060));
        env.clock.Advance(1);
        EXPECT_TRUE(w.IsControlVisible(1060));
        EXPECT_FALSE(w.IsControlVisible(1062));
        EXPECT_EQ(w.GetText(1060), "Reboot_Complete");
        EXPECT_TRUE(w.Timers().empty());
        EXPECT_TRUE(w.Click(1060));
    };
    CZavroWait wait;
    EXPECT_EQ(wait.DoModal(), 1);
}

TEST(WaitDialog, LanguageKeyShowsTheFirmwareTextAndKeysEndIt) {
    test::TestEnv env;
    env.profile.echoKeys = true;
    theApp.SetModel(2);
    theApp.m_pszRebootKey = kRebootKeyLanguage;
    env.ui.onModal = [&](test::FakeWindow& w) {
        EXPECT_EQ(w.GetText(1061), "Firm_Reboot");
        EXPECT_FALSE(w.PressKey(Key::Escape));  // cancels before the button shows
    };
    CZavroWait wait;
    EXPECT_EQ(wait.DoModal(), 2);
}

TEST(WaitDialog, NinetyEightFamilyReadsFolderOneAndMissingKeyGivesTheDefault) {
    test::TestEnv env;
    theApp.SetLanguage(4);
    theApp.SetModel(8);
    theApp.m_pszRebootKey = kRebootKeySsid;
    env.system.version = {4, 90, 1, ""};
    std::string label;
    env.ui.onModal = [&](test::FakeWindow& w) {
        label = w.GetText(1061);
        w.EndModal(1);
    };
    CZavroWait wait;
    wait.DoModal();
    ASSERT_FALSE(env.profile.lookups.empty());
    EXPECT_EQ(env.profile.lookups[0].path, env.ImageDir() + "/1/string.ini");
    EXPECT_FALSE(label.empty());  // the default text, not an empty label
}

class OfflinePages : public ::testing::Test {
protected:
    void SetUp() override {
        env.profile.echoKeys = true;
        for (const char* n : {"21.jpg", "22.jpg", "23.jpg", "24.jpg"}) env.AddPicture(1, n);
        theApp.m_hHubWnd = &hub;
        theApp.SetModel(8);
    }
    test::FakeWindow& Open(unsigned message) {
        SendMessage(theApp.m_hHubWnd, message);
        return *env.ui.Top();
    }
    test::TestEnv env;
    CZavroDlg hub;
};

TEST_F(OfflinePages, WirelessNameDefaultsAndEmptyName) {
    test::FakeWindow& w = Open(WM_PAGE_ESSID);
    EXPECT_EQ(w.Title(), "CZavroESSID");
    EXPECT_EQ(w.GetText(1023), "KORVAN");
    EXPECT_EQ(w.Control(1023)->limit, 32);
    EXPECT_FALSE(w.IsControlEnabled(1013));
    EXPECT_TRUE(w.Type(1023, std::string(40, 'x')));
    EXPECT_EQ(w.GetText(1023).size(), 32u);
    EXPECT_TRUE(w.Type(1023, ""));
    EXPECT_TRUE(w.Click(1016));
    EXPECT_EQ(env.ui.MessageTexts(), std::vector<std::string>{"Input_The_Info"});
    EXPECT_EQ(env.ui.Top(), &w);
    EXPECT_EQ(theApp.m_strSSID, "");
}

TEST_F(OfflinePages, WirelessTabsHiddenForModelTwoAndEveryPageHasTheProgramIcon) {
    theApp.SetModel(2);
    for (unsigned page : {WM_PAGE_ESSID, WM_PAGE_SETWPA, WM_PAGE_UPDATEFIRM}) {
        test::FakeWindow& w = Open(page);
        EXPECT_FALSE(w.Icon().Empty()) << w.Title();
        EXPECT_EQ(w.Icon().pixels, LoadIconResource(128).pixels) << w.Title();
        EXPECT_FALSE(w.IsControlVisible(1015)) << w.Title();
        EXPECT_FALSE(w.IsControlVisible(1014)) << w.Title();
        EXPECT_TRUE(w.IsControlVisible(1010)) << w.Title();
    }
    // The router-language page hides no tab.
    test::FakeWindow& w = Open(WM_PAGE_SETLANGUAGE);
    EXPECT_TRUE(w.IsControlVisible(1015));
}

TEST_F(OfflinePages, SecurityKeyCheckBoxShowsTheKeyAndLengthRules) {
    test::FakeWindow& w = Open(WM_PAGE_SETWPA);
    EXPECT_FALSE(w.IsControlVisible(1023));
    EXPECT_EQ(w.GetText(1023), "VELQAR2468");
    EXPECT_EQ(w.Control(1023)->limit, 63);
    EXPECT_EQ(w.CursorOver(1017), CursorShape::Arrow);
    EXPECT_EQ(w.CursorOver(1015), CursorShape::Hand);
    ASSERT_TRUE(w.Click(1017));
    EXPECT_TRUE(w.IsControlVisible(1023));
    ASSERT_TRUE(w.Click(1017));
    EXPECT_FALSE(w.IsControlVisible(1023));
    ASSERT_TRUE(w.Click(1017));
    ASSERT_TRUE(w.Type(1023, "1234567"));
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(env.ui.MessageTexts(), std::vector<std::string>{"Input_The_Info"});
    EXPECT_EQ(theApp.m_strWPAKey, "");
    ASSERT_TRUE(w.Type(1023, std::string(64, 'a')));  // the edit refuses the 64th
    EXPECT_EQ(w.GetText(1023).size(), 63u);
}

TEST_F(OfflinePages, FirmwarePageRefusesOtherModelsAndIgnoresMissingFiles) {
    test::FakeWindow& w = Open(WM_PAGE_UPDATEFIRM);
    ASSERT_TRUE(w.Click(1017));  // empty path: nothing happens
    ASSERT_TRUE(w.Type(1023, (env.programDir / "none.bin").string()));
    ASSERT_TRUE(w.Click(1017));
    EXPECT_TRUE(env.ui.Messages().empty());

    const auto image = env.programDir / "image.dat";
    std::ofstream(image) << "firmware";
    theApp.SetModel(3);
    ASSERT_TRUE(w.Type(1023, image.string()));
    ASSERT_TRUE(w.Click(1017));
    EXPECT_EQ(env.ui.MessageTexts(), std::vector<std::string>{"Firm_Format_Worng"});
    for (int id : {1016, 1017, 1023}) EXPECT_TRUE(w.IsControlEnabled(id)) << id;
}

TEST_F(OfflinePages, BrowseFillsThePathWithTheFilter) {
    test::FakeWindow& w = Open(WM_PAGE_UPDATEFIRM);
    env.ui.fileAnswers = {std::string("/media/fw one.bin"), std::nullopt};
    ASSERT_TRUE(w.Click(1016));
    EXPECT_EQ(w.GetText(1023), "/media/fw one.bin");
    ASSERT_TRUE(w.Click(1016));  // cancelled: the path stays
    EXPECT_EQ(w.GetText(1023), "/media/fw one.bin");
    EXPECT_EQ(env.ui.fileFilters.front(), "Binary files(*.bin)|*.bin|All files(*.*)|*.*||");
}

TEST_F(OfflinePages, RouterLanguagePageWithoutFirmwareStaysUsable) {
    test::FakeWindow& w = Open(WM_PAGE_SETLANGUAGE);
    ASSERT_TRUE(w.Click(1066));
    EXPECT_TRUE(env.ui.Messages().empty());
    for (int id : {1066, 1067, 1010, 1013}) EXPECT_TRUE(w.IsControlEnabled(id)) << id;
    EXPECT_EQ(w.CursorOver(1066), CursorShape::Hand);
    EXPECT_EQ(w.CursorOver(1017), CursorShape::Arrow);

    std::filesystem::create_directories(env.programDir / "Firmware");
    std::ofstream(env.programDir / "Firmware" / "Firmware.bin") << "fw";
    theApp.SetModel(5);
    ASSERT_TRUE(w.Click(1066));
    EXPECT_EQ(env.ui.MessageTexts(), std::vector<std::string>{"Firm_Format_Worng"});
    EXPECT_TRUE(w.IsControlEnabled(1066));  // usable again after a refused image
}

TEST_F(OfflinePages, RouterLanguageTabs) {
    test::FakeWindow& w = Open(WM_PAGE_SETLANGUAGE);
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(env.ui.Top()->Title(), "CZavroUpdateFirM");
    EXPECT_EQ(theApp.m_pszRebootKey, nullptr);
}

}  // namespace
}  // namespace zavro
