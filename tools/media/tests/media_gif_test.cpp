// The GIF writer and its LZW encoder, checked by decoding with stb_image (an independent
// decoder) and by walking the block structure; then the medium's loading.gif itself.
// stb's multi-frame loader is only given keep-disposal animations: with a restore-previous
// frame from the third frame on it reads before its own buffer.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <stdexcept>

#include "Gif.h"
#include "MediaTestSupport.h"
#include "platform/posix/StbPictures.h"
#include "stb_image.h"

namespace zavro::media {
namespace {

struct Decoded {
    int width = 0, height = 0, frames = 0;
    std::vector<std::uint8_t> rgba;  // frames * height * width * 4, composited
};

std::optional<Decoded> DecodeAll(const std::vector<std::uint8_t>& gif) {
    Decoded d;
    int* delays = nullptr;
    int comp = 0;
    stbi_uc* px = stbi_load_gif_from_memory(gif.data(), static_cast<int>(gif.size()), &delays,
                                            &d.width, &d.height, &d.frames, &comp, 4);
    if (px == nullptr) return std::nullopt;
    d.rgba.assign(px, px + static_cast<std::size_t>(d.frames) * d.width * d.height * 4);
    stbi_image_free(px);
    stbi_image_free(delays);
    return d;
}

std::vector<std::uint32_t> Palette(int size) {
    std::vector<std::uint32_t> pal;
    for (int i = 0; i < size; ++i) {
        pal.push_back(static_cast<std::uint32_t>(((i * 37) & 0xFF) << 16 | ((i * 91) & 0xFF) << 8 |
                                                 ((255 - i) & 0xFF)));
    }
    return pal;
}

std::uint32_t RgbAt(const Decoded& d, int frame, int x, int y) {
    const std::size_t i = ((static_cast<std::size_t>(frame) * d.height + y) * d.width + x) * 4;
    return static_cast<std::uint32_t>(d.rgba[i] << 16 | d.rgba[i + 1] << 8 | d.rgba[i + 2]);
}

// Each case stresses another part of the encoder: tiny code sizes, long runs that grow
// long strings, and noise that fills the 4096-entry table and forces clear codes.
TEST(MediaGif, LzwRoundTripsThroughAnIndependentDecoder) {
    struct Case {
        const char* name;
        int width, height, paletteSize;
        int pattern;  // 0 constant, 1 gradient, 2 noise
    };
    const Case cases[] = {
        {"one pixel", 1, 1, 2, 0},       {"two colours", 17, 3, 2, 1},
        {"four colours", 33, 9, 4, 1},   {"long run", 200, 150, 16, 0},
        {"noise 4", 211, 190, 4, 2},     {"noise 256", 300, 200, 256, 2},
        {"gradient 64", 333, 95, 64, 1},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        GifAnimation gif;
        gif.width = c.width;
        gif.height = c.height;
        gif.palette = Palette(c.paletteSize);
        gif.loop = false;
        GifFrame f;
        f.width = c.width;
        f.height = c.height;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                int v = c.pattern == 0   ? c.paletteSize - 1
                        : c.pattern == 1 ? (x + 3 * y) % c.paletteSize
                                         : static_cast<int>(rng() % c.paletteSize);
                f.indices.push_back(static_cast<std::uint8_t>(v));
            }
        }
        gif.frames.push_back(f);
        const auto bytes = EncodeGif(gif);
        const auto d = DecodeAll(bytes);
        ASSERT_TRUE(d) << c.name << ": " << stbi_failure_reason();
        ASSERT_EQ(d->frames, 1) << c.name;
        ASSERT_EQ(d->width, c.width) << c.name;
        ASSERT_EQ(d->height, c.height) << c.name;
        int wrong = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const auto want = gif.palette[f.indices[static_cast<std::size_t>(y) * c.width + x]];
                wrong += RgbAt(*d, 0, x, y) != want;
            }
        }
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

TEST(MediaGif, NoiseNeedsClearCodesAndStillEndsWithEndCode) {
    // 8-bit noise fills the table after a few thousand codes: the stream must hold more
    // clear codes than the leading one, and end with the end-of-information code.
    std::mt19937 rng(3);
    std::vector<std::uint8_t> px(40000);
    for (auto& v : px) v = static_cast<std::uint8_t>(rng());
    const auto stream = LzwEncode(px, 8);
    // Walk the codes with the decoder's width rules and count clears.
    std::size_t bit = 0;
    auto read = [&](int width) {
        unsigned v = 0;
        for (int i = 0; i < width; ++i, ++bit) {
            v |= ((stream[bit / 8] >> (bit % 8)) & 1u) << i;
        }
        return v;
    };
    int width = 9, clears = 0;
    unsigned avail = 258;
    bool first = true, ended = false;
    while ((bit + width) <= stream.size() * 8) {
        const unsigned code = read(width);
        if (code == 256) {
            ++clears, width = 9, avail = 258, first = true;
            continue;
        }
        if (code == 257) {
            ended = true;
            break;
        }
        if (!first && avail < 4096) ++avail;
        first = false;
        if (avail == (1u << width) && width < 12) ++width;
    }
    EXPECT_TRUE(ended);
    EXPECT_GT(clears, 1);
    EXPECT_LE(stream.size() * 8 - bit, 7u);  // only padding after the end code
}

TEST(MediaGif, KeepDisposalFramesCompositeAtTheirOffsets) {
    GifAnimation gif;
    gif.width = 20;
    gif.height = 10;
    gif.palette = Palette(4);
    GifFrame base;
    base.width = 20, base.height = 10, base.disposal = 1;
    base.indices.assign(200, 1);
    GifFrame patch;
    patch.left = 5, patch.top = 2, patch.width = 4, patch.height = 3, patch.disposal = 1;
    patch.indices.assign(12, 3);
    gif.frames = {base, patch};
    const auto d = DecodeAll(EncodeGif(gif));
    ASSERT_TRUE(d);
    ASSERT_EQ(d->frames, 2);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inPatch = x >= 5 && x < 9 && y >= 2 && y < 5;
            EXPECT_EQ(RgbAt(*d, 1, x, y), gif.palette[inPatch ? 3 : 1]) << x << "," << y;
            EXPECT_EQ(RgbAt(*d, 0, x, y), gif.palette[1]);
        }
    }
}

TEST(MediaGif, WriterRefusesInvalidAnimations) {
    auto valid = [] {
        GifAnimation g;
        g.width = 4, g.height = 4, g.palette = Palette(4);
        GifFrame f;
        f.width = 4, f.height = 4, f.indices.assign(16, 0);
        g.frames = {f};
        return g;
    };
    EXPECT_NO_THROW(EncodeGif(valid()));
    auto g = valid();
    g.palette.pop_back();  // 3 entries
    EXPECT_THROW(EncodeGif(g), std::invalid_argument);
    g = valid();
    g.frames[0].left = 1;  // reaches past the screen
    EXPECT_THROW(EncodeGif(g), std::invalid_argument);
    g = valid();
    g.frames[0].indices[5] = 4;  // outside the palette
    EXPECT_THROW(EncodeGif(g), std::invalid_argument);
    g = valid();
    g.frames[0].disposal = 4;
    EXPECT_THROW(EncodeGif(g), std::invalid_argument);
    g = valid();
    g.frames[0].indices.pop_back();
    EXPECT_THROW(EncodeGif(g), std::invalid_argument);
    g = valid();
    g.frames.clear();
    EXPECT_THROW(EncodeGif(g), std::invalid_argument);
}

class MediaLoadingGif : public ::testing::TestWithParam<int> {};

TEST_P(MediaLoadingGif, HasTheStructureTheAnimationControlPlays) {
    const auto path = test::ProgramDir() / "image" / std::to_string(GetParam()) / "loading.gif";
    const std::string bytes = test::ReadBytes(path);
    ASSERT_FALSE(bytes.empty()) << path;
    const auto g = test::WalkGif(bytes);
    ASSERT_TRUE(g.error.empty()) << g.error;
    EXPECT_EQ(g.signature, "GIF89a");
    EXPECT_EQ(g.width, 333);
    EXPECT_EQ(g.height, 95);
    EXPECT_TRUE(g.globalTable);
    EXPECT_TRUE(g.trailerAtEnd);

    ASSERT_EQ(g.applications.size(), 1u);
    EXPECT_EQ(g.applications[0], "NETSCAPE2.0");
    const std::vector<std::uint8_t> loopForever = {1, 0, 0};
    EXPECT_EQ(g.applicationData[0], loopForever);
    ASSERT_FALSE(g.comments.empty());
    EXPECT_FALSE(g.comments[0].empty());

    ASSERT_GE(g.frames.size(), 6u);
    std::set<int> delays, disposals;
    for (const auto& f : g.frames) {
        EXPECT_TRUE(f.hasControl);
        EXPECT_GE(f.width, 1);
        EXPECT_LE(f.left + f.width, g.width);
        EXPECT_LE(f.top + f.height, g.height);
        delays.insert(f.delay);
        disposals.insert(f.disposal);
    }
    EXPECT_GE(delays.size(), 3u);
    for (int d : {1, 2, 3}) EXPECT_TRUE(disposals.count(d)) << "disposal " << d;
    // The first frame covers the whole screen, so every later frame has a picture under it.
    EXPECT_EQ(g.frames[0].width, 333);
    EXPECT_EQ(g.frames[0].height, 95);

    StbPictures stb;
    const auto first =
        stb.Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->width, 333);
    EXPECT_EQ(first->height, 95);
    // Every frame decodes on its own at the screen size. (stb's own multi-frame loader is
    // not used here: it reads before its buffer on a restore-previous frame.)
    for (std::size_t i = 0; i < g.frames.size(); ++i) {
        const std::string one = test::SingleFrameGif(bytes, g, i);
        const auto img = stb.Decode(reinterpret_cast<const std::uint8_t*>(one.data()), one.size());
        ASSERT_TRUE(img) << "frame " << i;
        EXPECT_EQ(img->width, 333) << "frame " << i;
        EXPECT_EQ(img->height, 95) << "frame " << i;
        // Nothing green: the tick that says "done" has no place while the wizard waits.
        const auto greenish = std::count_if(img->pixels.begin(), img->pixels.end(), [](auto p) {
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            return g > r + 40 && g > b + 25;
        });
        EXPECT_EQ(greenish, 0) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, MediaLoadingGif, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace zavro::media
