// GIF block walker on arbitrary bytes: every frame it cuts out must be a stand-alone GIF
// that the walker itself reads back as exactly one frame with the same timing.
#include <cstring>

#include "FuzzInput.h"
#include "ui/GifWalker.h"

using namespace zavro::gif;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Walker walker({data, size});
    if (!walker.HeaderValid()) return 0;
    const std::size_t head = 13 + walker.TableSize();
    ZAVRO_FUZZ_CHECK(head <= size);

    const std::size_t count = walker.CountFrames();
    ZAVRO_FUZZ_CHECK(walker.Offset() == head);
    std::size_t cut = 0;
    while (auto frame = walker.NextGraphicBlock()) {
        ++cut;
        ZAVRO_FUZZ_CHECK(walker.Offset() <= size);
        const auto& gif = frame->gif;
        ZAVRO_FUZZ_CHECK(gif.size() > head && gif.back() == 0x3B);
        ZAVRO_FUZZ_CHECK(std::memcmp(gif.data(), data, head) == 0);

        Walker again({gif.data(), gif.size()});
        ZAVRO_FUZZ_CHECK(again.HeaderValid());
        ZAVRO_FUZZ_CHECK(again.CountFrames() == 1);
        const auto copy = again.NextGraphicBlock();
        ZAVRO_FUZZ_CHECK(copy && copy->gif == gif);
        ZAVRO_FUZZ_CHECK(copy->delay == frame->delay && copy->disposal == frame->disposal);
        ZAVRO_FUZZ_CHECK(copy->width == frame->width && copy->height == frame->height);
        ZAVRO_FUZZ_CHECK(again.NextBlock() == BlockKind::Trailer);
    }
    ZAVRO_FUZZ_CHECK(cut == count);

    // The single-block steps stay inside the data whatever they meet.
    walker.Reset();
    while (walker.SkipBlock()) ZAVRO_FUZZ_CHECK(walker.Offset() <= size);
    return 0;
}
