// System port for Linux: the program path, a Windows-style whole command line, a version
// record of the NT platform (version class 0), '/' paths and process end.
#pragma once

#include <string>
#include <vector>

#include "platform/System.h"

namespace zavro {

class PosixSystem final : public ISystem {
public:
    PosixSystem(int argc, char** argv);

    std::string ProgramPath() override { return m_programPath; }
    std::string CommandLine() override { return m_commandLine; }
    OsVersion Version() override { return OsVersion{6, 1, 2, ""}; }
    char PathSeparator() override { return '/'; }
    std::string ExecutableSuffix() override { return ""; }
    void ExitProcess(int code) override;

private:
    std::string m_programPath;
    std::string m_commandLine;
};

// argv[0] made absolute: taken against cwd when it names a directory part, else looked
// up in the PATH list (first executable hit), else taken against cwd.
std::string AbsoluteProgramPath(const std::string& argv0, const std::string& cwd,
                                const std::string& pathList);
// One argument as a Windows command line carries it: unchanged unless it is empty or
// holds a blank or quote, else quoted with backslashes doubled before quotes.
std::string QuoteWindowsArgument(const std::string& arg);
// The whole command line: program path and arguments, each quoted as needed, joined
// with single spaces.
std::string JoinWindowsCommandLine(const std::string& program,
                                   const std::vector<std::string>& args);

}  // namespace zavro
