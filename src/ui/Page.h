// Base of every skinned wizard page: an 800x600 borderless window whose face is one
// picture, with invisible hotspots laid over the picture's painted buttons.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/ZavroApp.h"
#include "platform/Ui.h"
#include "ui/ButtonST.h"

namespace zavro {

class CZavroDlg;

constexpr int kPageWidth = 800;
constexpr int kPageHeight = 600;

// Common hotspot rectangles.
constexpr Rect kRectMenu{14, 22, 79, 75};          // 1009
constexpr Rect kRectStart{101, 22, 90, 75};        // 1010 on the start-page family
constexpr Rect kRectQuickGuide{486, 22, 111, 75};  // 1012
constexpr Rect kRectManual{601, 22, 95, 75};       // 1011
constexpr Rect kRectExit{710, 22, 70, 75};         // 1008
constexpr Rect kRectWebSite{520, 550, 138, 40};    // 1003
constexpr Rect kRectContact{673, 550, 124, 40};    // 1004
constexpr Rect kRectNext{618, 492, 53, 26};
constexpr Rect kRectBack{543, 492, 53, 26};
// Left of Back and Next, where the pictures of the pages that wait stay plain.
constexpr Rect kRectWaitLine{107, 494, 420, 22};
constexpr int kWaitLineId = 1090;
// The look of the pictures' own body text, for what the wizard writes onto a page.
inline const TextStyle kPageTextStyle{"DejaVu Sans", 14, 0x3C5A70};
// How long a wait goes before the page says so.
constexpr std::uint64_t kWaitLineAfterMs = 3000;

// Dialog units of the page templates to pixels (system font, size 10).
Rect DialogUnitsToPixels(const Rect& du);

class CPage : public IWindowEvents {
public:
    CPage(CZavroDlg* parent, std::string className, int templateId);
    ~CPage() override;
    CPage(const CPage&) = delete;
    CPage& operator=(const CPage&) = delete;

    // Makes the window and initialises the page; FALSE when the window is not made.
    BOOL CreatePage();
    void ShowWindow(bool visible);
    // Deletes the drawing objects, destroys the window, releases the picture and the
    // hotspots. The page object is not used again; the hub frees it later.
    void ClosePage();
    bool IsClosed() const { return m_bClosed; }

    const std::string& ClassName() const { return m_strClassName; }
    int TemplateId() const { return m_nTemplateId; }
    IWindow* Window() { return m_window.get(); }
    CButtonST* Button(int id);
    const Image& Picture() const { return m_picture; }

    // IWindowEvents
    void OnControl(int id, Notify code) final;
    void OnHotState(int id, HotState state) final;
    void OnTimer(int timerId) final;
    void OnPosted(unsigned message) final;
    void OnPaint() final;
    CursorShape OnSetCursor(int controlId) override;
    // Enter or Space on the focused hotspot clicks it; any other key goes to OnPageKey.
    bool OnKeyDown(Key key) final;
    // Exit (1008) and back-to-menu (1009) of the common handler; a page whose own
    // handler ends the program on other hotspots names them too.
    bool EndsProgram(int controlId) override;
    // Once a wait has lasted kWaitLineAfterMs: the waiting line, with the seconds so far.
    void OnWaitTick() override;
    // A wait has ended: every page's waiting line goes.
    static void EndWaitLines();

protected:
    // Construction step 3: on failure "load_image_error" and the process ends with 1.
    void LoadBackground(const std::string& path);
    // Picture of the current language folder, or of the image folder itself.
    static std::string LanguagePicture(const std::string& name);

    virtual void OnInitDialog() {}
    // Key-down the focused hotspot did not take: Enter and Escape are swallowed, so that
    // neither closes or confirms a page.
    virtual bool OnPageKey(Key key);
    virtual void OnCommand(int /*id*/) {}
    virtual void OnNotify(int /*id*/, Notify /*code*/) {}
    virtual void OnTimerEvent(int /*timerId*/) {}
    virtual void OnMessage(unsigned /*message*/) {}
    // Runs before the common painting (a page may reload its picture or move controls).
    virtual void BeforePaint() {}
    virtual void AfterPaint() {}
    // First thing ClosePage does (pages stop their animations here).
    virtual void OnClosing() {}
    // After the window was shown.
    virtual void OnShowWindow() {}
    // Where the waiting line goes, and the key of its text ("%d" becomes the seconds).
    virtual Rect WaitLineRect() const { return kRectWaitLine; }
    virtual const char* WaitLineKey() const { return "wait_router"; }

    void AddHotspot(int id, const Rect& r);
    void AddCheckHotspot(int id, const Rect& r);
    void AddControl(int id, ControlKind kind, const Rect& r);
    void MoveHotspot(int id, const Rect& r);
    void ShowControl(int id, bool visible);
    void EnableControl(int id, bool enabled);
    void SetCheck(int id, int state, bool repaint = true);
    int GetCheck(int id);
    void DrawTransparent(int id);
    void SetPicture(Image picture);
    // A picture that replaces the page's own (the file name, as LoadBackground takes it):
    // what screen readers read changes with it.
    void SetPicture(Image picture, const std::string& file);
    void SetHandIds(std::initializer_list<int> ids);
    void SetHandRange(int first, int last);
    void AddHandIds(std::initializer_list<int> ids);

    // Close-and-go: ClosePage, then the message to the hub.
    void CloseAndGo(unsigned message);
    void BackToMenu();      // 1009
    void EndProgram();      // 1008
    void OpenQuickGuide();  // 1012
    void OpenUserManual();  // 1011 of the router pages
    void OpenWebSite();     // 1003
    // The common hotspots (1003, 1004, 1008, 1009, 1011, 1012) and 1010 with the page
    // family's message; true when id was one of them.
    bool HandleCommonHotspot(int id, unsigned message1010);
    // The wireless tabs of the router pages: 1015 wireless name, 1014 wireless key.
    bool HandleWirelessTabs(int id);
    // Disables every control of the page but Exit and back-to-menu (during a blocking
    // upload), or enables again the ones that were enabled before.
    void DisablePage();
    void EnablePage();
    // The page's step button has appeared (Finish once the result is known): the focus
    // goes to where a person now starts, unless the user has moved it since the page opened.
    void MoveStartFocus();

    CZavroDlg* m_pParent;
    Image m_picture;
    const Image& m_hIcon;
    std::unique_ptr<IWindow> m_window;

private:
    void RenderFace(CButtonST& button);
    // Names for screen readers, the Tab order (fields as created, hotspots by place) and
    // where the focus starts.
    void ApplyAccess();
    void ApplyTabOrder();
    void SetInitialFocus();
    int StartFocusId();
    void OnHotspotFocus(CButtonST& button, bool focused);

    std::string m_strClassName;
    int m_nTemplateId;
    std::map<int, CButtonST> m_buttons;
    std::set<int> m_handIds;
    bool m_bClosed = false;
    bool m_bPainting = false;
    std::vector<int> m_controlIds;
    std::vector<int> m_fieldIds;  // the fields, in the order the page made them
    std::string m_strPicture;     // file name without extension: the key of its texts
    bool m_bInitialised = false;
    int m_nStartFocus = 0;  // where the page put the focus when it opened
    std::vector<int> m_disabledIds;
    bool m_bPageDisabled = false;
    bool m_bWaitLine = false;  // made and shown
    std::string m_strWaitLine;
};

}  // namespace zavro
