#include "ProgramProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

#ifndef ZAVRO_PROGRAM_DIR
#error "ZAVRO_PROGRAM_DIR must name the medium's program folder"
#endif

namespace zavro::e2e {

namespace {

// A variable the run sets itself is not inherited either: the first of two would win.
bool Inherited(const char* entry, const std::map<std::string, std::string>& env) {
    const char* eq = std::strchr(entry, '=');
    if (eq == nullptr || env.count(std::string(entry, eq)) != 0) return false;
    return std::strncmp(entry, "ZAVRO_", 6) != 0 &&
           std::strncmp(entry, "QT_QPA_PLATFORM=", 16) != 0;
}

class FileActions {
public:
    FileActions() { m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0; }
    ~FileActions() {
        if (m_ok) ::posix_spawn_file_actions_destroy(&m_actions);
    }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    bool Ok() const { return m_ok; }
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    bool m_ok = false;
    posix_spawn_file_actions_t m_actions{};
};

}  // namespace

ProgramProcess::~ProgramProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

bool ProgramProcess::Start(const std::string& program, const std::string& folder,
                           const std::map<std::string, std::string>& env,
                           const std::string& outputFile, const std::vector<std::string>& args) {
    if (m_pid > 0) return false;
    std::vector<std::string> entries;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        if (Inherited(*e, env)) entries.emplace_back(*e);
    }
    for (const auto& [name, value] : env) entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    FileActions actions;
    if (!actions.Ok()) return false;
    if (::posix_spawn_file_actions_addchdir_np(actions.Get(), folder.c_str()) != 0) return false;
    if (::posix_spawn_file_actions_addopen(actions.Get(), 1, outputFile.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0644) != 0 ||
        ::posix_spawn_file_actions_adddup2(actions.Get(), 1, 2) != 0 ||
        ::posix_spawn_file_actions_addopen(actions.Get(), 0, "/dev/null", O_RDONLY, 0) != 0) {
        return false;
    }
    m_result = {};
    m_result.spawnedAt = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (::posix_spawnp(&pid, program.c_str(), actions.Get(), nullptr, argv.data(), envp.data()) !=
        0) {
        return false;
    }
    m_pid = pid;
    m_result.started = true;
    return true;
}

bool ProgramProcess::Running() {
    if (m_pid <= 0) return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return true;
    Reaped(status);
    return false;
}

void ProgramProcess::Terminate(unsigned graceMs) {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void ProgramProcess::Reaped(int status) {
    m_pid = -1;
    m_result.elapsedMs = std::chrono::duration<double, std::milli>(
                             std::chrono::steady_clock::now() - m_result.spawnedAt)
                             .count();
    if (WIFEXITED(status)) m_result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) m_result.signal = WTERMSIG(status);
}

ProgramResult ProgramProcess::Wait(unsigned limitMs) {
    if (m_pid <= 0) return m_result;
    const auto deadline = m_result.spawnedAt + std::chrono::milliseconds(limitMs);
    int status = 0;
    for (;;) {
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) break;
        if (r < 0) {
            m_pid = -1;
            return m_result;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            m_result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Reaped(status);
    return m_result;
}

std::string WizardFolder() {
    return ZAVRO_PROGRAM_DIR;
}

std::string WizardProgram() {
    return WizardFolder() + "/zavro";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> ToPasswordPage() {
    return {
        "await-window CZavroWizard 10000",
        "click 1013",  // Next
        "await-window CZavroARQX",
        "click 1014",  // the router is connected
        "await-window CZavroQXset",
        "click 1013",  // Next: model fixed, PC network reset, short address wait
        "await-window CZavroSetPwd",
    };
}

}  // namespace zavro::e2e
