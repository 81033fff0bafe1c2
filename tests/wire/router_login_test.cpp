// Login, status reads, answer judging and transport failures against the simulated router.
#include <thread>

#include "RouterWireFixture.h"
#include "router/Function.h"

#ifdef ZAVRO_HAVE_ROUTERSIM
namespace zavro::test {
namespace {

using routersim::Fault;
using routersim::FaultKind;

Fault StatusFault(int status) {
    Fault f;
    f.kind = FaultKind::Status;
    f.status = status;
    return f;
}

Fault KindFault(FaultKind kind) {
    Fault f;
    f.kind = kind;
    return f;
}

TEST_F(RouterWireTest, ConnectRouterJudgesIndexPage) {
    const struct {
        int status, result;
    } cases[] = {{200, 0}, {302, 0}, {500, 0}, {404, 2}, {401, 3}};
    for (const auto& c : cases) {
        StartRouter(8);
        m_sim->SetFault(StatusFault(c.status));
        CFunction f;
        EXPECT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 8), c.result) << c.status;
        EXPECT_EQ(f.m_nModel, 8);
        const auto requests = m_sim->Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().method, "GET");
        EXPECT_EQ(requests.back().target, "/index.asp");
    }
}

TEST_F(RouterWireTest, ConnectRouterPasswordAndNoRouter) {
    StartRouter(2);
    CFunction good;
    EXPECT_EQ(good.ConnectRouter("192.168.2.1", "admin", "5820", 2), 0);
    EXPECT_EQ(Authed().back().Header("Authorization"), Basic("admin", "5820"));
    CFunction bad;
    EXPECT_EQ(bad.ConnectRouter("192.168.2.1", "admin", "wrong", 2), 3);
    EXPECT_EQ(bad.m_nModel, 2);

    Ports().routerPort = UnusedLoopbackPort();
    CFunction none;
    EXPECT_EQ(none.ConnectRouter("192.168.2.1", "admin", "5820", 6), 1);
    EXPECT_EQ(none.m_nModel, 6);
    EXPECT_EQ(none.m_pConnection, nullptr);
    // Later requests on a failed login fail without a connection.
    EXPECT_EQ(none.SetSsid("x"), 1);
}

TEST_F(RouterWireTest, TransportFailuresGiveOne) {
    m_http.SetTimeouts(kConnectMs, 300);  // a silent router ends the request here
    for (FaultKind kind : {FaultKind::NoAnswer, FaultKind::CloseWithoutAnswer,
                           FaultKind::GarbageStatus, FaultKind::ResetMidTransfer}) {
        StartRouter(1);
        CFunction f;
        ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 1), 0);
        m_sim->SetFault(KindFault(kind));
        EXPECT_EQ(f.SetPppoe("u", "p", "", "1492", 0, ""), 1) << static_cast<int>(kind);
        EXPECT_EQ(f.SetAdminPassword("5820", "x"), 1) << static_cast<int>(kind);
        CFunction g;
        EXPECT_EQ(g.ConnectRouter("192.168.2.1", "admin", "5820", 1), 1) << static_cast<int>(kind);
    }
}

// Judged results of a configuration request in each dialect.
TEST_F(RouterWireTest, JudgedResultsPerDialect) {
    const struct {
        int status, result;
    } statuses[] = {{200, 0}, {302, 0}, {401, 3}, {404, 1}, {500, 1}};
    for (int model : {1, 2, 8}) {
        for (const auto& s : statuses) {
            StartRouter(model);
            CFunction f;
            ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
            m_sim->SetFault(StatusFault(s.status));
            EXPECT_EQ(f.SetSsid("n"), s.result) << model << " " << s.status;
            EXPECT_EQ(f.RebootRouter(), s.result) << model << " " << s.status;
            EXPECT_EQ(f.SetFixedIp("1.2.3.4", "255.0.0.0", "1.1.1.1", "1.2.3.1"), s.result)
                << model << " " << s.status;
        }
    }
}

TEST_F(RouterWireTest, PasswordChangeJudging) {
    // Form-post and form-encoded dialects: only exactly 200 counts.
    const struct {
        int status, result;
    } statuses[] = {{200, 0}, {302, 1}, {401, 3}, {404, 2}, {500, 1}};
    for (int model : {1, 8}) {
        for (const auto& s : statuses) {
            StartRouter(model);
            CFunction f;
            ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
            m_sim->SetFault(StatusFault(s.status));
            EXPECT_EQ(f.SetAdminPassword("5820", "n3w"), s.result) << model << " " << s.status;
        }
    }
}

TEST_F(RouterWireTest, QueryDialectPasswordChangeDecidedBySecondLogin) {
    StartRouter(2);
    CFunction f;
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 2), 0);
    m_sim->ClearRequests();
    EXPECT_EQ(f.SetAdminPassword("5820", "n3w"), 0);
    EXPECT_EQ(m_sim->GetState().adminPassword, "n3w");
    const auto authed = Authed();
    ASSERT_EQ(authed.size(), 2u);
    EXPECT_EQ(authed[0].method, "GET");
    EXPECT_EQ(authed[0].target, "/goform/asp_setUser?account=admin&password=n3w&password2=n3w");
    EXPECT_EQ(authed[0].Header("Authorization"), Basic("admin", "5820"));
    EXPECT_EQ(authed[1].method, "GET");
    EXPECT_EQ(authed[1].target, "/getflash.asp");
    EXPECT_EQ(authed[1].Header("Authorization"), Basic("admin", "n3w"));
    // The connection kept is the one with the new password.
    m_sim->ClearRequests();
    EXPECT_EQ(f.RebootRouter(), 0);
    EXPECT_EQ(Authed().back().Header("Authorization"), Basic("admin", "n3w"));
}

TEST_F(RouterWireTest, QueryDialectPasswordChangeNotTakenFails) {
    StartRouter(2);
    CFunction f;
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 2), 0);
    // The router refuses the change itself; its answer is not judged, the login is.
    Fault once = StatusFault(500);
    once.count = 1;
    m_sim->SetFault(once);
    EXPECT_EQ(f.SetAdminPassword("5820", "n3w"), 3);
    EXPECT_EQ(m_sim->GetState().adminPassword, "5820");
}

TEST_F(RouterWireTest, TestLoginSecondRequestOnlyAfter200) {
    const std::string wrong = Basic("admin", CFunction::kWrongPassword);
    auto sentWrong = [&] {
        for (const auto& r : m_sim->Requests())
            if (r.Header("Authorization") == wrong) return true;
        return false;
    };
    {
        StartRouter(8);
        CFunction f;
        EXPECT_EQ(f.TestLogin("192.168.2.1", "admin", "5820"), 0);
        EXPECT_TRUE(sentWrong());
        const auto authed = Authed();
        ASSERT_EQ(authed.size(), 2u);
        EXPECT_EQ(authed[0].target, "/index.asp");
        EXPECT_EQ(authed[1].target, "/index.asp");
        EXPECT_EQ(authed[1].Header("Authorization"), wrong);
    }
    {
        StartRouter(8);
        CFunction f;
        EXPECT_EQ(f.TestLogin("192.168.2.1", "admin", "bad"), 3);
        EXPECT_FALSE(sentWrong());
    }
    const struct { int status, result; } cases[] = {{302, 0}, {500, 1}, {404, 1}};
    for (const auto& c : cases) {
        StartRouter(8);
        m_sim->SetFault(StatusFault(c.status));
        CFunction f;
        EXPECT_EQ(f.TestLogin("192.168.2.1", "admin", "5820"), c.result) << c.status;
        EXPECT_FALSE(sentWrong()) << c.status;
        EXPECT_EQ(m_sim->Requests().size(), 1u) << c.status;
    }
    Ports().routerPort = UnusedLoopbackPort();
    CFunction none;
    EXPECT_EQ(none.TestLogin("192.168.2.1", "admin", "5820"), 1);
}

TEST_F(RouterWireTest, ReadSsidFromWirelessPage) {
    StartRouter(8);
    routersim::State state = m_sim->GetState();
    state.ssid = "Home Net";
    m_sim->SetState(state);
    CFunction f;
    const auto ssid = f.ReadSsid("5820");
    ASSERT_TRUE(ssid.has_value());
    EXPECT_EQ(*ssid, "Home Net");
    EXPECT_EQ(Authed().back().target, "/wlbasic.asp");

    Ports().routerPort = UnusedLoopbackPort();
    CFunction none;
    EXPECT_FALSE(none.ReadSsid("5820").has_value());
}

TEST_F(RouterWireTest, OversizedAnswerIsReadOnlyUpToTheLimit) {
    StartRouter(8);
    Fault big = KindFault(FaultKind::Oversized);
    big.oversizedBytes = 8u << 20;
    m_sim->SetFault(big);
    auto session = m_http.Open("Zavro", 300000);
    auto connection = session->Connect("127.0.0.1", m_sim->Port(), "admin", "5820");
    const HttpResult r = connection->Send("GET", "wlbasic.asp", "", "", 2999);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body.size(), 2999u);
    // The client itself reads the page and gets some text, not a failure.
    CFunction f;
    EXPECT_TRUE(f.ReadSsid("5820").has_value());
}

TEST_F(RouterWireTest, CheckInternetOpensThePageOnSuccess) {
    StartRouter(8);
    CFunction f;
    EXPECT_EQ(f.CheckInternet(), 1);
    const auto calls = m_shell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, "open");
    EXPECT_EQ(calls[0].file, Ports().homeUrl);
    EXPECT_EQ(calls[0].mode, ShowMode::Normal);

    m_sim->SetInternetUp(false);
    CFunction g;
    EXPECT_EQ(g.CheckInternet(), 0);
    EXPECT_EQ(m_shell.Calls().size(), 1u);

    Ports().homeUrl = "http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/";
    CFunction h;
    EXPECT_EQ(h.CheckInternet(), 0);
    EXPECT_EQ(m_shell.Calls().size(), 1u);
}

TEST_F(RouterWireTest, NoAnswerEndsAtTheReceiveLimit) {
    StartRouter(8);
    m_http.SetTimeouts(kConnectMs, 300);
    CFunction f;
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 8), 0);
    m_sim->SetFault(KindFault(FaultKind::NoAnswer));
    EXPECT_EQ(f.RebootRouter(), 1);
}

}  // namespace
}  // namespace zavro::test
#endif
