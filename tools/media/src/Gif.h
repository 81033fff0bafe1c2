// GIF89a writer with its own LZW encoder, for the waiting animation of the medium.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zavro::media {

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int delayCs = 10;                   // hundredths of a second
    int disposal = 0;                   // 0 none, 1 keep, 2 restore background, 3 restore previous
    std::vector<std::uint8_t> indices;  // width * height palette indices, row-major
};

struct GifAnimation {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> palette;  // 0xRRGGBB; 2, 4, ... 256 entries
    int backgroundIndex = 0;
    bool loop = true;     // Netscape application extension, loop count 0 (for ever)
    std::string comment;  // comment extension after the header when not empty
    std::vector<GifFrame> frames;
};

// The LZW code stream of one image (before it is cut into sub-blocks): clear code first,
// end-of-information code last, a clear code whenever the 4096-entry table is full.
// minCodeSize is 2 to 8 and every index must be below 1 << minCodeSize.
std::vector<std::uint8_t> LzwEncode(std::span<const std::uint8_t> indices, int minCodeSize);

// The whole file. Throws std::invalid_argument for a palette size that is not a power of
// two, a frame outside the logical screen, an index outside the palette, a bad disposal.
std::vector<std::uint8_t> EncodeGif(const GifAnimation& gif);

}  // namespace zavro::media
