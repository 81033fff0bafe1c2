#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/posix/FileRegistry.h"
#include "support/MemoryRegistry.h"

namespace zavro {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using namespace std::string_literals;

TEST(PosixRegistry, KeysAndValueNamesIgnoreAsciiCase) {
    FileRegistry reg;
    EXPECT_TRUE(reg.SetString("SYSTEM\\CurrentControlSet\\Services\\VxD\\MSTCP", "EnableDNS", "1"));
    EXPECT_TRUE(reg.KeyExists("system\\currentcontrolset\\SERVICES\\vxd\\mstcp"));
    EXPECT_EQ(reg.GetString("System\\CurrentControlSet\\Services\\VxD\\MSTCP\\", "enabledns"), "1");
    // Overwriting through another spelling keeps one value, with its first spelling.
    reg.SetString("SYSTEM\\CURRENTCONTROLSET\\SERVICES\\VXD\\MSTCP", "ENABLEDNS", "0");
    EXPECT_EQ(reg.GetString("SYSTEM\\CurrentControlSet\\Services\\VxD\\MSTCP", "EnableDNS"), "0");
    EXPECT_EQ(reg.SubKeys("SYSTEM\\CurrentControlSet\\Services\\VxD"), Strings{"MSTCP"});
    EXPECT_EQ(reg.SubKeys("SYSTEM"), Strings{"CurrentControlSet"});
    // Case folding is ASCII only.
    reg.SetString("K\xC9Y", "v", "1");
    EXPECT_FALSE(reg.KeyExists("k\xE9y"));
}

TEST(PosixRegistry, SeparatorsAndMissingKeys) {
    FileRegistry reg;
    reg.CreateKey("A\\B\\C");
    for (const char* spelling : {"A\\B\\C", "A\\B\\C\\", "\\A\\B\\C", "A\\\\B\\C"}) {
        EXPECT_TRUE(reg.KeyExists(spelling)) << spelling;
    }
    EXPECT_TRUE(reg.KeyExists(""));  // the root itself
    EXPECT_FALSE(reg.KeyExists("A\\B\\C\\D"));
    EXPECT_FALSE(reg.KeyExists("A\\BC"));
    EXPECT_FALSE(reg.KeyExists("A/B/C"));  // '/' is part of a name
    EXPECT_TRUE(reg.SubKeys("A\\Missing").empty());
    EXPECT_EQ(reg.GetString("A\\Missing", "x"), std::nullopt);
    EXPECT_EQ(reg.GetMultiString("A\\B\\C", "x"), std::nullopt);
    EXPECT_FALSE(reg.KeyExists("A\\Missing"));  // reading creates nothing
}

TEST(PosixRegistry, SubkeysEnumerateInInsertionOrder) {
    FileRegistry reg;
    const std::string base = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
    for (const char* name : {"{Z}", "{A}", "{m}", "{B}"}) reg.CreateKey(base + "\\" + name);
    reg.CreateKey(base + "\\{a}");  // the same key as {A}
    reg.SetMultiString(base + "\\{A}\\Sub", "x", {});
    EXPECT_EQ(reg.SubKeys(base), (Strings{"{Z}", "{A}", "{m}", "{B}"}));
    EXPECT_TRUE(reg.DeleteKey(base + "\\{m}"));
    EXPECT_FALSE(reg.DeleteKey(base + "\\{m}"));
    EXPECT_EQ(reg.SubKeys(base), (Strings{"{Z}", "{A}", "{B}"}));
    reg.CreateKey(base + "\\{m}");
    EXPECT_EQ(reg.SubKeys(base), (Strings{"{Z}", "{A}", "{B}", "{m}"}));
    EXPECT_FALSE(reg.DeleteKey(""));
}

TEST(PosixRegistry, StringAndMultiStringValuesAreDistinctTypes) {
    FileRegistry reg;
    reg.SetString("K", "s", "text");
    reg.SetMultiString("K", "m", {"a", "b"});
    reg.SetMultiString("K", "empty", {});
    EXPECT_EQ(reg.GetString("K", "s"), "text");
    EXPECT_EQ(reg.GetMultiString("K", "s"), std::nullopt);
    EXPECT_EQ(reg.GetMultiString("K", "m"), (Strings{"a", "b"}));
    EXPECT_EQ(reg.GetString("K", "m"), std::nullopt);
    EXPECT_EQ(reg.GetMultiString("K", "empty"), Strings{});
    // A value changes type when it is set with the other kind.
    reg.SetString("K", "m", "now a string");
    EXPECT_EQ(reg.GetString("K", "m"), "now a string");
    EXPECT_EQ(reg.GetMultiString("K", "m"), std::nullopt);
    // The unnamed (default) value is a value like any other.
    reg.SetString("K", "", "default");
    EXPECT_EQ(reg.GetString("K", ""), "default");
}

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zavro-registry-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        m_file = (m_dir / "registry.txt").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Contents() {
        std::ifstream in(m_file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path m_dir;
    std::string m_file;
};

TEST_F(RegistryFileTest, EverythingSurvivesAReload) {
    const std::string awkward = "quote\" percent% newline\n cr\r tab\t nul\0 high\xE9\xFF ]["s;
    {
        FileRegistry reg(m_file);
        reg.SetString("SYSTEM\\Net\\0001", "IPAddress", "10.0.0.1");
        reg.SetString("SYSTEM\\Net\\0000", "IPAddress", "0.0.0.0");
        reg.CreateKey("SYSTEM\\Empty\\Leaf");
        reg.SetMultiString("SYSTEM\\Tcp\\{A}", "DefaultGateway", {"192.168.2.1", "", "x,y"});
        reg.SetMultiString("SYSTEM\\Tcp\\{A}", "None", {});
        reg.SetString("SYSTEM\\Odd " + std::string("na\"me%"), awkward, awkward);
        reg.SetString("", "RootValue", "r");
        reg.SetString("SYSTEM\\Net\\0001", "IPMask", "");
    }
    FileRegistry again(m_file);
    EXPECT_EQ(again.SubKeys("SYSTEM"), (Strings{"Net", "Empty", "Tcp", "Odd na\"me%"}));
    EXPECT_EQ(again.SubKeys("SYSTEM\\Net"), (Strings{"0001", "0000"}));
    EXPECT_TRUE(again.KeyExists("SYSTEM\\Empty\\Leaf"));
    EXPECT_EQ(again.GetString("system\\net\\0001", "ipaddress"), "10.0.0.1");
    EXPECT_EQ(again.GetString("SYSTEM\\Net\\0001", "IPMask"), "");
    EXPECT_EQ(again.GetMultiString("SYSTEM\\Tcp\\{A}", "DefaultGateway"),
              (Strings{"192.168.2.1", "", "x,y"}));
    EXPECT_EQ(again.GetMultiString("SYSTEM\\Tcp\\{A}", "None"), Strings{});
    EXPECT_EQ(again.GetString("SYSTEM\\Odd na\"me%", awkward), awkward);
    EXPECT_EQ(again.GetString("", "RootValue"), "r");
    // The text form is stable: writing what was read gives the same file.
    EXPECT_EQ(again.Serialize(), Contents());
}

TEST_F(RegistryFileTest, MalformedLinesAreSkipped) {
    std::ofstream(m_file, std::ios::binary) << "; comment\n"
                                            << "\"BeforeAnyKey\"=sz:\"lost\"\n"
                                            << "[SYSTEM\\Good]\r\n"
                                            << "\"A\"=sz:\"1\"\r\n"
                                            << "\"B\"=sz:\"unterminated\n"
                                            << "\"C\"=dword:00000001\n"
                                            << "\"D\"=sz:\"bad %zz escape\"\n"
                                            << "\"E\"=multi:\"a\"\"b\"\n"
                                            << "garbage line\n"
                                            << "[SYSTEM\\Bad%G1]\n"
                                            << "\"F\"=sz:\"in a bad key\"\n"
                                            << "\"G\"=multi:\"x\",\"y\"\n"
                                            << "[SYSTEM\\Good]\n"
                                            << "\"H\"=sz:\"2\"";
    FileRegistry reg(m_file);
    EXPECT_EQ(reg.GetString("SYSTEM\\Good", "A"), "1");
    EXPECT_EQ(reg.GetString("SYSTEM\\Good", "H"), "2");
    for (const char* name : {"B", "C", "D", "E", "F", "G"}) {
        EXPECT_EQ(reg.GetString("SYSTEM\\Good", name), std::nullopt) << name;
        EXPECT_EQ(reg.GetMultiString("SYSTEM\\Good", name), std::nullopt) << name;
    }
    EXPECT_EQ(reg.SubKeys("SYSTEM"), Strings{"Good"});
    EXPECT_EQ(reg.GetString("", "BeforeAnyKey"), std::nullopt);
}

TEST_F(RegistryFileTest, MissingFileStartsEmptyAndUnwritableFileReportsFailure) {
    FileRegistry reg(m_file);
    EXPECT_TRUE(reg.SubKeys("").empty());
    EXPECT_FALSE(fs::exists(m_file));
    EXPECT_TRUE(reg.SetString("K", "v", "1"));
    EXPECT_TRUE(fs::exists(m_file));

    FileRegistry lost((m_dir / "no" / "such" / "dir" / "r.txt").string());
    EXPECT_FALSE(lost.SetString("K", "v", "1"));
    EXPECT_EQ(lost.GetString("K", "v"), "1");  // still held in memory
}

TEST_F(RegistryFileTest, PathComesFromTheEnvironment) {
    const char* old = std::getenv("ZAVRO_REGISTRY_FILE");
    const std::string saved = old ? old : "";
    ::setenv("ZAVRO_REGISTRY_FILE", m_file.c_str(), 1);
    FileRegistry::FromEnvironment()->SetString("K", "v", "from env");
    EXPECT_EQ(FileRegistry(m_file).GetString("K", "v"), "from env");
    ::unsetenv("ZAVRO_REGISTRY_FILE");
    auto memory = FileRegistry::FromEnvironment();
    EXPECT_EQ(memory->GetString("K", "v"), std::nullopt);
    EXPECT_TRUE(memory->SetString("K", "v", "memory only"));
    EXPECT_EQ(FileRegistry(m_file).GetString("K", "v"), "from env");
    if (old) ::setenv("ZAVRO_REGISTRY_FILE", saved.c_str(), 1);
}

TEST(MemoryRegistry, LogsWritesInOrderButNotSeeds) {
    test::MemoryRegistry reg;
    reg.Seed("K", "seeded", "s");
    reg.SetString("K", "a", "1");
    reg.SetMultiString("K\\Sub", "m", {"x", "y"});
    const std::vector<test::MemoryRegistry::Write> expected = {
        {"K", "a", false, {"1"}},
        {"K\\Sub", "m", true, {"x", "y"}},
    };
    EXPECT_EQ(reg.Writes(), expected);
    EXPECT_EQ(reg.GetString("K", "seeded"), "s");
    EXPECT_EQ(reg.SubKeys("K"), Strings{"Sub"});
    reg.ClearWrites();
    EXPECT_TRUE(reg.Writes().empty());
}

}  // namespace
}  // namespace zavro
