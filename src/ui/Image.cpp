#include "platform/Image.h"

#include <algorithm>

namespace zavro {

Image Image::Crop(const Rect& r) const {
    Image out(r.w, r.h, 0u);
    for (int y = 0; y < out.height; ++y) {
        const int sy = r.y + y;
        if (sy < 0 || sy >= height) continue;
        for (int x = 0; x < out.width; ++x) {
            const int sx = r.x + x;
            if (sx < 0 || sx >= width) continue;
            out.At(x, y) = At(sx, sy);
        }
    }
    return out;
}

static std::uint32_t Blend(std::uint32_t dst, std::uint32_t src) {
    const std::uint32_t a = src >> 24;
    if (a == 255) return src;
    if (a == 0) return dst;
    auto mix = [&](int shift) {
        const std::uint32_t s = (src >> shift) & 0xFF;
        const std::uint32_t d = (dst >> shift) & 0xFF;
        return ((s * a + d * (255 - a)) / 255) << shift;
    };
    const std::uint32_t da = dst >> 24;
    const std::uint32_t oa = a + da * (255 - a) / 255;
    return (oa << 24) | mix(16) | mix(8) | mix(0);
}

void Image::Draw(const Image& src, int x, int y) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(width, x + src.width), y1 = std::min(height, y + src.height);
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) At(px, py) = Blend(At(px, py), src.At(px - x, py - y));
}

void Image::Fill(const Rect& r, std::uint32_t colour) {
    const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
    const int x1 = std::min(width, r.x + r.w), y1 = std::min(height, r.y + r.h);
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) At(px, py) = colour;
}

}  // namespace zavro
