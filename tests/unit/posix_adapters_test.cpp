#include <gtest/gtest.h>
#include <net/if.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <cerrno>

#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixAdapters.h"

namespace zavro {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Causes no loopback peer can produce (no route, a connect that times out) come from these.
TEST(PosixAdapters, SocketErrorsNameTheirCause) {
    const std::pair<int, NetError> table[] = {
        {ECONNREFUSED, NetError::Refused},    {ENETUNREACH, NetError::Unreachable},
        {EHOSTUNREACH, NetError::Unreachable}, {ETIMEDOUT, NetError::ConnectTimeout},
        {ECONNRESET, NetError::Closed},       {EPIPE, NetError::Closed},
    };
    for (const auto& [error, cause] : table) {
        EXPECT_EQ(posix::NetErrorFromErrno(error, NetError::Garbled), cause) << error;
    }
    EXPECT_EQ(posix::NetErrorFromErrno(EINVAL, NetError::Garbled), NetError::Garbled);
}

TEST(PosixAdapters, ParsesHardwareAddressText) {
    struct Case {
        std::string text;
        std::optional<Bytes> bytes;
    };
    const Case cases[] = {
        {"00:1a:2B:3c:4D:ff", Bytes{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFF}},
        {"0a:0b", Bytes{0x0A, 0x0B}},
        {"00:00:00:00:00:00", Bytes(6, 0)},
        {"", std::nullopt},
        {"0:1a:2b:3c:4d:5e", std::nullopt},
        {"00:1a:", std::nullopt},
        {"00-1a-2b", std::nullopt},
        {"001a2b", std::nullopt},
        {"zz:00", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseHardwareAddress(c.text), c.bytes) << c.text;
}

class FakeSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zavro-sysnet-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void Add(const std::string& name, int index, int type, const std::string& flags,
             const std::optional<std::string>& address) {
        const fs::path d = root / name;
        fs::create_directories(d);
        std::ofstream(d / "ifindex") << index << "\n";
        std::ofstream(d / "type") << type << "\n";
        std::ofstream(d / "flags") << flags << "\n";
        if (address) std::ofstream(d / "address") << *address << "\n";
    }
    std::optional<Bytes> First() { return PosixAdapters(root.string()).FirstAdapterAddress(); }
    fs::path root;
};

TEST_F(FakeSysfs, FirstNonLoopbackInterfaceByIndex) {
    Add("lo", 1, 772, "0x9", "00:00:00:00:00:00");
    Add("wlan0", 3, 1, "0x1003", "aa:bb:cc:dd:ee:03");
    Add("eth0", 2, 1, "0x1003", "00:1a:2b:3c:4d:5e");
    Add("eth9", 10, 1, "0x1002", "00:00:00:00:00:10");  // down still counts, but later
    EXPECT_EQ(First(), (Bytes{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
}

TEST_F(FakeSysfs, InterfacesWithoutARealAddressAreSkipped) {
    Add("lo", 1, 772, "0x9", "00:00:00:00:00:00");
    Add("tun0", 2, 65534, "0x1091", "");           // no hardware address
    Add("sit0", 3, 776, "0x80", "00:00:00:00");    // all zero
    Add("odd", 4, 1, "0x1003", std::nullopt);      // no address file
    Add("lo2", 5, 1, "0x9", "02:00:00:00:00:05");  // loopback by its flags
    Add("veth1", 7, 1, "0x1003", "02:42:ac:11:00:07");
    EXPECT_EQ(First(), (Bytes{0x02, 0x42, 0xAC, 0x11, 0x00, 0x07}));
}

TEST_F(FakeSysfs, LoopbackOnlyGivesNothing) {
    EXPECT_EQ(First(), std::nullopt);
    Add("lo", 1, 772, "0x9", "00:00:00:00:00:00");
    EXPECT_EQ(First(), std::nullopt);
    EXPECT_EQ(PosixAdapters((root / "missing").string()).FirstAdapterAddress(), std::nullopt);
}

TEST(PosixAdapters, FollowsTheInterfacesOfThisNetworkNamespace) {
    // if_nameindex lists the interfaces this process can see, independently of the adapter.
    bool onlyLoopback = true;
    if (struct if_nameindex* names = ::if_nameindex()) {
        for (struct if_nameindex* n = names; n->if_index != 0; ++n) {
            if (std::string(n->if_name) != "lo") onlyLoopback = false;
        }
        ::if_freenameindex(names);
    }
    const auto address = PosixAdapters().FirstAdapterAddress();
    if (onlyLoopback) {
        EXPECT_EQ(address, std::nullopt);
    } else if (address) {
        EXPECT_NE(*address, Bytes(address->size(), 0));
    }
}

}  // namespace
}  // namespace zavro
