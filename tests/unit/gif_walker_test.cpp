// GIF block walker: block kinds and lengths, sub-block chains, frame counting and the
// stand-alone frame GIFs it cuts out. Every buffer is an exactly-sized heap copy, so the
// address sanitizer build catches any read past the data.
#include <gtest/gtest.h>

#include <random>
#include <span>
#include <vector>

#include "gif_encoder.h"
#include "platform/posix/StbPictures.h"
#include "ui/GifWalker.h"

namespace zavro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using gif::BlockKind;
using gif::Walker;

// "GIF89a", 4x4 screen, global table of 2 colours (6 bytes): blocks begin at 19.
Bytes Header() {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0};
    b.insert(b.end(), {0, 0, 0, 255, 255, 255});
    return b;
}
constexpr std::size_t kFirst = 19;

Bytes With(Bytes blocks) {
    Bytes b = Header();
    b.insert(b.end(), blocks.begin(), blocks.end());
    return b;
}

const Bytes kApp = {0x21, 0xFF, 0x0B, 'A', 'P',  'P',  'L',  'I',  'C', 'A',
                    'T',  'I',  'O',  'N', 0x03, 0x01, 0x00, 0x00, 0x00};
const Bytes kComment = {0x21, 0xFE, 0x03, 'a', 'b', 'c', 0x00};
const Bytes kControl = {0x21, 0xF9, 0x04, 0x08, 0x34, 0x12, 0x00, 0x00};  // disposal 2
const Bytes kPlain = {0x21, 0x01, 0x0C, 0, 0, 0, 0, 4, 0, 4, 0, 1, 1, 1, 0, 0x02, 'h', 'i', 0};
// Image at (1,2) size 3x2, no local table, min code size 2, one data sub-block.
const Bytes kImage = {0x2C, 1, 0, 2, 0, 3, 0, 2, 0, 0x00, 0x02, 0x02, 0x8C, 0x05, 0x00};
const Bytes kTrailer = {0x3B};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(GifWalker, BlockKindAtOffset) {
    struct Case {
        Bytes bytes;
        BlockKind kind;
    };
    const Case cases[] = {
        {{0x21, 0xFF}, BlockKind::Application},
        {{0x21, 0xFE}, BlockKind::Comment},
        {{0x21, 0xF9}, BlockKind::GraphicControl},
        {{0x21, 0x01}, BlockKind::PlainText},
        {{0x21, 0x77}, BlockKind::Unknown},
        {{0x2C}, BlockKind::Image},
        {{0x3B}, BlockKind::Trailer},
        {{0x00}, BlockKind::Unknown},
        {{0x21}, BlockKind::Unknown},  // label missing at the end of the data
        {{}, BlockKind::Unknown},
    };
    for (const Case& c : cases) {
        const Bytes data = With(c.bytes);
        Walker w(data);
        ASSERT_TRUE(w.HeaderValid());
        EXPECT_EQ(w.Offset(), kFirst);
        EXPECT_EQ(w.NextBlock(), c.kind) << testing::PrintToString(c.bytes);
    }
}

TEST(GifWalker, BlockLengthsAndChainsPastTheEnd) {
    Bytes localImage = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x81};
    localImage.insert(localImage.end(), 12, 0x7F);  // local table of 4 colours
    localImage.insert(localImage.end(), {0x02, 0x01, 0x44, 0x00});
    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<std::size_t> length;
        bool skips;
    };
    const Case cases[] = {
        {"application", kApp, 19, true},
        {"comment", kComment, 7, true},
        {"empty comment", {0x21, 0xFE, 0x00}, 3, true},
        {"two sub-blocks", {0x21, 0xFE, 0x01, 'x', 0x02, 'y', 'z', 0x00}, 8, true},
        {"graphic control", kControl, 8, true},
        {"plain text", kPlain, 19, true},
        {"image", kImage, 15, true},
        {"image with local table", localImage, 26, true},
        {"trailer", kTrailer, 1, true},
        {"unknown", {0x99}, std::nullopt, false},
        {"sub-block past the end", {0x21, 0xFE, 0x05, 'a'}, std::nullopt, false},
        {"no terminator", {0x21, 0xFE, 0x03, 'a', 'b', 'c'}, std::nullopt, false},
        {"application header cut", {0x21, 0xFF, 0x0B, 'A', 'P'}, std::nullopt, false},
        {"image packed byte missing", {0x2C, 1, 0, 2}, std::nullopt, false},
        {"image local table cut", {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x81, 1, 2}, std::nullopt, false},
        // Fixed length, but not all of it is there: the skip must refuse it.
        {"graphic control cut", {0x21, 0xF9, 0x04, 0x00}, 8, false},
    };
    for (const Case& c : cases) {
        const Bytes data = With(c.bytes);
        Walker w(data);
        EXPECT_EQ(w.NextBlockLength(), c.length) << c.name;
        EXPECT_EQ(w.SkipBlock(), c.skips) << c.name;
        EXPECT_EQ(w.Offset(), kFirst + (c.skips ? *c.length : 0)) << c.name;
    }
}

TEST(GifWalker, ChainLengthStopsAtTheEnd) {
    const Bytes data = With({0x02, 'a', 'b', 0x01, 'c', 0x00, 0x03, 'd'});
    Walker w(data);
    EXPECT_EQ(w.ChainLength(kFirst), 6u);
    EXPECT_EQ(w.ChainLength(kFirst + 5), 1u);
    EXPECT_EQ(w.ChainLength(kFirst + 6), std::nullopt);  // size 3 but one byte left
    EXPECT_EQ(w.ChainLength(data.size()), std::nullopt);
}

TEST(GifWalker, HeaderChecks) {
    Bytes short12 = Header();
    short12.resize(12);
    Bytes tableCut = Header();
    tableCut.resize(17);
    Bytes noTable = {'G', 'I', 'F', '8', '7', 'a', 2, 1, 3, 0, 0x00, 0, 0, 0x3B};
    Bytes bigTable = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x87, 0, 0};
    bigTable.resize(13 + 768, 0);
    Bytes notGif = Header();
    notGif[4] = '8';  // "GIF88a"

    EXPECT_FALSE(Walker(short12).HeaderValid());
    EXPECT_FALSE(Walker(tableCut).HeaderValid());
    EXPECT_FALSE(Walker(notGif).HeaderValid());
    EXPECT_FALSE(gif::HasGifSignature(notGif));

    Walker w87(noTable);
    ASSERT_TRUE(w87.HeaderValid());
    EXPECT_EQ(w87.ScreenWidth(), 258);
    EXPECT_EQ(w87.ScreenHeight(), 3);
    EXPECT_EQ(w87.TableSize(), 0u);
    EXPECT_EQ(w87.Offset(), 13u);
    EXPECT_EQ(w87.NextBlock(), BlockKind::Trailer);

    Walker wBig(bigTable);
    ASSERT_TRUE(wBig.HeaderValid());
    EXPECT_EQ(wBig.TableSize(), 768u);
    EXPECT_EQ(wBig.NextBlock(), BlockKind::Unknown);  // nothing after the table
}

TEST(GifWalker, CountsGraphicBlocks) {
    struct Case {
        const char* name;
        Bytes blocks;
        std::size_t frames;
    };
    const Case cases[] = {
        {"image only", Cat({kImage, kTrailer}), 1},
        {"control and image", Cat({kControl, kImage, kTrailer}), 1},
        {"extensions first", Cat({kApp, kComment, kControl, kImage, kTrailer}), 1},
        {"comment between control and image", Cat({kControl, kComment, kImage, kTrailer}), 1},
        {"application between control and image", Cat({kControl, kApp, kImage, kTrailer}), 1},
        {"plain text frame", Cat({kControl, kPlain, kImage, kTrailer}), 2},
        {"three frames", Cat({kControl, kImage, kImage, kComment, kControl, kImage, kTrailer}), 3},
        {"no graphic block", Cat({kApp, kComment, kTrailer}), 0},
        {"control then trailer", Cat({kImage, kControl, kTrailer}), 1},
        {"unknown block stops", Cat({kImage, {0x99}, kImage, kTrailer}), 1},
        {"no trailer", Cat({kImage, kImage}), 2},
        {"truncated second image", Cat({kImage, Bytes(kImage.begin(), kImage.end() - 2)}), 1},
        {"truncated first image", Bytes(kImage.begin(), kImage.end() - 1), 0},
    };
    for (const Case& c : cases) {
        const Bytes data = With(c.blocks);
        Walker w(data);
        EXPECT_EQ(w.CountFrames(), c.frames) << c.name;
        EXPECT_EQ(w.Offset(), kFirst) << c.name;  // counting leaves the walker at the start
    }
}

TEST(GifWalker, CutsFramesIntoStandAloneGifs) {
    Bytes secondControl = {0x21, 0xF9, 0x04, 0x0C, 0x05, 0x00, 0x00, 0x00};  // disposal 3
    const Bytes data = With(
        Cat({kApp, kControl, kComment, kImage, kComment, kImage, secondControl, kImage, kTrailer}));
    Walker w(data);
    ASSERT_EQ(w.CountFrames(), 3u);
    const Bytes head = Header();

    auto f0 = w.NextGraphicBlock();
    ASSERT_TRUE(f0);
    // From the control (the application extension before it stays out), comment kept.
    EXPECT_EQ(f0->gif, Cat({head, kControl, kComment, kImage, kTrailer}));
    EXPECT_EQ(f0->delay, 0x1234u);
    EXPECT_EQ(f0->disposal, 2u);
    EXPECT_EQ(f0->left, 1);
    EXPECT_EQ(f0->top, 2);
    EXPECT_EQ(f0->width, 3);
    EXPECT_EQ(f0->height, 2);

    auto f1 = w.NextGraphicBlock();
    ASSERT_TRUE(f1);
    EXPECT_EQ(f1->gif, Cat({head, kImage, kTrailer}));  // leading comment skipped
    EXPECT_EQ(f1->delay, gif::kNoDelay);
    EXPECT_EQ(f1->disposal, 0u);
    EXPECT_EQ(f1->gif.size(), 13 + w.TableSize() + kImage.size() + 1);

    auto f2 = w.NextGraphicBlock();
    ASSERT_TRUE(f2);
    EXPECT_EQ(f2->delay, 5u);
    EXPECT_EQ(f2->disposal, 3u);
    EXPECT_FALSE(w.NextGraphicBlock());
}

// Every prefix of a real animation: the walker counts exactly the frames that lie whole
// inside it and never reads beyond it.
TEST(GifWalker, EveryTruncationCountsOnlyWholeFrames) {
    using namespace test::gifenc;
    GifSpec g;
    g.width = 9;
    g.height = 7;
    g.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    g.loopExtension = true;
    g.frames.push_back(Solid(0, 0, 9, 7, 1));
    g.frames.push_back(Solid(2, 1, 4, 3, 2, 5, 2));
    g.frames.back().commentAfterControl = std::string(300, 'c');  // two sub-blocks
    g.frames.push_back(Solid(1, 1, 3, 3, 3, 0, 3));
    const Bytes full = Encode(g);

    std::vector<std::size_t> ends;
    {
        Walker w(full);
        while (w.SkipGraphicBlock()) ends.push_back(w.Offset());
    }
    ASSERT_EQ(ends.size(), 3u);
    for (std::size_t len = 0; len <= full.size(); ++len) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
        Walker w(cut);
        std::size_t whole = 0;
        for (std::size_t e : ends) whole += e <= len;
        if (!w.HeaderValid()) {
            EXPECT_LT(len, 13u + 24u);
            continue;
        }
        EXPECT_EQ(w.CountFrames(), whole) << "prefix " << len;
        for (std::size_t i = 0; i < whole; ++i) {
            auto f = w.NextGraphicBlock();
            ASSERT_TRUE(f) << "prefix " << len;
            EXPECT_EQ(f->gif.back(), 0x3B);
        }
        EXPECT_FALSE(w.NextGraphicBlock()) << "prefix " << len;
    }
}

// The test encoder itself: what it writes must decode to the indices it was given, for
// every minimum code size and with table resets (large, noisy frames).
TEST(GifWalker, TestEncoderRoundTripsThroughTheDecoder) {
    using namespace test::gifenc;
    StbPictures stb;
    std::mt19937 rng(7);
    struct Case {
        int colours, width, height;
        bool noisy;
    };
    const Case cases[] = {{2, 5, 3, true},      {4, 17, 9, true},     {8, 31, 7, false},
                          {16, 40, 40, true},   {32, 3, 50, true},    {64, 64, 64, false},
                          {128, 100, 90, true}, {256, 333, 95, true}, {256, 300, 300, false}};
    for (const Case& c : cases) {
        GifSpec g;
        g.width = c.width;
        g.height = c.height;
        for (int i = 0; i < c.colours; ++i)
            g.palette.push_back(static_cast<std::uint32_t>(i * 0x010305 + 0x203040) & 0xFFFFFF);
        FrameSpec f = Solid(0, 0, c.width, c.height, 0);
        for (std::size_t i = 0; i < f.indices.size(); ++i)
            f.indices[i] = static_cast<std::uint8_t>(c.noisy ? rng() % c.colours
                                                             : (i / 7 + i / 97) % c.colours);
        g.frames.push_back(f);
        const Bytes data = Encode(g);
        auto img = stb.Decode(data.data(), data.size());
        ASSERT_TRUE(img) << c.colours << " colours";
        ASSERT_EQ(img->width, c.width);
        ASSERT_EQ(img->height, c.height);
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < f.indices.size(); ++i)
            wrong += img->pixels[i] != (0xFF000000u | g.palette[f.indices[i]]);
        EXPECT_EQ(wrong, 0u) << c.colours << " colours, " << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace zavro
