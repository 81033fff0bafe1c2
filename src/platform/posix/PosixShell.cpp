#include "platform/posix/PosixShell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace zavro {
namespace {

// Shell result codes.
constexpr long kOk = 42;
constexpr long kOutOfResources = 0;
constexpr long kFileNotFound = 2;
constexpr long kPathNotFound = 3;
constexpr long kAccessDenied = 5;
constexpr long kBadFormat = 11;
constexpr long kNoAssociation = 31;

long ResultOfSpawnError(int err) {
    switch (err) {
        case ENOMEM:
        case EAGAIN:
            return kOutOfResources;
        case ENOENT:
            return kFileNotFound;
        case ENOTDIR:
            return kPathNotFound;
        case ENOEXEC:
            return kBadFormat;
        default:
            return kAccessDenied;
    }
}

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    for (std::size_t i = 0; prefix[i]; ++i) {
        if (i >= s.size()) return false;
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool IsWebAddress(const std::string& file) {
    return StartsWithNoCase(file, "http://") || StartsWithNoCase(file, "https://");
}

// Waits for a child nobody else waits for, so that it leaves no zombie.
void Reap(pid_t pid) {
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        int status = 0;
        ::waitpid(pid, &status, WNOHANG);  // best effort when no thread can be made
    }
}

class SpawnActions {
public:
    SpawnActions() { m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0; }
    ~SpawnActions() {
        if (m_ok) ::posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    bool Ok() const { return m_ok; }
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ok = false;
};

// Spawns argv[0] (a path, or a name looked up in PATH with search); returns 0 or errno.
int Spawn(pid_t& pid, const std::vector<std::string>& args, const std::string& folder, bool quiet,
          bool search) {
    SpawnActions actions;
    if (!actions.Ok()) return ENOMEM;
    if (!folder.empty()) {
        if (int err = ::posix_spawn_file_actions_addchdir_np(actions.Get(), folder.c_str())) {
            return err;
        }
    }
    if (quiet) {
        for (int fd : {0, 1, 2}) {
            const int flags = fd == 0 ? O_RDONLY : O_WRONLY;
            if (int err =
                    ::posix_spawn_file_actions_addopen(actions.Get(), fd, "/dev/null", flags, 0)) {
                return err;
            }
        }
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return search ? ::posix_spawnp(&pid, argv[0], actions.Get(), nullptr, argv.data(), environ)
                  : ::posix_spawn(&pid, argv[0], actions.Get(), nullptr, argv.data(), environ);
}

long OpenWithDesktop(const std::string& target) {
    const char* path = std::getenv("PATH");
    const std::optional<std::string> opener = FindInPath("xdg-open", path ? path : "");
    if (!opener) return kNoAssociation;
    pid_t pid = -1;
    const int err = Spawn(pid, {*opener, target}, "", false, false);
    if (err) return err == ENOMEM || err == EAGAIN ? kOutOfResources : kNoAssociation;
    Reap(pid);
    return kOk;
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(const std::string& line, bool firstIsProgram) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    if (firstIsProgram) {
        while (i < n && Blank(line[i])) ++i;
        if (i < n) {
            std::string program;
            if (line[i] == '"') {
                const std::size_t close = line.find('"', i + 1);
                program = line.substr(
                    i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
                i = close == std::string::npos ? n : close + 1;
            }
            while (i < n && !Blank(line[i])) program += line[i++];
            args.push_back(std::move(program));
        }
    }
    for (;;) {
        while (i < n && Blank(line[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !Blank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t count = 0;
                while (i < n && line[i] == '\\') {
                    ++count;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    arg.append(count / 2, '\\');
                    if (count % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(count, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::optional<std::string> FindInPath(const std::string& name, const std::string& pathList) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    std::size_t start = 0;
    while (start <= pathList.size()) {
        std::size_t end = pathList.find(':', start);
        if (end == std::string::npos) end = pathList.size();
        const std::string dir = pathList.substr(start, end - start);
        start = end + 1;
        if (dir.empty()) continue;  // an empty entry would mean the working folder
        const std::string candidate = dir + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

PosixShell::~PosixShell() {
    std::lock_guard lock(m_mutex);
    for (auto& [handle, child] : m_children) {
        if (!child.ended) Reap(child.pid);
    }
}

long PosixShell::Execute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& folder, ShowMode) {
    namespace fs = std::filesystem;
    // Only "open" (the default verb) has a handler here.
    if (!verb.empty() && (verb.size() != 4 || !StartsWithNoCase(verb, "open"))) {
        return kNoAssociation;
    }
    if (IsWebAddress(file)) return OpenWithDesktop(file);
    if (file.empty()) return kFileNotFound;

    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec)) return kPathNotFound;
    fs::path path(file);
    if (path.is_relative()) {
        const fs::path base = folder.empty() ? fs::current_path(ec) : fs::path(folder);
        path = base / path;
    }
    // Absolute, since the child changes into folder before it executes the path.
    path = fs::absolute(path, ec).lexically_normal();
    const fs::path parent = path.parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec)) return kPathNotFound;

    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOTDIR ? kPathNotFound : kFileNotFound;
    if (S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0) {
        std::vector<std::string> args = SplitWindowsCommandLine(parameters, false);
        args.insert(args.begin(), path.string());
        pid_t pid = -1;
        if (const int err = Spawn(pid, args, folder, false, false)) return ResultOfSpawnError(err);
        Reap(pid);
        return kOk;
    }
    return OpenWithDesktop(path.string());
}

long PosixShell::StartHidden(const std::string& commandLine) {
    const std::vector<std::string> args = SplitWindowsCommandLine(commandLine, true);
    if (args.empty() || args[0].empty()) return 0;
    pid_t pid = -1;
    if (Spawn(pid, args, "", true, true) != 0) return 0;
    std::lock_guard lock(m_mutex);
    const long handle = m_nextHandle++;
    m_children[handle] = Child{pid, false};
    return handle;
}

bool PosixShell::WaitProcess(long handle, unsigned ms) {
    pid_t pid = -1;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_children.find(handle);
        if (it == m_children.end()) return false;
        if (it->second.ended) return true;
        pid = it->second.pid;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        // ECHILD: another waiter of the same handle has just reaped it.
        if (r == pid || (r < 0 && errno == ECHILD)) {
            std::lock_guard lock(m_mutex);
            const auto it = m_children.find(handle);
            if (it != m_children.end()) it->second.ended = true;
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            deadline - now, std::chrono::milliseconds(1)));
    }
}

void PosixShell::CloseProcess(long handle) {
    std::lock_guard lock(m_mutex);
    const auto it = m_children.find(handle);
    if (it == m_children.end()) return;
    if (!it->second.ended) Reap(it->second.pid);
    m_children.erase(it);
}

void PosixShell::RestartSystem() {
    std::fputs("zavro: the PC should be restarted now\n", stderr);
    std::fflush(stderr);
}

}  // namespace zavro
