// The Win32 adapters under Wine: registry, profile strings (ANSI and UTF-16), system and
// version class, adapter list, Winsock upload and cancel, WinINet against the router
// simulator (its port comes in ZAVRO_SIM_PORT from scripts/wine-test.sh).
#include <windows.h>
#include <winsock2.h>
// after windows.h
#include <gtest/gtest.h>
#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "hostnet/VersionClass.h"
#include "platform/posix/ProfileReader.h"
#include "platform/win32/Win32Net.h"
#include "platform/win32/Win32System.h"
// The UI port has a CreateWindow of its own.
#undef CreateWindow
#include "platform/Platform.h"
#include "router/Function.h"

namespace zavro::win32 {
namespace {

namespace fs = std::filesystem;

const std::string kKey = "SOFTWARE\\ZavroTest\\Adapters";

struct RegistryTest : ::testing::Test {
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZavroTest"); }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZavroTest"); }
    Win32Registry reg;
};

TEST_F(RegistryTest, StringsMultiStringsAndSubkeys) {
    EXPECT_FALSE(reg.KeyExists(kKey));
    EXPECT_TRUE(reg.SubKeys(kKey).empty());
    EXPECT_FALSE(reg.GetString(kKey, "NameServer"));

    ASSERT_TRUE(reg.SetString(kKey + "\\{B}", "NameServer", "10.0.0.1"));
    ASSERT_TRUE(reg.SetString(kKey + "\\{A}", "NameServer", ""));
    ASSERT_TRUE(reg.SetMultiString(kKey + "\\{A}", "IPAddress", {"0.0.0.0", "192.0.2.7"}));
    EXPECT_TRUE(reg.KeyExists(kKey));
    EXPECT_EQ(reg.GetString(kKey + "\\{B}", "nameserver"), "10.0.0.1");  // names ignore case
    EXPECT_EQ(reg.GetString(kKey + "\\{A}", "NameServer"), "");
    EXPECT_EQ(reg.GetMultiString(kKey + "\\{A}", "IPAddress"),
              (std::vector<std::string>{"0.0.0.0", "192.0.2.7"}));
    // A value of the other type does not read as this one.
    EXPECT_FALSE(reg.GetMultiString(kKey + "\\{B}", "NameServer"));
    EXPECT_FALSE(reg.GetString(kKey + "\\{A}", "IPAddress"));
    auto keys = reg.SubKeys(kKey);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"{A}", "{B}"}));

    // What RegSetValueExA stored is what another reader of the registry sees.
    char raw[64] = {};
    DWORD size = sizeof raw;
    ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, (kKey + "\\{A}").c_str(), "IPAddress",
                           RRF_RT_REG_MULTI_SZ, nullptr, raw, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(raw, size), std::string("0.0.0.0\0" "192.0.2.7\0\0", 19));
    EXPECT_TRUE(reg.SetMultiString(kKey + "\\{A}", "IPAddress", {}));
    EXPECT_EQ(reg.GetMultiString(kKey + "\\{A}", "IPAddress"), std::vector<std::string>{});
}

struct ProfileTest : ::testing::Test {
    void SetUp() override {
        dir =
            fs::temp_directory_path() / ("zavro-w32prof-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    fs::path dir;
    Win32Profile profile;
    ProfileReader reference;
};

std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TEST_F(ProfileTest, AnsiReadsAgreeWithTheSharedReader) {
    const std::string path =
        Write("a.ini",
              "[MESSAGE]\r\nReboot=Caf\xE9 now\r\n  Spaced  =  both sides  \r\n"
              "Long=0123456789\r\n[Other]\r\nReboot=no\r\n");
    struct Case {
        const char *section, *key;
        std::size_t max;
    } cases[] = {{"MESSAGE", "Reboot", 256},  {"message", "REBOOT", 256},
                 {"MESSAGE", "Spaced", 256},  {"MESSAGE", "Long", 5},
                 {"MESSAGE", "Missing", 256}, {"Nope", "Reboot", 256},
                 {"Other", "Reboot", 256}};
    for (const auto& c : cases) {
        EXPECT_EQ(profile.ReadA(path, c.section, c.key, "dflt", c.max),
                  reference.ReadA(path, c.section, c.key, "dflt", c.max))
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(profile.ReadA(path, "MESSAGE", "Reboot", "", 256), "Caf\xE9 now");
    EXPECT_EQ(profile.ReadA((dir / "none.ini").string(), "MESSAGE", "Reboot", "dflt", 256), "dflt");
}

TEST_F(ProfileTest, WideReadOfAUtf16File) {
    const std::string path =
        Write("w.ini", Utf16File(u"[MESSAGE]\r\nConnect=Bitte anschlie\u00DFen \u4E2D\r\n"));
    const std::u16string wpath(path.begin(), path.end());
    const std::u16string got = profile.ReadW(wpath, u"MESSAGE", u"Connect", u"", 256);
    EXPECT_EQ(got, u"Bitte anschlie\u00DFen \u4E2D");
    EXPECT_EQ(got, reference.ReadW(wpath, u"MESSAGE", u"Connect", u"", 256));
    EXPECT_EQ(profile.ReadW(wpath, u"MESSAGE", u"Connect", u"", 6), u"Bitte");
    EXPECT_EQ(profile.ReadW(wpath, u"MESSAGE", u"Gone", u"dflt", 256), u"dflt");
}

TEST(Win32SystemTest, PathsCommandLineAndVersion) {
    Win32System sys;
    const std::string path = sys.ProgramPath();
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(path.substr(path.size() - 4), ".exe");
    EXPECT_NE(path.find('\\'), std::string::npos);
    EXPECT_NE(sys.CommandLine().find("zavro_win32_tests"), std::string::npos);
    EXPECT_EQ(sys.PathSeparator(), '\\');
    const OsVersion v = sys.Version();
    // ZAVRO_EXPECT_WINVER is set by the script when it makes Wine report another version.
    const char* expect = std::getenv("ZAVRO_EXPECT_WINVER");
    if (expect && std::string(expect) == "win98") {
        EXPECT_EQ(v.platformId, 1u);
        EXPECT_EQ(v.major, 4u);
        EXPECT_EQ(v.minor, 10u);
        EXPECT_TRUE(IsWin9xFamilyClass(VersionClassOf(v)));
    } else {
        EXPECT_EQ(v.platformId, 2u);
        EXPECT_EQ(v.major, 6u);
        EXPECT_EQ(v.minor, 1u);
        EXPECT_EQ(VersionClassOf(v), 0);
    }
}

TEST(Win32AdaptersTest, FirstAdapterMatchesTheSystemList) {
    // Wine lists the host's interfaces: check the shape, never a particular address.
    const auto got = Win32Adapters().FirstAdapterAddress();
    ULONG size = 0;
    GetAdaptersInfo(nullptr, &size);
    std::vector<std::uint8_t> buffer(size ? size : 1);
    std::optional<std::vector<std::uint8_t>> expect;
    if (size && GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size) == 0) {
        for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
            if (a->Type == MIB_IF_TYPE_LOOPBACK || a->AddressLength == 0) continue;
            expect.emplace(a->Address, a->Address + a->AddressLength);
            break;
        }
    }
    EXPECT_EQ(got, expect);
    if (got) {
        EXPECT_LE(got->size(), std::size_t{MAX_ADAPTER_ADDRESS_LENGTH});
    }
}

// A loopback listener on an ephemeral port that keeps what it receives.
struct Listener {
    Listener() {
        s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(s, 1);
        int len = sizeof a;
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Listener() { closesocket(s); }
    SOCKET s;
    std::uint16_t port = 0;
};

// A loopback port that nothing listens on any more.
std::uint16_t ClosedPort() {
    WinsockFactory tcp;  // keeps Winsock up while the listener lives
    Listener gone;
    return gone.port;
}

TEST(WinsockTest, UploadReplyAndCancel) {
    WinsockFactory tcp;
    ASSERT_TRUE(tcp.Startup());  // what the program checks before its first window
    Listener server;
    std::string received;
    std::thread peer([&] {
        const SOCKET c = accept(server.s, nullptr, nullptr);
        char buf[65536];
        int n;
        while (received.size() < 300000 && (n = recv(c, buf, sizeof buf, 0)) > 0)
            received.append(buf, n);
        send(c, "OK", 2, 0);
        // Then stay silent: the client's Receive must come back through Cancel.
        recv(c, buf, sizeof buf, 0);
        closesocket(c);
    });
    auto sock = tcp.Create();
    ASSERT_TRUE(sock->Connect("127.0.0.1", server.port));
    std::string image(300000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
    EXPECT_EQ(sock->Send(image.data(), image.size()), 300000);
    char reply[8] = {};
    EXPECT_EQ(sock->Receive(reply, sizeof reply), 2);
    EXPECT_EQ(std::string(reply, 2), "OK");
    std::atomic<long> blocked{1};
    std::thread waiter([&] { blocked = sock->Receive(reply, sizeof reply); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let it block; not timed
    sock->Cancel();
    waiter.join();
    EXPECT_EQ(blocked.load(), -1);
    EXPECT_EQ(sock->Send("x", 1), -1);
    peer.join();
    EXPECT_EQ(received, image);
}

TEST(WinsockTest, RefusedAndGuarded) {
    WinsockFactory tcp;
    auto refused = tcp.Create();
    EXPECT_FALSE(refused->Connect("127.0.0.1", ClosedPort()));
    EXPECT_EQ(refused->LastError(), NetError::Refused);
}

TEST(WinInetTest, RequestTargets) {
    EXPECT_EQ(RequestObject("index.asp"), "/index.asp");
    EXPECT_EQ(RequestObject("/goform/x?a=b c"), "/goform/x?a=b%20c");
    EXPECT_EQ(RequestObject("\x7F\xE9"), "/%7F%E9");
}

std::uint16_t SimPort() {
    const char* p = std::getenv("ZAVRO_SIM_PORT");
    return p ? static_cast<std::uint16_t>(std::atoi(p)) : 0;
}

TEST(WinInetTest, AnswersTheSimulatorsChallenge) {
    const std::uint16_t port = SimPort();
    ASSERT_NE(port, 0) << "ZAVRO_SIM_PORT not set: the simulator runs with scripts/wine-test.sh";
    WinInetClient client;
    auto session = client.Open("Zavro", 300000);
    ASSERT_TRUE(session);
    auto good = session->Connect("127.0.0.1", port, "admin", "5820");
    ASSERT_TRUE(good);
    const HttpResult r = good->Send("GET", "index.asp", "", "", 4096);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(r.body.empty());
    EXPECT_LE(good->Send("GET", "index.asp", "", "", 10).body.size(), 10u);
    // The connection is reused for a second request.
    EXPECT_EQ(good->Send("GET", "/index.asp", "", "", 0).status, 200);

    auto bad = session->Connect("127.0.0.1", port, "admin", "wrong");
    ASSERT_TRUE(bad);
    const HttpResult denied = bad->Send("GET", "index.asp", "", "", 256);
    EXPECT_TRUE(denied.ok);
    EXPECT_EQ(denied.status, 401);
    EXPECT_EQ(good->Send("GET", "no_such_page.asp", "", "", 0).status, 404);

    // Cancelled (from any thread): the open connection ends, nothing later goes out.
    std::thread([&] { session->Cancel(); }).join();
    const HttpResult after = good->Send("GET", "index.asp", "", "", 16);
    EXPECT_FALSE(after.ok);
    EXPECT_EQ(after.error, NetError::Closed);
    EXPECT_EQ(session->Connect("127.0.0.1", port, "admin", "5820"), nullptr);
    EXPECT_FALSE(session->OpenUrl("http://127.0.0.1:" + std::to_string(port) + "/"));
}

// Failures come back inside the port, with their cause.
TEST(WinInetTest, FailuresStayInsideThePort) {
    const std::uint16_t closedPort = ClosedPort();
    WinInetClient client;
    auto session = client.Open("Zavro", 2000);
    ASSERT_TRUE(session);
    auto conn = session->Connect("127.0.0.1", closedPort, "admin", "5820");
    ASSERT_TRUE(conn);  // WinINet connects only with the first request
    const HttpResult refused = conn->Send("GET", "index.asp", "", "", 16);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, NetError::Refused);
    NetError why = NetError::None;
    EXPECT_FALSE(session->OpenUrl("http://127.0.0.1:" + std::to_string(closedPort) + "/", &why));
    EXPECT_EQ(why, NetError::Refused);
    EXPECT_FALSE(session->OpenUrl("not a url"));
    const std::uint16_t port = SimPort();
    if (port) {
        // Without an account the page answers 401: no open response.
        EXPECT_FALSE(session->OpenUrl("http://127.0.0.1:" + std::to_string(port) + "/index.asp"));
    }
}

// Why a step failed, as each adapter reports it: refused, no answer, the peer closing;
// and a refused login as the router client records it.
TEST(WinsockTest, ClosedAndCancelledNameTheirCause) {
    WinsockFactory tcp;
    Listener server;
    std::thread peer([&] {
        const SOCKET c = accept(server.s, nullptr, nullptr);
        closesocket(c);  // closes without a word
        const SOCKET d = accept(server.s, nullptr, nullptr);
        char buf[16];
        recv(d, buf, sizeof buf, 0);  // silent until the client goes
        closesocket(d);
    });
    char reply[8];
    auto closed = tcp.Create();
    ASSERT_TRUE(closed->Connect("127.0.0.1", server.port));
    EXPECT_EQ(closed->Receive(reply, sizeof reply), 0);
    EXPECT_EQ(closed->LastError(), NetError::Closed);
    auto silent = tcp.Create();
    ASSERT_TRUE(silent->Connect("127.0.0.1", server.port));
    EXPECT_EQ(silent->LastError(), NetError::None);
    std::thread waiter([&] { silent->Receive(reply, sizeof reply); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let it block; not timed
    silent->Cancel();
    waiter.join();
    EXPECT_EQ(silent->LastError(), NetError::NoAnswer);
    peer.join();
}

TEST(WinInetTest, ASilentPeerIsNoAnswer) {
    WinInetClient client;
    // Short, so the silent peer costs little.
    auto session = client.Open("Zavro", 1500);
    ASSERT_TRUE(session);
    WinsockFactory tcp;
    Listener server;
    std::thread peer([&] {
        const SOCKET c = accept(server.s, nullptr, nullptr);
        // Bounded: WinINet might keep the connection after giving up on it.
        DWORD limit = 5000;
        setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
        char buf[4096];
        while (recv(c, buf, sizeof buf, 0) > 0) {
        }
        closesocket(c);
    });
    auto silent = session->Connect("127.0.0.1", server.port, "admin", "5820");
    ASSERT_TRUE(silent);
    const HttpResult noAnswer = silent->Send("GET", "index.asp", "", "", 16);
    EXPECT_FALSE(noAnswer.ok);
    EXPECT_EQ(noAnswer.error, NetError::NoAnswer);
    silent.reset();
    session.reset();
    peer.join();
}

TEST(WinInetTest, RouterClientRecordsARefusedLogin) {
    const std::uint16_t port = SimPort();
    ASSERT_NE(port, 0) << "ZAVRO_SIM_PORT not set: the simulator runs with scripts/wine-test.sh";
    WinInetClient client;
    const Platform saved = Ports();
    Ports().http = &client;
    Ports().routerHost = "127.0.0.1";
    Ports().routerPort = port;
    {
        CFunction f;
        EXPECT_EQ(f.ConnectRouter("192.168.2.1", "admin", "wrong", 8), 3);
        EXPECT_EQ(f.LastFailure().cause, FailCause::Login);
        EXPECT_EQ(f.LastFailure().httpStatus, 401);
        EXPECT_STREQ(FailCauseName(f.LastFailure().cause), "login");
        EXPECT_EQ(f.ConnectRouter("192.168.2.1", "admin", "5820", 8), 0);
        EXPECT_EQ(f.LastFailure().cause, FailCause::None);
    }
    Ports() = saved;
}

TEST(Win32ShellTest, HiddenProcessAndMissingFile) {
    Win32Shell shell;
    const long h = shell.StartHidden("cmd.exe /c exit 0");
    ASSERT_GT(h, 0);
    bool ended = false;
    for (int i = 0; i < 65535 && !ended; ++i) ended = shell.WaitProcess(h, 10);
    EXPECT_TRUE(ended);
    shell.CloseProcess(h);
    EXPECT_EQ(shell.StartHidden("C:\\no\\such\\program.exe"), 0);
    const long r = shell.Execute("open", "C:\\no\\such\\file.pdf", "", "", ShowMode::Normal);
    EXPECT_LE(r, 32);
    EXPECT_GE(r, 0);
}

}  // namespace
}  // namespace zavro::win32
