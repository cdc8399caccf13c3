// Twips (1/1440 inch) are the unit of every position and size the handlers
// see; pixels appear only where a platform call needs them.
#pragma once

#include <cstdint>
#include <optional>

namespace quorvel {

using Twips = float;  // single precision, as the windows keep their geometry

inline constexpr int kTwipsPerPixelAt96Dpi = 15;

struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A window's own pixel geometry, as the keep-on-top ticks compute it:
//   x      = round(left / twipsPerPixelX)        (floating-point division)
//   y      = round(top) div round(twipsPerPixelY)
//   width  = round(width) div round(twipsPerPixelX)
//   height = round(height) div round(twipsPerPixelY)
// round is halves-to-even into 32 bits; div truncates toward zero. Empty when
// a rounding leaves the 32-bit range or a divisor rounds to 0.
std::optional<PixelRect> WindowPixelGeometry(Twips left,
                                             Twips top,
                                             Twips width,
                                             Twips height,
                                             float twipsPerPixelX,
                                             float twipsPerPixelY);

}  // namespace quorvel
