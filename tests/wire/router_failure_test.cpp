// Why the router client's last exchange failed, beside its unchanged result code: through
// the libcurl adapter, the socket adapter of the upload, and the Internet check.
#include <sstream>

#include "RouterWireFixture.h"
#include "router/Function.h"

#ifdef ZAVRO_HAVE_ROUTERSIM
namespace zavro::test {
namespace {

using routersim::FaultKind;

class RouterFailureCause : public RouterWireTest {
protected:
    void SetUp() override {
        RouterWireTest::SetUp();
        m_http.SetTimeouts(kConnectMs, 400);
        StartRouter(8);
    }
    void SetFault(FaultKind kind, int status = 500, const std::string& path = "") {
        m_sim->SetFault({.kind = kind, .status = status, .path = path});
    }
};

struct Expect {
    int result;
    FailCause cause;
    int status;
};

void Check(const CFunction& f, int result, const Expect& e) {
    EXPECT_EQ(result, e.result);
    EXPECT_EQ(FailCauseName(f.LastFailure().cause), FailCauseName(e.cause));
    EXPECT_EQ(f.LastFailure().httpStatus, e.status);
}

TEST_F(RouterFailureCause, LoginCarriesTheCauseBesideItsResult) {
    struct Case {
        const char* name;
        FaultKind kind;
        int status;
        Expect expect;
    };
    const Case cases[] = {
        {"answer", FaultKind::None, 0, {0, FailCause::None, 0}},
        {"500 still counts as an answer", FaultKind::Status, 500, {0, FailCause::None, 0}},
        {"401", FaultKind::Status, 401, {3, FailCause::Login, 401}},
        {"404", FaultKind::Status, 404, {2, FailCause::HttpStatus, 404}},
        {"no answer", FaultKind::NoAnswer, 0, {1, FailCause::NoAnswer, 0}},
        {"closed", FaultKind::CloseWithoutAnswer, 0, {1, FailCause::Closed, 0}},
        {"garbage", FaultKind::GarbageStatus, 0, {1, FailCause::Garbled, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetFault(c.kind, c.status);
        CFunction f;
        Check(f, f.ConnectRouter("192.168.2.1", "admin", "5820", 8), c.expect);
        m_sim->SetFault({});
    }
    CFunction f;
    m_sim->SetRouterDown(true);
    Check(f, f.ConnectRouter("192.168.2.1", "admin", "5820", 8), {1, FailCause::Refused, 0});
    // The same object after a success: nothing failed any more.
    m_sim->SetRouterDown(false);
    Check(f, f.ConnectRouter("192.168.2.1", "admin", "5820", 8), {0, FailCause::None, 0});
    // A request that fails after the login names its own cause.
    SetFault(FaultKind::Status, 503, "/goform/");
    Check(f, f.RebootRouter(), {1, FailCause::HttpStatus, 503});
    m_sim->SetFault({});
    Check(f, f.RebootRouter(), {0, FailCause::None, 0});
}

TEST_F(RouterFailureCause, TestLoginAndPasswordChange) {
    CFunction f;
    // The second, wrong-password login is refused on purpose: that is no failure.
    Check(f, f.TestLogin("192.168.2.1", "admin", "5820"), {0, FailCause::None, 0});
    Check(f, f.TestLogin("192.168.2.1", "admin", "wrong"), {3, FailCause::Login, 401});
    ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 8), 0);
    SetFault(FaultKind::ResetMidTransfer, 0, "/goform/formPasswordSetup");
    Check(f, f.SetAdminPassword("5820", "n3w"), {1, FailCause::Closed, 0});
}

TEST_F(RouterFailureCause, UploadOverRawSocketsNamesItsCause) {
    CClientSocket first, second;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &first), 1);
    CFunction f;
    f.m_pSocket = &first;
    f.m_pSocket2 = &second;
    f.m_strAuthPassword = "wrong";
    std::istringstream image(std::string(2000, 'x'));
    Check(f, f.UploadFirmware("Firmware.bin", image, 8), {0, FailCause::Login, 401});

    CClientSocket third;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &third), 1);
    f.m_pSocket = &third;
    f.m_strAuthPassword = "5820";
    SetFault(FaultKind::CloseWithoutAnswer, 0, "/goform/formUpload");
    std::istringstream again(std::string(2000, 'x'));
    Check(f, f.UploadFirmware("Firmware.bin", again, 8), {0, FailCause::Closed, 0});

    // The socket itself says why it could not connect.
    m_sim->SetRouterDown(true);
    CClientSocket refused;
    EXPECT_EQ(ConnectClientSocket("192.168.2.1", 80, &refused), 0);
    EXPECT_EQ(refused.LastError(), NetError::Refused);
}

TEST_F(RouterFailureCause, InternetCheckThroughTheTestsOwnResolver) {
    m_http.SetResolver([this](const std::string& name) { return m_sim->Resolve(name); });
    Ports().homeUrl = m_sim->InternetUrl();
    CFunction f;
    Check(f, f.CheckInternet(), {1, FailCause::None, 0});
    m_sim->SetInternetResolves(false);
    Check(f, f.CheckInternet(), {0, FailCause::Unresolved, 0});
    EXPECT_EQ(m_shell.Calls().size(), 1u);
    m_sim->SetInternetResolves(true);
    m_sim->SetInternetUp(false);
    Check(f, f.CheckInternet(), {0, FailCause::Refused, 0});
}

}  // namespace
}  // namespace zavro::test
#endif
