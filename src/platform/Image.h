// Plain RGBA picture shared by the pictures port, the skin code and the UI adapters.
#pragma once

#include <cstdint>
#include <vector>

namespace zavro {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    bool operator==(const Rect&) const = default;
};

// Pixels are 0xAARRGGBB, row-major, width * height of them.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0xFF000000u)
        : width(w > 0 ? w : 0), height(h > 0 ? h : 0),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    bool Empty() const { return width <= 0 || height <= 0; }
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    std::uint32_t& At(int x, int y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    // Copy of the part of this picture under r; pixels outside the picture come out transparent.
    Image Crop(const Rect& r) const;
    // Draws src with its top-left corner at (x, y), clipped; alpha 0 pixels are skipped,
    // other pixels are blended by their alpha.
    void Draw(const Image& src, int x, int y);
    void Fill(const Rect& r, std::uint32_t colour);
};

}  // namespace zavro
