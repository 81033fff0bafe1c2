// Small GIF writer for the animation tests and benchmarks: real LZW (minimum code size
// 2..8, variable code width up to 12 bits, clear code when the table is full), global and
// local colour tables, graphic control, comment, application and plain-text extensions.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zavro::test::gifenc {

struct FrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // width * height colour indices, row by row
    bool control = true;                // write a graphic control extension
    std::uint16_t delay = 0;
    std::uint8_t disposal = 0;
    int transparent = -1;                     // transparent colour index, -1 for none
    std::string commentAfterControl;          // comment between the control and the image
    std::vector<std::uint32_t> localPalette;  // 0xRRGGBB; empty: use the global table
};

struct GifSpec {
    int width = 0, height = 0;
    std::vector<std::uint32_t> palette;  // 0xRRGGBB; empty: no global table
    std::uint8_t background = 0;         // background colour index
    bool gif87 = false;
    bool loopExtension = false;  // application extension before the first frame
    std::string leadingComment;  // comment before the first frame
    std::vector<FrameSpec> frames;
};

// Table size bits n of the packed byte: 2^(n+1) entries hold count colours.
inline int TableBits(std::size_t count) {
    int n = 0;
    while ((std::size_t{2} << n) < count && n < 7) ++n;
    return n;
}

inline std::vector<std::uint8_t> Lzw(const std::vector<std::uint8_t>& indices, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int nbits = 0;
    int width = minCodeSize + 1;
    auto emit = [&](int code) {
        bits |= static_cast<std::uint32_t>(code) << nbits;
        nbits += width;
        while (nbits >= 8) {
            out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
            bits >>= 8;
            nbits -= 8;
        }
    };
    std::unordered_map<std::uint32_t, int> table;
    int next = clear + 2;
    emit(clear);
    if (!indices.empty()) {
        int cur = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const std::uint8_t p = indices[i];
            const std::uint32_t key = (static_cast<std::uint32_t>(cur) << 8) | p;
            auto it = table.find(key);
            if (it != table.end()) {
                cur = it->second;
                continue;
            }
            emit(cur);
            table.emplace(key, next++);
            // The decoder adds its entry one code later, so it widens when next passes 2^w.
            if (next > (1 << width) && width < 12) ++width;
            if (next >= 4095) {
                emit(clear);
                table.clear();
                next = clear + 2;
                width = minCodeSize + 1;
            }
            cur = p;
        }
        emit(cur);
        if (next == (1 << width) && width < 12) ++width;
    }
    emit(end);
    if (nbits > 0) out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    return out;
}

inline void PutWord(std::vector<std::uint8_t>& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void PutSubBlocks(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& data) {
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                   data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
}

inline void PutTable(std::vector<std::uint8_t>& out, const std::vector<std::uint32_t>& palette) {
    const std::size_t entries = std::size_t{2} << TableBits(palette.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint32_t c = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<std::uint8_t>(c >> 16));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

inline void PutComment(std::vector<std::uint8_t>& out, const std::string& text) {
    out.push_back(0x21);
    out.push_back(0xFE);
    PutSubBlocks(out, std::vector<std::uint8_t>(text.begin(), text.end()));
}

inline void PutControl(std::vector<std::uint8_t>& out, const FrameSpec& f) {
    out.insert(out.end(), {0x21, 0xF9, 0x04});
    out.push_back(static_cast<std::uint8_t>(((f.disposal & 7) << 2) | (f.transparent >= 0)));
    PutWord(out, f.delay);
    out.push_back(static_cast<std::uint8_t>(f.transparent >= 0 ? f.transparent : 0));
    out.push_back(0);
}

inline void PutImage(std::vector<std::uint8_t>& out, const FrameSpec& f, std::size_t globalCount) {
    out.push_back(0x2C);
    PutWord(out, f.left);
    PutWord(out, f.top);
    PutWord(out, f.width);
    PutWord(out, f.height);
    const bool local = !f.localPalette.empty();
    const int bits = TableBits(local ? f.localPalette.size() : globalCount);
    out.push_back(static_cast<std::uint8_t>(local ? (0x80 | bits) : 0));
    if (local) PutTable(out, f.localPalette);
    const int minCode = std::max(2, bits + 1);
    out.push_back(static_cast<std::uint8_t>(minCode));
    PutSubBlocks(out, Lzw(f.indices, minCode));
}

inline std::vector<std::uint8_t> Encode(const GifSpec& g) {
    std::vector<std::uint8_t> out;
    out.reserve(1024);
    const char* sig = g.gif87 ? "GIF87a" : "GIF89a";
    out.insert(out.end(), sig, sig + 6);
    PutWord(out, g.width);
    PutWord(out, g.height);
    const bool global = !g.palette.empty();
    const int bits = TableBits(g.palette.size());
    out.push_back(static_cast<std::uint8_t>(global ? (0x80 | (bits << 4) | bits) : 0));
    out.push_back(g.background);
    out.push_back(0);
    if (global) PutTable(out, g.palette);
    if (g.loopExtension) {
        out.insert(out.end(), {0x21, 0xFF, 0x0B});
        const char* app = "NETSCAPE2.0";
        out.insert(out.end(), app, app + 11);
        out.insert(out.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
    }
    if (!g.leadingComment.empty()) PutComment(out, g.leadingComment);
    for (const FrameSpec& f : g.frames) {
        if (f.control) PutControl(out, f);
        if (!f.commentAfterControl.empty()) PutComment(out, f.commentAfterControl);
        PutImage(out, f, g.palette.size());
    }
    out.push_back(0x3B);
    return out;
}

// A frame of one colour index.
inline FrameSpec Solid(int left, int top, int width, int height, std::uint8_t index,
                       std::uint16_t delay = 10, std::uint8_t disposal = 1) {
    FrameSpec f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.indices.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), index);
    f.delay = delay;
    f.disposal = disposal;
    return f;
}

}  // namespace zavro::test::gifenc
