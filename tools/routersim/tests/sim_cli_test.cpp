// The zavro-routersim program: its options, what it refuses, and a run that serves,
// writes its state file and ends cleanly on SIGTERM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sim_test_support.h"

extern char** environ;

namespace routersim {
namespace {

// The program as a child process with its output on pipes.
class Program {
public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), ZAVRO_ROUTERSIM_BIN);
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Program() {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);  // only the child this test started
            Wait();
        }
        if (m_out >= 0) ::close(m_out);
        if (m_err >= 0) ::close(m_err);
    }
    bool Started() const { return m_pid > 0; }

    // One line of standard output (bounded real wait for the child's start-up).
    std::string ReadLine(int ms = 5000) {
        std::string line;
        char c;
        while (true) {
            pollfd p{m_out, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0) break;
            if (::read(m_out, &c, 1) != 1 || c == '\n') break;
            line.push_back(c);
        }
        return line;
    }
    // Waits for the end; the exit code, or 128 + the signal.
    int Wait() {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string Drain(int fd) {
        std::string text;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
        return text;
    }
    std::string Out() { return Drain(m_out); }
    std::string Err() { return Drain(m_err); }
    void Signal(int sig) { ::kill(m_pid, sig); }

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_out = -1, m_err = -1;
};

struct BadArgs {
    std::vector<std::string> args;
    const char* says;
};

TEST(SimProgram, RefusesBadOptionsWithUsage) {
    const BadArgs cases[] = {
        {{"--port", "65536"}, "bad value for --port: 65536"},
        {{"--port", "-1"}, "bad value for --port"},
        {{"--port", "80x"}, "bad value for --port"},
        {{"--internet-port", ""}, "bad value for --internet-port"},
        {{"--model", "0"}, "bad value for --model: 0"},
        {{"--model", "9"}, "bad value for --model"},
        {{"--reboot-down-ms", "3600001"}, "bad value for --reboot-down-ms"},
        {{"--fault", "status:42"}, "bad value for --fault: status:42"},
        {{"--fault", "explode"}, "bad value for --fault"},
        {{"--model"}, "missing value for --model"},
        {{"--state-file"}, "missing value for --state-file"},
        {{"--verbose"}, "unknown argument --verbose"},
        {{"8"}, "unknown argument 8"},
    };
    for (const auto& c : cases) {
        Program p(c.args);
        ASSERT_TRUE(p.Started());
        const int code = p.Wait();
        const std::string err = p.Err();
        EXPECT_EQ(code, 2) << c.says;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_NE(err.find("usage: zavro-routersim"), std::string::npos) << c.says;
    }
}

TEST(SimProgram, HelpAndNonLoopbackHost) {
    Program help({"--help"});
    ASSERT_TRUE(help.Started());
    EXPECT_EQ(help.Wait(), 0);
    const std::string usage = help.Out();
    EXPECT_NE(usage.find("--fault KIND[:status][:count]"), std::string::npos);
    EXPECT_NE(usage.find("none, no-answer, close, reset, slow, status, oversized, garbage"),
              std::string::npos);

    for (const char* host : {"10.0.0.1", "192.168.2.1", "0.0.0.0"}) {
        Program p({"--host", host, "--quiet"});
        ASSERT_TRUE(p.Started());
        EXPECT_EQ(p.Wait(), 1) << host;
        EXPECT_NE(p.Err().find("loopback addresses only"), std::string::npos) << host;
    }
}

TEST(SimProgram, ServesWithItsOptionsAndEndsOnTerm) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("zavro-sim-cli-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto state = dir / "state.json";
    Program p({"--host", "127.0.0.1", "--port", "0", "--model", "2", "--fault", "status:503:1",
               "--internet-down", "--state-file", state.string()});
    ASSERT_TRUE(p.Started());
    const std::string line = p.ReadLine();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        line, m,
        std::regex(
            R"(zavro-routersim listening on 127\.0\.0\.1:(\d+) internet 127\.0\.0\.1:(\d+) model 2)")))
        << line;
    const auto port = static_cast<std::uint16_t>(std::stoi(m[1].str()));
    const auto internetPort = static_cast<std::uint16_t>(std::stoi(m[2].str()));

    // The fault is on from the start and for one request only.
    EXPECT_EQ(test::Exchange(port, test::Request("GET", "/index.asp")).status, 503);
    EXPECT_EQ(test::Exchange(port, test::Request("GET", "/index.asp", {}, {}, {})).status, 401);
    EXPECT_EQ(
        test::Exchange(port, test::Request("GET", "/goform/asp_setWlanBasic?ssid0=Cli")).status,
        200);
    test::RawClient internet(internetPort);
    EXPECT_FALSE(internet.Connected());  // --internet-down

    std::stringstream text;
    text << std::ifstream(state).rdbuf();
    EXPECT_NE(text.str().find("\"model\": 2"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("\"ssid\": \"Cli\""), std::string::npos);
    EXPECT_NE(text.str().find("\"internetUp\": false"), std::string::npos);

    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(), 0);
    // One log line per request on standard error, never the query.
    const std::string log = p.Err();
    EXPECT_NE(log.find("routersim: GET /index.asp -> 401"), std::string::npos) << log;
    EXPECT_NE(log.find("routersim: GET /goform/asp_setWlanBasic -> 200"), std::string::npos);
    EXPECT_EQ(log.find("Cli"), std::string::npos);
    test::RawClient after(port);
    EXPECT_FALSE(after.Connected());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace routersim
