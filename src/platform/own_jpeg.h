// Pictures the program decodes itself, the same way on every desktop: a
// baseline JPEG larger than it is shown is read at 1/2, 1/4 or 1/8 of its
// size and scaled a band at a time, so that a 4K photo behind the lock costs
// the shown picture's memory and no more. The desktop's decoder takes every
// other picture.
#pragma once

#include <functional>
#include <optional>
#include <utility>

#include "base/bitmap.h"
#include "base/jpeg.h"
#include "platform/toolkit.h"

namespace quorvel {

// The size a picture of width x height is shown at for the use: scaled down
// to fit within its size, its proportions kept; its own size otherwise.
std::pair<int, int> FitSize(int width, int height, PictureUse use);

// The top-left corner of a picture, for a use that shows only that.
Bitmap Corner(Bitmap&& whole, PictureUse use);

// The picture for the use when it is a JPEG this decoder takes and the
// reduction saves memory, or it is shown at its own size; nothing otherwise.
// rewind goes back to the start of the data (the size is read first).
std::optional<Picture> DecodeOwnJpeg(const jpeg::ReadFn& read, const std::function<bool()>& rewind, PictureUse use);

}  // namespace quorvel
