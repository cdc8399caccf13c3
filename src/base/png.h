// A decoder of the PNG pictures the program carries as its art: 8-bit RGB or
// RGBA, not interlaced. Decoding them here spares the start the loading of
// the system's imaging library (and of COM under it) before the first paint;
// a picture of any other kind is refused, and the caller decodes it another
// way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/bitmap.h"

namespace quorvel::png {

// The data of a zlib stream (deflate, no preset dictionary); nothing when the
// stream is damaged, ends early, fails its checksum or would hold more than
// limit bytes.
std::optional<std::vector<uint8_t>> Inflate(std::span<const uint8_t> zlib, size_t limit);

// The picture; nothing when the data is not a PNG of the kinds above, or is
// damaged, or would not fit in memory.
std::optional<Bitmap> Decode(std::span<const uint8_t> data);

}  // namespace quorvel::png
