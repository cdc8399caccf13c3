// Measuring a button's frame strip and cutting it into frame pictures that
// live on their own, independent of the strip they came from.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/bitmap.h"

namespace quorvel {

// The factor the button divides a HIMETRIC extent by to get pixels. It is not
// 2540 / 96, and the frame sizes depend on the difference (28178 gives
// 1064.994... pixels, not 1065).
inline constexpr double kHimetricPerPixel = 26.45836;

// The pixel colour of the parts of a frame that lie outside its strip.
inline constexpr uint32_t kOutsideStripPixel = 0xFF000000u;

// The HIMETRIC extent of a bitmap dimension at 96 dots per inch:
// pixels * 2540 / 96, halves away from zero as the platform's picture objects
// round it (36 pixels give 953, 84 give 2223).
int64_t HimetricExtent(int pixels);

// round(extent / 26.45836 / framesInStrip) and round(extent / 26.45836), the
// divisions in that order, halves to even. Empty when the result leaves the
// 32-bit range or framesInStrip is not positive.
std::optional<int32_t> FrameWidthFromExtent(int64_t extentWidth, int framesInStrip);
std::optional<int32_t> FrameHeightFromExtent(int64_t extentHeight);

// Wraps a bitmap into a picture that owns it.
Picture MakePicture(Bitmap bitmap);

// A copy of the rectangle (x, y, width, height) of the source, as a picture of
// its own. Pixels of the rectangle outside the source are opaque black; a
// width or height below 1 gives a picture without pixels.
Picture CutPicture(const Bitmap& source, int32_t x, int32_t y, int32_t width, int32_t height);

// The frames of one strip: Count() entries, frame i cut at x = i * width.
// Frames that hold no pixel of the strip (past its right edge, or of zero
// size) all share one picture, so a large table costs no more memory than the
// strip itself.
class FrameTable {
public:
    void Cut(const Bitmap& strip, int64_t count, int32_t width, int32_t height);
    void Clear();

    int64_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    // nullptr for an index outside the table.
    Picture At(int64_t index) const;

private:
    std::vector<Picture> cut_;
    Picture beyond_;
    int64_t count_ = 0;
};

}  // namespace quorvel
