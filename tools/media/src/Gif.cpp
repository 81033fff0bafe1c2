#include "Gif.h"

#include <stdexcept>
#include <unordered_map>

namespace zavro::media {
namespace {

constexpr int kMaxCodes = 4096;

class BitWriter {
public:
    void Put(unsigned code, int bits) {
        acc_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (count_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_ & 0xFF));
        acc_ = 0;
        count_ = 0;
        return std::move(out_);
    }

private:
    std::vector<std::uint8_t> out_;
    std::uint32_t acc_ = 0;
    int count_ = 0;
};

void Put16(std::vector<std::uint8_t>& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutSubBlocks(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& data) {
    for (std::size_t pos = 0; pos < data.size();) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                   data.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    }
    out.push_back(0);
}

int TableBits(std::size_t paletteSize) {
    for (int bits = 1; bits <= 8; ++bits) {
        if (paletteSize == (std::size_t{1} << bits)) return bits;
    }
    throw std::invalid_argument("palette size must be a power of two from 2 to 256");
}

}  // namespace

std::vector<std::uint8_t> LzwEncode(std::span<const std::uint8_t> indices, int minCodeSize) {
    if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("bad LZW code size");
    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    BitWriter bits;
    // Dictionary key: prefix code and next index; codes above end are strings.
    std::unordered_map<std::uint32_t, unsigned> table;
    table.reserve(kMaxCodes * 2);
    unsigned next = end + 1;
    int width = minCodeSize + 1;
    auto reset = [&] {
        table.clear();
        next = end + 1;
        width = minCodeSize + 1;
    };

    bits.Put(clear, width);
    if (!indices.empty()) {
        unsigned prefix = indices[0];
        if (prefix >= clear) throw std::invalid_argument("index outside the palette");
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const unsigned c = indices[i];
            if (c >= clear) throw std::invalid_argument("index outside the palette");
            const std::uint32_t key = (prefix << 8) | c;
            if (auto it = table.find(key); it != table.end()) {
                prefix = it->second;
                continue;
            }
            bits.Put(prefix, width);
            table.emplace(key, next++);
            // The decoder adds its entry one code later, so the width grows once the
            // table holds one code more than the current width can name.
            if (next > (1u << width) && width < 12) ++width;
            if (next == kMaxCodes) {
                bits.Put(clear, width);
                reset();
            }
            prefix = c;
        }
        bits.Put(prefix, width);
    }
    bits.Put(end, width);
    return bits.Finish();
}

std::vector<std::uint8_t> EncodeGif(const GifAnimation& gif) {
    if (gif.width <= 0 || gif.height <= 0 || gif.width > 0xFFFF || gif.height > 0xFFFF) {
        throw std::invalid_argument("bad logical screen size");
    }
    const int tableBits = TableBits(gif.palette.size());
    if (gif.backgroundIndex < 0 ||
        static_cast<std::size_t>(gif.backgroundIndex) >= gif.palette.size()) {
        throw std::invalid_argument("background index outside the palette");
    }
    if (gif.frames.empty()) throw std::invalid_argument("no frames");

    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, gif.width);
    Put16(out, gif.height);
    out.push_back(static_cast<std::uint8_t>(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    out.push_back(static_cast<std::uint8_t>(gif.backgroundIndex));
    out.push_back(0);  // square pixels
    for (std::uint32_t rgb : gif.palette) {
        out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFF));
        out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));
        out.push_back(static_cast<std::uint8_t>(rgb & 0xFF));
    }

    if (gif.loop) {
        const char app[] = "NETSCAPE2.0";
        out.push_back(0x21);
        out.push_back(0xFF);
        out.push_back(11);
        out.insert(out.end(), app, app + 11);
        out.push_back(3);
        out.push_back(1);
        Put16(out, 0);
        out.push_back(0);
    }
    if (!gif.comment.empty()) {
        out.push_back(0x21);
        out.push_back(0xFE);
        PutSubBlocks(out, std::vector<std::uint8_t>(gif.comment.begin(), gif.comment.end()));
    }

    const int minCodeSize = std::max(2, tableBits);
    for (const GifFrame& f : gif.frames) {
        if (f.width <= 0 || f.height <= 0 || f.left < 0 || f.top < 0 ||
            f.left + f.width > gif.width || f.top + f.height > gif.height) {
            throw std::invalid_argument("frame outside the logical screen");
        }
        if (f.indices.size() != static_cast<std::size_t>(f.width) * f.height) {
            throw std::invalid_argument("frame pixel count differs from its size");
        }
        if (f.disposal < 0 || f.disposal > 3) throw std::invalid_argument("bad disposal");
        if (f.delayCs < 0 || f.delayCs > 0xFFFF) throw std::invalid_argument("bad delay");
        for (std::uint8_t ix : f.indices) {
            if (ix >= gif.palette.size()) throw std::invalid_argument("index outside palette");
        }
        out.push_back(0x21);
        out.push_back(0xF9);
        out.push_back(4);
        out.push_back(static_cast<std::uint8_t>(f.disposal << 2));
        Put16(out, f.delayCs);
        out.push_back(0);  // no transparent index
        out.push_back(0);

        out.push_back(0x2C);
        Put16(out, f.left);
        Put16(out, f.top);
        Put16(out, f.width);
        Put16(out, f.height);
        out.push_back(0);  // no local table, not interlaced
        out.push_back(static_cast<std::uint8_t>(minCodeSize));
        PutSubBlocks(out, LzwEncode(f.indices, minCodeSize));
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace zavro::media
