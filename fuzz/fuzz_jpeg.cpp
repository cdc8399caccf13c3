// The reduced JPEG decoder on any bytes, read in pieces of any size: it never
// reads out of bounds or overflows; a picture whose size it reads decodes
// (at the first byte's reduction) to exactly that size divided and rounded
// up, or is refused the same way as a whole; scaling the result to any small
// size gives that size, and the same pixels as decoding it scaled band by
// band.
#include <algorithm>
#include <cstdint>

#include "base/jpeg.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvel;
    if (size < 2) return 0;
    const int reduction = 1 << (data[0] & 3);
    const size_t piece = 1 + data[1] % 64;
    const uint8_t* bytes = data + 2;
    const size_t length = size - 2;
    const auto reader = [&] {
        return [bytes, length, piece, at = size_t{0}](uint8_t* buffer, size_t room) mutable {
            const size_t n = std::min({room, piece, length - at});
            std::copy_n(bytes + at, n, buffer);
            at += n;
            return n;
        };
    };
    const auto header = jpeg::ReadSize(reader());
    // A header may claim millions of pixels in a few bytes; filling them
    // grey costs the fuzzer time and reaches no other code.
    if (header && uint64_t{static_cast<uint32_t>(header->width)} * static_cast<uint32_t>(header->height) >
                      (uint64_t{1} << 20) * reduction * reduction)
        return 0;
    const auto picture = jpeg::Decode(reader(), reduction);
    const std::string detail = std::to_string(length) + " bytes at 1/" + std::to_string(reduction);
    if (!header) {
        QUORVEL_REQUIRE(!picture, "a picture from data whose size was refused, " + detail);
        return 0;
    }
    if (!picture) return 0;  // too large to decode
    QUORVEL_REQUIRE(picture->width == (header->width + reduction - 1) / reduction &&
                        picture->height == (header->height + reduction - 1) / reduction &&
                        picture->pixels.size() == static_cast<size_t>(picture->width) * picture->height,
                    "a picture of another size than its header's, " + detail);
    for (uint32_t pixel : picture->pixels) QUORVEL_REQUIRE(pixel >> 24 == 0xFF, "a pixel not opaque, " + detail);
    const int width = 1 + data[1] % 7, height = 1 + data[0] % 5;
    const Bitmap scaled = jpeg::ScaleBilinear(*picture, width, height);
    QUORVEL_REQUIRE(scaled.width == width && scaled.height == height, "scaled to another size, " + detail);
    const auto banded = jpeg::DecodeScaled(reader(), reduction, width, height);
    QUORVEL_REQUIRE(banded && banded->pixels == scaled.pixels, "band by band unlike the whole, " + detail);
    return 0;
}
