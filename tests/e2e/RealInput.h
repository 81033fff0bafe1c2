// Real input for the real program: a private X server (Xvfb) the program shows its pages
// on, and pointer events given through that server's XTest extension (xdotool), so that a
// click takes the whole route a hand's click takes: server, toolkit, window, widget.
// Shared by the end-to-end tests and the waits benchmark.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "ProgramProcess.h"

namespace zavro::e2e {

class XServer {
public:
    // 800x600: a page, centred on the screen, covers it exactly, so page coordinates are
    // screen coordinates.
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // False (with why) when no server could be started on a free display.
    bool Start(std::string& why);
    // A started server for a test suite to share (deleted by the suite), or null with why.
    static XServer* StartShared(std::string& why);
    const std::string& Display() const { return m_display; }
    // Moves the pointer onto x,y (a small motion first, as a hand gives) and clicks the
    // left button. False when the click could not be given. buttonAt (optional) gets the
    // steady time just before the button is sent (the motion done).
    bool Click(int x, int y, std::chrono::steady_clock::time_point* buttonAt = nullptr) const;
    // Types text with real key events into the window that has the keyboard focus.
    bool Type(const std::string& text) const;
    // Presses and releases keys by X key name ("Tab", "shift+Tab", "Return", "space").
    bool Key(const std::string& keys) const;
    // Runs an X client on this display to its end (at most 10 s); its standard output and
    // error, or nullopt when it failed.
    std::optional<std::string> Query(const std::string& program,
                                     const std::vector<std::string>& args) const;
    // A window manager on this display, for the test that needs one.
    bool StartWindowManager(const std::string& program);
    void StopWindowManager() { m_windowManager.Terminate(3000); }

private:
    bool Xdotool(const std::vector<std::string>& args) const;

    ProgramProcess m_windowManager;  // ended before the server
    ProgramProcess m_server;
    std::string m_display;
    std::string m_log;
};

}  // namespace zavro::e2e
