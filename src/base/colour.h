// Colours are 0x00BBGGRR values, or 0x800000nn for the desktop's system
// colour number nn.
#pragma once

#include <cstdint>

namespace quorvel {

using Colour = uint32_t;

constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
constexpr bool IsSystemColour(Colour c) { return (c & 0x80000000u) != 0; }
constexpr int SystemColourIndex(Colour c) { return static_cast<int>(c & 0xFFu); }

inline constexpr Colour kSysWindowBackground = 0x80000005u;
inline constexpr Colour kSysWindowText = 0x80000008u;
inline constexpr Colour kSysButtonText = 0x80000012u;
// "No colour of its own": the control kind's usual default applies.
inline constexpr Colour kDefaultColour = 0xFFFFFFFFu;

}  // namespace quorvel
