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

// A run of pixels of one row: x from x0 up to (not including) x1.
struct PixelRun {
    int y = 0, x0 = 0, x1 = 0;
    friend bool operator==(const PixelRun&, const PixelRun&) = default;
};

// The runs of pixels whose colour (alpha aside) is not leftOut, row by row,
// left to right: the shape of a transparent button whose mask colour is
// leftOut.
inline std::vector<PixelRun> RunsWithout(const Bitmap& bitmap, uint32_t leftOut) {
    std::vector<PixelRun> runs;
    const auto kept = [&](int x, int y) { return (bitmap.At(x, y) & 0xFFFFFF) != (leftOut & 0xFFFFFF); };
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width;) {
            while (x < bitmap.width && !kept(x, y)) ++x;
            const int start = x;
            while (x < bitmap.width && kept(x, y)) ++x;
            if (x > start) runs.push_back({y, start, x});
        }
    }
    return runs;
}

// Shared, immutable once made: a control and the button frames may hold the
// same picture.
using Picture = std::shared_ptr<const Bitmap>;

}  // namespace quorvel
