#include "platform/posix/PosixSystem.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace zavro {
namespace {

std::string ReadSelfExe() {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string CurrentFolder() {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::current_path(ec);
    return ec ? std::string("/") : p.string();
}

}  // namespace

std::string AbsoluteProgramPath(const std::string& argv0, const std::string& cwd,
                                const std::string& pathList) {
    namespace fs = std::filesystem;
    if (argv0.empty()) return {};
    if (argv0.front() == '/') return fs::path(argv0).lexically_normal().string();
    if (argv0.find('/') == std::string::npos) {
        std::size_t start = 0;
        while (start <= pathList.size()) {
            std::size_t end = pathList.find(':', start);
            if (end == std::string::npos) end = pathList.size();
            const std::string dir = pathList.substr(start, end - start);
            start = end + 1;
            const fs::path candidate = fs::path(dir.empty() ? cwd : dir) / argv0;
            std::error_code ec;
            if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) {
                return (fs::path(cwd) / candidate).lexically_normal().string();
            }
        }
    }
    return (fs::path(cwd) / argv0).lexically_normal().string();
}

std::string QuoteWindowsArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    // Backslashes before the closing quote are doubled so they do not escape it.
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string JoinWindowsCommandLine(const std::string& program,
                                   const std::vector<std::string>& args) {
    std::string line = QuoteWindowsArgument(program);
    for (const std::string& arg : args) {
        line += ' ';
        line += QuoteWindowsArgument(arg);
    }
    return line;
}

PosixSystem::PosixSystem(int argc, char** argv) {
    m_programPath = ReadSelfExe();
    if (m_programPath.empty() && argc > 0 && argv && argv[0]) {
        const char* path = std::getenv("PATH");
        m_programPath = AbsoluteProgramPath(argv[0], CurrentFolder(), path ? path : "");
    }
    std::vector<std::string> args;
    for (int i = 1; argv && i < argc; ++i) {
        if (argv[i]) args.emplace_back(argv[i]);
    }
    m_commandLine = JoinWindowsCommandLine(m_programPath, args);
}

void PosixSystem::ExitProcess(int code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // As on the original platform: no static destructors, so a worker thread still held
    // (the result page's) cannot end the program with std::terminate instead of the code.
    std::_Exit(code);
}

}  // namespace zavro
