#include "ui/Blocking.h"

#include "ui/Page.h"

namespace zavro {

namespace {
std::optional<std::uint64_t> g_waitStart;  // UI thread only
}  // namespace

std::optional<std::uint64_t> WaitStartMs() {
    return g_waitStart;
}

CWaitMark::CWaitMark() : m_outermost(!g_waitStart.has_value()) {
    if (m_outermost) g_waitStart = Ports().clock->NowMs();
}

CWaitMark::~CWaitMark() {
    if (!m_outermost) return;
    g_waitStart.reset();
    CPage::EndWaitLines();
}

}  // namespace zavro
