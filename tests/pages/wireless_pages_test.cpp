// The wireless name, security and summary pages against the simulated router over real
// HTTP on loopback, in each request dialect: what the router kept, the message keys shown,
// the restart and its wait dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "RouterPageFixture.h"
#include "app/Messages.h"
#include "platform/Http.h"

namespace zavro {
namespace {

using test::FakeWindow;

// One model of each dialect: form-post, query, form-encoded. Model 2 also hides tabs.
constexpr int kDialectModels[] = {1, 2, 8};

// Passes every request on to the real client, and tells the test first which one goes
// out, so a fault can be put on the setting request alone (after the login went through).
class HookedHttp final : public IHttpClient {
public:
    explicit HookedHttp(IHttpClient& inner) : m_inner(inner) {}
    std::function<void(const std::string& object)> before;

    std::unique_ptr<IHttpSession> Open(const std::string& agent, std::uint32_t ms) override {
        auto session = m_inner.Open(agent, ms);
        if (!session) return nullptr;
        return std::make_unique<Session>(*this, std::move(session));
    }

private:
    class Connection final : public IHttpConnection {
    public:
        Connection(HookedHttp& owner, std::unique_ptr<IHttpConnection> inner)
            : m_owner(owner), m_inner(std::move(inner)) {}
        HttpResult Send(const std::string& verb, const std::string& object,
                        const std::string& header, const std::string& body,
                        std::size_t readMax) override {
            if (m_owner.before) m_owner.before(object);
            return m_inner->Send(verb, object, header, body, readMax);
        }

    private:
        HookedHttp& m_owner;
        std::unique_ptr<IHttpConnection> m_inner;
    };
    class Session final : public IHttpSession {
    public:
        Session(HookedHttp& owner, std::unique_ptr<IHttpSession> inner)
            : m_owner(owner), m_inner(std::move(inner)) {}
        std::unique_ptr<IHttpConnection> Connect(const std::string& host, std::uint16_t port,
                                                 const std::string& user,
                                                 const std::string& password) override {
            auto c = m_inner->Connect(host, port, user, password);
            if (!c) return nullptr;
            return std::make_unique<Connection>(m_owner, std::move(c));
        }
        bool OpenUrl(const std::string& url, NetError* why) override { return m_inner->OpenUrl(url, why); }
        void Cancel() override { m_inner->Cancel(); }

    private:
        HookedHttp& m_owner;
        std::unique_ptr<IHttpSession> m_inner;
    };
    IHttpClient& m_inner;
};

// How a case makes the router fail.
enum class Trouble {
    WrongPassword,   // the login is refused (401)
    SettingError,    // the setting request gets 500
    SettingClosed,   // the setting request's connection closes without an answer
    SettingRefused,  // the setting request gets 401
    Stopped,         // nothing listens on the router's port
};

struct TroubleCase {
    Trouble trouble;
    const char* key;
    bool requestSent;  // the setting request reached the router
};

// The HTTP client sends a request again once when a kept-alive connection closes without
// an answer, so a closed setting may arrive twice.
bool SentAsExpected(const TroubleCase& c, std::size_t settings) {
    if (!c.requestSent) return settings == 0;
    return c.trouble == Trouble::SettingClosed ? settings == 1 || settings == 2 : settings == 1;
}

bool HasRestart(const std::vector<routersim::Request>& settings) {
    for (const auto& r : settings)
        if (r.target.find("Reboot") != std::string::npos ||
            r.target.find("restart") != std::string::npos)
            return true;
    return false;
}

const TroubleCase kTroubles[] = {
    {Trouble::WrongPassword, "failed_setting", false},
    {Trouble::SettingError, "failed_setting", true},
    {Trouble::SettingClosed, "failed_setting", true},
    {Trouble::SettingRefused, nullptr, true},  // the page's own key
    {Trouble::Stopped, "failed_setting", false},
};

class WirelessPages : public test::RouterPageTest {
protected:
    void SetUp() override { env.AddAllPictures(); }

    // A fresh router of the model and a fresh run state.
    void Reset(int model) {
        StartRouter(model);
        Ports().http = &hooked;
        hooked.before = nullptr;
        theApp.m_strPassword = "5820";
        theApp.m_strSSID.clear();
        theApp.m_strWPAKey.clear();
        theApp.m_strNewPassword.clear();
        theApp.m_pszRebootKey = nullptr;
        env.ui.ClearMessages();
        env.ui.onModal = nullptr;
    }

    // Arranges the trouble; faults on the setting are put on as the first "/goform/"
    // request leaves.
    void Arrange(Trouble t) {
        routersim::Fault fault;
        switch (t) {
            case Trouble::WrongPassword:
                theApp.m_strPassword = "not-the-password";
                return;
            case Trouble::Stopped:
                sim->Stop();
                return;
            case Trouble::SettingError:
                fault.kind = routersim::FaultKind::Status;
                fault.status = 500;
                break;
            case Trouble::SettingRefused:
                fault.kind = routersim::FaultKind::Status;
                fault.status = 401;
                break;
            case Trouble::SettingClosed:
                fault.kind = routersim::FaultKind::CloseWithoutAnswer;
                break;
        }
        auto armed = std::make_shared<bool>(true);
        hooked.before = [this, fault, armed](const std::string& object) {
            if (!*armed || object.find("goform/") == std::string::npos) return;
            *armed = false;
            sim->SetFault(fault);
        };
    }

    // Requests that reached a settings form (not the login or page reads).
    std::vector<routersim::Request> Settings() const {
        std::vector<routersim::Request> out;
        for (const auto& r : sim->Requests())
            if (r.target.rfind("/goform/", 0) == 0) out.push_back(r);
        return out;
    }

    // Records the wait dialog and ends it the way the user does: after the restart time
    // has passed on the test clock, with its button.
    struct WaitSeen {
        int runs = 0;
        std::string title, label;
        bool buttonHiddenFirst = false, endedByButton = false;
        int rebootsBefore = -1;
    };
    void WatchWait(WaitSeen& seen) {
        env.ui.onModal = [this, &seen](FakeWindow& w) {
            ++seen.runs;
            seen.title = w.Title();
            seen.label = w.GetText(1061);
            seen.buttonHiddenFirst = !w.IsControlVisible(1060);
            seen.rebootsBefore = sim->GetState().reboots;
            env.clock.Advance(150000);  // longer than any model's restart wait
            seen.endedByButton = w.Click(1060);
        };
    }

    HookedHttp hooked{http};
};

std::string Name(int model) {
    return "model " + std::to_string(model);
}

// ---- wireless name page ----

TEST_F(WirelessPages, NameDefaultAndLongestNameReachTheRouter) {
    const std::string longest = "abcdefghijklmnopqrstuvwxyz012345";  // 32
    for (int model : kDialectModels) {
        SCOPED_TRACE(Name(model));
        Reset(model);
        FakeWindow& w = Open(WM_PAGE_ESSID);
        ASSERT_EQ(w.Title(), "CZavroESSID");
        EXPECT_EQ(w.GetText(1023), "KORVAN");
        EXPECT_EQ(w.Control(1023)->limit, 32);
        ASSERT_TRUE(w.Click(1016));
        EXPECT_TRUE(Keys().empty());
        EXPECT_EQ(sim->GetState().ssid, "KORVAN");
        EXPECT_EQ(theApp.m_strSSID, "KORVAN");
        EXPECT_EQ(Top().Title(), "CZavroSetWPA");
        EXPECT_EQ(sim->GetState().reboots, 0);  // this button does not restart

        FakeWindow& again = Open(WM_PAGE_ESSID);
        ASSERT_TRUE(again.Type(1023, longest + "XYZ"));  // the edit keeps 32
        EXPECT_EQ(again.GetText(1023), longest);
        ASSERT_TRUE(again.Click(1016));
        EXPECT_EQ(sim->GetState().ssid, longest);
        EXPECT_EQ(theApp.m_strSSID, longest);
    }
}

TEST_F(WirelessPages, NameIsEscapedForEveryModel) {
    // Unescaped, '&' and '=' would split the field and "%41" would arrive as "A".
    const std::string name = "a&b=c%41 d+e?#/";
    for (int model = 1; model <= 8; ++model) {
        SCOPED_TRACE(Name(model));
        Reset(model);
        FakeWindow& w = Open(WM_PAGE_ESSID);
        ASSERT_TRUE(w.Type(1023, name));
        ASSERT_TRUE(w.Click(1016));
        EXPECT_TRUE(Keys().empty());
        EXPECT_EQ(sim->GetState().ssid, name);
        EXPECT_EQ(theApp.m_strSSID, name);  // kept as typed, not escaped
        const auto settings = Settings();
        ASSERT_EQ(settings.size(), 1u);
        const std::string wire = settings[0].target + settings[0].body;
        EXPECT_NE(wire.find("a%26b%3Dc%2541"), std::string::npos) << wire;
        EXPECT_NE(wire.find("%2Be%3F%23%2F"), std::string::npos) << wire;
    }
}

TEST_F(WirelessPages, EmptyNameNeverReachesTheRouter) {
    for (int model : kDialectModels) {
        SCOPED_TRACE(Name(model));
        Reset(model);
        FakeWindow& w = Open(WM_PAGE_ESSID);
        ASSERT_TRUE(w.Type(1023, ""));
        ASSERT_TRUE(w.Click(1016));
        EXPECT_EQ(Keys(), std::vector<std::string>{"Input_The_Info"});
        EXPECT_EQ(&Top(), &w);
        EXPECT_TRUE(sim->Requests().empty());
        EXPECT_EQ(sim->GetState().ssid, "default");
    }
}

TEST_F(WirelessPages, NameFailuresShowTheirKeyAndKeepTheText) {
    for (int model : kDialectModels) {
        for (const TroubleCase& c : kTroubles) {
            SCOPED_TRACE(Name(model) + " trouble " + std::to_string(static_cast<int>(c.trouble)));
            Reset(model);
            FakeWindow& w = Open(WM_PAGE_ESSID);
            ASSERT_TRUE(w.Type(1023, "Attic"));
            Arrange(c.trouble);
            ASSERT_TRUE(w.Click(1016));
            const std::string key = c.key ? c.key : "ESSID_Set_Failed";
            EXPECT_EQ(Keys(), std::vector<std::string>{key});
            EXPECT_EQ(&Top(), &w);
            EXPECT_EQ(w.GetText(1023), "Attic");
            // Stored before the request, so only a refused login leaves it empty.
            EXPECT_EQ(theApp.m_strSSID, c.requestSent ? "Attic" : "");
            if (c.trouble == Trouble::Stopped) continue;
            EXPECT_TRUE(SentAsExpected(c, Settings().size())) << Settings().size();
            EXPECT_FALSE(HasRestart(Settings()));
            EXPECT_EQ(sim->GetState().ssid, "default");
        }
    }
}

// ---- wireless security page ----

struct KeyCase {
    std::string key;
    bool accepted;
};

TEST_F(WirelessPages, KeyLengthsAndWhatTheRouterKeeps) {
    const std::string k63 = std::string(60, 'k') + "&=%";
    const KeyCase cases[] = {
        {"VELQAR2468", true},           // the default
        {"1234567", false},             // 7
        {"a b&c=%4", true},             // 8, escaped on the way
        {k63, true},                    // 63
        {std::string(64, 'x'), false},  // 64, placed past the edit's limit
    };
    for (int model : kDialectModels) {
        for (const KeyCase& c : cases) {
            SCOPED_TRACE(Name(model) + " key length " + std::to_string(c.key.size()));
            Reset(model);
            routersim::State before;
            before.ssid = "Loft";
            sim->SetState(before);
            FakeWindow& w = Open(WM_PAGE_SETWPA);
            ASSERT_EQ(w.Title(), "CZavroSetWPA");
            EXPECT_EQ(w.GetText(1023), "VELQAR2468");
            EXPECT_FALSE(w.IsControlVisible(1023));
            ASSERT_TRUE(w.Click(1017));
            if (c.key.size() > 63)
                w.SetText(1023, c.key);  // as a paste the control let through would
            else
                ASSERT_TRUE(w.Type(1023, c.key));
            WaitSeen seen;
            WatchWait(seen);
            ASSERT_TRUE(w.Click(1013));
            const routersim::State state = sim->GetState();
            if (!c.accepted) {
                EXPECT_EQ(Keys(), std::vector<std::string>{"Input_The_Info"});
                EXPECT_TRUE(sim->Requests().empty());
                EXPECT_EQ(theApp.m_strWPAKey, "");
                EXPECT_EQ(seen.runs, 0);
                EXPECT_EQ(&Top(), &w);
                continue;
            }
            EXPECT_TRUE(Keys().empty());
            EXPECT_TRUE(state.securityOn);
            EXPECT_EQ(state.wpaKey, c.key);
            EXPECT_EQ(theApp.m_strWPAKey, c.key);
            EXPECT_EQ(state.reboots, 1);
            // The summary follows and shows the key and the name read from the router.
            ASSERT_EQ(Top().Title(), "CZvWPAconfigure");
            EXPECT_EQ(Top().GetText(1075), c.key);
            EXPECT_EQ(Top().GetText(1015), "Loft");
        }
    }
}

TEST_F(WirelessPages, UncheckedSwitchesSecurityOffWhateverTheEditHolds) {
    for (int model : kDialectModels) {
        SCOPED_TRACE(Name(model));
        Reset(model);
        routersim::State before;
        before.securityOn = true;
        before.wpaKey = "oldoldold";
        sim->SetState(before);
        FakeWindow& w = Open(WM_PAGE_SETWPA);
        // Shown, typed into, hidden again: the text is ignored.
        ASSERT_TRUE(w.Click(1017));
        ASSERT_TRUE(w.Type(1023, "short"));
        ASSERT_TRUE(w.Click(1017));
        WaitSeen seen;
        WatchWait(seen);
        ASSERT_TRUE(w.Click(1013));
        EXPECT_TRUE(Keys().empty());
        const routersim::State state = sim->GetState();
        EXPECT_FALSE(state.securityOn);
        EXPECT_EQ(state.wpaKey, "oldoldold");  // no key went out
        const auto settings = Settings();
        ASSERT_EQ(settings.size(), 2u);  // security off, then the restart
        EXPECT_EQ(settings[0].target.find("short"), std::string::npos);
        EXPECT_EQ(settings[0].body.find("short"), std::string::npos);
        EXPECT_EQ(theApp.m_strWPAKey, "Disable");
        EXPECT_EQ(state.reboots, 1);
        ASSERT_EQ(Top().Title(), "CZvWPAconfigure");
        EXPECT_EQ(Top().GetText(1075), "Disable");
    }
}

TEST_F(WirelessPages, RestartRunsTheWaitDialogBeforeTheSummary) {
    for (int model : kDialectModels) {
        SCOPED_TRACE(Name(model));
        Reset(model);
        theApp.m_strSSID = "Porch";
        theApp.m_strNewPassword = "n3w";
        FakeWindow& w = Open(WM_PAGE_SETWPA);
        ASSERT_TRUE(w.Click(1017));
        WaitSeen seen;
        WatchWait(seen);
        ASSERT_TRUE(w.Click(1013));
        EXPECT_EQ(seen.runs, 1);
        EXPECT_EQ(seen.title, "CZavroWait");
        EXPECT_EQ(seen.label, "WPA_Reboot");
        EXPECT_EQ(seen.rebootsBefore, 1);  // the restart went out before the wait
        EXPECT_TRUE(seen.buttonHiddenFirst);
        EXPECT_TRUE(seen.endedByButton);
        EXPECT_STREQ(theApp.m_pszRebootKey, "WPA_Reboot");
        // The key page is gone (its window freed, so only titles are compared).
        for (FakeWindow* open : env.ui.Windows()) EXPECT_NE(open->Title(), "CZavroSetWPA");
        FakeWindow& summary = Top();
        ASSERT_EQ(summary.Title(), "CZvWPAconfigure");
        EXPECT_EQ(summary.GetText(1015), "Porch");
        EXPECT_EQ(summary.GetText(1075), "VELQAR2468");
        EXPECT_EQ(summary.GetText(1076), "n3w");
        // A chosen name is not read back from the router.
        for (const auto& r : sim->Requests()) EXPECT_NE(r.target, "/wlbasic.asp");
    }
}

TEST_F(WirelessPages, SecurityFailuresShowTheirKeyAndRestartNothing) {
    for (int model : kDialectModels) {
        for (bool useKey : {true, false}) {
            for (const TroubleCase& c : kTroubles) {
                SCOPED_TRACE(Name(model) + (useKey ? " key" : " off") + " trouble " +
                             std::to_string(static_cast<int>(c.trouble)));
                Reset(model);
                theApp.m_strWPAKey = "previous";
                FakeWindow& w = Open(WM_PAGE_SETWPA);
                if (useKey) {
                    ASSERT_TRUE(w.Click(1017));
                }
                WaitSeen seen;
                WatchWait(seen);
                Arrange(c.trouble);
                ASSERT_TRUE(w.Click(1013));
                const std::string key = c.key ? c.key : "WPA_Set_Failed";
                EXPECT_EQ(Keys(), std::vector<std::string>{key});
                EXPECT_EQ(&Top(), &w);
                EXPECT_EQ(theApp.m_strWPAKey, "previous");
                EXPECT_EQ(seen.runs, 0);
                if (c.trouble == Trouble::Stopped) continue;
                const auto settings = Settings();
                EXPECT_TRUE(SentAsExpected(c, settings.size())) << settings.size();
                EXPECT_FALSE(HasRestart(settings));
                EXPECT_EQ(sim->GetState().reboots, 0);
                EXPECT_FALSE(sim->GetState().securityOn);
            }
        }
    }
}

// ---- wireless summary page ----

TEST_F(WirelessPages, SummaryReadsTheNameFromTheRouterWhenNoneWasChosen) {
    for (int model : kDialectModels) {
        SCOPED_TRACE(Name(model));
        Reset(model);
        routersim::State state;
        state.ssid = "Cafe & Bar";
        sim->SetState(state);
        theApp.m_strWPAKey = "Disable";
        FakeWindow& w = Open(WM_PAGE_WPACONFIGURE);
        ASSERT_EQ(w.Title(), "CZvWPAconfigure");
        EXPECT_TRUE(Keys().empty());
        EXPECT_EQ(w.GetText(1015), "Cafe & Bar");
        EXPECT_EQ(theApp.m_strSSID, "Cafe & Bar");
        EXPECT_EQ(w.GetText(1075), "Disable");
        // Model 2 hides the name and security tabs elsewhere, never here.
        EXPECT_TRUE(w.IsControlVisible(1063));
        EXPECT_TRUE(w.IsControlVisible(1069));
        bool read = false;
        for (const auto& r : sim->Requests())
            if (r.target == "/wlbasic.asp" && r.status == 200) read = true;
        EXPECT_TRUE(read);
        EXPECT_TRUE(Settings().empty());
    }
}

TEST_F(WirelessPages, SummaryShowsAMessageWhenTheRouterCannotBeReached) {
    const routersim::FaultKind faults[] = {routersim::FaultKind::None,
                                           routersim::FaultKind::CloseWithoutAnswer,
                                           routersim::FaultKind::ResetMidTransfer};
    for (int model : kDialectModels) {
        for (routersim::FaultKind kind : faults) {
            SCOPED_TRACE(Name(model) + " fault " + std::to_string(static_cast<int>(kind)));
            Reset(model);
            theApp.m_strWPAKey = "k3y&";
            if (kind == routersim::FaultKind::None) {
                sim->Stop();  // nothing listens on the port
            } else {
                routersim::Fault fault;
                fault.kind = kind;
                sim->SetFault(fault);
            }
            FakeWindow& w = Open(WM_PAGE_WPACONFIGURE);
            ASSERT_EQ(w.Title(), "CZvWPAconfigure");
            EXPECT_EQ(Keys(), std::vector<std::string>{"failed_setting"});
            EXPECT_EQ(w.GetText(1015), "");
            EXPECT_EQ(theApp.m_strSSID, "");
            EXPECT_EQ(w.GetText(1075), "k3y&");  // the rest of the page still shows
            // The page stays usable: its tab goes on to the name page.
            ASSERT_TRUE(w.Click(1063));
            EXPECT_EQ(Top().Title(), "CZavroESSID");
        }
    }
}

// How the labels show an "&" is the adapters' (the Qt and Win32 label tests); here the name
// read from the router reaches them undoubled.
TEST_F(WirelessPages, SummaryKeepsTheAmpersandsOfANameReadFromTheRouter) {
    Reset(2);
    routersim::State state;
    state.ssid = "x&&y";
    sim->SetState(state);
    FakeWindow& read = Open(WM_PAGE_WPACONFIGURE);
    EXPECT_EQ(read.GetText(1015), "x&&y");
}

TEST_F(WirelessPages, WholeWirelessRunEndsOnTheSummary) {
    for (int model : kDialectModels) {
        SCOPED_TRACE(Name(model));
        Reset(model);
        FakeWindow& name = Open(WM_PAGE_ESSID);
        ASSERT_TRUE(name.Type(1023, "Tom & Jerry"));
        ASSERT_TRUE(name.Click(1016));
        FakeWindow& security = Top();
        ASSERT_EQ(security.Title(), "CZavroSetWPA");
        ASSERT_TRUE(security.Click(1017));
        ASSERT_TRUE(security.Type(1023, "pass&word"));
        WaitSeen seen;
        WatchWait(seen);
        ASSERT_TRUE(security.Click(1013));
        EXPECT_TRUE(Keys().empty());
        const routersim::State state = sim->GetState();
        EXPECT_EQ(state.ssid, "Tom & Jerry");
        EXPECT_EQ(state.wpaKey, "pass&word");
        EXPECT_EQ(state.reboots, 1);
        ASSERT_EQ(Top().Title(), "CZvWPAconfigure");
        EXPECT_EQ(Top().GetText(1015), "Tom & Jerry");
        EXPECT_EQ(Top().GetText(1075), "pass&word");
    }
}

TEST_F(WirelessPages, MissingPicturesEndTheProgram) {
    const std::pair<unsigned, const char*> pages[] = {
        {WM_PAGE_ESSID, "21.jpg"}, {WM_PAGE_SETWPA, "22.jpg"}, {WM_PAGE_WPACONFIGURE, "25.jpg"}};
    Reset(8);
    for (const auto& [message, picture] : pages) {
        SCOPED_TRACE(picture);
        std::filesystem::remove(env.programDir / "image" / "1" / picture);
        env.ui.ClearMessages();
        const auto exits = env.system.Exits().size();
        if (!hub) {
            hub = std::make_unique<CZavroDlg>();
            theApp.m_hHubWnd = hub.get();
        }
        SendMessage(theApp.m_hHubWnd, message);
        EXPECT_EQ(Keys(), std::vector<std::string>{"load_image_error"});
        ASSERT_EQ(env.system.Exits().size(), exits + 1);
        EXPECT_EQ(env.system.Exits().back(), 1);
    }
}

}  // namespace
}  // namespace zavro
