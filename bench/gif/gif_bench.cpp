// Prints load time and memory of CPictureEx for a waiting-page GIF (333x95, 12 frames,
// small moving frames over a full first frame) and a 100-frame 333x95 GIF, then the CPU
// cost of playing each one with the real clock (compose + one canvas copy per frame).
//
//   zavro_gif_bench [play seconds per GIF, default 5]
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "gif_encoder.h"
#include "platform/Platform.h"
#include "platform/posix/StbPictures.h"
#include "ui/PictureEx.h"

namespace {

using namespace zavro;
using namespace zavro::test::gifenc;
using Clock = std::chrono::steady_clock;

class SteadyClock final : public IClock {
public:
    std::uint64_t NowMs() override {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
                .count());
    }
    void SleepMs(std::uint32_t ms) override {
        ManualResetEvent never;
        Wait(never, ms);
    }
    bool Wait(ManualResetEvent& event, std::uint32_t ms) override {
        std::unique_lock lock(event.Mutex());
        return event.Cv().wait_for(lock, std::chrono::milliseconds(ms),
                                   [&] { return event.SetLocked(); });
    }
};

std::vector<std::uint32_t> Palette(int n, std::uint32_t seed) {
    std::vector<std::uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back((static_cast<std::uint32_t>(i) * 0x0B0D11u + seed) & 0xFFFFFFu);
    return p;
}

// First frame: the whole strip (soft bands with some noise); then a dot of 24x24 moving
// along it, one step per frame, each over the previous (disposal 1), 100 ms apart.
std::vector<std::uint8_t> LoadingGif() {
    GifSpec g;
    g.width = 333;
    g.height = 95;
    g.palette = Palette(64, 0x203040);
    g.loopExtension = true;
    std::mt19937 rng(1);
    FrameSpec bg = Solid(0, 0, 333, 95, 0, 10, 1);
    for (int y = 0; y < 95; ++y)
        for (int x = 0; x < 333; ++x)
            bg.indices[static_cast<std::size_t>(y * 333 + x)] =
                static_cast<std::uint8_t>((x / 12 + y / 16 + (rng() % 8 == 0)) % 32);
    g.frames.push_back(bg);
    for (int i = 0; i < 11; ++i) {
        FrameSpec dot = Solid(10 + i * 28, 35, 24, 24, static_cast<std::uint8_t>(40 + i), 10, 1);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                if ((x - 12) * (x - 12) + (y - 12) * (y - 12) > 121)
                    dot.indices[static_cast<std::size_t>(y * 24 + x)] = 63;
        dot.transparent = 63;
        g.frames.push_back(dot);
    }
    return Encode(g);
}

// 100 full frames of 333x95, 256 colours, a moving pattern; 50 ms apart.
std::vector<std::uint8_t> HundredFrames() {
    GifSpec g;
    g.width = 333;
    g.height = 95;
    g.palette = Palette(256, 0x102030);
    for (int f = 0; f < 100; ++f) {
        FrameSpec fr = Solid(0, 0, 333, 95, 0, 5, 1);
        for (int y = 0; y < 95; ++y)
            for (int x = 0; x < 333; ++x)
                fr.indices[static_cast<std::size_t>(y * 333 + x)] =
                    static_cast<std::uint8_t>(((x + f * 3) / 5 * 7 + (y + f) / 3 * 13) & 0xFF);
        g.frames.push_back(fr);
    }
    return Encode(g);
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long MaxRssKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void Measure(const char* name, const std::vector<std::uint8_t>& data, int loads,
             double playSeconds) {
    // Memory first, while the peak is still this GIF's own.
    const long rssBefore = MaxRssKiB();
    std::size_t held = 0;
    {
        CPictureEx pic;
        if (!pic.LoadMemory(data.data(), data.size())) {
            std::printf("%s: load failed\n", name);
            std::exit(1);
        }
        for (const auto& f : pic.Frames()) held += f.picture.pixels.size() * 4;
        held += pic.Canvas().pixels.size() * 4;
    }
    const long rssPeak = MaxRssKiB() - rssBefore;

    std::vector<double> ms;
    std::size_t frames = 0;
    for (int i = 0; i < loads; ++i) {
        CPictureEx pic;
        const auto t0 = Clock::now();
        pic.LoadMemory(data.data(), data.size());
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        frames = pic.Frames().size();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: %zu bytes, %zu frames; load median %.2f ms (min %.2f, max %.2f, %d runs)\n",
                name, data.size(), frames, ms[ms.size() / 2], ms.front(), ms.back(), loads);
    std::printf("%s: decoded pixels held %.1f KiB; peak RSS growth while loading %ld KiB\n", name,
                static_cast<double>(held) / 1024.0, rssPeak);

    // Play: every render is followed by the copy the page's paint makes.
    CPictureEx pic;
    pic.LoadMemory(data.data(), data.size());
    std::atomic<long> renders{0};
    pic.SetInvalidateHandler([&] {
        Image face = pic.Canvas();
        if (!face.Empty()) ++renders;
    });
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    pic.Play();
    while (std::chrono::duration<double>(Clock::now() - t0).count() < playSeconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    pic.StopAnimation();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = CpuSeconds() - cpu0;
    std::printf("%s: played %.2f s, %ld frames (%.1f/s), CPU %.3f s = %.2f%% of one core\n", name,
                wall, renders.load(), static_cast<double>(renders.load()) / wall, cpu,
                100.0 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv) {
    const double playSeconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    StbPictures stb;
    SteadyClock clock;
    Ports().pictures = &stb;
    Ports().clock = &clock;
    Measure("loading.gif-like 333x95x12", LoadingGif(), 50, playSeconds);
    Measure("100-frame 333x95", HundredFrames(), 10, playSeconds);
    return 0;
}
