// Typed passwords and names with the characters that delimit form fields arrive at the
// router whole, in every dialect (the router keeps what it decoded).
#include "RouterWireFixture.h"
#include "router/Function.h"

#ifdef ZAVRO_HAVE_ROUTERSIM
namespace zavro::test {
namespace {

constexpr const char* kPassword = "Nw&Pass=77 %+#?";

TEST_F(RouterWireTest, NewAdminPasswordArrivesWholeAndWorks) {
    for (int model : {1, 2, 8}) {
        SCOPED_TRACE(model);
        StartRouter(model);
        CFunction f;
        ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
        EXPECT_EQ(f.SetAdminPassword("5820", kPassword), 0);
        EXPECT_EQ(m_sim->GetState().adminPassword, kPassword);
        CFunction again;
        EXPECT_EQ(again.ConnectRouter("192.168.2.1", "admin", kPassword, model), 0);
    }
}

TEST_F(RouterWireTest, PppoeAccountArrivesWhole) {
    const struct {
        int model;
        const char *user, *password, *service;
    } cases[] = {
        {1, "pppUserName", "pppPassword", "pppServName"},
        {2, "username0", "password0", "serviceName0"},
        {8, "pppUserName", "pppPassword", "pppServName"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        StartRouter(c.model);
        CFunction f;
        ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", c.model), 0);
        EXPECT_EQ(f.SetPppoe("joe&co@isp", "p&w=1%+", "isp #1", "1452", 0, ""), 0);
        auto wan = m_sim->GetState().wan;
        EXPECT_EQ(wan[c.user], "joe&co@isp");
        EXPECT_EQ(wan[c.password], "p&w=1%+");
        EXPECT_EQ(wan[c.service], "isp #1");
    }
}

TEST_F(RouterWireTest, CableModemHostNameArrivesWhole) {
    for (int model : {2, 8}) {
        SCOPED_TRACE(model);
        StartRouter(model);
        CFunction f;
        ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
        EXPECT_EQ(f.SetDhcpClient("pc&1=a b", "", "001122334455"), 0);
        EXPECT_EQ(m_sim->GetState().wan["dynIPHostName"], "pc&1=a b");
    }
}

TEST_F(RouterWireTest, TunnelAccountsArriveWhole) {
    for (int model : {2, 8}) {
        SCOPED_TRACE(model);
        StartRouter(model);
        CFunction f;
        ASSERT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", model), 0);
        EXPECT_EQ(f.SetPptp(1, "", "", "", "10.1.1.2", "255.0.0.0", "10.1.1.1", "u&1", "p=&2",
                            "10.1.1.9", "", "1400", 0, ""),
                  0);
        auto wan = m_sim->GetState().wan;
        EXPECT_EQ(wan[model == 8 ? "pptpUserName" : "username"], "u&1");
        EXPECT_EQ(wan[model == 8 ? "pptpPassword" : "password"], "p=&2");
        EXPECT_EQ(f.SetL2tp(1, "", "", "", "10.1.1.2", "255.0.0.0", "10.1.1.1", "l&2", "q%+3",
                            "10.1.1.9", "", "1400", 0, ""),
                  0);
        wan = m_sim->GetState().wan;
        EXPECT_EQ(wan[model == 8 ? "L2TPUserName" : "username"], "l&2");
        EXPECT_EQ(wan[model == 8 ? "L2TPPassword" : "password"], "q%+3");
    }
}

}  // namespace
}  // namespace zavro::test
#endif
