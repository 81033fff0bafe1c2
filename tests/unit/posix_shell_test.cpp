#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/posix/PosixShell.h"

namespace zavro {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

TEST(PosixShellSplit, ArgumentsAsWindowsProgramsSeeThem) {
    struct Case {
        std::string line;
        Strings args;
    };
    const Case cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"/1", {"/1"}},
        {"  a  b\tc ", {"a", "b", "c"}},
        {"\"two words\" x", {"two words", "x"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"a \"\" b", {"a", "", "b"}},
        {"\\\"quoted\\\"", {"\"quoted\""}},
        {"a\\\\b", {"a\\\\b"}},                  // backslashes not before a quote stay
        {"\"a\\\\\" b", {"a\\", "b"}},           // doubled before a quote: one, quote ends
        {"\"a\\\\\\\" b\"", {"a\\\" b"}},        // odd count: the quote is literal
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},  // doubled quote inside quotes
        {"\"unterminated arg", {"unterminated arg"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitWindowsCommandLine(c.line, false), c.args) << c.line;
}

TEST(PosixShellSplit, ProgramNameRule) {
    EXPECT_EQ(SplitWindowsCommandLine("ipconfig /renew", true), (Strings{"ipconfig", "/renew"}));
    EXPECT_EQ(SplitWindowsCommandLine("\"C:\\Program Files\\x.exe\" -a", true),
              (Strings{"C:\\Program Files\\x.exe", "-a"}));
    // No escapes in the program name: a backslash before the closing quote is kept.
    EXPECT_EQ(SplitWindowsCommandLine("\"dir\\\" arg", true), (Strings{"dir\\", "arg"}));
    EXPECT_EQ(SplitWindowsCommandLine("  prog", true), Strings{"prog"});
    EXPECT_EQ(SplitWindowsCommandLine("", true), Strings{});
}

// A temp folder, PATH control and helpers for watching children.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zavro-shell-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir = fs::canonical(tmpl);
        const char* path = std::getenv("PATH");
        m_hadPath = path != nullptr;
        m_path = path ? path : "";
    }
    void TearDown() override {
        if (m_hadPath) {
            ::setenv("PATH", m_path.c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
        EXPECT_TRUE(NoChildrenLeft()) << "a child was not reaped";
        fs::remove_all(dir);
    }

    std::string Write(const fs::path& p, const std::string& text, fs::perms perms) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        fs::permissions(p, perms);
        return p.string();
    }
    static constexpr fs::perms kExec = fs::perms::owner_all | fs::perms::group_read;
    static constexpr fs::perms kPlain = fs::perms::owner_read | fs::perms::owner_write;

    // A stand-in for the desktop opener that records its argument.
    void InstallFakeOpener() {
        const fs::path bin = dir / "bin";
        Write(bin / "xdg-open",
              "#!/bin/sh\nprintf '%s' \"$1\" > '" + (dir / "opened.tmp").string() + "'\n/bin/mv '" +
                  (dir / "opened.tmp").string() + "' '" + (dir / "opened").string() + "'\n",
              kExec);
        ::setenv("PATH", bin.c_str(), 1);
    }
    void PathWithoutOpener() {
        fs::create_directories(dir / "empty-bin");
        ::setenv("PATH", (dir / "empty-bin").c_str(), 1);
    }

    // Polls for a file, bounded in real time; the children finish in milliseconds.
    static bool WaitForFile(const fs::path& p) {
        for (int i = 0; i < 2500; ++i) {
            if (fs::exists(p)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Children of this process in any state, zombies included.
    static int ChildCount() {
        int count = 0;
        const std::string self = std::to_string(::getpid());
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator("/proc", ec)) {
            const std::string stat = Read(entry.path() / "stat");
            const std::size_t close = stat.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream fields(stat.substr(close + 1));
            std::string state, ppid;
            fields >> state >> ppid;
            if (ppid == self) ++count;
        }
        return count;
    }
    static bool NoChildrenLeft() {
        for (int i = 0; i < 2500; ++i) {
            if (ChildCount() == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    fs::path dir;
    PosixShell shell;

private:
    bool m_hadPath = false;
    std::string m_path;
};

TEST_F(ShellTest, OpenResultCodesForWhatIsMissing) {
    Write(dir / "doc.pdf", "%PDF", kPlain);
    struct Case {
        const char* what;
        std::string verb, file, folder;
        long result;
    };
    const Case cases[] = {
        {"missing file in folder", "open", "QX-3150_QIG_EN.pdf", dir.string(), 2},
        {"missing file by full path", "open", (dir / "none.pdf").string(), "", 2},
        {"missing folder", "open", "doc.pdf", (dir / "QIG").string(), 3},
        {"folder is a file", "open", "doc.pdf", (dir / "doc.pdf").string(), 3},
        {"file under a missing folder", "open", (dir / "Manual" / "1" / "x.pdf").string(), "", 3},
        {"relative path under a missing folder", "open", "Manual/x.pdf", dir.string(), 3},
        {"empty file name", "open", "", dir.string(), 2},
        {"unknown verb", "print", "doc.pdf", dir.string(), 31},
        {"verb that starts like open", "openx", "doc.pdf", dir.string(), 31},
    };
    PathWithoutOpener();
    for (const Case& c : cases) {
        EXPECT_EQ(shell.Execute(c.verb, c.file, "", c.folder, ShowMode::Normal), c.result)
            << c.what;
    }
}

TEST_F(ShellTest, ExecutableStartsInItsFolderWithItsParameters) {
    const fs::path media = dir / "medium" / "QX3150N";
    Write(media / "run.sh",
          "#!/bin/sh\nprintf '%s|%s|%s|%s' \"$PWD\" \"$#\" \"$1\" \"$2\" > out.tmp\n"
          "/bin/mv out.tmp done\n",
          kExec);
    PathWithoutOpener();  // started directly, not through an opener
    EXPECT_EQ(shell.Execute("open", "run.sh", "/1 \"two words\"", media.string(), ShowMode::Normal),
              42);
    ASSERT_TRUE(WaitForFile(media / "done"));
    EXPECT_EQ(Read(media / "done"), media.string() + "|2|/1|two words");
}

TEST_F(ShellTest, BareNameWithoutFolderIsTakenFromTheWorkingFolder) {
    Write(dir / "dhcpsetting.vbs", "#!/bin/sh\necho \"$PWD\" > ran.tmp\n/bin/mv ran.tmp ran\n",
          kExec);
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    const long result = shell.Execute("open", "dhcpsetting.vbs", "", "", ShowMode::Normal);
    const long missing =
        shell.Execute("open", "dns-replaceserverlist.vbs", "", "", ShowMode::Normal);
    fs::current_path(old);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(missing, 2);
    ASSERT_TRUE(WaitForFile(dir / "ran"));
    EXPECT_EQ(Read(dir / "ran"), dir.string() + "\n");
}

TEST_F(ShellTest, ExecutableThatCannotBeRunIsABadFormat) {
    Write(dir / "noshebang", "this is not a program\n", kExec);
    PathWithoutOpener();
    EXPECT_EQ(shell.Execute("open", "noshebang", "", dir.string(), ShowMode::Normal), 11);
}

TEST_F(ShellTest, DocumentsGoToTheDesktopOpener) {
    Write(dir / "Manual" / "QX-3150n User Manual.pdf", "%PDF", kPlain);
    // A script without the exec bit is a document: it is opened, never run.
    Write(dir / "plain.sh", "#!/bin/sh\ntouch '" + (dir / "ran").string() + "'\n", kPlain);

    PathWithoutOpener();
    EXPECT_EQ(shell.Execute("open", "QX-3150n User Manual.pdf", "", (dir / "Manual").string(),
                            ShowMode::Normal),
              31);
    EXPECT_EQ(shell.Execute("open", "http://127.0.0.1:9/", "", "", ShowMode::Show), 31);

    InstallFakeOpener();
    EXPECT_EQ(shell.Execute("open", "QX-3150n User Manual.pdf", "", (dir / "Manual").string(),
                            ShowMode::Normal),
              42);
    ASSERT_TRUE(WaitForFile(dir / "opened"));
    EXPECT_EQ(Read(dir / "opened"), (dir / "Manual" / "QX-3150n User Manual.pdf").string());
    fs::remove(dir / "opened");

    EXPECT_EQ(shell.Execute("open", "plain.sh", "", dir.string(), ShowMode::Normal), 42);
    ASSERT_TRUE(WaitForFile(dir / "opened"));
    EXPECT_EQ(Read(dir / "opened"), (dir / "plain.sh").string());
    EXPECT_FALSE(fs::exists(dir / "ran"));
    fs::remove(dir / "opened");

    // A web address is handed over as it is, whatever the folder says.
    EXPECT_EQ(shell.Execute("open", "HTTPS://127.0.0.1:9/a b", "", (dir / "none").string(),
                            ShowMode::Show),
              42);
    ASSERT_TRUE(WaitForFile(dir / "opened"));
    EXPECT_EQ(Read(dir / "opened"), "HTTPS://127.0.0.1:9/a b");
}

TEST_F(ShellTest, HiddenProcessRunsWithoutOutputAndIsWaitedFor) {
    // Were the child to inherit this process's output, the captures would see its text.
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const long h = shell.StartHidden("/bin/sh -c \"echo to-stdout; echo to-stderr >&2; touch '" +
                                     (dir / "ran").string() + "'\"");
    const bool ended = h > 0 && shell.WaitProcess(h, 5000);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_GT(h, 0);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(fs::exists(dir / "ran"));
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    EXPECT_TRUE(shell.WaitProcess(h, 0));  // stays ended
    shell.CloseProcess(h);
    EXPECT_FALSE(shell.WaitProcess(h, 0));  // forgotten
}

TEST_F(ShellTest, HiddenProcessIsFoundThroughPath) {
    const fs::path bin = dir / "bin";
    Write(bin / "ipconfig", "#!/bin/sh\necho \"$1\" > '" + (dir / "args").string() + "'\n", kExec);
    ::setenv("PATH", bin.c_str(), 1);
    const long h = shell.StartHidden("ipconfig /renew");
    ASSERT_GT(h, 0);
    EXPECT_TRUE(shell.WaitProcess(h, 5000));
    shell.CloseProcess(h);
    EXPECT_EQ(Read(dir / "args"), "/renew\n");
}

TEST_F(ShellTest, HiddenProcessThatCannotStartGivesZero) {
    PathWithoutOpener();
    EXPECT_EQ(shell.StartHidden("ipconfig /renew"), 0);
    EXPECT_EQ(shell.StartHidden(""), 0);
    EXPECT_EQ(shell.StartHidden("   "), 0);
    EXPECT_EQ(shell.StartHidden((dir / "none").string()), 0);
    EXPECT_FALSE(shell.WaitProcess(12345, 0));
    shell.CloseProcess(12345);  // unknown handles are ignored
}

TEST_F(ShellTest, WaitTimesOutWhileTheProcessRuns) {
    const std::string stop = (dir / "stop").string();
    const long h =
        shell.StartHidden("/bin/sh -c \"while [ ! -e '" + stop + "' ]; do sleep 0.01; done\"");
    ASSERT_GT(h, 0);
    EXPECT_FALSE(shell.WaitProcess(h, 0));
    EXPECT_FALSE(shell.WaitProcess(h, 3));
    std::ofstream(stop) << "";
    EXPECT_TRUE(shell.WaitProcess(h, 5000));
    shell.CloseProcess(h);
}

TEST_F(ShellTest, ForgottenRunningProcessIsStillReaped) {
    const std::string stop = (dir / "stop").string();
    const long h =
        shell.StartHidden("/bin/sh -c \"while [ ! -e '" + stop + "' ]; do sleep 0.01; done\"");
    ASSERT_GT(h, 0);
    shell.CloseProcess(h);
    EXPECT_EQ(ChildCount(), 1);
    std::ofstream(stop) << "";
    // TearDown checks that no child, zombie or not, is left.
}

TEST_F(ShellTest, RestartIsOnlyAnnounced) {
    ::testing::internal::CaptureStderr();
    shell.RestartSystem();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "zavro: the PC should be restarted now\n");
}

TEST(PosixShellPath, FindsExecutableFilesOnly) {
    const fs::path d = fs::temp_directory_path() / ("zavro-path-" + std::to_string(::getpid()));
    fs::create_directories(d / "a");
    fs::create_directories(d / "b" / "tool");  // a folder of that name does not count
    fs::create_directories(d / "c");
    std::ofstream(d / "a" / "tool") << "x";  // not executable
    std::ofstream(d / "c" / "tool") << "x";
    fs::permissions(d / "c" / "tool", fs::perms::owner_all);
    const std::string list =
        (d / "a").string() + "::" + (d / "b").string() + ":" + (d / "c").string();
    EXPECT_EQ(FindInPath("tool", list), (d / "c" / "tool").string());
    EXPECT_EQ(FindInPath("other", list), std::nullopt);
    EXPECT_EQ(FindInPath("c/tool", d.string()), std::nullopt);
    EXPECT_EQ(FindInPath("tool", ""), std::nullopt);
    fs::remove_all(d);
}

}  // namespace
}  // namespace zavro
