#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "hostnet/VersionClass.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/PosixSystem.h"

namespace zavro {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

TEST(PosixSystem, ArgumentsAreQuotedAsWindowsWould) {
    struct Case {
        std::string arg, quoted;
    };
    const Case cases[] = {
        {"Spanish", "Spanish"},
        {"/1", "/1"},
        {"C:\\dir\\file", "C:\\dir\\file"},  // backslashes alone need nothing
        {"", "\"\""},
        {"two words", "\"two words\""},
        {"tab\there", "\"tab\there\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\"b", "\"a\\\"b\""},
        {"ends with \\", "\"ends with \\\\\""},
        {"x\\\" y", "\"x\\\\\\\" y\""},
        {"mid\\dle space", "\"mid\\dle space\""},
    };
    for (const Case& c : cases) EXPECT_EQ(QuoteWindowsArgument(c.arg), c.quoted) << c.arg;
}

TEST(PosixSystem, CommandLineSplitsBackIntoTheSameArguments) {
    const std::string program = "/media/setup medium/Wizard/zavro";
    const Strings args = {"Spanish", "", "two words", "q\"uote", "trail\\", "\\\\\"", "x y\\"};
    const std::string line = JoinWindowsCommandLine(program, args);
    Strings expected = {program};
    expected.insert(expected.end(), args.begin(), args.end());
    EXPECT_EQ(SplitWindowsCommandLine(line, true), expected);
    EXPECT_EQ(JoinWindowsCommandLine("/w/zavro", {"Portugal", "a b"}), "/w/zavro Portugal \"a b\"");
    EXPECT_EQ(JoinWindowsCommandLine("/w/zavro", {}), "/w/zavro");
}

TEST(PosixSystem, ProgramPathAndCommandLineOfThisProcess) {
    std::string a0 = "zavro", a1 = "Spanish", a2 = "two words";
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    PosixSystem system(3, argv);
    const std::string self = fs::canonical("/proc/self/exe").string();
    EXPECT_EQ(system.ProgramPath(), self);
    EXPECT_EQ(system.CommandLine(), QuoteWindowsArgument(self) + " Spanish \"two words\"");
    EXPECT_EQ(PosixSystem(1, argv).CommandLine(), QuoteWindowsArgument(self));
    EXPECT_EQ(system.PathSeparator(), '/');
    EXPECT_EQ(system.ExecutableSuffix(), "");
    const OsVersion v = system.Version();
    EXPECT_EQ(v.platformId, 2u);
    EXPECT_EQ(VersionClassOf(v), 0);  // the NT-family path, with nothing to switch off
}

TEST(PosixSystem, Argv0MadeAbsolute) {
    const fs::path d = fs::temp_directory_path() / ("zavro-argv0-" + std::to_string(::getpid()));
    fs::create_directories(d / "bin");
    fs::create_directories(d / "plain");
    std::ofstream(d / "bin" / "zavro") << "x";
    fs::permissions(d / "bin" / "zavro", fs::perms::owner_all);
    std::ofstream(d / "plain" / "zavro") << "x";  // not executable: skipped
    const std::string path = (d / "plain").string() + ":" + (d / "bin").string();
    struct Case {
        std::string argv0, cwd, path, expected;
    };
    const Case cases[] = {
        {"/opt/medium/../Wizard/zavro", "/w", "", "/opt/Wizard/zavro"},
        {"./Wizard/zavro", "/media/cd", "", "/media/cd/Wizard/zavro"},
        {"../zavro", "/media/cd/Wizard", "", "/media/cd/zavro"},
        {"zavro", "/w", path, (d / "bin" / "zavro").string()},
        {"zavro", "/w", "/nowhere", "/w/zavro"},
        {"", "/w", path, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AbsoluteProgramPath(c.argv0, c.cwd, c.path), c.expected) << c.argv0;
    }
    fs::remove_all(d);
}

TEST(PosixSystemDeathTest, ExitProcessEndsWithTheCodeAfterFlushing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string a0 = "zavro";
    char* argv[] = {a0.data(), nullptr};
    // The death-test child is a fresh run of this program: the name must not depend on the pid.
    const fs::path out =
        fs::temp_directory_path() / ("zavro-exit-test-" + std::to_string(::getuid()));
    EXPECT_EXIT(
        {
            FILE* f = std::fopen(out.c_str(), "w");
            std::setvbuf(f, nullptr, _IOFBF, 4096);  // held in the buffer until a flush
            std::fputs("buffered text", f);
            PosixSystem(1, argv).ExitProcess(3);
        },
        ::testing::ExitedWithCode(3), "");
    std::ifstream in(out);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "buffered text");
    fs::remove(out);
    EXPECT_EXIT(PosixSystem(1, argv).ExitProcess(0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zavro
