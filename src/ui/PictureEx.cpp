#include "ui/PictureEx.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <new>
#include <span>
#include <system_error>

#include "platform/Platform.h"
#include "ui/GifWalker.h"

namespace zavro {

namespace {

// Same bound as the pictures port; a larger logical screen is a canvas we do not make.
constexpr int kMaxSide = 8192;
constexpr std::size_t kMaxPixels = std::size_t{1} << 24;

bool WaitForExit(ManualResetEvent& event, std::uint32_t ms) {
    if (IClock* clock = Ports().clock) return clock->Wait(event, ms);
    std::unique_lock lock(event.Mutex());
    return event.Cv().wait_for(lock, std::chrono::milliseconds(ms),
                               [&] { return event.SetLocked(); });
}

std::optional<Image> Decode(const std::uint8_t* data, std::size_t size) {
    IPictures* pictures = Ports().pictures;
    if (pictures == nullptr) return std::nullopt;
    return pictures->Decode(data, size);
}

}  // namespace

CPictureEx::CPictureEx() = default;

CPictureEx::~CPictureEx() {
    Clear();
}

std::uint32_t CPictureEx::DelayMs(std::uint32_t delay) {
    // 32-bit product on purpose: "no delay" (all bits set) becomes about 49.7 days.
    return delay >= 5u ? delay * 10u : 100u;
}

void CPictureEx::Create(IWindow& window, int id, const Rect& r) {
    m_window = &window;
    m_id = id;
    window.CreateControl(id, ControlKind::Animation, r);
}

bool CPictureEx::LoadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<std::uint8_t> bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (in.bad()) return false;
    return LoadMemory(bytes.data(), bytes.size());
}

bool CPictureEx::LoadMemory(const std::uint8_t* data, std::size_t size) {
    if (OnWorker()) return false;  // the frames are in use by this very thread
    Clear();
    if (data == nullptr || size == 0) return false;
    bool ok = false;
    try {
        if (gif::HasGifSignature({data, size})) {
            m_isGif = true;
            ok = LoadGif(data, size);
        } else {
            m_still = Decode(data, size);
            // Pixels are the picture's size: no 0.01 mm round trip is needed.
            ok = m_still && PrepareCanvas(m_still->width, m_still->height);
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) Clear();
    return ok;
}

bool CPictureEx::LoadGif(const std::uint8_t* data, std::size_t size) {
    gif::Walker walker({data, size});
    if (!walker.HeaderValid()) return false;
    m_width = walker.ScreenWidth();
    m_height = walker.ScreenHeight();

    m_frameCount = walker.CountFrames();
    if (m_frameCount == 0) return false;
    if (m_frameCount == 1) {
        m_still = Decode(data, size);
        if (!m_still) return false;
        return PrepareCanvas(m_width, m_height);
    }

    for (std::size_t i = 0; i < m_frameCount; ++i) {
        auto block = walker.NextGraphicBlock();
        if (!block) break;
        auto decoded = Decode(block->gif.data(), block->gif.size());
        if (!decoded) continue;  // left out; the other frames still play
        Frame frame;
        frame.width = block->width;
        frame.height = block->height;
        frame.left = block->left;
        frame.top = block->top;
        frame.delay = block->delay;
        frame.disposal = block->disposal;
        // A decoder may give the whole logical screen with the frame drawn in it (and the
        // rest in the background colour); keep the frame's own rectangle only.
        if (decoded->width == frame.width && decoded->height == frame.height)
            frame.picture = std::move(*decoded);
        else
            frame.picture = decoded->Crop({frame.left, frame.top, frame.width, frame.height});
        m_frames.push_back(std::move(frame));
    }
    if (m_frames.empty()) return false;
    return PrepareCanvas(m_width, m_height);
}

bool CPictureEx::PrepareCanvas(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > kMaxPixels)
        return false;
    m_width = width;
    m_height = height;
    if (m_window != nullptr) {
        const Rect r = m_window->ControlRect(m_id);
        m_window->MoveControl(m_id, {r.x, r.y, width, height});
    }
    {
        std::lock_guard lock(m_mutex);
        m_background = kButtonFace;
        m_canvas = Image(width, height, kButtonFace);
        m_saved.reset();
        m_current = 0;
    }
    m_initialised = true;
    OnPaint();
    return true;
}

bool CPictureEx::Play() {
    if (!m_initialised) return false;
    if (IsAnimated()) {
        // An animation answers false, started or not: the worker draws, not Play.
        if (m_playing) return false;               // one worker per control
        if (m_worker.joinable()) m_worker.join();  // one that stopped itself
        m_workerId = std::thread::id();
        m_exitEvent.Reset();
        m_exitRequested = false;
        m_playing = true;
        try {
            m_worker = std::thread(&CPictureEx::AnimationLoop, this);
        } catch (const std::system_error&) {
            m_playing = false;
        }
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_still) {
            m_canvas.Draw(*m_still, 0, 0);
        } else if (m_frames.size() == 1) {
            // Only one frame of an animation decoded: show it where it belongs.
            const Frame& f = m_frames.front();
            m_canvas.Draw(f.picture, f.left, f.top);
        } else {
            return false;
        }
    }
    OnPaint();
    return true;
}

void CPictureEx::DisposeLocked(const Frame& frame) {
    const Rect r{frame.left, frame.top, frame.width, frame.height};
    if (frame.disposal == 2) {
        m_canvas.Fill(r, m_background);
    } else if (frame.disposal == 3 && m_saved) {
        m_canvas.Draw(*m_saved, r.x, r.y);
        m_saved.reset();
    }
}

void CPictureEx::AnimationLoop() {
    m_workerId = std::this_thread::get_id();
    {
        std::lock_guard lock(m_mutex);
        DisposeLocked(m_frames[m_current]);
    }
    while (!m_exitRequested) {
        std::uint32_t delay;
        {
            std::lock_guard lock(m_mutex);
            const Frame& f = m_frames[m_current];
            if (f.disposal == 3) m_saved = m_canvas.Crop({f.left, f.top, f.width, f.height});
            m_canvas.Draw(f.picture, f.left, f.top);
            delay = f.delay;
        }
        Invalidate();
        if (m_exitRequested) break;
        WaitForExit(m_exitEvent, DelayMs(delay));
        if (m_exitRequested) break;
        {
            std::lock_guard lock(m_mutex);
            DisposeLocked(m_frames[m_current]);
            if (++m_current >= m_frames.size()) {
                m_current = 0;
                m_canvas.Fill({0, 0, m_canvas.width, m_canvas.height}, m_background);
            }
        }
    }
    m_playing = false;
}

void CPictureEx::StopAnimation() {
    m_playing = false;
    m_exitRequested = true;
    m_exitEvent.Set();
    // From the worker itself (its invalidate handler) the request is all it can do; the
    // next Play, StopAnimation or Clear on the UI thread joins it.
    if (OnWorker()) return;
    if (m_worker.joinable()) m_worker.join();
    m_workerId = std::thread::id();
    m_exitEvent.Reset();
    m_exitRequested = false;
}

void CPictureEx::Clear() {
    StopAnimation();
    if (OnWorker()) return;  // frees nothing under the running worker's feet
    m_still.reset();
    m_frames.clear();
    m_frameCount = 0;
    m_isGif = false;
    m_initialised = false;
    m_width = 0;
    m_height = 0;
    std::lock_guard lock(m_mutex);
    m_canvas = Image();
    m_saved.reset();
    m_current = 0;
    m_background = kWhite;
}

void CPictureEx::SetInvalidateHandler(std::function<void()> handler) {
    std::lock_guard lock(m_handlerMutex);
    m_handler = std::move(handler);
}

void CPictureEx::Invalidate() {
    std::function<void()> handler;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_handler;
    }
    if (handler) handler();
}

void CPictureEx::OnPaint() {
    if (m_window == nullptr) return;
    Image face = Canvas();
    if (face.Empty()) return;
    m_window->SetFace(m_id, face);
}

void CPictureEx::Move(const Rect& r) {
    if (m_window != nullptr) m_window->MoveControl(m_id, r);
}

void CPictureEx::Show(bool visible) {
    if (m_window != nullptr) m_window->ShowControl(m_id, visible);
}

Image CPictureEx::Canvas() const {
    std::lock_guard lock(m_mutex);
    return m_canvas;
}

std::size_t CPictureEx::CurrentFrame() const {
    std::lock_guard lock(m_mutex);
    return m_current;
}

std::uint32_t CPictureEx::BackgroundColour() const {
    std::lock_guard lock(m_mutex);
    return m_background;
}

}  // namespace zavro
