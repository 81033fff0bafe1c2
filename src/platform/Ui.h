// UI toolkit port: page windows with a background picture and controls by id.
//
// The core owns every decision (what a hotspot looks like, which cursor shows, what a key
// does); an adapter only puts pixels and native controls on the screen and reports input.
// All calls are made on the UI thread unless a method says otherwise.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Image.h"

namespace zavro {

enum class ControlKind {
    Hotspot,       // invisible button; its face is the image the core sets (CButtonST)
    Edit,          // single-line edit
    PasswordEdit,  // masked single-line edit
    IpAddress,     // four octet fields, text "a.b.c.d", blank fields read as 0
    DropList,      // drop-down list without an edit part
    StaticText,    // text label
    Animation,     // canvas whose face is the image the core sets (CPictureEx)
    PushButton,    // ordinary captioned button (the wait dialog)
    Progress,      // progress bar without text (the wait dialog)
};

// Posted messages from this value on only repaint (an animation's next frame): windows
// take them during blocking work too, so that an animation plays while the program waits.
inline constexpr unsigned kFirstRepaintMessage = 0x7E00;
constexpr bool OnlyRepaints(unsigned message) {
    return message >= kFirstRepaintMessage;
}

enum class CursorShape { Arrow, Hand, Wait };

enum class Notify {
    Clicked,       // hotspot or push button released over itself
    Changed,       // edit text changed by the user
    FieldChanged,  // one octet field of an IP address control changed
    SelChange,     // drop-down list selection changed by the user
    SetFocus,      // the control got the keyboard focus (fields and hotspots)
    KillFocus,     // the control lost the keyboard focus
};

// Keys a window reports before its own handling. Tab (either direction) then moves the
// focus along the window's tab order unless the core swallowed it.
enum class Key { Enter, Escape, Space, Tab, Other };

// Mouse state of a hotspot, reported so that the core can redraw its face.
enum class HotState { Normal, Hover, Pressed };

// What a window reports to its owner. Called on the UI thread.
class IWindowEvents {
public:
    virtual ~IWindowEvents() = default;
    virtual void OnControl(int id, Notify code) = 0;
    virtual void OnHotState(int id, HotState state) = 0;
    virtual void OnTimer(int timerId) = 0;
    // A message posted with IPoster::Post arrives here, on the UI thread.
    virtual void OnPosted(unsigned message) = 0;
    // Paint request: the core recomputes what it shows before the adapter draws.
    virtual void OnPaint() = 0;
    // Cursor over the window; controlId is the control under the mouse or 0.
    virtual CursorShape OnSetCursor(int controlId) = 0;
    // Key-down before the window's own handling; true swallows it.
    virtual bool OnKeyDown(Key key) = 0;
    // True for a hotspot whose click ends the program (Exit, back to the menu): the only
    // input a window takes while the toolkit runs blocking work.
    virtual bool EndsProgram(int /*controlId*/) { return false; }
    // Called on the UI thread about four times a second while the toolkit runs blocking
    // work, so that a page can say how long it has waited (it reads the system clock).
    virtual void OnWaitTick() {}
};

// How a static text is drawn over a page's picture: the picture's own text look.
struct TextStyle {
    std::string family;     // font family; the toolkit's default when not installed
    int pixelSize = 0;      // 0: the toolkit's default size
    std::uint32_t rgb = 0;  // 0xRRGGBB
};

// Thread-safe way to post a message to a window. Once the window is destroyed, Post drops
// the message and returns false, so a worker that outlives its page does no harm.
class IPoster {
public:
    virtual ~IPoster() = default;
    virtual bool Post(unsigned message) = 0;
};

class IWindow {
public:
    virtual ~IWindow() = default;

    // Window.
    virtual void SetBackground(const Image& picture) = 0;  // drawn at 0,0 at its own size
    virtual Rect Geometry() const = 0;                     // screen pixels
    virtual void SetGeometry(const Rect& r) = 0;
    virtual Rect WorkArea() const = 0;  // usable screen area
    virtual void Show(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    virtual void Invalidate() = 0;  // asks for OnPaint and a repaint soon
    virtual void Destroy() = 0;     // window and controls go; later calls do nothing

    // Controls.
    virtual void CreateControl(int id, ControlKind kind, const Rect& r) = 0;
    virtual void MoveControl(int id, const Rect& r) = 0;
    virtual Rect ControlRect(int id) const = 0;
    virtual void ShowControl(int id, bool visible) = 0;
    virtual bool IsControlVisible(int id) const = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual bool IsControlEnabled(int id) const = 0;
    virtual void SetText(int id, const std::string& utf8) = 0;
    virtual std::string GetText(int id) const = 0;
    virtual void SetLimit(int id, int maxChars) = 0;
    virtual void SetFocus(int id) = 0;
    virtual void SetFace(int id, const Image& face) = 0;  // Hotspot and Animation faces
    virtual void SetItems(int id, const std::vector<std::string>& items) = 0;  // DropList
    virtual void SetSelection(int id, int index) = 0;                          // -1 none
    virtual int GetSelection(int id) const = 0;
    virtual void SetProgress(int id, int percent) = 0;  // Progress, 0..100
    // StaticText: drawn in style instead of the toolkit's label look.
    virtual void SetTextStyle(int id, const TextStyle& style) = 0;

    // Keyboard and screen readers.
    // Tab and Shift+Tab walk these controls in this order (skipping hidden and disabled
    // ones, wrapping at the ends). Hotspots take the focus only through this order and
    // SetFocus, never from a click; a listed hotspot reports SetFocus and KillFocus.
    virtual void SetTabOrder(const std::vector<int>& ids) = 0;
    // The control that has (or, in a window not yet active, will get) the focus; 0: none.
    virtual int FocusedControl() const = 0;
    // What assistive technology reads: id 0 is the window (the page's title and what its
    // picture says); a hotspot is a push button with this name, a field is named by it.
    virtual void SetAccessibleText(int id, const std::string& name,
                                   const std::string& description) = 0;
    // A hotspot that toggles (a check box painted on the picture): 0 or 1, read with its
    // name. Called whenever the state may have changed; other hotspots are never told.
    virtual void SetAccessibleCheck(int id, int checked) = 0;

    // Timers fire OnTimer on the UI thread until killed.
    virtual void SetTimer(int timerId, unsigned milliseconds) = 0;
    virtual void KillTimer(int timerId) = 0;

    virtual std::shared_ptr<IPoster> Poster() = 0;

    // Modal run (the wait dialog): returns the code given to EndModal. Enter and Escape
    // that OnKeyDown does not swallow end it with 1 and 2.
    virtual int RunModal() = 0;
    virtual void EndModal(int code) = 0;

    // The window's icon (title bar and task switcher, large and small).
    virtual void SetIcon(const Image& icon) = 0;
};

struct WindowStyle {
    bool modalFrame = false;      // small dialog with a frame (the wait dialog) instead of a page
    std::string name;             // the page's class name: how automation and tests find it
    std::string title = "Zavro";  // what the task bar and the frame show
};

class IUiToolkit {
public:
    virtual ~IUiToolkit() = default;
    virtual std::unique_ptr<IWindow> CreateWindow(IWindowEvents& events, const Rect& r,
                                                  const WindowStyle& style) = 0;
    // Blocks the caller until the user closes the box. May be called from any thread.
    virtual void MessageBox(const std::string& utf8Text, const std::string& caption) = 0;
    // Runs work that blocks (a router exchange, a sleep, a hidden program) and returns
    // when it is done, so that the caller stays sequential. Meanwhile the wait cursor
    // shows, the windows keep painting and get OnWaitTick, but no page acts: the user's clicks and
    // keys are dropped, except on the hotspots that end the program (IWindowEvents:: EndsProgram),
    // and timers, posted messages (but for OnlyRepaints ones) and deferred tasks are held back,
    // then delivered in their order once the caller's event has been handled. Work that throws
    // leaves nothing held or gated: the exception goes on to the caller. Called on the UI thread;
    // work runs on a helper thread and must not touch windows or the program's shared state: it
    // returns what it found, and the caller stores that after the wait.
    virtual void RunBlocking(const std::function<void()>& work) = 0;
    // filter: "Name(*.ext)|*.ext|All files(*.*)|*.*||". nullopt when cancelled.
    virtual std::optional<std::string> OpenFileDialog(const std::string& filter) = 0;
    // Runs task on the UI thread once the current event has been handled (deferred
    // deletion of closed pages). May be called from the UI thread only.
    virtual void Defer(std::function<void()> task) = 0;
    // Runs the program's event loop until Quit.
    virtual int Run() = 0;
    virtual void Quit(int code) = 0;
};

}  // namespace zavro
