#include "platform/posix/StbPictures.h"

#include <algorithm>
#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_MAX_DIMENSIONS 8192
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
// A corrupt picture is refused, never an abort of the program.
#define STBI_ASSERT(x) ((void)0)
// The project's copy (third_party/stb): Debian's with a bound check in the JPEG decoder.
#include "stb_image.h"
#pragma GCC diagnostic pop

namespace zavro {

namespace {

constexpr std::size_t kMaxPixels = std::size_t{1} << 24;

// stb grows its PNG data buffer to whatever a chunk claims before reading it, doubling up
// to gigabytes for a few corrupt bytes: every chunk must lie within the file.
bool PngChunksSound(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || !std::equal(kSignature, kSignature + 8, data)) return true;  // not a PNG
    std::size_t at = 8;
    while (size - at >= 12) {
        const std::size_t length = (std::size_t{data[at]} << 24) |
                                   (std::size_t{data[at + 1]} << 16) |
                                   (std::size_t{data[at + 2]} << 8) | std::size_t{data[at + 3]};
        if (length > size - at - 12) return false;
        if (std::equal(data + at + 4, data + at + 8, "IEND")) return true;
        at += 12 + length;
    }
    return false;  // no end chunk: stb would read what is not there
}

// stb builds each JPEG Huffman table in a 257-entry array without checking that the
// table's 16 counts add up to at most 256: a crafted table writes past it. Such a table
// is invalid anyway, so the picture is refused before stb sees it.
bool JpegTablesSound(const std::uint8_t* data, std::size_t size) {
    // stb takes fill bytes (0xFF) before the start marker as well.
    std::size_t pos = 0;
    while (pos < size && data[pos] == 0xFF) ++pos;
    if (pos == 0 || pos >= size || data[pos] != 0xD8) return true;  // not a JPEG
    ++pos;
    while (pos + 4 <= size) {
        // Like stb, look for the next marker byte by byte: junk and entropy data between
        // segments are stepped over, stuffed 0xFF 0x00 and restart markers too.
        if (data[pos] != 0xFF) {
            ++pos;
            continue;
        }
        const std::uint8_t marker = data[pos + 1];
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || marker == 0xFF ||
            (marker >= 0xD0 && marker <= 0xD7)) {
            pos += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker == 0xD9) return true;
        const std::size_t length = (std::size_t{data[pos + 2]} << 8) | data[pos + 3];
        const std::size_t end = std::min(size, pos + 2 + length);
        if (marker == 0xC4) {
            // stb reads a whole table even where the segment or the data has ended (as
            // zeros past the end).
            for (std::size_t t = pos + 4; t < end;) {
                std::size_t total = 0;
                for (std::size_t i = 0; i < 16 && t + 1 + i < size; ++i) total += data[t + 1 + i];
                if (total > 256) return false;
                t += 17 + total;
            }
        }
        pos += 2 + length;
    }
    return true;
}

}  // namespace

std::optional<Image> StbPictures::Decode(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    if (!JpegTablesSound(data, size) || !PngChunksSound(data, size)) return std::nullopt;
    int w = 0, h = 0, n = 0;
    // Pages are 800x600: a picture that claims more than 16 Mpixel is refused before stb
    // allocates for it (several of its buffers are 4 or 8 bytes a pixel).
    if (stbi_info_from_memory(data, static_cast<int>(size), &w, &h, &n) &&
        static_cast<std::size_t>(w) * static_cast<std::size_t>(h) > kMaxPixels) {
        return std::nullopt;
    }
    stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &n, 4);
    if (rgba == nullptr) return std::nullopt;
    // A GIF may claim a zero-wide screen; stb then hands back an empty buffer.
    if (w <= 0 || h <= 0) {
        stbi_image_free(rgba);
        return std::nullopt;
    }
    Image img(w, h);
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    for (std::size_t i = 0; i < count; ++i) {
        const stbi_uc* p = rgba + i * 4;
        img.pixels[i] = (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[0]) << 16) |
                        (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
    }
    stbi_image_free(rgba);
    return img;
}

}  // namespace zavro
