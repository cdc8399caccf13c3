// Frame measurement and cutting for the skinned button.
#include "widgets/ibutton/frames.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "base/numbers.h"

namespace quorvel {

int64_t HimetricExtent(int pixels) {
    const int64_t magnitude = std::llabs(static_cast<int64_t>(pixels));
    const int64_t rounded = (magnitude * 2540 * 2 + 96) / (96 * 2);
    return pixels < 0 ? -rounded : rounded;
}

std::optional<int32_t> FrameWidthFromExtent(int64_t extentWidth, int framesInStrip) {
    if (framesInStrip <= 0) return std::nullopt;
    return RoundToInt32(static_cast<double>(extentWidth) / kHimetricPerPixel / framesInStrip);
}

std::optional<int32_t> FrameHeightFromExtent(int64_t extentHeight) {
    return RoundToInt32(static_cast<double>(extentHeight) / kHimetricPerPixel);
}

Picture MakePicture(Bitmap bitmap) { return std::make_shared<const Bitmap>(std::move(bitmap)); }

Picture CutPicture(const Bitmap& source, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return MakePicture(Bitmap());
    Bitmap frame(width, height, kOutsideStripPixel);
    // Only the part of the rectangle that overlaps the source is copied. The
    // pixel count is checked too, so a bitmap whose vector is shorter than its
    // stated size is read no further than it goes.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + width, source.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + height, source.height);
    const auto available = static_cast<int64_t>(source.pixels.size());
    for (int64_t sy = top; sy < bottom; ++sy) {
        for (int64_t sx = left; sx < right; ++sx) {
            const int64_t from = sy * source.width + sx;
            if (from >= available) return MakePicture(std::move(frame));
            frame.At(static_cast<int>(sx - x), static_cast<int>(sy - y)) = source.pixels[static_cast<size_t>(from)];
        }
    }
    return MakePicture(std::move(frame));
}

void FrameTable::Cut(const Bitmap& strip, int64_t count, int32_t width, int32_t height) {
    Clear();
    if (count <= 0) return;
    int64_t withPixels = 0;
    if (width > 0 && height > 0 && strip.width > 0) {
        // Frames start at 0, w, 2w, ...; those starting at or past the right
        // edge hold nothing of the strip.
        withPixels = std::min<int64_t>(count, (static_cast<int64_t>(strip.width) + width - 1) / width);
    }
    cut_.reserve(static_cast<size_t>(withPixels));
    for (int64_t i = 0; i < withPixels; ++i)
        cut_.push_back(CutPicture(strip, static_cast<int32_t>(i * width), 0, width, height));
    if (withPixels < count) beyond_ = CutPicture(Bitmap(), 0, 0, width, height);
    count_ = count;
}

void FrameTable::Clear() {
    cut_.clear();
    cut_.shrink_to_fit();
    beyond_.reset();
    count_ = 0;
}

Picture FrameTable::At(int64_t index) const {
    if (index < 0 || index >= count_) return nullptr;
    if (index < static_cast<int64_t>(cut_.size())) return cut_[static_cast<size_t>(index)];
    return beyond_;
}

}  // namespace quorvel
