// Every page action that talks to the router, against every way a router can fail it:
// the message shown, the page left usable (the same action goes through once the router
// behaves), no worker left behind, the user's input and the shared state kept. The
// observed table is also written to <build>/fault-matrix.md.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fault_rig.h"

namespace zavro {
namespace {

using test::FakeWindow;
using test::FaultRig;

enum class Column {
    Down,      // nothing listens on the router's port
    Stall,     // the connection is taken, nothing is read or answered
    NoAnswer,  // the request is read, no answer comes
    Close,     // closed without an answer
    Reset,     // reset mid-request (half a body taken) or mid-answer (a GET)
    Refused,   // 401
    Missing,   // 404
    Broken,    // 500
    Huge,      // a 10 MiB answer
    Garbage,   // a status line that is no HTTP
    Slow,      // the answer trickles in small pieces
};

constexpr Column kColumns[] = {Column::Down,  Column::Stall,   Column::NoAnswer, Column::Close,
                               Column::Reset, Column::Refused, Column::Missing,  Column::Broken,
                               Column::Huge,  Column::Garbage, Column::Slow};

const char* ColumnName(Column c) {
    switch (c) {
        case Column::Down:
            return "router down";
        case Column::Stall:
            return "accept and hang";
        case Column::NoAnswer:
            return "no answer";
        case Column::Close:
            return "close";
        case Column::Reset:
            return "reset";
        case Column::Refused:
            return "401";
        case Column::Missing:
            return "404";
        case Column::Broken:
            return "500";
        case Column::Huge:
            return "10 MiB answer";
        case Column::Garbage:
            return "garbage status";
        case Column::Slow:
            return "slow trickle";
    }
    return "";
}

// Every: the fault hits every request of the action, the login probe included.
// Setting: it hits every request but the login probe "/index.asp".
enum class Scope { Every, Setting };

routersim::Fault MakeFault(Column c, Scope scope) {
    routersim::Fault f;
    switch (c) {
        case Column::Down:
            break;
        case Column::Stall:
            f.kind = routersim::FaultKind::Stall;
            break;
        case Column::NoAnswer:
            f.kind = routersim::FaultKind::NoAnswer;
            break;
        case Column::Close:
            f.kind = routersim::FaultKind::CloseWithoutAnswer;
            break;
        case Column::Reset:
            f.kind = routersim::FaultKind::ResetMidTransfer;
            break;
        case Column::Refused:
            f.kind = routersim::FaultKind::Status;
            f.status = 401;
            break;
        case Column::Missing:
            f.kind = routersim::FaultKind::Status;
            f.status = 404;
            break;
        case Column::Broken:
            f.kind = routersim::FaultKind::Status;
            f.status = 500;
            break;
        case Column::Huge:
            f.kind = routersim::FaultKind::Oversized;
            f.oversizedBytes = 10u << 20;
            break;
        case Column::Garbage:
            f.kind = routersim::FaultKind::GarbageStatus;
            break;
        case Column::Slow:
            f.kind = routersim::FaultKind::Slow;
            f.slowChunkBytes = 24;
            f.slowDelayMs = 1;
            break;
    }
    if (scope == Scope::Setting) f.path = "!/index.asp";
    return f;
}

bool Passes(Column c) {
    return c == Column::Huge || c == Column::Slow;
}

enum class Kind { Wan, PasswordCheck, Clone, ResultWait, Summary, Upload };

// What theApp carries from page to page; compared whole before and after a failure.
struct AppSnapshot {
    std::string password, newPassword, ssid, wpaKey;
    int connectionType, model;
    const char* rebootKey;
    std::string tunnel[6];
    static AppSnapshot Take() {
        return {theApp.m_strPassword,
                theApp.m_strNewPassword,
                theApp.m_strSSID,
                theApp.m_strWPAKey,
                theApp.m_nConnectionType,
                theApp.m_nModel,
                theApp.m_pszRebootKey,
                {theApp.m_strTunnelInfo1, theApp.m_strTunnelInfo2, theApp.m_strTunnelInfo3,
                 theApp.m_strTunnelInfo4, theApp.m_strTunnelInfo5, theApp.m_strTunnelInfo6}};
    }
    bool operator==(const AppSnapshot&) const = default;
};

// The router's settings that a failed action must not have touched.
std::string RouterSettings(const routersim::State& s) {
    std::ostringstream out;
    out << s.adminPassword << '|' << s.wanType << '|' << s.ssid << '|' << s.securityOn << '|'
        << s.wpaKey << '|' << s.webLanguage << '|' << s.firmwareUploads;
    for (const auto& [k, v] : s.wan) out << '|' << k << '=' << v;
    return out.str();
}

struct Action {
    Action(const char* n, Kind k, int m, std::vector<Scope> s, const char* p, const char* f,
           const char* ok, std::vector<std::pair<int, std::string>> in)
        : name(n),
          kind(k),
          model(m),
          scopes(std::move(s)),
          page(p),
          failKey(f),
          successKey(ok),
          input(std::move(in)) {}
    const char* name;
    Kind kind;
    int model;
    std::vector<Scope> scopes;
    const char* page;        // the page the action runs on
    const char* failKey;     // the page's own key for results other than 0 and 1
    const char* successKey;  // shown when it goes through ("" none)
    std::vector<std::pair<int, std::string>> input;  // typed by prepare, kept on failure
    // Both false (with the failure reported) when the page does not let them happen.
    std::function<bool(FaultRig&)> prepare;  // opens the page, fills it in
    std::function<bool(FaultRig&)> act;      // the click that talks to the router
    std::function<bool(FaultRig&)> wentThrough;
    bool retry = true;  // the page offers the same action again after a failure
    // theApp after a failure whose login probe passed (when it differs from before).
    std::function<void(AppSnapshot&)> changedAfterLogin;
};

struct Expected {
    bool through;
    std::string key;
};

// The keys the pages name for each outcome of the router client.
Expected Expect(const Action& a, Column c, Scope scope) {
    const std::string failed = "failed_setting";
    switch (a.kind) {
        case Kind::Wan:
            if (Passes(c)) return {true, a.successKey};
            // A 401 to the setting request is result 3: the page's own key.
            if (scope == Scope::Setting && c == Column::Refused) return {false, a.failKey};
            return {false, failed};
        case Kind::PasswordCheck:
            if (Passes(c)) return {true, ""};
            return {false, c == Column::Refused ? "Current_Pwd_Error" : failed};
        case Kind::Clone:
            // Any status passes the login probe but 401 and 404.
            if (Passes(c) || c == Column::Broken) return {true, ""};
            return {false, failed};
        case Kind::ResultWait:
            // The restart and language requests are not judged; only the login counts.
            if (scope == Scope::Setting || Passes(c) || c == Column::Broken) return {true, ""};
            return {false, failed};
        case Kind::Summary:
            if (Passes(c)) return {true, ""};
            return {false, failed};
        case Kind::Upload:
            // Any answer without a whole HTTP error status line counts as taken.
            if (Passes(c) || c == Column::Garbage) return {true, ""};
            return {false, "Firm_Update_Failed"};
    }
    return {false, "?"};
}

bool LoginPassed(Column c, Scope scope) {
    return scope == Scope::Setting || c == Column::Broken || Passes(c);
}

std::string Describe(bool through, const std::vector<std::string>& keys) {
    std::string out = through ? "through" : "stays";
    for (const auto& k : keys) out += " " + k;
    return out;
}

const std::string kFirmwareName = "Firmware image.bin";

bool Check(bool ok, const char* what) {
    if (!ok) ADD_FAILURE() << what;
    return ok;
}

std::vector<Action> Actions() {
    auto click = [](int id) {
        return [id](FaultRig& r) { return Check(r.Top() && r.Top()->Click(id), "click"); };
    };
    auto movedOn = [](const char* page) {
        return [page](FaultRig& r) { return r.TopTitle() != page; };
    };
    auto typeAll = [](FakeWindow* w, const std::vector<std::pair<int, std::string>>& input) {
        if (!Check(w != nullptr, "page shown")) return false;
        for (const auto& [id, text] : input)
            if (!Check(w->Type(id, text), "type")) return false;
        return true;
    };
    std::vector<Action> list;

    auto wan = [&](const char* name, int model, unsigned message, const char* page,
                   const char* failKey, std::vector<std::pair<int, std::string>> input,
                   std::function<bool(FakeWindow&)> extra = {}) {
        Action a{name, Kind::Wan, model, {Scope::Every, Scope::Setting}, page, failKey, "", input};
        a.prepare = [=](FaultRig& r) {
            FakeWindow* w = r.Open(message);
            if (!Check(w != nullptr, "page shown")) return false;
            if (extra && !extra(*w)) return false;
            return typeAll(r.Top(), input);
        };
        a.act = click(1013);
        a.wentThrough = movedOn(page);
        list.push_back(a);
    };
    wan("cable modem Next", 8, WM_PAGE_CABLEMODEM, "CZavroCableModem", "CableModem_set_failed",
        {{1030, "myhost"}, {1031, "0011223344AA"}});
    wan("fixed IP Next", 8, WM_PAGE_FIXIP, "CZavroFixIP", "FixedIP_set_failed",
        {{1032, "10.1.2.3"}, {1035, "10.1.2.1"}});
    wan("PPPoE Next", 8, WM_PAGE_PPPOE, "CZavroPPPoE", "PPPoE_Set_Failed",
        {{1036, "alice@isp"}, {1037, "pppoe-Secret1"}});
    for (auto [name, first, page, failKey] :
         {std::tuple{"PPTP Next", WM_PAGE_PPTP, "CZavroPPTPxDSL2", "PPTPxDSL_Set_Failed"},
          std::tuple{"L2TP Next", WM_PAGE_L2TP, "CZavroL2TPxDSL2", "L2TPxDSL_Set_Failed"}}) {
        const unsigned firstPage = first;
        wan(name, 8, firstPage, page, failKey,
            {{1036, "alice"}, {1037, "tunnel-Secret2"}, {1035, "10.9.9.9"}}, [](FakeWindow& w) {
                // The first page: a fixed address; its Next only stores the values.
                return Check(w.Click(1043) && w.Type(1032, "10.1.2.3") &&
                                 w.Type(1035, "10.1.2.254") && w.Click(1013),
                             "first tunnel page");
            });
    }
    // The shipped family has no BigPond request; a form-post router has.
    wan("BigPond Next", 4, WM_PAGE_TELSTRA, "CZavroTelstra", "Telstra_Set_Failed",
        {{1036, "bob"}, {1037, "bigpond-Secret4"}});
    {
        Action a{"SSID Next",   Kind::Wan,          8,  {Scope::Every, Scope::Setting},
                 "CZavroESSID", "ESSID_Set_Failed", "", {{1023, "Cafe & Co"}}};
        a.prepare = [=](FaultRig& r) { return typeAll(r.Open(WM_PAGE_ESSID), a.input); };
        a.act = click(1016);
        a.wentThrough = movedOn(a.page);
        // The name is kept before its request goes out, whatever the outcome.
        a.changedAfterLogin = [](AppSnapshot& s) { s.ssid = "Cafe & Co"; };
        list.push_back(a);
    }
    for (bool useKey : {true, false}) {
        Action a{useKey ? "WPA key Apply" : "security off Apply",
                 Kind::Wan,
                 8,
                 {Scope::Every, Scope::Setting},
                 "CZavroSetWPA",
                 "WPA_Set_Failed",
                 "",
                 {}};
        if (useKey) a.input = {{1023, "wpa-Secret-5678"}};
        a.prepare = [=](FaultRig& r) {
            theApp.m_strSSID = "home";  // the summary page then reads nothing
            FakeWindow* w = r.Open(WM_PAGE_SETWPA);
            if (!Check(w != nullptr, "page shown")) return false;
            if (useKey && !Check(w->Click(1017), "check box")) return false;
            return typeAll(w, a.input);
        };
        a.act = click(1013);
        a.wentThrough = movedOn(a.page);
        list.push_back(a);
    }
    {
        Action a{"password check", Kind::PasswordCheck, 8, {Scope::Every}, "CZavroSetPwd", "", "",
                 {{1020, "5820"}}};
        a.prepare = [=](FaultRig& r) {
            theApp.m_strPassword.clear();  // the check sets it when the router takes it
            theApp.m_strNewPassword.clear();
            return typeAll(r.Open(WM_PAGE_SETPWD), a.input);
        };
        a.act = [](FaultRig& r) {
            if (!Check(r.Top() != nullptr, "page shown")) return false;
            r.Top()->Focus(1021);
            return true;
        };
        a.wentThrough = [](FaultRig&) { return theApp.m_strPassword == "5820"; };
        list.push_back(a);
    }
    {
        // The check of the current password runs again on Next; only the change is hit.
        Action a{"password change",
                 Kind::Wan,
                 8,
                 {Scope::Setting},
                 "CZavroSetPwd",
                 "failed_setting",
                 "NewPwd_Set_Success",
                 {{1020, "5820"}, {1021, "admin-Secret3"}, {1022, "admin-Secret3"}}};
        a.prepare = [=](FaultRig& r) { return typeAll(r.Open(WM_PAGE_SETPWD), a.input); };
        a.act = click(1013);
        a.wentThrough = movedOn(a.page);
        a.changedAfterLogin = [](AppSnapshot& s) { s.newPassword = "admin-Secret3"; };
        list.push_back(a);
    }
    {
        Action a{"cable modem Clone", Kind::Clone, 8,  {Scope::Every},
                 "CZavroCableModem",  "",          "", {{1030, "myhost"}}};
        a.prepare = [=](FaultRig& r) { return typeAll(r.Open(WM_PAGE_CABLEMODEM), a.input); };
        a.act = click(1017);
        a.wentThrough = [](FaultRig& r) { return r.Top()->GetText(1031) == "001A2BC3D4E5"; };
        list.push_back(a);
    }
    for (bool language : {false, true}) {
        Action a{language ? "language (result page)" : "restart wait (result page)",
                 Kind::ResultWait,
                 8,
                 {Scope::Every, Scope::Setting},
                 "CZavroSuccess",
                 "",
                 "",
                 {}};
        a.prepare = [=](FaultRig&) {
            theApp.m_pszRebootKey = language ? kRebootKeyLanguage : kRebootKeyWpa;
            return true;
        };
        a.act = [=](FaultRig& r) {
            if (!Check(r.Open(WM_PAGE_SUCCESS) != nullptr, "page shown")) return false;
            if (language) {
                r.env.clock.Advance(50000);  // timer 11: the language request
                r.env.ui.RunPending();
            }
            r.DriveResultWorker(language ? 45000 : 150000);
            return true;
        };
        a.wentThrough = [](FaultRig&) { return theApp.m_bResultImage == 1; };
        a.retry = false;  // the page stays without progress
        list.push_back(a);
    }
    {
        Action a{"summary read", Kind::Summary, 8, {Scope::Every}, "CZvWPAconfigure", "", "", {}};
        a.prepare = [](FaultRig&) {
            theApp.m_strSSID.clear();
            theApp.m_strWPAKey = "Disable";
            return true;
        };
        a.act = [](FaultRig& r) {
            return Check(r.Open(WM_PAGE_WPACONFIGURE) != nullptr, "page shown");
        };
        a.wentThrough = [](FaultRig& r) { return r.Messages().empty(); };
        a.retry = false;
        list.push_back(a);
    }
    {
        Action a{"firmware upload",  Kind::Upload, 8,  {Scope::Every},
                 "CZavroUpdateFirM", "",           "", {}};
        a.prepare = [=](FaultRig& r) {
            // Larger than the socket buffers: a router that reads nothing blocks the send.
            const auto path = r.env.root / kFirmwareName;
            std::ofstream(path, std::ios::binary) << std::string(24u << 20, '\x5A');
            return typeAll(r.Open(WM_PAGE_UPDATEFIRM), {{1023, path.string()}});
        };
        a.act = click(1017);
        a.wentThrough = [](FaultRig&) { return theApp.m_pszRebootKey == kRebootKeyLanguage; };
        list.push_back(a);
    }
    return list;
}

struct Cell {
    std::string action, scope, column, observed, expected;
};

std::string ScopeName(Scope s) {
    return s == Scope::Every ? "every request" : "setting only";
}

void WriteMatrix(const std::vector<Cell>& cells) {
    std::ostringstream md;
    md << "# Fault matrix\n\n"
       << "Each page action on the fake UI, real HTTP and TCP against the simulated router.\n"
       << "\"through\": the action went on as without a fault; \"stays\": the page stayed.\n"
       << "Then the message keys shown. A cell that differs from the expected outcome shows "
          "both.\n\n| action | fault hits |";
    for (Column c : kColumns) md << ' ' << ColumnName(c) << " |";
    md << "\n|---|---|";
    for (std::size_t i = 0; i < std::size(kColumns); ++i) md << "---|";
    md << '\n';
    std::map<std::string, std::map<std::string, std::string>> rows;
    std::vector<std::string> order;
    for (const Cell& c : cells) {
        const std::string row = c.action + " | " + c.scope;
        if (!rows.count(row)) order.push_back(row);
        rows[row][c.column] = c.observed == c.expected
                                  ? c.observed
                                  : "**" + c.observed + "** (expected " + c.expected + ")";
    }
    for (const auto& row : order) {
        md << "| " << row << " |";
        for (Column c : kColumns) {
            const auto it = rows[row].find(ColumnName(c));
            md << ' ' << (it == rows[row].end() ? "n/a" : it->second) << " |";
        }
        md << '\n';
    }
    std::ofstream(std::filesystem::path(ZAVRO_BINARY_DIR) / "fault-matrix.md") << md.str();
}

void RunCell(const Action& a, Column c, Scope scope, std::vector<Cell>& cells) {
    SCOPED_TRACE(std::string(a.name) + " / " + ScopeName(scope) + " / " + ColumnName(c));
    FaultRig rig(a.model);
    ASSERT_TRUE(rig.started);
    if (!a.prepare(rig)) return;
    ASSERT_TRUE(rig.Messages().empty()) << rig.Messages().front();
    rig.env.ui.ClearMessages();
    rig.recorder->sent.clear();
    const AppSnapshot appBefore = AppSnapshot::Take();
    const std::string routerBefore = RouterSettings(rig.sim->GetState());

    if (c == Column::Down) {
        Ports().routerPort = rig.deadPort.Port();
    } else {
        rig.sim->SetFault(MakeFault(c, scope));
    }
    if (!a.act(rig)) return;
    rig.env.ui.RunPending();
    const bool through = a.wentThrough(rig);
    const std::vector<std::string> keys = rig.Messages();
    // The router behaves again before anything else talks to it.
    Ports().routerPort = rig.sim->Port();
    rig.sim->SetFault({});

    const Expected want = Expect(a, c, scope);
    const std::vector<std::string> wantKeys =
        want.key.empty() ? std::vector<std::string>{} : std::vector<std::string>{want.key};
    cells.push_back({a.name, ScopeName(scope), ColumnName(c), Describe(through, keys),
                     Describe(want.through, wantKeys)});
    EXPECT_EQ(through, want.through);
    EXPECT_EQ(keys, wantKeys);
    EXPECT_EQ(rig.env.ui.WaitCursorDepth(), 0);
    if (want.through) {
        StopAllWorkers();
        EXPECT_EQ(RunningWorkers(), 0u);
        return;
    }

    // A failure: the page is still there, nothing has run on, nothing is lost.
    ASSERT_EQ(rig.TopTitle(), a.page);
    EXPECT_EQ(RunningWorkers(), 0u);
    EXPECT_TRUE(rig.recorder->sent.empty());
    FakeWindow& page = *rig.Top();
    for (const auto& [id, text] : a.input) EXPECT_EQ(page.GetText(id), text) << id;
    AppSnapshot wantApp = appBefore;
    if (a.changedAfterLogin && LoginPassed(c, scope)) a.changedAfterLogin(wantApp);
    EXPECT_TRUE(AppSnapshot::Take() == wantApp);
    EXPECT_EQ(RouterSettings(rig.sim->GetState()), routerBefore);
    if (a.kind == Kind::Clone) {
        EXPECT_EQ(page.GetText(1031), "");
    }
    if (a.kind == Kind::Summary) {
        EXPECT_EQ(page.GetText(1015), "");
    }
    if (!a.retry) return;

    // Usable: the same action goes through once the router answers again.
    rig.env.ui.ClearMessages();
    if (!a.act(rig)) return;
    rig.env.ui.RunPending();
    EXPECT_TRUE(a.wentThrough(rig)) << "retry";
    const std::vector<std::string> retryKeys =
        *a.successKey ? std::vector<std::string>{a.successKey} : std::vector<std::string>{};
    EXPECT_EQ(rig.Messages(), retryKeys) << "retry";
    StopAllWorkers();
}

TEST(FaultMatrix, EveryRouterActionAgainstEveryFault) {
    std::vector<Cell> cells;
    for (const Action& a : Actions()) {
        for (Scope scope : a.scopes) {
            for (Column c : kColumns) {
                // A dead port and a stalled connection come before any path is known.
                if (scope == Scope::Setting && (c == Column::Down || c == Column::Stall)) continue;
                RunCell(a, c, scope, cells);
            }
        }
    }
    WriteMatrix(cells);
    EXPECT_GT(cells.size(), 200u);
}

}  // namespace
}  // namespace zavro
