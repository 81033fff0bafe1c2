// Page-open messages of the hub, and the private messages pages post to themselves.
#pragma once

namespace zavro {

constexpr unsigned WM_USER = 0x400;

constexpr unsigned WM_PAGE_SETLANGUAGE = 0x471;
constexpr unsigned WM_PAGE_QIG = 0x472;
constexpr unsigned WM_PAGE_CONTACT = 0x473;
constexpr unsigned WM_PAGE_ARQX = 0x474;
constexpr unsigned WM_PAGE_QXSET = 0x475;
constexpr unsigned WM_PAGE_MANUAL = 0x476;
constexpr unsigned WM_PAGE_WIZARD = 0x477;
constexpr unsigned WM_PAGE_WELCOME = 0x478;
constexpr unsigned WM_PAGE_MACHINESET = 0x479;
constexpr unsigned WM_PAGE_SETPWD = 0x47A;
constexpr unsigned WM_PAGE_ESSID = 0x47B;
constexpr unsigned WM_PAGE_SETWPA = 0x47C;
constexpr unsigned WM_PAGE_UPDATEFIRM = 0x47D;
constexpr unsigned WM_PAGE_CONNECTMODE = 0x47E;
constexpr unsigned WM_PAGE_CABLEMODEM = 0x47F;
constexpr unsigned WM_PAGE_FIXIP = 0x480;
constexpr unsigned WM_PAGE_PPPOE = 0x481;
constexpr unsigned WM_PAGE_PPTP = 0x482;
constexpr unsigned WM_PAGE_PPTP2 = 0x483;
constexpr unsigned WM_PAGE_L2TP = 0x484;
constexpr unsigned WM_PAGE_L2TP2 = 0x485;
constexpr unsigned WM_PAGE_TELSTRA = 0x486;
constexpr unsigned WM_PAGE_WANTYPE = 0x487;
constexpr unsigned WM_PAGE_SUCCESS = 0x488;
constexpr unsigned WM_PAGE_FAILED = 0x489;
constexpr unsigned WM_PAGE_WPACONFIGURE = 0xB9;

// Result page: router and Internet reachable / unreachable.
constexpr unsigned WM_RESULT_REACHABLE = 0x48A;
constexpr unsigned WM_RESULT_UNREACHABLE = 0x48B;
// Failure page: the diagnosis worker's finding, WM_FAILED_DIAGNOSIS + the InternetStep.
constexpr unsigned WM_FAILED_DIAGNOSIS = 0x490;
// An animation control asks its page to copy its canvas to the screen.
constexpr unsigned WM_ANIMATION_FRAME = 0x7E01;

// Window handle of the hub: pages send it page-open messages, synchronously.
class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual long OnMessage(unsigned message) = 0;
};
using HWND = IMessageTarget*;

inline long SendMessage(HWND target, unsigned message) {
    return target != nullptr ? target->OnMessage(message) : 0;
}

}  // namespace zavro
