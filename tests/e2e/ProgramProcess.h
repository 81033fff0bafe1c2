// The real zavro program as a child process: spawned from the medium's folder with an
// environment of our choosing, its output in a file, killed hard after a time limit.
// Shared by the end-to-end tests and the whole-program benchmark.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace zavro::e2e {

struct ProgramResult {
    bool started = false;
    bool timedOut = false;  // killed after the limit
    int exitCode = -1;      // -1 unless it exited normally
    int signal = 0;         // the signal that ended it, if any
    std::chrono::steady_clock::time_point spawnedAt;
    double elapsedMs = 0;
};

class ProgramProcess {
public:
    ProgramProcess() = default;
    ~ProgramProcess();  // a child still running is killed and reaped
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Every ZAVRO_* and QT_QPA_PLATFORM variable of this process, and every one env names,
    // is left out of the child's environment; env adds the ones the run wants. stdout and
    // stderr go to outputFile. False when the spawn fails.
    bool Start(const std::string& program, const std::string& folder,
               const std::map<std::string, std::string>& env, const std::string& outputFile,
               const std::vector<std::string>& args = {});
    // Waits (real time) until the child ends, at most limitMs; then SIGKILL.
    ProgramResult Wait(unsigned limitMs);
    // True while the child has not ended (it is reaped when it has).
    bool Running();
    // Asks the child to end (SIGTERM), killing it after graceMs.
    void Terminate(unsigned graceMs);

private:
    void Reaped(int status);

    pid_t m_pid = -1;
    ProgramResult m_result;
};

// The medium's program, built beside the medium.
std::string WizardProgram();
std::string WizardFolder();

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
std::vector<std::string> ReadLines(const std::string& path);

// Automation script lines from the program's start page to the password page.
std::vector<std::string> ToPasswordPage();

}  // namespace zavro::e2e
