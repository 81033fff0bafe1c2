#include "RealInput.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace zavro::e2e {

namespace fs = std::filesystem;

XServer::~XServer() {
    StopWindowManager();
    m_server.Terminate(3000);  // a server that ends by itself leaves no display lock
    std::error_code ec;
    if (!m_log.empty()) fs::remove(m_log, ec);
}

bool XServer::Start(std::string& why) {
    for (int n = 40 + ::getpid() % 40, tries = 0; tries < 40; ++tries, n = 40 + (n - 39) % 40) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (fs::exists(lock) || fs::exists(socket)) continue;
        m_display = ":" + std::to_string(n);
        m_log = (fs::temp_directory_path() / ("zavro-xvfb-" + std::to_string(n) + ".log")).string();
        const std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
        if (!m_server.Start("Xvfb", "/", {}, m_log,
                            {m_display, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"})) {
            why = "cannot start Xvfb";
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (!m_server.Running()) break;  // lost the race for this display: next one
            if (fs::exists(socket)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (m_server.Running()) {
            why = "Xvfb started but opened no display in 10 s";
            return false;
        }
    }
    why = "no free X display";
    return false;
}

XServer* XServer::StartShared(std::string& why) {
    auto server = std::make_unique<XServer>();
    return server->Start(why) ? server.release() : nullptr;
}

bool XServer::Click(int x, int y, std::chrono::steady_clock::time_point* buttonAt) const {
    if (!Xdotool({"mousemove", std::to_string(x - 2), std::to_string(y - 2), "sleep", "0.05",
                  "mousemove", std::to_string(x), std::to_string(y), "sleep", "0.05"}))
        return false;
    if (buttonAt != nullptr) *buttonAt = std::chrono::steady_clock::now();
    return Xdotool({"click", "1"});
}

bool XServer::Type(const std::string& text) const {
    return Xdotool({"type", "--delay", "30", text});
}

bool XServer::Key(const std::string& keys) const {
    return Xdotool({"key", "--delay", "30", keys});
}

std::optional<std::string> XServer::Query(const std::string& program,
                                          const std::vector<std::string>& args) const {
    ProgramProcess client;
    const std::string log = m_log + "." + fs::path(program).filename().string();
    if (!client.Start(program, "/", {{"DISPLAY", m_display}}, log, args)) return std::nullopt;
    const ProgramResult r = client.Wait(10000);
    std::string output = ReadFile(log);
    std::error_code ec;
    fs::remove(log, ec);
    if (r.exitCode != 0) return std::nullopt;
    return output;
}

bool XServer::StartWindowManager(const std::string& program) {
    return m_windowManager.Start(program, "/", {{"DISPLAY", m_display}}, m_log + ".wm");
}

bool XServer::Xdotool(const std::vector<std::string>& args) const {
    ProgramProcess xdotool;
    const std::string log = m_log + ".xdotool";
    if (!xdotool.Start("xdotool", "/", {{"DISPLAY", m_display}}, log, args)) return false;
    const ProgramResult r = xdotool.Wait(10000);
    std::error_code ec;
    fs::remove(log, ec);
    return r.exitCode == 0;
}

}  // namespace zavro::e2e
