#include "base/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace quorvel {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The power of ten of the first significant digit of an ASCII decimal number
// "digits[.digits][e[sign]digits]" (0 for "1.5", -3 for "0.001e0", 2 for
// "0.1e3"); the exponent's own digits saturate, so that any length of either
// part is safe. A number without a significant digit gives 0.
int64_t DecimalOrder(std::string_view ascii) {
    const size_t e = std::min(ascii.find('e'), ascii.size());
    const std::string_view mantissa = ascii.substr(0, e);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos) return 0;
    int64_t order = first < point ? static_cast<int64_t>(point - first) - 1 : -static_cast<int64_t>(first - point);
    size_t i = e + 1;
    bool negative = false;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) negative = ascii[i++] == '-';
    int64_t exponent = 0;
    for (; i < ascii.size(); ++i) exponent = std::min<int64_t>(exponent * 10 + (ascii[i] - '0'), 1'000'000'000);
    return order + (negative ? -exponent : exponent);
}

// Parses an ASCII decimal number "digits[.digits][e[sign]digits]" exactly,
// independent of the C locale. Out-of-range values saturate to +/-infinity or
// flush to zero, as a finite reading of an overlong text should.
double ParseDecimal(const std::string& ascii) {
    if (ascii.empty()) return 0.0;
    double value = 0.0;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched on overflow and on underflow
        // alike: the order of magnitude tells them apart.
        return DecimalOrder(ascii) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    if (ec != std::errc()) return 0.0;
    return value;
}

}  // namespace

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) return floor + 1.0;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

namespace {
template <typename Int>
std::optional<Int> RoundTo(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = RoundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}
}  // namespace

std::optional<int16_t> RoundToInt16(double value) { return RoundTo<int16_t>(value); }
std::optional<int32_t> RoundToInt32(double value) { return RoundTo<int32_t>(value); }
std::optional<uint8_t> RoundToByte(double value) { return RoundTo<uint8_t>(value); }

std::optional<double> StrictNumber(std::u16string_view text, NumberFormat format) {
    size_t i = 0;
    const size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && (text[i] == u' ' || text[i] == u'\t')) ++i;
    };
    skipBlanks();
    std::string ascii;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    size_t digits = 0;
    while (i < n && IsDigit(text[i])) {
        ascii += static_cast<char>(text[i++]);
        ++digits;
    }
    if (i < n && text[i] == format.decimal) {
        ++i;
        ascii += '.';
        while (i < n && IsDigit(text[i])) {
            ascii += static_cast<char>(text[i++]);
            ++digits;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        ++i;
        ascii += 'e';
        if (i < n && (text[i] == u'+' || text[i] == u'-')) ascii += static_cast<char>(text[i++]);
        size_t expDigits = 0;
        while (i < n && IsDigit(text[i])) {
            ascii += static_cast<char>(text[i++]);
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    skipBlanks();
    if (i != n) return std::nullopt;
    if (ascii.front() == '.') ascii.insert(ascii.begin(), '0');
    const double value = ParseDecimal(ascii);
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

double LeadingNumber(std::u16string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    auto skip = [&] {
        while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n')) ++i;
    };
    auto peek = [&]() -> char16_t {
        skip();
        return i < n ? text[i] : u'\0';
    };

    if (peek() == u'&') {
        ++i;
        const char16_t kind = peek();
        unsigned base = 0;
        if (kind == u'H' || kind == u'h') base = 16;
        if (kind == u'O' || kind == u'o') base = 8;
        if (base == 0) return 0.0;
        ++i;
        double magnitude = 0.0;
        for (char16_t c = peek(); i < n; c = peek()) {
            unsigned digit = 16;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (base == 16 && c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (base == 16 && c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            if (digit >= base) break;
            magnitude = magnitude * base + digit;
            ++i;
        }
        if (magnitude <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(magnitude));
        if (magnitude <= 0xFFFFFFFFu) return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        return magnitude;
    }

    bool negative = false;
    if (peek() == u'+' || peek() == u'-') {
        negative = text[i] == u'-';
        ++i;
    }
    std::string ascii;
    size_t digits = 0;
    while (IsDigit(peek()) && i < n) {
        ascii += static_cast<char>(text[i++]);
        ++digits;
    }
    if (peek() == u'.') {
        ++i;
        ascii += '.';
        while (IsDigit(peek()) && i < n) {
            ascii += static_cast<char>(text[i++]);
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    const char16_t e = peek();
    if (e == u'e' || e == u'E' || e == u'd' || e == u'D') {
        ++i;
        std::string exponent = "e";
        if (peek() == u'+' || peek() == u'-') exponent += static_cast<char>(text[i++]);
        size_t expDigits = 0;
        while (IsDigit(peek()) && i < n) {
            exponent += static_cast<char>(text[i++]);
            ++expDigits;
        }
        if (expDigits > 0) ascii += exponent;
    }
    if (ascii.front() == '.') ascii.insert(ascii.begin(), '0');
    const double value = ParseDecimal(ascii);
    return negative ? -value : value;
}

}  // namespace quorvel
