// What screen readers see of a page window and its controls (MSAA): each window answers
// WM_GETOBJECT for its client area with an object that wraps the system's standard one,
// naming it as the core asked, reading hotspots as push buttons and listing a page's
// controls in their Tab order. Include after windows.h.
#pragma once

#include <string>
#include <vector>

namespace zavro::win32 {

// Asked afresh on every call: a screen reader may hold the object after its window went.
struct AccessFacts {
    bool known = false;  // false: the window is gone or not ours; the standard object answers
    std::wstring name;   // empty: the standard object's
    std::wstring description;
    bool pushButton = false;     // a hotspot
    int checked = -1;            // a toggling hotspot: 0 or 1
    bool secret = false;         // a password field: no value is read out
    int percent = -1;            // a progress bar's position (0..100); -1: not one
    std::vector<HWND> children;  // a page: its controls in Tab order
};
using AccessLookup = AccessFacts (*)(HWND);

// The answer to WM_GETOBJECT; 0 for any object but the client area (DefWindowProc then).
LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, AccessLookup lookup);

// Balances the COM start that the first answer made on this thread.
void EndAccess();

}  // namespace zavro::win32
