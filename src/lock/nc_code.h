// The NC码 rule: an unlock code fits an NS码 when dividing and shifting it by
// five fixed constants gives back the NS码's value. The recovery check uses
// the forward direction; the companion tool QuorvelNC computes the inverse.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace quorvel {

// The rule's constants: first divisor, first offset, second divisor, second
// offset, third divisor.
inline constexpr int64_t kNcDivisor1 = 37;
inline constexpr int64_t kNcOffset1 = 52817;
inline constexpr int64_t kNcDivisor2 = 73;
inline constexpr int64_t kNcOffset2 = 6151;
inline constexpr int64_t kNcDivisor3 = 7;

// Whether the NC码 text fits the NS码 text: LeadingNumber of the NC码, divided
// by the first divisor, less the first offset, divided by the second divisor,
// less the second offset, divided by the third divisor (double precision, in
// that order), rounded halves-to-even into a 32-bit integer, must equal
// LeadingNumber of the NS码. A derived value outside 32 bits never fits.
bool NcCodeFits(std::u16string_view ncText, std::u16string_view nsText);

// Why no NC码 can fit an NS码.
enum class NoNcCode {
    NotAnInteger,  // the NS码's value has a fractional part
    OutOfRange,    // the NS码's value lies outside the 32-bit signed range
    Unverified,    // the computed code did not pass the forward check
};

// The value an NC码 must derive to for this NS码 text, or why none can.
std::variant<int32_t, NoNcCode> NcTargetOf(std::u16string_view nsText);

// The NC码 that fits the NS码 text, written as plain decimal digits with a
// leading "-" when negative; checked with NcCodeFits before it is returned.
std::variant<std::u16string, NoNcCode> NcCodeFor(std::u16string_view nsText);

}  // namespace quorvel
