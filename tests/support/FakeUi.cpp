#include "support/FakeUi.h"

#include <algorithm>

namespace zavro::test {

struct FakeWindow::PostBox final : IPoster {
    std::mutex mutex;
    bool alive = true;
    std::deque<unsigned> queue;
    bool Post(unsigned message) override {
        std::lock_guard lock(mutex);
        if (!alive) return false;
        queue.push_back(message);
        return true;
    }
};

FakeWindow::FakeWindow(FakeToolkit& toolkit, IWindowEvents& events, const Rect& r,
                       WindowStyle style)
    : m_toolkit(toolkit),
      m_events(&events),
      m_geometry(r),
      m_style(std::move(style)),
      m_postBox(std::make_shared<PostBox>()) {}

FakeWindow::~FakeWindow() {
    Destroy();
    m_toolkit.Forget(this);
}

Rect FakeWindow::WorkArea() const {
    return {0, 0, 1280, 1000};
}

void FakeWindow::Show(bool visible) {
    if (m_destroyed) return;
    m_visible = visible;
    if (visible) Paint();
}

void FakeWindow::Invalidate() {
    if (!m_destroyed && m_visible) Paint();
}

void FakeWindow::Paint() {
    if (!m_destroyed) m_events->OnPaint();
}

void FakeWindow::Destroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    m_visible = false;
    m_controls.clear();
    m_timers.clear();
    std::lock_guard lock(m_postBox->mutex);
    m_postBox->alive = false;
    m_postBox->queue.clear();
}

void FakeWindow::CreateControl(int id, ControlKind kind, const Rect& r) {
    if (m_destroyed) return;
    FakeControl c;
    c.kind = kind;
    c.rect = r;
    m_controls[id] = std::move(c);
}

void FakeWindow::MoveControl(int id, const Rect& r) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.rect = r;
}

Rect FakeWindow::ControlRect(int id) const {
    const FakeControl* c = Control(id);
    return c ? c->rect : Rect{};
}

void FakeWindow::ShowControl(int id, bool visible) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.visible = visible;
}

bool FakeWindow::IsControlVisible(int id) const {
    const FakeControl* c = Control(id);
    return c && c->visible;
}

void FakeWindow::EnableControl(int id, bool enabled) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.enabled = enabled;
}

bool FakeWindow::IsControlEnabled(int id) const {
    const FakeControl* c = Control(id);
    return c && c->enabled;
}

void FakeWindow::SetText(int id, const std::string& utf8) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.text = utf8;
}

std::string FakeWindow::GetText(int id) const {
    const FakeControl* c = Control(id);
    if (!c) return "";
    if (c->kind == ControlKind::IpAddress) {
        // Four fields; blank ones read as 0.
        std::string out, field;
        int fields = 0;
        auto flush = [&] {
            out += (field.empty() ? "0" : std::to_string(std::min(255, std::stoi(field))));
            field.clear();
            ++fields;
        };
        for (char ch : c->text) {
            if (ch == '.') {
                if (fields < 3) {
                    flush();
                    out += '.';
                }
            } else if (ch >= '0' && ch <= '9' && field.size() < 3) {
                field += ch;
            }
        }
        while (fields < 4) {
            flush();
            if (fields < 4) out += '.';
        }
        return out;
    }
    return c->text;
}

void FakeWindow::SetLimit(int id, int maxChars) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.limit = maxChars;
}

void FakeWindow::SetFocus(int id) {
    if (m_focus == id) return;
    const int old = m_focus;
    m_focus = id;
    if (old) m_events->OnControl(old, Notify::KillFocus);
    if (id) m_events->OnControl(id, Notify::SetFocus);
}

void FakeWindow::SetFace(int id, const Image& face) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.face = face;
}

void FakeWindow::SetItems(int id, const std::vector<std::string>& items) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.items = items;
}

void FakeWindow::SetSelection(int id, int index) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.selection = index;
}

void FakeWindow::SetProgress(int id, int percent) {
    if (auto it = m_controls.find(id); it != m_controls.end())
        it->second.progress = std::clamp(percent, 0, 100);
}

void FakeWindow::SetTextStyle(int id, const TextStyle& style) {
    if (auto it = m_controls.find(id); it != m_controls.end()) it->second.style = style;
}

int FakeWindow::GetSelection(int id) const {
    const FakeControl* c = Control(id);
    return c ? c->selection : -1;
}

void FakeWindow::SetTimer(int timerId, unsigned milliseconds) {
    if (m_destroyed) return;
    const std::uint64_t now = m_toolkit.m_clock ? m_toolkit.m_clock->NowMs() : 0;
    m_timers[timerId] = {milliseconds, now + milliseconds};
}

void FakeWindow::KillTimer(int timerId) {
    m_timers.erase(timerId);
}

std::map<int, unsigned> FakeWindow::Timers() const {
    std::map<int, unsigned> out;
    for (const auto& [id, t] : m_timers) out[id] = t.interval;
    return out;
}

void FakeWindow::FireDueTimers(std::uint64_t now) {
    for (;;) {
        // Earliest due timer first; a handler may kill or restart timers.
        auto it = std::min_element(m_timers.begin(), m_timers.end(),
                                   [](auto& a, auto& b) { return a.second.due < b.second.due; });
        if (it == m_timers.end() || it->second.due > now) return;
        const int id = it->first;
        it->second.due += std::max(1u, it->second.interval);
        m_events->OnTimer(id);
        if (m_destroyed) return;
    }
}

std::shared_ptr<IPoster> FakeWindow::Poster() {
    return m_postBox;
}

void FakeWindow::DeliverPosted() {
    for (;;) {
        unsigned message;
        {
            std::lock_guard lock(m_postBox->mutex);
            if (m_postBox->queue.empty()) return;
            message = m_postBox->queue.front();
            m_postBox->queue.pop_front();
        }
        m_events->OnPosted(message);
        if (m_destroyed) return;
    }
}

int FakeWindow::RunModal() {
    m_modalResult.reset();
    m_visible = true;
    Paint();
    if (m_toolkit.onModal)
        m_toolkit.onModal(*this);
    else
        EndModal(1);
    return m_modalResult.value_or(0);
}

void FakeWindow::EndModal(int code) {
    if (!m_modalResult) m_modalResult = code;
}

const FakeControl* FakeWindow::Control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : &it->second;
}

bool FakeWindow::Click(int id) {
    const FakeControl* c = Control(id);
    if (!c || !c->visible || !c->enabled || m_destroyed) return false;
    if (m_toolkit.Waiting() && !m_events->EndsProgram(id)) return false;
    IWindowEvents* events = m_events;
    FakeToolkit& toolkit = m_toolkit;
    const bool hotspot = c->kind == ControlKind::Hotspot;
    if (hotspot) {
        events->OnHotState(id, HotState::Hover);
        events->OnHotState(id, HotState::Pressed);
        events->OnHotState(id, HotState::Hover);
    }
    // The click may close the page and free this window; touch nothing of it after.
    events->OnControl(id, Notify::Clicked);
    toolkit.RunPending();
    return true;
}

bool FakeWindow::Type(int id, const std::string& text) {
    auto it = m_controls.find(id);
    if (it == m_controls.end() || !it->second.visible || !it->second.enabled) return false;
    if (m_toolkit.Waiting()) return false;
    SetFocus(id);
    // Real edits count characters, not the bytes of their UTF-8 form.
    std::string t = text;
    int chars = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if ((static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) continue;  // continuation byte
        if (it->second.limit > 0 && chars == it->second.limit) {
            t.resize(i);
            break;
        }
        ++chars;
    }
    it->second.text = t;
    const Notify code =
        it->second.kind == ControlKind::IpAddress ? Notify::FieldChanged : Notify::Changed;
    m_events->OnControl(id, code);
    m_toolkit.RunPending();
    return true;
}

bool FakeWindow::Select(int id, int index) {
    auto it = m_controls.find(id);
    if (it == m_controls.end() || !it->second.enabled || m_toolkit.Waiting()) return false;
    it->second.selection = index;
    m_events->OnControl(id, Notify::SelChange);
    m_toolkit.RunPending();
    return true;
}

void FakeWindow::Focus(int id) {
    if (m_toolkit.Waiting()) return;
    SetFocus(id);
    m_toolkit.RunPending();
}

void FakeWindow::SetAccessibleText(int id, const std::string& name,
                                   const std::string& description) {
    if (id == 0) {
        m_accessName = name;
        m_accessDescription = description;
    } else if (auto it = m_controls.find(id); it != m_controls.end()) {
        it->second.accessName = name;
    }
}

bool FakeWindow::PressKey(Key key) {
    // During a wait only Enter or Space on a focused hotspot that ends the program acts.
    const bool endsProgram =
        (key == Key::Enter || key == Key::Space) && m_focus != 0 && m_events->EndsProgram(m_focus);
    if (m_toolkit.Waiting() && !endsProgram) return true;  // dropped
    const bool swallowed = m_events->OnKeyDown(key);
    if (!swallowed && (key == Key::Enter || key == Key::Escape))
        EndModal(key == Key::Enter ? 1 : 2);
    return swallowed;
}

CursorShape FakeWindow::CursorOver(int id) {
    if (m_toolkit.m_waitDepth > 0) return CursorShape::Wait;
    return m_events->OnSetCursor(id);
}

FakeToolkit::FakeToolkit(TestClock* clock) : m_clock(clock) {
    if (m_clock) {
        m_clock->AddListener([this, alive = std::weak_ptr<bool>(m_alive)](std::uint64_t now) {
            if (!alive.lock() || Waiting()) return;  // held: fired once the wait ends
            for (FakeWindow* w : Windows()) w->FireDueTimers(now);
            RunPending();
        });
    }
}

FakeToolkit::~FakeToolkit() = default;

std::unique_ptr<IWindow> FakeToolkit::CreateWindow(IWindowEvents& events, const Rect& r,
                                                   const WindowStyle& style) {
    if (failCreate) return nullptr;
    auto w = std::make_unique<FakeWindow>(*this, events, r, style);
    m_windows.push_back(w.get());
    m_history.push_back(style.name);
    return w;
}

void FakeToolkit::Forget(FakeWindow* w) {
    std::erase(m_windows, w);
}

void FakeToolkit::MessageBox(const std::string& utf8Text, const std::string& caption) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back({utf8Text, caption});
}

std::vector<FakeToolkit::Message> FakeToolkit::Messages() {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<std::string> FakeToolkit::MessageTexts() {
    std::vector<std::string> out;
    for (const auto& m : Messages()) out.push_back(m.text);
    return out;
}

void FakeToolkit::ClearMessages() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}

void FakeToolkit::RunBlocking(const std::function<void()>& work) {
    ++blockingRuns;
    ++m_waitDepth;
    if (duringWait) {
        auto hook = std::move(duringWait);
        duringWait = nullptr;
        hook();
    }
    work();
    --m_waitDepth;
    if (m_waitDepth == 0 && m_clock) {
        // Timers that came due meanwhile tick once the caller's event is done.
        m_deferred.push_back([this, alive = std::weak_ptr<bool>(m_alive)] {
            if (!alive.lock()) return;
            const std::uint64_t now = m_clock->NowMs();
            for (FakeWindow* w : Windows()) w->FireDueTimers(now);
        });
    }
}

void FakeToolkit::TickWait() {
    if (!Waiting()) return;
    for (FakeWindow* w : Windows()) w->Events()->OnWaitTick();
}

std::optional<std::string> FakeToolkit::OpenFileDialog(const std::string& filter) {
    fileFilters.push_back(filter);
    if (fileAnswers.empty()) return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

void FakeToolkit::Defer(std::function<void()> task) {
    m_deferred.push_back(std::move(task));
}

int FakeToolkit::Run() {
    RunPending();
    if (onRun) onRun();
    return m_quitCode;
}

std::vector<FakeWindow*> FakeToolkit::Windows() const {
    std::vector<FakeWindow*> out;
    for (FakeWindow* w : m_windows)
        if (!w->Destroyed()) out.push_back(w);
    return out;
}

FakeWindow* FakeToolkit::Top() const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if ((*it)->IsVisible()) return *it;
    return nullptr;
}

void FakeToolkit::RunPending() {
    if (Waiting()) return;  // held until the blocking work has ended
    for (int guard = 0; guard < 10000; ++guard) {
        bool any = false;
        while (!m_deferred.empty()) {
            auto task = std::move(m_deferred.front());
            m_deferred.pop_front();
            task();
            any = true;
        }
        for (FakeWindow* w : Windows()) {
            bool has;
            {
                std::lock_guard lock(w->m_postBox->mutex);
                has = !w->m_postBox->queue.empty();
            }
            if (has) {
                w->DeliverPosted();
                any = true;
                break;  // the window list may have changed
            }
        }
        if (!any) return;
    }
}

}  // namespace zavro::test
