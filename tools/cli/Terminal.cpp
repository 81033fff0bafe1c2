#include "Terminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace zavro::cli {

namespace {

std::string DropLineBreak(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

// The terminal's settings while echo is off, put back if the user interrupts the prompt.
termios g_saved{};
volatile sig_atomic_t g_echoOff = 0;

void RestoreAndDie(int sig) {
    if (g_echoOff) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

std::optional<std::string> ReadSecretFile(const std::string& path) {
    if (path == "-") {
        std::string all((std::istreambuf_iterator<char>(std::cin)),
                        std::istreambuf_iterator<char>());
        return DropLineBreak(std::move(all));
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return DropLineBreak(text.str());
}

std::optional<std::string> PromptHidden(const std::string& prompt) {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &g_saved) != 0) return std::nullopt;
    termios quiet = g_saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    // Echo goes off before the prompt shows, so nothing typed after it is echoed.
    signal(SIGINT, RestoreAndDie);
    signal(SIGTERM, RestoreAndDie);
    g_echoOff = 1;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::string line;
    char ch = 0;
    while (read(STDIN_FILENO, &ch, 1) == 1 && ch != '\n') line += ch;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
    g_echoOff = 0;
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    return DropLineBreak(line);
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

namespace {

std::string Bytes(double n) {
    char text[32];
    if (n < 1024)
        std::snprintf(text, sizeof text, "%.0f B", n);
    else if (n < 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KiB", n / 1024);
    else
        std::snprintf(text, sizeof text, "%.1f MiB", n / (1024 * 1024));
    return text;
}

// Sends smaller than this (request heads, the second upload step) draw no bar.
constexpr std::size_t kBarFrom = 16 * 1024;
constexpr std::size_t kSlice = 64 * 1024;

class ProgressSocket final : public ITcpSocket {
public:
    explicit ProgressSocket(std::unique_ptr<ITcpSocket> inner) : m_inner(std::move(inner)) {}

    bool Connect(const std::string& host, std::uint16_t port) override {
        return m_inner->Connect(host, port);
    }
    long Send(const void* data, std::size_t size) override {
        if (size < kBarFrom) return m_inner->Send(data, size);
        const auto start = std::chrono::steady_clock::now();
        const auto* bytes = static_cast<const char*>(data);
        std::size_t sent = 0;
        while (sent < size) {
            const std::size_t slice = size - sent < kSlice ? size - sent : kSlice;
            const long n = m_inner->Send(bytes + sent, slice);
            if (n <= 0) {
                std::fputs("\n", stderr);
                return sent ? static_cast<long>(sent) : n;
            }
            sent += static_cast<std::size_t>(n);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::fprintf(stderr, "\r%s", ProgressLine(sent, size, seconds).c_str());
            std::fflush(stderr);
        }
        std::fputs("\n", stderr);
        return static_cast<long>(sent);
    }
    long Receive(void* buffer, std::size_t size) override { return m_inner->Receive(buffer, size); }
    void Cancel() override { m_inner->Cancel(); }
    void Close() override { m_inner->Close(); }

private:
    std::unique_ptr<ITcpSocket> m_inner;
};

}  // namespace

std::string ProgressLine(std::uint64_t sent, std::uint64_t total, double seconds) {
    constexpr int kWidth = 30;
    const double part = total ? static_cast<double>(sent) / static_cast<double>(total) : 1.0;
    const int filled = static_cast<int>(part * kWidth);
    std::string bar = "[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "]";
    char text[160];
    const double rate = seconds > 0 ? static_cast<double>(sent) / seconds : 0;
    std::snprintf(text, sizeof text, "%s %3d%% %s of %s, %s/s", bar.c_str(),
                  static_cast<int>(part * 100), Bytes(static_cast<double>(sent)).c_str(),
                  Bytes(static_cast<double>(total)).c_str(), Bytes(rate).c_str());
    return text;
}

std::unique_ptr<ITcpSocket> ProgressTcpFactory::Create() {
    auto inner = m_inner.Create();
    if (!inner) return nullptr;
    return std::make_unique<ProgressSocket>(std::move(inner));
}

}  // namespace zavro::cli
