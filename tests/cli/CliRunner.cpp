#include "CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#ifndef ZAVRO_CLI_BIN
#error "ZAVRO_CLI_BIN must name the zavro-cli program"
#endif

namespace zavro::clitest {

namespace {

std::string TempPath(const char* what) {
    std::string name = std::string("/tmp/zavro-cli-test-XXXXXX") + what;
    const int fd = ::mkstemps(name.data(), static_cast<int>(std::string(what).size()));
    if (fd >= 0) ::close(fd);
    return name;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Appends what the terminal shows within waitMs; false when nothing came.
bool ReadTerminal(int master, int waitMs, std::string& out) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0 || !(p.revents & POLLIN)) return false;
    char buffer[4096];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) return false;
    out.append(buffer, static_cast<std::size_t>(n));
    return true;
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options) {
    CliResult result;
    const std::string outPath = TempPath(".out"), errPath = TempPath(".err"),
                      inPath = TempPath(".in");
    { std::ofstream(inPath, std::ios::binary) << options.input; }

    std::vector<std::string> entries;
    if (const char* path = std::getenv("PATH")) entries.push_back(std::string("PATH=") + path);
    for (const auto& [name, value] : options.env) entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argvText = {ZAVRO_CLI_BIN};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);

    int master = -1;
    std::string slaveName;
    if (options.terminal) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return result;
        slaveName = ::ptsname(master);
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);
    if (options.terminal) {
        ::posix_spawn_file_actions_addopen(&actions, 0, slaveName.c_str(), O_RDWR, 0);
        ::posix_spawn_file_actions_adddup2(&actions, 0, 2);
        ::posix_spawn_file_actions_addclose(&actions, master);
    } else {
        ::posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
        ::posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        if (master >= 0) ::close(master);
        return result;
    }

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.limitMs);
    bool typed = false;
    int status = 0;
    for (;;) {
        if (master >= 0) {
            ReadTerminal(master, 5, result.err);
            if (!typed && !options.typeAfter.empty() &&
                result.err.find(options.typeAfter) != std::string::npos) {
                const std::string line = options.typed + "\n";
                typed =
                    ::write(master, line.data(), line.size()) == static_cast<ssize_t>(line.size());
            }
        } else {
            ::usleep(2000);
        }
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0) return result;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            result.killed = true;
            break;
        }
    }
    if (master >= 0) {
        // What the terminal still holds after the child ended.
        while (ReadTerminal(master, 0, result.err)) {
        }
        ::close(master);
    } else {
        result.err = Slurp(errPath);
    }
    result.out = Slurp(outPath);
    for (const auto& p : {outPath, errPath, inPath}) std::remove(p.c_str());
    if (WIFEXITED(status) && !result.killed) result.exit = WEXITSTATUS(status);
    return result;
}

std::optional<std::map<std::string, JsonValue>> ParseJsonObject(const std::string& text) {
    std::size_t i = 0;
    auto blank = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '\t')) ++i;
    };
    auto string = [&](std::string& out) {
        if (i >= text.size() || text[i] != '"') return false;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
            if (static_cast<unsigned char>(text[i]) < 0x20) return false;
            if (text[i] != '\\') {
                out += text[i];
                continue;
            }
            if (++i >= text.size()) return false;
            switch (text[i]) {
                case '"':
                case '\\':
                case '/':
                    out += text[i];
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    if (i + 4 >= text.size()) return false;
                    out += static_cast<char>(std::stoi(text.substr(i + 1, 4), nullptr, 16));
                    i += 4;
                    break;
                default:
                    return false;
            }
        }
        return i++ < text.size();
    };
    std::map<std::string, JsonValue> object;
    blank();
    if (i >= text.size() || text[i++] != '{') return std::nullopt;
    blank();
    if (i < text.size() && text[i] == '}')
        ++i;
    else
        for (;;) {
            std::string key;
            blank();
            if (!string(key)) return std::nullopt;
            blank();
            if (i >= text.size() || text[i++] != ':') return std::nullopt;
            blank();
            JsonValue value;
            if (i < text.size() && text[i] == '"') {
                value.kind = JsonValue::String;
                if (!string(value.text)) return std::nullopt;
            } else {
                const std::size_t start = i;
                while (i < text.size() && text[i] != ',' && text[i] != '}' && text[i] != ' ') ++i;
                value.text = text.substr(start, i - start);
                if (value.text == "true" || value.text == "false")
                    value.kind = JsonValue::Bool;
                else if (value.text == "null")
                    value.kind = JsonValue::Null;
                else if (!value.text.empty() &&
                         value.text.find_first_not_of("-0123456789.") == std::string::npos)
                    value.kind = JsonValue::Number;
                else
                    return std::nullopt;
            }
            if (!object.emplace(key, value).second) return std::nullopt;
            blank();
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (i < text.size() && text[i] == '}') {
                ++i;
                break;
            }
            return std::nullopt;
        }
    blank();
    if (i != text.size()) return std::nullopt;
    return object;
}

}  // namespace zavro::clitest
