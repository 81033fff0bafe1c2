// CPictureEx on the real decoder and the test clock: frame timing, disposal on the canvas,
// still pictures, stop and restart, failures, and the window it draws into.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>

#include "gif_encoder.h"
#include "platform/Platform.h"
#include "platform/posix/StbPictures.h"
#include "support/TestClock.h"
#include "ui/PictureEx.h"

namespace zavro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace test::gifenc;

constexpr std::uint32_t kFace = CPictureEx::kButtonFace;
constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                        kWhite = 0xFFFFFFFF, kYellow = 0xFFFFFF00;
// Index 0 black, 1 red, 2 green, 3 blue, 4 white, 5 yellow.
const std::vector<std::uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00,
                                             0x0000FF, 0xFFFFFF, 0xFFFF00};

// Test clock that also records what each wait asked for.
class RecordingClock final : public IClock {
public:
    test::TestClock inner;
    std::uint64_t NowMs() override { return inner.NowMs(); }
    void SleepMs(std::uint32_t ms) override { inner.SleepMs(ms); }
    bool Wait(ManualResetEvent& event, std::uint32_t ms) override {
        {
            std::lock_guard lock(m_mutex);
            m_waits.push_back(ms);
        }
        return inner.Wait(event, ms);
    }
    std::vector<std::uint32_t> Waits() {
        std::lock_guard lock(m_mutex);
        return m_waits;
    }

private:
    std::mutex m_mutex;
    std::vector<std::uint32_t> m_waits;
};

// Window double: records what the control asks of its window.
class FakeWindow final : public IWindow {
public:
    std::map<int, Rect> rects;
    std::map<int, ControlKind> kinds;
    std::map<int, bool> visible;
    std::map<int, Image> faces;
    int faceCalls = 0;

    void SetBackground(const Image&) override {}
    Rect Geometry() const override { return {}; }
    void SetGeometry(const Rect&) override {}
    Rect WorkArea() const override { return {0, 0, 1024, 768}; }
    void Show(bool) override {}
    bool IsVisible() const override { return true; }
    void Invalidate() override {}
    void Destroy() override {}
    void CreateControl(int id, ControlKind kind, const Rect& r) override {
        kinds[id] = kind;
        rects[id] = r;
        visible[id] = true;
    }
    void MoveControl(int id, const Rect& r) override { rects[id] = r; }
    Rect ControlRect(int id) const override { return rects.at(id); }
    void ShowControl(int id, bool v) override { visible[id] = v; }
    bool IsControlVisible(int id) const override { return visible.at(id); }
    void EnableControl(int, bool) override {}
    bool IsControlEnabled(int) const override { return true; }
    void SetText(int, const std::string&) override {}
    std::string GetText(int) const override { return {}; }
    void SetLimit(int, int) override {}
    void SetFocus(int) override {}
    void SetFace(int id, const Image& face) override {
        faces[id] = face;
        ++faceCalls;
    }
    void SetItems(int, const std::vector<std::string>&) override {}
    void SetSelection(int, int) override {}
    int GetSelection(int) const override { return -1; }
    void SetProgress(int, int) override {}
    void SetTextStyle(int, const TextStyle&) override {}
    void SetTabOrder(const std::vector<int>&) override {}
    int FocusedControl() const override { return 0; }
    void SetAccessibleText(int, const std::string&, const std::string&) override {}
    void SetAccessibleCheck(int, int) override {}
    void SetTimer(int, unsigned) override {}
    void KillTimer(int) override {}
    std::shared_ptr<IPoster> Poster() override { return nullptr; }
    int RunModal() override { return 0; }
    void EndModal(int) override {}
    void SetIcon(const Image&) override {}
};

// Counts worker renders so a test knows when a frame is on the canvas.
class RenderCounter {
public:
    void operator()() {
        {
            std::lock_guard lock(m_mutex);
            ++m_count;
        }
        m_cv.notify_all();
    }
    bool WaitFor(int n) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_count >= n; });
    }
    int Count() {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_count = 0;
};

class GifPicture : public testing::Test {
protected:
    void SetUp() override {
        m_saved = Ports();
        Ports().pictures = &m_stb;
        Ports().clock = &m_clock;
        m_pic.SetInvalidateHandler([this] { m_renders(); });
    }
    void TearDown() override {
        m_pic.Clear();
        Ports() = m_saved;
    }

    bool Load(const Bytes& data) { return m_pic.LoadMemory(data.data(), data.size()); }
    bool Load(const GifSpec& spec) { return Load(Encode(spec)); }
    // Plays and waits until frame 0 is drawn and the worker waits on its delay.
    void Start() {
        ASSERT_FALSE(m_pic.Play());  // an animation answers false once its worker runs
        ASSERT_TRUE(m_pic.IsPlaying());
        ASSERT_TRUE(m_renders.WaitFor(1));
        ASSERT_TRUE(m_clock.inner.WaitForBlocked(1));
    }
    // Lets virtual time run for ms and waits for the next frame to be drawn.
    void Step(std::uint32_t ms) {
        const int before = m_renders.Count();
        m_clock.inner.Advance(ms);
        ASSERT_TRUE(m_renders.WaitFor(before + 1));
        ASSERT_TRUE(m_clock.inner.WaitForBlocked(1));
    }
    std::uint32_t Px(int x, int y) { return m_pic.Canvas().At(x, y); }

    Platform m_saved;
    StbPictures m_stb;
    RecordingClock m_clock;
    RenderCounter m_renders;
    CPictureEx m_pic;
};

GifSpec Spec(int w, int h, std::vector<FrameSpec> frames) {
    GifSpec g;
    g.width = w;
    g.height = h;
    g.palette = kPalette;
    g.frames = std::move(frames);
    return g;
}

TEST(GifPictureDelay, HundredthsToMilliseconds) {
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {0, 100},
        {1, 100},
        {4, 100},
        {5, 50},
        {6, 60},
        {10, 100},
        {65535, 655350},
        {0xFFFFFFFFu, 0xFFFFFFF6u},  // no graphic control: 2^32 - 10 ms, until stopped
    };
    for (auto [delay, ms] : cases) EXPECT_EQ(CPictureEx::DelayMs(delay), ms) << delay;
}

TEST_F(GifPicture, FrameDelaysAsTheWorkerWaitsThem) {
    const std::uint16_t delays[] = {0, 1, 2, 3, 4, 5, 10};
    const std::uint32_t expected[] = {100, 100, 100, 100, 100, 50, 100};
    std::vector<FrameSpec> frames;
    for (std::uint16_t d : delays) frames.push_back(Solid(0, 0, 2, 2, 1 + d % 5, d));
    ASSERT_TRUE(Load(Encode(Spec(2, 2, frames))));
    ASSERT_EQ(m_pic.Frames().size(), 7u);
    Start();
    for (std::size_t i = 0; i < 7; ++i) {
        ASSERT_EQ(m_clock.Waits().size(), i + 1);
        EXPECT_EQ(m_clock.Waits()[i], expected[i]) << "frame " << i;
        // One millisecond short of the delay the frame stays; the last millisecond moves on.
        m_clock.inner.Advance(expected[i] - 1);
        EXPECT_EQ(m_pic.CurrentFrame(), i);
        Step(1);
        EXPECT_EQ(m_pic.CurrentFrame(), (i + 1) % 7);
    }
    EXPECT_EQ(m_clock.inner.NowMs(), 650u);
}

TEST_F(GifPicture, CommentBetweenControlAndImage) {
    FrameSpec first = Solid(1, 1, 2, 2, 2, 7, 2);
    first.commentAfterControl = "made for the waiting page";
    GifSpec g = Spec(4, 4, {first, Solid(0, 0, 4, 4, 3, 20, 1)});
    g.leadingComment = "header comment";
    ASSERT_TRUE(Load(Encode(g)));
    ASSERT_EQ(m_pic.FrameCount(), 2u);
    ASSERT_EQ(m_pic.Frames().size(), 2u);
    const auto& f = m_pic.Frames()[0];
    EXPECT_EQ(f.delay, 7u);
    EXPECT_EQ(f.disposal, 2u);
    EXPECT_EQ((Rect{f.left, f.top, f.width, f.height}), (Rect{1, 1, 2, 2}));
    Start();
    EXPECT_EQ(m_clock.Waits().front(), 70u);
    EXPECT_EQ(Px(1, 1), kGreen);
    EXPECT_EQ(Px(2, 2), kGreen);
    EXPECT_EQ(Px(0, 0), kFace);
}

// Frame 0 (disposal 1) red over rows 0..5; frame 1 (disposal 2) green 3x3 at (2,2);
// frame 2 (disposal 3) blue 2x2 at (4,4); frame 3 (disposal 0) white 2x1 at (0,7).
// The background index is 3: the decoder paints the rest of each frame GIF blue, which
// must not reach the canvas.
GifSpec DisposalGif() {
    GifSpec g = Spec(8, 8,
                     {Solid(0, 0, 8, 6, 1, 10, 1), Solid(2, 2, 3, 3, 2, 10, 2),
                      Solid(4, 4, 2, 2, 3, 10, 3), Solid(0, 7, 2, 1, 4, 10, 0)});
    g.background = 3;
    return g;
}

TEST_F(GifPicture, DisposalsOnTheCanvas) {
    ASSERT_TRUE(Load(DisposalGif()));
    EXPECT_EQ(m_pic.Canvas().pixels, std::vector<std::uint32_t>(64, kFace));  // before play
    Start();
    EXPECT_EQ(Px(0, 0), kRed);
    EXPECT_EQ(Px(7, 5), kRed);
    EXPECT_EQ(Px(0, 6), kFace);
    EXPECT_EQ(Px(7, 7), kFace);

    Step(100);  // disposal 1 leaves frame 0; frame 1 over it
    EXPECT_EQ(Px(0, 0), kRed);
    EXPECT_EQ(Px(2, 2), kGreen);
    EXPECT_EQ(Px(4, 4), kGreen);
    EXPECT_EQ(Px(5, 5), kRed);

    Step(100);  // disposal 2 gives frame 1's rectangle the button face; frame 2 drawn
    EXPECT_EQ(Px(2, 2), kFace);
    EXPECT_EQ(Px(3, 3), kFace);
    EXPECT_EQ(Px(1, 1), kRed);
    EXPECT_EQ(Px(4, 4), kBlue);
    EXPECT_EQ(Px(5, 5), kBlue);

    Step(100);                   // disposal 3 puts back what was under frame 2; frame 3 drawn
    EXPECT_EQ(Px(4, 4), kFace);  // left there by frame 1's disposal
    EXPECT_EQ(Px(5, 4), kRed);
    EXPECT_EQ(Px(5, 5), kRed);
    EXPECT_EQ(Px(0, 7), kWhite);
    EXPECT_EQ(Px(1, 7), kWhite);
    EXPECT_EQ(Px(2, 7), kFace);
}

TEST_F(GifPicture, WholeCanvasClearedBeforeFrameZeroAgain) {
    ASSERT_TRUE(Load(DisposalGif()));
    Start();
    for (int i = 0; i < 3; ++i) Step(100);
    ASSERT_EQ(Px(0, 7), kWhite);
    ASSERT_EQ(Px(3, 3), kFace);
    Step(100);  // after the last frame: clear, then frame 0
    EXPECT_EQ(m_pic.CurrentFrame(), 0u);
    EXPECT_EQ(Px(0, 7), kFace);  // frame 3 (disposal 0) wiped by the clear
    EXPECT_EQ(Px(3, 3), kRed);
    Image expected(8, 8, kFace);
    expected.Fill({0, 0, 8, 6}, kRed);
    EXPECT_EQ(m_pic.Canvas().pixels, expected.pixels);
}

TEST_F(GifPicture, TransparentPixelsLeaveTheCanvas) {
    FrameSpec hole = Solid(0, 0, 3, 1, 2, 10, 1);
    hole.indices = {2, 0, 2};
    hole.transparent = 0;
    ASSERT_TRUE(Load(Encode(Spec(3, 1, {Solid(0, 0, 3, 1, 1, 10, 1), hole}))));
    Start();
    Step(100);
    EXPECT_EQ(Px(0, 0), kGreen);
    EXPECT_EQ(Px(1, 0), kRed);
    EXPECT_EQ(Px(2, 0), kGreen);
}

TEST_F(GifPicture, SingleFrameIsStillWithoutWorker) {
    ASSERT_TRUE(Load(Encode(Spec(3, 2, {Solid(0, 0, 3, 2, 5)}))));
    EXPECT_EQ(m_pic.FrameCount(), 1u);
    EXPECT_TRUE(m_pic.Frames().empty());
    EXPECT_TRUE(m_pic.Play());
    EXPECT_FALSE(m_pic.IsPlaying());
    EXPECT_EQ(m_pic.Canvas().pixels, std::vector<std::uint32_t>(6, kYellow));
    EXPECT_EQ(m_clock.inner.Blocked(), 0u);
    EXPECT_TRUE(m_clock.Waits().empty());
    EXPECT_EQ(m_renders.Count(), 0);
}

TEST_F(GifPicture, StopDuringEndlessDelayReturnsAtOnce) {
    FrameSpec forever = Solid(0, 0, 2, 2, 1);
    forever.control = false;
    ASSERT_TRUE(Load(Encode(Spec(2, 2, {forever, Solid(0, 0, 2, 2, 2)}))));
    EXPECT_EQ(m_pic.Frames()[0].delay, 0xFFFFFFFFu);
    Start();
    EXPECT_EQ(m_clock.Waits(), std::vector<std::uint32_t>{0xFFFFFFF6u});
    EXPECT_TRUE(m_pic.IsPlaying());
    m_pic.StopAnimation();
    EXPECT_FALSE(m_pic.IsPlaying());
    EXPECT_EQ(m_clock.inner.NowMs(), 0u);  // no virtual time had to pass
    EXPECT_EQ(m_clock.inner.Blocked(), 0u);
    EXPECT_EQ(m_pic.CurrentFrame(), 0u);
}

TEST_F(GifPicture, PlayAfterStopContinuesFromTheCurrentFrame) {
    // Frame 1 restores what was under it (disposal 3): after the restart too.
    ASSERT_TRUE(Load(Encode(
        Spec(2, 1, {Solid(0, 0, 2, 1, 1), Solid(0, 0, 1, 1, 2, 10, 3), Solid(1, 0, 1, 1, 3)}))));
    Start();
    Step(100);
    ASSERT_EQ(m_pic.CurrentFrame(), 1u);
    m_pic.StopAnimation();
    EXPECT_EQ(m_pic.CurrentFrame(), 1u);
    EXPECT_EQ(Px(0, 0), kGreen);

    ASSERT_FALSE(m_pic.Play());
    ASSERT_TRUE(m_renders.WaitFor(3));
    ASSERT_TRUE(m_clock.inner.WaitForBlocked(1));
    EXPECT_EQ(m_pic.CurrentFrame(), 1u);
    EXPECT_EQ(Px(0, 0), kGreen);  // area put back, then frame 1 drawn again over it
    EXPECT_EQ(Px(1, 0), kRed);
    Step(100);
    EXPECT_EQ(m_pic.CurrentFrame(), 2u);
    EXPECT_EQ(Px(0, 0), kRed);  // not the green frame 1 saved over itself
    EXPECT_EQ(Px(1, 0), kBlue);
}

TEST_F(GifPicture, SecondPlayKeepsOneWorker) {
    ASSERT_TRUE(Load(Encode(Spec(1, 1, {Solid(0, 0, 1, 1, 1), Solid(0, 0, 1, 1, 2)}))));
    Start();
    EXPECT_FALSE(m_pic.Play());
    Step(100);
    EXPECT_EQ(m_clock.inner.Blocked(), 1u);
    m_pic.StopAnimation();
    EXPECT_FALSE(m_pic.IsPlaying());
}

TEST_F(GifPicture, FramesThatFailToDecodeAreLeftOut) {
    // Frame 1 reaches past the logical screen: the decoder refuses it.
    ASSERT_TRUE(Load(
        Encode(Spec(4, 1, {Solid(0, 0, 4, 1, 1), Solid(2, 0, 4, 1, 2), Solid(0, 0, 4, 1, 3)}))));
    EXPECT_EQ(m_pic.FrameCount(), 3u);
    ASSERT_EQ(m_pic.Frames().size(), 2u);
    Start();
    EXPECT_EQ(Px(0, 0), kRed);
    Step(100);
    EXPECT_EQ(Px(0, 0), kBlue);
    Step(100);
    EXPECT_EQ(Px(0, 0), kRed);

    // None decodes: nothing to play.
    EXPECT_FALSE(Load(Encode(Spec(2, 1, {Solid(1, 0, 2, 1, 1), Solid(0, 0, 3, 1, 2)}))));
    EXPECT_FALSE(m_pic.Play());
}

TEST_F(GifPicture, OneSurvivingFrameShowsStill) {
    ASSERT_TRUE(Load(Encode(Spec(3, 1, {Solid(2, 0, 2, 1, 1), Solid(1, 0, 1, 1, 2)}))));
    ASSERT_EQ(m_pic.Frames().size(), 1u);
    EXPECT_TRUE(m_pic.Play());
    EXPECT_FALSE(m_pic.IsPlaying());
    EXPECT_EQ(m_pic.Canvas().pixels, (std::vector<std::uint32_t>{kFace, kGreen, kFace}));
}

TEST_F(GifPicture, ChainPastTheEndIsRejected) {
    const Bytes one = Encode(Spec(4, 4, {Solid(0, 0, 4, 4, 1)}));
    const Bytes three =
        Encode(Spec(4, 4, {Solid(0, 0, 4, 4, 1), Solid(0, 0, 2, 2, 2), Solid(0, 0, 4, 4, 3)}));
    // Exactly-sized copies: a read past the end is a sanitizer error.
    for (std::size_t cut : {2, 3, 5}) {
        Bytes data(one.begin(), one.end() - static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(Load(data)) << cut;
        EXPECT_FALSE(m_pic.Play());
    }
    // Header, 8-entry table, graphic control, descriptor, code size: then the only
    // sub-block's size byte, which now claims more than there is.
    const std::size_t sizeByte = 13 + 24 + 8 + 10 + 1;
    ASSERT_EQ(sizeByte + 1 + one[sizeByte] + 2, one.size());
    Bytes lying = one;
    lying[sizeByte] = 0xF0;
    EXPECT_FALSE(Load(lying));
    // A cut inside the last frame leaves that frame out.
    Bytes cutLast(three.begin(), three.end() - 3);
    ASSERT_TRUE(Load(cutLast));
    EXPECT_EQ(m_pic.FrameCount(), 2u);
}

TEST_F(GifPicture, MalformedInputFails) {
    Bytes noFrames = Encode(Spec(4, 4, {}));
    Bytes zeroScreen = Encode(Spec(0, 0, {Solid(0, 0, 0, 0, 1), Solid(0, 0, 0, 0, 1)}));
    Bytes header = {'G', 'I', 'F', '8', '9', 'a', 4, 0};
    const Bytes garbage = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (const Bytes* b :
         std::initializer_list<const Bytes*>{&noFrames, &zeroScreen, &header, &garbage}) {
        EXPECT_FALSE(Load(*b));
        EXPECT_FALSE(m_pic.Play());
    }
    EXPECT_FALSE(m_pic.LoadMemory(nullptr, 0));
    EXPECT_FALSE(m_pic.LoadFile("/nonexistent/zavro/loading.gif"));
    Ports().pictures = nullptr;
    EXPECT_FALSE(Load(Encode(Spec(1, 1, {Solid(0, 0, 1, 1, 1)}))));
}

TEST_F(GifPicture, ClearReturnsToEmpty) {
    ASSERT_TRUE(Load(DisposalGif()));
    Start();
    Step(100);
    m_pic.Clear();
    EXPECT_FALSE(m_pic.IsPlaying());
    EXPECT_EQ(m_pic.FrameCount(), 0u);
    EXPECT_TRUE(m_pic.Frames().empty());
    EXPECT_TRUE(m_pic.Canvas().Empty());
    EXPECT_EQ(m_pic.CurrentFrame(), 0u);
    EXPECT_EQ(m_pic.BackgroundColour(), CPictureEx::kWhite);
    EXPECT_FALSE(m_pic.Play());
    EXPECT_EQ(m_clock.inner.Blocked(), 0u);
    // Loads again from scratch.
    ASSERT_TRUE(Load(DisposalGif()));
    EXPECT_EQ(m_pic.BackgroundColour(), kFace);
    Start();
    EXPECT_EQ(m_pic.CurrentFrame(), 0u);
}

TEST_F(GifPicture, DestructionStopsThePlayingWorker) {
    auto pic = std::make_unique<CPictureEx>();
    const Bytes data = Encode(DisposalGif());
    ASSERT_TRUE(pic->LoadMemory(data.data(), data.size()));
    pic->SetInvalidateHandler([this] { m_renders(); });
    ASSERT_FALSE(pic->Play());
    ASSERT_TRUE(m_renders.WaitFor(1));
    ASSERT_TRUE(m_clock.inner.WaitForBlocked(1));
    pic.reset();
    EXPECT_EQ(m_clock.inner.Blocked(), 0u);
}

TEST_F(GifPicture, StopFromTheInvalidateHandler) {
    ASSERT_TRUE(Load(DisposalGif()));
    const Bytes other = Encode(Spec(1, 1, {Solid(0, 0, 1, 1, 1), Solid(0, 0, 1, 1, 2)}));
    std::atomic<bool> reloaded{true};
    m_pic.SetInvalidateHandler([&] {
        m_pic.StopAnimation();
        m_pic.Clear();  // on the worker: only a stop request, the frames stay
        reloaded = m_pic.LoadMemory(other.data(), other.size());
        m_renders();
    });
    ASSERT_FALSE(m_pic.Play());
    ASSERT_TRUE(m_renders.WaitFor(1));
    m_pic.StopAnimation();  // joins the worker that asked to stop itself
    EXPECT_FALSE(m_pic.IsPlaying());
    EXPECT_FALSE(reloaded);
    EXPECT_TRUE(m_clock.Waits().empty());
    EXPECT_EQ(m_pic.Frames().size(), 4u);
    EXPECT_EQ(Px(0, 0), kRed);
    m_pic.Clear();  // on the UI thread it does clear
    EXPECT_TRUE(m_pic.Frames().empty());
}

// --- still pictures in other formats -------------------------------------------------

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0xFFFFFFFFu) {
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void Be32(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

// RGBA PNG with stored (uncompressed) deflate blocks.
Bytes Png(const Image& img) {
    Bytes raw;
    for (int y = 0; y < img.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < img.width; ++x) {
            const std::uint32_t p = img.At(x, y);
            raw.insert(raw.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p),
                                   std::uint8_t(p >> 24)});
        }
    }
    Bytes z = {0x78, 0x01};
    for (std::size_t i = 0; i < raw.size() || i == 0; i += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - i);
        z.push_back(i + n >= raw.size() ? 1 : 0);
        z.insert(z.end(),
                 {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n), std::uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(i),
                 raw.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Be32(z, (b << 16) | a);

    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const Bytes& data) {
        Be32(out, static_cast<std::uint32_t>(data.size()));
        const std::size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        Be32(out, ~Crc32(out.data() + start, out.size() - start));
    };
    Bytes ihdr;
    Be32(ihdr, static_cast<std::uint32_t>(img.width));
    Be32(ihdr, static_cast<std::uint32_t>(img.height));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    return out;
}

// 24-bit bottom-up BMP.
Bytes Bmp(const Image& img) {
    const std::uint32_t row = static_cast<std::uint32_t>((img.width * 3 + 3) & ~3);
    const std::uint32_t size = 54 + row * static_cast<std::uint32_t>(img.height);
    Bytes out = {'B', 'M'};
    auto le32 = [&](std::uint32_t v) {
        for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(v >> s));
    };
    le32(size);
    le32(0);
    le32(54);
    le32(40);
    le32(static_cast<std::uint32_t>(img.width));
    le32(static_cast<std::uint32_t>(img.height));
    le32(1 | (24 << 16));
    le32(0);
    le32(row * static_cast<std::uint32_t>(img.height));
    le32(2835);
    le32(2835);
    le32(0);
    le32(0);
    for (int y = img.height - 1; y >= 0; --y) {
        std::size_t written = 0;
        for (int x = 0; x < img.width; ++x, written += 3) {
            const std::uint32_t p = img.At(x, y);
            out.insert(out.end(), {std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16)});
        }
        out.resize(out.size() + (row - written), 0);
    }
    return out;
}

// Baseline grey JPEG, 16x8: two blocks with only a DC term, the first at level 200 and
// the second with a zero difference (the same level).
Bytes GreyJpeg() {
    Bytes j = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
    j.insert(j.end(), 64, 1);
    j.insert(j.end(), {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 16, 1, 1, 0x11, 0});
    auto table = [&](std::uint8_t cls, std::size_t bitsOfLength, Bytes values) {
        const std::size_t len = 2 + 1 + 16 + values.size();
        j.insert(j.end(), {0xFF, 0xC4, std::uint8_t(len >> 8), std::uint8_t(len), cls});
        for (std::size_t l = 1; l <= 16; ++l)
            j.push_back(l == bitsOfLength ? std::uint8_t(values.size()) : 0);
        j.insert(j.end(), values.begin(), values.end());
    };
    table(0x00, 2, {0, 10});  // DC: 00 -> category 0, 01 -> category 10
    table(0x10, 1, {0x00});   // AC: 0 -> end of block
    j.insert(j.end(), {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0x00, 0, 63, 0});
    // 01 1001000000 0 | 00 0: DC +576 (= (200 - 128) * 8), EOB; DC +0, EOB.
    j.insert(j.end(), {0x64, 0x00, 0xFF, 0xD9});
    return j;
}

TEST_F(GifPicture, OtherFormatsShowStillAtTheirPixelSize) {
    FakeWindow window;
    m_pic.Create(window, 1057, {234, 251, 333, 95});
    Image art(5, 3, kBlue);
    art.At(0, 0) = kRed;
    art.At(4, 2) = kGreen;
    Image translucent = art;
    translucent.At(1, 1) = 0x00123456;  // fully transparent: the button face shows

    struct Case {
        const char* name;
        Bytes bytes;
        Image expected;
    };
    Image seeThrough = art;
    seeThrough.At(1, 1) = kFace;
    const Case cases[] = {{"png", Png(translucent), seeThrough}, {"bmp", Bmp(art), art}};
    for (const Case& c : cases) {
        ASSERT_TRUE(Load(c.bytes)) << c.name;
        EXPECT_EQ(m_pic.FrameCount(), 0u);
        EXPECT_EQ(window.rects[1057], (Rect{234, 251, 5, 3})) << c.name;
        EXPECT_TRUE(m_pic.Play()) << c.name;
        EXPECT_FALSE(m_pic.IsPlaying());
        EXPECT_EQ(m_pic.Canvas().pixels, c.expected.pixels) << c.name;
        EXPECT_EQ(window.faces[1057].pixels, c.expected.pixels) << c.name;
    }

    ASSERT_TRUE(Load(GreyJpeg()));
    EXPECT_EQ(window.rects[1057], (Rect{234, 251, 16, 8}));
    ASSERT_TRUE(m_pic.Play());
    for (std::uint32_t p : m_pic.Canvas().pixels) {
        const int grey = static_cast<int>(p & 0xFF);
        EXPECT_NEAR(grey, 200, 1);
        EXPECT_EQ(p >> 8 & 0xFFFF, (p & 0xFF) * 0x101u);
    }
    EXPECT_EQ(m_clock.inner.Blocked(), 0u);
}

TEST_F(GifPicture, DrivesItsWindowControl) {
    FakeWindow window;
    m_pic.Create(window, 1057, {234, 251, 333, 95});
    EXPECT_EQ(window.kinds.at(1057), ControlKind::Animation);
    m_pic.Show(false);
    EXPECT_FALSE(window.visible.at(1057));
    m_pic.Move({10, 20, 333, 95});
    EXPECT_EQ(window.rects.at(1057), (Rect{10, 20, 333, 95}));

    ASSERT_TRUE(Load(DisposalGif()));
    EXPECT_EQ(window.rects.at(1057), (Rect{10, 20, 8, 8}));  // picture size, same place
    EXPECT_EQ(window.faces.at(1057).pixels, std::vector<std::uint32_t>(64, kFace));
    const int calls = window.faceCalls;
    Start();
    EXPECT_EQ(window.faceCalls, calls);  // the worker leaves the window alone
    m_pic.OnPaint();
    EXPECT_EQ(window.faces.at(1057).At(0, 0), kRed);
    m_pic.StopAnimation();
    m_pic.Clear();
    m_pic.OnPaint();
    EXPECT_EQ(window.faceCalls, calls + 1);
}

TEST_F(GifPicture, LoadFileReadsTheWholeFile) {
    const std::string path = testing::TempDir() + "gif_picture_loading.gif";
    const Bytes data = Encode(DisposalGif());
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
    }
    ASSERT_TRUE(m_pic.LoadFile(path));
    EXPECT_EQ(m_pic.Frames().size(), 4u);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace zavro
