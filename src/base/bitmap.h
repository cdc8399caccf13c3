// A decoded picture in memory: 32-bit pixels 0xAARRGGBB, top-down rows.
// Pictures of the program (art, logo, lock background) are held in this form
// so that the portable code can measure, cut and compare them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quorvel {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height, row-major, top row first

    Bitmap() = default;
    Bitmap(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return width <= 0 || height <= 0; }
};

// Shared, immutable once made: a control and the button frames may hold the
// same picture.
using Picture = std::shared_ptr<const Bitmap>;

}  // namespace quorvel
