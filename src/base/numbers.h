// Text-to-number conversions and integer rounding shared by the handlers.
// Two readings of a text exist: StrictNumber (the whole text must be a number,
// in the user's locale) and LeadingNumber (the number the text starts with,
// never fails, locale-free).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvel {

// The user's number format, as the platform reports it. Only the decimal
// separator matters to StrictNumber.
struct NumberFormat {
    char16_t decimal = u'.';
};

// Reads the whole text as a number. Accepted, and nothing else:
//   [blanks] [+|-] digits [sep digits] [(E|e|D|d) [+|-] digits] [blanks]
// where blanks are spaces and tabs, sep is the locale's decimal separator and
// the mantissa may also be written "sep digits" or "digits sep". The empty
// text, a lone sign, thousands separators, hexadecimal forms and values
// outside the double range (for example "1e400") fail.
std::optional<double> StrictNumber(std::u16string_view text, NumberFormat format = {});

// The value of the longest leading part of the text that reads as a number:
// an optional sign, digits with "." as decimal point, an optional exponent
// marked E or D (either case) with its own sign; or "&H" hexadecimal / "&O"
// octal digits. Spaces, tabs and line feeds are skipped wherever they stand.
// Reading stops at the first other character; no number gives 0. Never fails:
// a decimal value beyond the double range gives +/-infinity, one below its
// smallest magnitude gives 0. Hexadecimal and octal values that fit 16 bits
// read as a signed 16-bit integer, those that fit 32 bits as a signed 32-bit
// integer (so "&HFFFF" is -1), larger ones as their unsigned magnitude.
double LeadingNumber(std::u16string_view text);

// Round to the nearest integer, halves to the even neighbour; empty when the
// value is not finite or the rounded value lies outside the type's range.
std::optional<int16_t> RoundToInt16(double value);
std::optional<int32_t> RoundToInt32(double value);
std::optional<uint8_t> RoundToByte(double value);

// Nearest integer, halves to even, as a double (no range check).
double RoundHalfEven(double value);

}  // namespace quorvel
