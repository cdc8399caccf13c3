// A decoder of baseline JPEG pictures (sequential, Huffman-coded, 8-bit; grey
// or YCbCr/RGB) at 1/1, 1/2, 1/4 or 1/8 of their size. A lock background is
// shown at the screen's size: a 4K photo decoded at half its size costs a
// quarter of the memory, and only the needed part of each block's frequencies
// is transformed. Anything else (progressive, arithmetic-coded, 12-bit, CMYK,
// one component per scan) is refused, and the caller decodes it another way.
// Reads through a callback, a buffer at a time, so that the file is never
// held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/bitmap.h"

namespace quorvel::jpeg {

// Fills the buffer with up to size bytes; 0 at the end of the data.
using ReadFn = std::function<size_t(uint8_t* buffer, size_t size)>;

struct Size {
    int width = 0;
    int height = 0;
};

// The size of the picture, when it is one this decoder can decode; reads the
// data up to its first scan.
std::optional<Size> ReadSize(const ReadFn& read);

// The picture at 1/reduction of its size (each side rounded up), reduction 1,
// 2, 4 or 8; nothing when the data is not a picture this decoder decodes or
// the result would not fit in memory. Data that ends early or is damaged
// inside the scan gives a picture all the same (grey where nothing was read),
// as other decoders show what they could read.
std::optional<Bitmap> Decode(const ReadFn& read, int reduction);

// The picture at 1/reduction, scaled to width x height as ScaleBilinear
// scales, a band of rows at a time: a 4K photo shown on a 1280-pixel screen
// costs the shown picture and a band of 1920 x 16 pixels, not the 1920 x 1080
// picture as well.
std::optional<Bitmap> DecodeScaled(const ReadFn& read, int reduction, int width, int height);

// The largest reduction (8, 4, 2, 1) at which a picture of the given size
// still covers width x height.
int ReductionFor(Size picture, int width, int height);

// Scaled to width x height by bilinear filtering: for shrinking by less than
// a half, which a reduction leaves.
Bitmap ScaleBilinear(const Bitmap& source, int width, int height);

}  // namespace quorvel::jpeg
