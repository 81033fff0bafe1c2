// The admin password page: the current-password check, the change and the tabs.
#include "app/Texts.h"
#include "router/Function.h"
#include "setup_fixture.h"
#include "ui/Page.h"

namespace zavro {
namespace {

class SetPwdPage : public test::SetupPages {
protected:
    void SetUp() override {
        SetupPages::SetUp();
        theApp.SetModel(8);
        theApp.m_nModelVariant = 2;
    }
    // Types the three fields as a user would (the focus moving into 1021 runs the check),
    // then forgets what that caused.
    test::FakeWindow& Fill(const std::string& current, const std::string& fresh,
                           const std::string& again) {
        test::FakeWindow& w = Open(WM_PAGE_SETPWD);
        w.Type(1020, current);
        w.Type(1021, fresh);
        w.Type(1022, again);
        env.ui.ClearMessages();
        router.requests.clear();
        return w;
    }
    std::size_t Logins(const std::string& password) {
        std::size_t n = 0;
        for (const auto& r : router.To("index.asp")) n += r.password == password;
        return n;
    }
};

TEST_F(SetPwdPage, OpensEmptyWithLimitsAndModelName) {
    test::FakeWindow& w = Open(WM_PAGE_SETPWD);
    EXPECT_EQ(w.Title(), "CZavroSetPwd");
    EXPECT_TRUE(router.requests.empty());  // nothing is asked of the router on opening
    for (int id : {1020, 1021, 1022}) {
        EXPECT_EQ(w.GetText(id), "") << id;
        EXPECT_EQ(w.Control(id)->kind, ControlKind::PasswordEdit) << id;
    }
    EXPECT_EQ(w.GetText(1018), "QX-3150NS");
    EXPECT_EQ(w.ControlRect(1077), (Rect{544, 492, 52, 25}));
    EXPECT_EQ(w.ControlRect(1021), (Rect{399, 334, 133, 18}));
    // A 31st character cannot be typed into the new fields, however many bytes each one
    // takes; the current one has no limit.
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "\u00FC";
    for (int id : {1021, 1022}) {
        w.Type(id, longText);
        EXPECT_EQ(w.GetText(id), longText.substr(0, 60)) << id;
    }
    w.Type(1020, longText);
    EXPECT_EQ(w.GetText(1020), longText);
    for (int id : {1003, 1004, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1077})
        EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    EXPECT_EQ(w.CursorOver(1020), CursorShape::Arrow);
}

TEST_F(SetPwdPage, ModelTwoHasNoWirelessTabs) {
    theApp.SetModel(2);
    test::FakeWindow& w = Open(WM_PAGE_SETPWD);
    EXPECT_FALSE(w.IsControlVisible(1015));
    EXPECT_FALSE(w.IsControlVisible(1014));
    EXPECT_TRUE(w.IsControlVisible(1010));
}

TEST_F(SetPwdPage, FocusIntoNewFieldChecksTheCurrentPassword) {
    struct Case {
        const char* typed;
        bool reachable;
        std::vector<std::string> messages;
        int focus;
        const char* stored;
    } cases[] = {
        {"wrong", true, {"Current_Pwd_Error"}, 1020, "5820"},
        {"5820", true, {}, 1021, "5820"},
        {"5820", false, {"failed_setting"}, 1020, "5820"},
    };
    router.password = "5820";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        router.reachable = c.reachable;
        theApp.m_strPassword = "old";
        theApp.m_strNewPassword = "";
        test::FakeWindow& w = Open(WM_PAGE_SETPWD);
        w.Type(1020, c.typed);
        router.requests.clear();
        w.Focus(1021);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(w.Focus(), c.focus);
        ASSERT_FALSE(router.requests.empty());
        EXPECT_EQ(router.requests[0].object, "index.asp");
        EXPECT_EQ(router.requests[0].password, c.typed);
        const bool passed = c.messages.empty();
        EXPECT_EQ(theApp.m_strPassword, passed ? c.stored : "old");
        EXPECT_EQ(theApp.m_strNewPassword, passed ? c.stored : "");
        EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
        EXPECT_EQ(TopTitle(), "CZavroSetPwd");
    }
}

// A check that lasts says so from its third second on, counting, in the pictures' text
// look, and the line goes with the wait; a medium without the key shows nothing new.
TEST_F(SetPwdPage, ALongWaitSaysSoOnThePage) {
    struct Case {
        const char* text;  // of "wait_router"; nullptr: not on the medium
        std::uint64_t waitedMs;
        const char* shown;  // nullptr: no line
    } cases[] = {
        {"Waiting for the router (%d s). Exit ends the wizard.", 2999, nullptr},
        {"Waiting for the router (%d s). Exit ends the wizard.", 4000,
         "Waiting for the router (4 s). Exit ends the wizard."},
        {"%d s %d", 61499, "61 s %d"},  // one count, the nearest second; a second "%d" is text
        {"no count", 5000, "no count"},
        {nullptr, 300000, nullptr},
    };
    const std::string key = LanguageFile(1, "string.ini") + "|MESSAGE|wait_router";
    router.password = "not the default";  // the page stays, with its line to look at
    for (const Case& c : cases) {
        SCOPED_TRACE(c.waitedMs);
        if (c.text)
            env.profile.values[key] = c.text;
        else
            env.profile.values.erase(key);
        test::FakeWindow& w = Open(WM_PAGE_SETPWD);
        std::optional<test::FakeControl> during;
        std::size_t controlsDuring = 0;
        env.ui.duringWait = [&] {
            env.clock.Advance(c.waitedMs);
            env.ui.TickWait();
            if (const test::FakeControl* line = w.Control(kWaitLineId)) during = *line;
            controlsDuring = w.ControlCount();
        };
        const std::size_t controlsBefore = w.ControlCount();
        ASSERT_TRUE(w.Click(1077));
        if (c.shown == nullptr) {
            EXPECT_TRUE(!during || !during->visible);
            if (!c.text) {
                EXPECT_EQ(controlsDuring, controlsBefore);  // the page as it was
            }
        } else {
            ASSERT_TRUE(during.has_value());
            EXPECT_TRUE(during->visible);
            EXPECT_EQ(during->text, c.shown);
            EXPECT_EQ(during->rect, kRectWaitLine);
            ASSERT_TRUE(during->style.has_value());
            EXPECT_EQ(during->style->rgb, kPageTextStyle.rgb);
            EXPECT_EQ(during->style->pixelSize, kPageTextStyle.pixelSize);
        }
        EXPECT_EQ(Messages(), std::vector<std::string>{"Current_Pwd_Error"});
        if (const test::FakeControl* after = w.Control(kWaitLineId)) {
            EXPECT_FALSE(after->visible) << "the line outlived the wait";
        }
        env.ui.ClearMessages();
    }
}

TEST_F(SetPwdPage, AcceptedLoginIsFollowedByTheWrongPasswordLogin) {
    test::FakeWindow& w = Fill("5820", "", "");
    w.Focus(1020);
    w.Focus(1021);
    ASSERT_EQ(router.requests.size(), 2u);
    EXPECT_EQ(router.requests[1].object, "index.asp");
    EXPECT_EQ(router.requests[1].password, CFunction::kWrongPassword);
}

TEST_F(SetPwdPage, ApplyOutcomes) {
    struct Case {
        const char* name;
        std::string current, fresh, again;
        int changeStatus;  // answer to the change request
        std::vector<std::string> messages;
        std::vector<unsigned> sent;
        std::string password, newPassword, routerPassword;
    } cases[] = {
        {"no new password",
         "5820",
         "",
         "",
         200,
         {"Not_Change_Pwd"},
         {WM_PAGE_CONNECTMODE},
         "5820",
         "5820",
         "5820"},
        {"new password taken",
         "5820",
         "n3w!",
         "n3w!",
         200,
         {"NewPwd_Set_Success"},
         {WM_PAGE_CONNECTMODE},
         "n3w!",
         "n3w!",
         "n3w!"},
        {"confirmation differs in case",
         "5820",
         "Secret",
         "secret",
         200,
         {"Confirm_Pwd"},
         {},
         "5820",
         "5820",
         "5820"},
        {"router refuses the change",
         "5820",
         "n3w!",
         "n3w!",
         500,
         {"failed_setting"},
         {},
         "5820",
         "n3w!",
         "5820"},
        {"wrong current password",
         "nope",
         "n3w!",
         "n3w!",
         200,
         {"Current_Pwd_Error"},
         {},
         "5820",
         "",
         "5820"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        router.password = "5820";
        router.status["/goform/formPasswordSetup"] = c.changeStatus;
        theApp.m_strPassword = "5820";
        theApp.m_strNewPassword = "";
        test::FakeWindow& w = Fill(c.current, c.fresh, c.again);
        ASSERT_TRUE(w.Click(1013));
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_EQ(theApp.m_strPassword, c.password);
        EXPECT_EQ(theApp.m_strNewPassword, c.newPassword);
        EXPECT_EQ(router.password, c.routerPassword);
        EXPECT_EQ(TopTitle(), c.sent.empty() ? "CZavroSetPwd" : "CZavroConnectMode");
        EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
    }
}

TEST_F(SetPwdPage, ChangeSendsTheVerifiedAndTheNewPasswordAsAnsi) {
    // Typed text is UTF-8; the router knows the passwords as their single-byte forms.
    router.password = "Alt\xE9";
    test::FakeWindow& w = Fill("Alt\u00E9", "Gr\u00FC\u00DFe1", "Gr\u00FC\u00DFe1");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"NewPwd_Set_Success"});
    const auto changes = router.To("/goform/formPasswordSetup");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].verb, "POST");
    EXPECT_EQ(changes[0].body,
              "oldpass=Alt\xE9&newpass=Gr\xFC\xDF"
              "e1&confpass=Gr\xFC\xDF"
              "e1"
              "&submit-url=%2Fsyspasswd.asp");
    EXPECT_EQ(router.password,
              "Gr\xFC\xDF"
              "e1");
    // Check first, then the connection, then the change.
    const std::vector<std::string> order = {"index.asp", "index.asp", "index.asp",
                                            "/goform/formPasswordSetup"};
    EXPECT_EQ(router.Objects(), order);
    // The summary shows it as typed.
    theApp.m_strSSID = "Porch";  // chosen, so the summary reads nothing back
    EXPECT_EQ(Open(WM_PAGE_WPACONFIGURE).GetText(1076), "Gr\u00FC\u00DFe1");
}

TEST_F(SetPwdPage, MismatchPutsTheFocusIntoTheConfirmation) {
    test::FakeWindow& w = Fill("5820", "abc", "abd");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(w.Focus(), 1022);
    EXPECT_TRUE(router.To("/goform/").empty());
}

TEST_F(SetPwdPage, QueryDialectChangeCountsOnlyWhenTheNewPasswordLogsIn) {
    theApp.SetModel(2);
    test::FakeWindow& w = Fill("5820", "q1", "q1");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"NewPwd_Set_Success"});
    EXPECT_EQ(theApp.m_strPassword, "q1");
    const auto flash = router.To("getflash.asp");
    ASSERT_EQ(flash.size(), 1u);
    EXPECT_EQ(flash[0].password, "q1");
}

TEST_F(SetPwdPage, WirelessTabsSendTheirPageAfterTheSameStepsAsApply) {
    struct Case {
        const char* name;
        std::string current, fresh, again;
        int changeStatus;
        std::vector<std::string> messages;
        bool changed;
        bool moves;
    } cases[] = {
        {"no new password", "5820", "", "", 200, {}, false, true},
        {"new password taken", "5820", "k9", "k9", 200, {"NewPwd_Set_Success"}, true, true},
        {"change refused", "5820", "k9", "k9", 500, {"failed_setting"}, false, true},
        {"confirmation differs", "5820", "k9", "k8", 200, {"Confirm_Pwd"}, false, false},
        {"wrong current password", "bad", "", "", 200, {"Current_Pwd_Error"}, false, false},
    };
    for (const auto& [tab, message] :
         {std::pair{1015, WM_PAGE_ESSID}, std::pair{1014, WM_PAGE_SETWPA}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " on " + std::to_string(tab));
            router.password = "5820";
            router.status["/goform/formPasswordSetup"] = c.changeStatus;
            theApp.m_strPassword = "5820";
            test::FakeWindow& w = Fill(c.current, c.fresh, c.again);
            const auto before = env.ui.History().size();
            ASSERT_TRUE(w.Click(tab));
            EXPECT_EQ(Messages(), c.messages);
            std::vector<unsigned> sent;
            if (c.changed) sent.push_back(WM_PAGE_CONNECTMODE);  // first, as after Apply
            if (c.moves) sent.push_back(message);
            EXPECT_EQ(Sent(), sent);
            EXPECT_EQ(router.password, c.changed ? c.fresh : "5820");
            EXPECT_EQ(theApp.m_strPassword, c.changed ? c.fresh : "5820");
            if (c.changed) {
                // The connection-type page first, as after Apply, then the tab's page.
                const std::vector<std::string> opened{"CZavroConnectMode",
                                                      tab == 1015 ? "CZavroESSID" : "CZavroSetWPA"};
                EXPECT_EQ(OpenedSince(before), opened);
            }
            if (!c.moves) {
                EXPECT_EQ(TopTitle(), "CZavroSetPwd");
            }
            EXPECT_EQ(hub->PageCount(), env.ui.Windows().size());  // closed only once
        }
    }
}

TEST_F(SetPwdPage, FirmwareTabChecksButNeverChanges) {
    test::FakeWindow& w = Fill("5820", "abc", "abc");
    ASSERT_TRUE(w.Click(1010));
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_UPDATEFIRM});
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(router.To("/goform/").empty());
    EXPECT_EQ(router.password, "5820");

    test::FakeWindow& again = Fill("bad", "abc", "abc");
    ASSERT_TRUE(again.Click(1010));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Current_Pwd_Error"});
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(again.Focus(), 1020);
}

TEST_F(SetPwdPage, KeepDefaultPasswordTriesFiveEightTwoZero) {
    struct Case {
        const char* routerPassword;
        bool reachable;
        std::vector<std::string> messages;
        bool moves;
    } cases[] = {
        {"5820", true, {"Not_Change_Pwd"}, true},
        {"changed", true, {"Current_Pwd_Error"}, false},
        {"5820", false, {"failed_setting"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.routerPassword);
        router.password = c.routerPassword;
        router.reachable = true;
        theApp.m_strPassword = "typed";
        theApp.m_strNewPassword = "";
        // The new fields are ignored.
        test::FakeWindow& w = Fill("ignored", "x1", "x2");
        router.reachable = c.reachable;
        ASSERT_TRUE(w.Click(1077));
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(Logins("5820"), 1u);
        EXPECT_TRUE(router.To("/goform/").empty());
        if (c.moves) {
            EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_CONNECTMODE});
            EXPECT_EQ(theApp.m_strPassword, "5820");
            EXPECT_EQ(theApp.m_strNewPassword, "5820");
        } else {
            EXPECT_TRUE(Sent().empty());
            EXPECT_EQ(w.Focus(), 1020);
            EXPECT_EQ(theApp.m_strPassword, "typed");
        }
    }
}

TEST_F(SetPwdPage, CommonHotspotsKeepTheirMeaning) {
    test::FakeWindow& w = Open(WM_PAGE_SETPWD);
    ASSERT_TRUE(w.Click(1012));
    EXPECT_EQ(TopTitle(), "CZavroSetPwd");
    ASSERT_TRUE(w.Click(1004));
    EXPECT_EQ(TopTitle(), "CZavroContact");
    EXPECT_TRUE(router.requests.empty());
}

}  // namespace
}  // namespace zavro
