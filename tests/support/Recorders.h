// Test doubles for the system and shell ports.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/System.h"

namespace zavro::test {

// Program path, command line and version record as the test sets them; ExitProcess
// records the code and returns.
class FakeSystem final : public ISystem {
public:
    std::string programPath = "/media/setup/Wizard/zavro";
    std::string commandLine = "/media/setup/Wizard/zavro";
    OsVersion version{6, 1, 2, ""};
    char separator = '/';
    std::string suffix;

    std::string ProgramPath() override { return programPath; }
    std::string CommandLine() override { return commandLine; }
    OsVersion Version() override { return version; }
    char PathSeparator() override { return separator; }
    std::string ExecutableSuffix() override { return suffix; }
    void ExitProcess(int code) override {
        std::lock_guard lock(m_mutex);
        m_exits.push_back(code);
    }
    std::vector<int> Exits() {
        std::lock_guard lock(m_mutex);
        return m_exits;
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_exits;
};

// Records every shell call; answers with the result the test chose.
class ShellRecorder final : public IShell {
public:
    struct Call {
        std::string verb, file, parameters, folder;
        ShowMode mode = ShowMode::Normal;
    };
    long executeResult = 42;
    long startResult = 1;
    bool waitResult = true;

    long Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                 const std::string& folder, ShowMode mode) override {
        std::lock_guard lock(m_mutex);
        m_calls.push_back({verb, file, parameters, folder, mode});
        return executeResult;
    }
    long StartHidden(const std::string& commandLine) override {
        std::lock_guard lock(m_mutex);
        m_started.push_back(commandLine);
        return startResult;
    }
    bool WaitProcess(long, unsigned) override { return waitResult; }
    void CloseProcess(long) override {}
    void RestartSystem() override {
        std::lock_guard lock(m_mutex);
        ++m_restarts;
    }

    std::vector<Call> Calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::vector<std::string> Started() {
        std::lock_guard lock(m_mutex);
        return m_started;
    }
    int Restarts() {
        std::lock_guard lock(m_mutex);
        return m_restarts;
    }

private:
    std::mutex m_mutex;
    std::vector<Call> m_calls;
    std::vector<std::string> m_started;
    int m_restarts = 0;
};

}  // namespace zavro::test
