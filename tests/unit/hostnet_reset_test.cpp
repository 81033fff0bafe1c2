#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostnet/HostTcpIp.h"
#include "platform/Platform.h"
#include "support/MemoryRegistry.h"
#include "support/Recorders.h"
#include "support/TestClock.h"

namespace zavro {
namespace {

using test::MemoryRegistry;

const std::string kNetTrans = kNetTransKey;
const std::string kMstcp = kMstcpKey;
const std::string kIfaces = kTcpipInterfacesKey;

// Installs the doubles into Ports() and puts the previous ports back afterwards.
class HostnetTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = Ports();
        Ports().system = &system;
        Ports().shell = &shell;
        Ports().registry = &registry;
        Ports().clock = &clock;
    }
    void TearDown() override { Ports() = m_saved; }

    void Use(OsVersion v) { system.version = std::move(v); }

    void SeedBinding(const std::string& name, const std::string& address) {
        registry.Seed(kNetTrans + name, "IPAddress", address);
        registry.Seed(kNetTrans + name, "IPMask",
                      address == "0.0.0.0" ? "0.0.0.0" : "255.255.255.0");
        registry.Seed(kNetTrans + name, "DefaultGateway", address == "0.0.0.0" ? "" : "10.0.0.1");
    }

    test::FakeSystem system;
    test::ShellRecorder shell;
    MemoryRegistry registry;
    test::TestClock clock;

private:
    Platform m_saved;
};

MemoryRegistry::Write Sz(const std::string& key, const std::string& name, const std::string& v) {
    return {key, name, false, {v}};
}

const OsVersion k98{4, 10, 1, ""};
const OsVersion k98se{4, 10, 1, "A"};
const OsVersion kMe{4, 90, 1, ""};
const OsVersion k2000{5, 0, 2, "Service Pack 4"};

TEST_F(HostnetTest, On98AlreadyOnDhcpNothingChanges) {
    for (const OsVersion& v : {k98, k98se, kMe}) {
        Use(v);
        SeedBinding("0000", "0.0.0.0");
        SeedBinding("0001", "0.0.0.0");
        registry.Seed(kMstcp, "EnableDNS", "0");
        EXPECT_TRUE(IsHost9xOnDhcp());
        EXPECT_EQ(ResetHostTcpIp(), 0) << v.minor << v.csdVersion;
        EXPECT_TRUE(registry.Writes().empty());
        EXPECT_TRUE(shell.Calls().empty());
        EXPECT_TRUE(shell.Started().empty());
        EXPECT_EQ(shell.Restarts(), 0);  // restarting is the caller's business
    }
}

TEST_F(HostnetTest, On98OneFixedBindingResetsAllInOrderAndAsksForRestart) {
    for (const OsVersion& v : {k98, k98se, kMe}) {
        MemoryRegistry fresh;
        Ports().registry = &fresh;
        Use(v);
        fresh.Seed(kNetTrans + "0000", "IPAddress", "0.0.0.0");
        fresh.Seed(kNetTrans + "0001", "IPAddress", "192.168.2.77");
        fresh.Seed(kNetTrans + "0001", "IPMask", "255.255.255.0");
        fresh.Seed(kNetTrans + "0001", "DefaultGateway", "192.168.2.1");
        fresh.Seed(kMstcp, "EnableDNS", "1");

        EXPECT_FALSE(IsHost9xOnDhcp());
        EXPECT_EQ(ResetHostTcpIp(), 1);
        const std::vector<MemoryRegistry::Write> expected = {
            Sz(kNetTrans + "0000", "IPAddress", "0.0.0.0"),
            Sz(kNetTrans + "0000", "IPMask", "0.0.0.0"),
            Sz(kNetTrans + "0000", "DefaultGateway", ""),
            Sz(kNetTrans + "0001", "IPAddress", "0.0.0.0"),
            Sz(kNetTrans + "0001", "IPMask", "0.0.0.0"),
            Sz(kNetTrans + "0001", "DefaultGateway", ""),
            Sz(kMstcp, "EnableDNS", "0"),
        };
        EXPECT_EQ(fresh.Writes(), expected);
        EXPECT_EQ(fresh.GetString(kNetTrans + "0001", "DefaultGateway"), "");
        EXPECT_TRUE(shell.Calls().empty());
        // The next run finds the PC on DHCP.
        EXPECT_TRUE(IsHost9xOnDhcp());
        EXPECT_EQ(ResetHostTcpIp(), 0);
    }
}

TEST_F(HostnetTest, On98WhatCountsAsNotOnDhcp) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::optional<std::string>>> bindings;
        std::optional<std::string> enableDns;
        bool onDhcp;
    };
    const Case cases[] = {
        {"no bindings, DNS off", {}, "0", true},
        {"DNS value missing", {{"0000", "0.0.0.0"}}, std::nullopt, false},
        {"DNS on", {{"0000", "0.0.0.0"}}, "1", false},
        {"DNS text not exactly 0", {{"0000", "0.0.0.0"}}, "0 ", false},
        {"address value missing", {{"0000", std::nullopt}}, "0", false},
        {"address with a blank", {{"0000", "0.0.0.0 "}}, "0", false},
        {"empty address", {{"0000", ""}}, "0", false},
        {"last binding fixed", {{"0000", "0.0.0.0"}, {"0001", "10.1.1.1"}}, "0", false},
        {"first binding fixed", {{"0000", "10.1.1.1"}, {"0001", "0.0.0.0"}}, "0", false},
    };
    for (const Case& c : cases) {
        MemoryRegistry reg;
        Ports().registry = &reg;
        for (const auto& [name, address] : c.bindings) {
            reg.CreateKey(kNetTrans + name);
            if (address) reg.Seed(kNetTrans + name, "IPAddress", *address);
        }
        reg.CreateKey(kMstcp);
        if (c.enableDns) reg.Seed(kMstcp, "EnableDNS", *c.enableDns);
        EXPECT_EQ(IsHost9xOnDhcp(), c.onDhcp) << c.what;
        Use(k98);
        EXPECT_EQ(ResetHostTcpIp(), c.onDhcp ? 0 : 1) << c.what;
        EXPECT_EQ(reg.GetString(kMstcp, "EnableDNS"), "0") << c.what;
    }
}

TEST_F(HostnetTest, On98MissingKeysLeaveTheirStepUndone) {
    // No NetTrans bindings and no MSTCP key: nothing can be written, a restart is still asked.
    Use(k98);
    EXPECT_EQ(ResetHostTcpIp(), 1);
    EXPECT_TRUE(registry.Writes().empty());
    EXPECT_FALSE(registry.KeyExists(kMstcp));
}

TEST_F(HostnetTest, On98BindingNamesThatDoNotFitTheEnumerationBufferAreSkipped) {
    Use(k98);
    const std::string longName(64, 'x');
    registry.Seed(kNetTrans + longName, "IPAddress", "10.0.0.9");
    registry.Seed(kNetTrans + std::string(63, 'y'), "IPAddress", "0.0.0.0");
    registry.Seed(kMstcp, "EnableDNS", "0");
    EXPECT_TRUE(IsHost9xOnDhcp());
    EXPECT_EQ(ResetHostTcpIp(), 0);
}

TEST_F(HostnetTest, Windows95AndNt4AreNotSupportedAndTouchNothing) {
    SeedBinding("0000", "10.0.0.5");
    for (const OsVersion& v :
         {OsVersion{4, 0, 1, ""}, OsVersion{4, 0, 1, "C"}, OsVersion{4, 0, 2, "Service Pack 6"}}) {
        Use(v);
        EXPECT_EQ(ResetHostTcpIp(), 2);
    }
    EXPECT_TRUE(registry.Writes().empty());
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_TRUE(shell.Started().empty());
}

void ExpectTheTwoScripts(const std::vector<test::ShellRecorder::Call>& calls) {
    ASSERT_EQ(calls.size(), 2u);
    const char* files[] = {"dhcpsetting.vbs", "dns-replaceserverlist.vbs"};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(calls[i].verb, "open");
        EXPECT_EQ(calls[i].file, files[i]);
        EXPECT_EQ(calls[i].parameters, "");
        EXPECT_EQ(calls[i].folder, "");
        EXPECT_EQ(calls[i].mode, ShowMode::Normal);
    }
}

TEST_F(HostnetTest, NtFamilyRunsOnlyTheTwoScripts) {
    registry.SetMultiString(kIfaces + "\\{A}", "DefaultGateway", {"192.168.2.1"});
    SeedBinding("0000", "10.0.0.5");
    registry.ClearWrites();
    for (const OsVersion& v : {OsVersion{6, 1, 2, ""}, OsVersion{5, 1, 2, "Service Pack 3"},
                               OsVersion{5, 2, 2, ""}, OsVersion{10, 0, 2, ""}}) {
        test::ShellRecorder recorder;
        recorder.executeResult = 2;  // missing scripts are not looked at
        Ports().shell = &recorder;
        Use(v);
        EXPECT_EQ(ResetHostTcpIp(), 0);
        ExpectTheTwoScripts(recorder.Calls());
        EXPECT_TRUE(recorder.Started().empty());
        EXPECT_EQ(recorder.Restarts(), 0);
    }
    EXPECT_TRUE(registry.Writes().empty());
}

TEST_F(HostnetTest, Windows2000ClearsGatewaysThenScriptsThenRenews) {
    registry.SetMultiString(kIfaces + "\\{B2}", "DefaultGateway", {"192.168.2.1", "10.0.0.1"});
    registry.SetMultiString(kIfaces + "\\{A1}", "DefaultGateway", {"10.0.0.1"});
    registry.CreateKey(kIfaces + "\\{C3}");  // no gateway yet: gets the empty value too
    registry.ClearWrites();
    Use(k2000);

    EXPECT_EQ(ResetHostTcpIp(), 0);
    const std::vector<MemoryRegistry::Write> expected = {
        {kIfaces + "\\{B2}", "DefaultGateway", true, {}},
        {kIfaces + "\\{A1}", "DefaultGateway", true, {}},
        {kIfaces + "\\{C3}", "DefaultGateway", true, {}},
    };
    EXPECT_EQ(registry.Writes(), expected);
    EXPECT_EQ(registry.GetMultiString(kIfaces + "\\{A1}", "DefaultGateway"),
              std::vector<std::string>{});
    ExpectTheTwoScripts(shell.Calls());
    EXPECT_EQ(shell.Started(), std::vector<std::string>{"ipconfig /renew"});
}

TEST_F(HostnetTest, Windows2000OrderAcrossRegistryAndShell) {
    std::vector<std::string> log;
    registry.SetMultiString(kIfaces + "\\{A1}", "DefaultGateway", {"10.0.0.1"});
    Use(k2000);
    // Each shell step notes whether the gateway had already been cleared by then.
    struct Probe final : IShell {
        MemoryRegistry& reg;
        std::vector<std::string>& log;
        std::string key;
        Probe(MemoryRegistry& r, std::vector<std::string>& l, std::string k)
            : reg(r), log(l), key(std::move(k)) {}
        long Execute(const std::string&, const std::string& file, const std::string&,
                     const std::string&, ShowMode) override {
            const auto gw = reg.GetMultiString(key, "DefaultGateway");
            log.push_back("open " + file + (gw && gw->empty() ? " (cleared)" : " (not cleared)"));
            return 42;
        }
        long StartHidden(const std::string& c) override {
            log.push_back("start " + c);
            return 7;
        }
        bool WaitProcess(long, unsigned) override { return true; }
        void CloseProcess(long h) override { log.push_back("close " + std::to_string(h)); }
        void RestartSystem() override { log.push_back("restart"); }
    } probe(registry, log, kIfaces + "\\{A1}");
    Ports().shell = &probe;
    EXPECT_EQ(ResetHostTcpIp(), 0);
    const std::vector<std::string> expected = {"open dhcpsetting.vbs (cleared)",
                                               "open dns-replaceserverlist.vbs (cleared)",
                                               "start ipconfig /renew", "close 7"};
    EXPECT_EQ(log, expected);
}

// Answers WaitProcess with false a set number of times, counting the slices asked for.
class SlicedShell final : public IShell {
public:
    long startResult = 5;
    unsigned failures = 0;
    unsigned waits = 0;
    std::vector<unsigned> sliceMs;
    std::vector<long> closed;

    long Execute(const std::string&, const std::string&, const std::string&, const std::string&,
                 ShowMode) override {
        return 42;
    }
    long StartHidden(const std::string&) override { return startResult; }
    bool WaitProcess(long handle, unsigned ms) override {
        EXPECT_EQ(handle, startResult);
        ++waits;
        if (sliceMs.size() < 4) sliceMs.push_back(ms);
        return waits > failures;
    }
    void CloseProcess(long handle) override { closed.push_back(handle); }
    void RestartSystem() override {}
};

TEST_F(HostnetTest, RunHiddenWaitsInTenMillisecondSlicesUntilTheProcessEnds) {
    struct Case {
        unsigned failures;
        unsigned expectedWaits;
        bool ended;
    };
    const Case cases[] = {
        {0, 1, true},
        {1, 2, true},
        {37, 38, true},
        {65534, 65535, true},   // ends in the very last slice
        {65535, 65535, false},  // never ends: gives up after 65535 slices
        {1000000, 65535, false},
    };
    for (const Case& c : cases) {
        SlicedShell sliced;
        sliced.failures = c.failures;
        Ports().shell = &sliced;
        EXPECT_EQ(RunHidden("ipconfig /renew"), c.ended) << c.failures;
        EXPECT_EQ(sliced.waits, c.expectedWaits) << c.failures;
        for (unsigned ms : sliced.sliceMs) EXPECT_EQ(ms, 10u);
        EXPECT_EQ(sliced.closed, std::vector<long>{5}) << c.failures;
    }
}

TEST_F(HostnetTest, RunHiddenDoesNotWaitForAProcessThatDidNotStart) {
    SlicedShell sliced;
    sliced.startResult = 0;
    Ports().shell = &sliced;
    EXPECT_FALSE(RunHidden("no-such-program"));
    EXPECT_EQ(sliced.waits, 0u);
    EXPECT_TRUE(sliced.closed.empty());
}

}  // namespace
}  // namespace zavro
