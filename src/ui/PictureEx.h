// Picture control that shows a still picture or plays an animated GIF on a worker thread.
//
// The GIF is split into its frames by gif::Walker; each frame goes to the pictures port
// as a stand-alone GIF and is decoded once, at load time. Playing composes the frames on
// an in-memory canvas with the GIF disposal rules. The worker never touches the window:
// it calls the invalidate handler, and the page calls OnPaint on the UI thread, which
// hands a copy of the canvas to the window.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Image.h"
#include "platform/System.h"
#include "platform/Ui.h"

namespace zavro {

class CPictureEx {
public:
    struct Frame {
        Image picture;  // the frame's own pixels, width x height
        int width = 0;
        int height = 0;
        int left = 0;
        int top = 0;
        std::uint32_t delay = 0;     // hundredths of a second; all bits set: none given
        std::uint32_t disposal = 0;  // 0..7 as in the graphic control extension
    };

    // Canvas colour before the first frame, for disposal 2 and after the last frame.
    static constexpr std::uint32_t kButtonFace = 0xFFF0F0F0u;
    // Colour of a control that holds nothing.
    static constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

    CPictureEx();
    ~CPictureEx();
    CPictureEx(const CPictureEx&) = delete;
    CPictureEx& operator=(const CPictureEx&) = delete;

    void Create(IWindow& window, int id, const Rect& r);
    bool LoadFile(const std::string& path);
    bool LoadMemory(const std::uint8_t* data, std::size_t size);
    // Starts the animation, or draws the still picture.
    bool Play();
    void StopAnimation();
    void Clear();

    // Called from the worker after each render. It must not wait for the UI thread; from
    // it, StopAnimation and Clear only ask the worker to stop, LoadMemory refuses.
    void SetInvalidateHandler(std::function<void()> handler);
    // UI thread: gives the window a copy of the canvas.
    void OnPaint();
    void Move(const Rect& r);
    void Show(bool visible);

    bool IsPlaying() const { return m_playing.load(); }
    // Graphic blocks found in a GIF (1 for a still GIF); 0 for other formats.
    std::size_t FrameCount() const { return m_frameCount; }
    Image Canvas() const;
    // Frames that decoded; empty unless an animated GIF is loaded.
    const std::vector<Frame>& Frames() const { return m_frames; }
    // Index of the frame drawn next (or being shown during its delay).
    std::size_t CurrentFrame() const;
    std::uint32_t BackgroundColour() const;

    // Wait before the next frame, in milliseconds, for a delay in hundredths.
    static std::uint32_t DelayMs(std::uint32_t delay);

private:
    bool LoadGif(const std::uint8_t* data, std::size_t size);
    bool PrepareCanvas(int width, int height);
    void AnimationLoop();
    void DisposeLocked(const Frame& frame);
    void Invalidate();
    bool IsAnimated() const { return m_isGif && m_frames.size() > 1; }
    bool OnWorker() const { return m_workerId.load() == std::this_thread::get_id(); }

    IWindow* m_window = nullptr;  // not owned; the page outlives its controls
    int m_id = 0;

    bool m_isGif = false;
    bool m_initialised = false;
    int m_width = 0;
    int m_height = 0;
    std::size_t m_frameCount = 0;
    std::optional<Image> m_still;
    // Changed only while no worker runs; the worker reads it.
    std::vector<Frame> m_frames;

    // Guards the canvas, the saved area, the current frame and the background colour.
    mutable std::mutex m_mutex;
    Image m_canvas;
    std::optional<Image> m_saved;
    std::size_t m_current = 0;
    std::uint32_t m_background = kWhite;

    std::mutex m_handlerMutex;
    std::function<void()> m_handler;

    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_exitRequested{false};
    ManualResetEvent m_exitEvent;
    std::thread m_worker;
    // Set by the worker itself, so that it can be recognised without touching m_worker.
    std::atomic<std::thread::id> m_workerId{};
};

}  // namespace zavro
