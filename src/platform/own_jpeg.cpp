#include "platform/own_jpeg.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace quorvel {

std::pair<int, int> FitSize(int width, int height, PictureUse use) {
    if (use.kind != PictureUse::Kind::FitWithin || use.width <= 0 || use.height <= 0 ||
        (width <= use.width && height <= use.height))
        return {width, height};
    const double scale = std::min(static_cast<double>(use.width) / width, static_cast<double>(use.height) / height);
    return {std::max(1, static_cast<int>(width * scale + 0.5)), std::max(1, static_cast<int>(height * scale + 0.5))};
}

Bitmap Corner(Bitmap&& whole, PictureUse use) {
    if (use.kind != PictureUse::Kind::TopLeft || use.width <= 0 || use.height <= 0 ||
        (whole.width <= use.width && whole.height <= use.height))
        return std::move(whole);
    Bitmap corner(std::min(whole.width, use.width), std::min(whole.height, use.height));
    for (int y = 0; y < corner.height; ++y)
        std::copy_n(whole.pixels.begin() + static_cast<ptrdiff_t>(y) * whole.width, corner.width,
                    corner.pixels.begin() + static_cast<ptrdiff_t>(y) * corner.width);
    return corner;
}

std::optional<Picture> DecodeOwnJpeg(const jpeg::ReadFn& read, const std::function<bool()>& rewind, PictureUse use) {
    const std::optional<jpeg::Size> size = jpeg::ReadSize(read);
    if (!size) return std::nullopt;
    const auto [width, height] = FitSize(size->width, size->height, use);
    const bool scaled = width != size->width || height != size->height;
    const int reduction = jpeg::ReductionFor(*size, width, height);
    // Shrunk by less than half: the desktop's decoder filters it better.
    if ((scaled && reduction == 1) || !rewind()) return std::nullopt;
    try {
        std::optional<Bitmap> decoded =
            scaled ? jpeg::DecodeScaled(read, reduction, width, height) : jpeg::Decode(read, reduction);
        if (!decoded) return std::nullopt;
        return Picture(std::make_shared<Bitmap>(Corner(std::move(*decoded), use)));
    } catch (const std::exception&) {  // out of memory
        return std::nullopt;
    }
}

}  // namespace quorvel
