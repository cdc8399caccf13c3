// What the fuzz targets share: turning the fuzzer's bytes into UTF-16 texts,
// a check that stops the run with a message, and a plain reading of decimal
// numbers to compare the program's readings with.
//
// Bytes to UTF-16: well-formed UTF-8 reads as UTF-8, and the three-byte form
// of a surrogate (ED A0 80 to ED BF BF) gives that surrogate alone, so that
// seed files are plain text and lone surrogates stay reachable. The byte FE
// followed by a byte n repeats the last unit (n + 1) * 16 times, so that long
// texts take few bytes. Every other byte stands for the unit of the same value
// (0x00 is a NUL, 0x80 to 0xFD the Latin-1 characters). In the targets that
// take several texts, the byte FF separates them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::fuzz {

inline constexpr uint8_t kRepeat = 0xFE;
inline constexpr uint8_t kSeparator = 0xFF;
// A repeated text stops growing here: long enough to overflow any reading,
// short enough to keep the runs fast.
inline constexpr size_t kMaxUnits = 1 << 13;

inline std::u16string DecodeText(std::string_view bytes) {
    std::u16string out;
    size_t i = 0;
    auto byte = [&bytes](size_t at) { return static_cast<uint8_t>(bytes[at]); };
    auto continuation = [&](size_t at) { return at < bytes.size() && (byte(at) & 0xC0) == 0x80; };
    while (i < bytes.size()) {
        const uint8_t b = byte(i);
        if (b == kRepeat && i + 1 < bytes.size()) {
            if (!out.empty()) {
                const size_t count = (static_cast<size_t>(byte(i + 1)) + 1) * 16;
                const size_t room = kMaxUnits > out.size() ? kMaxUnits - out.size() : 0;
                out.append(count < room ? count : room, out.back());
            }
            i += 2;
        } else if (b >= 0xC2 && b <= 0xDF && continuation(i + 1)) {
            out += static_cast<char16_t>((b & 0x1F) << 6 | (byte(i + 1) & 0x3F));
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF && continuation(i + 1) && continuation(i + 2) &&
                   (b != 0xE0 || byte(i + 1) >= 0xA0)) {
            out += static_cast<char16_t>((b & 0x0F) << 12 | (byte(i + 1) & 0x3F) << 6 | (byte(i + 2) & 0x3F));
            i += 3;
        } else if (b >= 0xF0 && b <= 0xF4 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3) &&
                   (b != 0xF0 || byte(i + 1) >= 0x90) && (b != 0xF4 || byte(i + 1) < 0x90)) {
            const uint32_t cp =
                (b & 0x07) << 18 | (byte(i + 1) & 0x3F) << 12 | (byte(i + 2) & 0x3F) << 6 | (byte(i + 3) & 0x3F);
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            i += 4;
        } else {
            out += static_cast<char16_t>(b);
            ++i;
        }
    }
    return out;
}

// The input split at every separator byte, each part decoded; at least
// `count` texts (missing ones are empty).
inline std::vector<std::u16string> DecodeTexts(const uint8_t* data, size_t size, size_t count) {
    std::vector<std::u16string> texts;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const size_t end = rest.find(static_cast<char>(kSeparator));
        texts.push_back(DecodeText(rest.substr(0, end)));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    if (texts.size() < count) texts.resize(count);
    return texts;
}

// UTF-16 as printable ASCII for messages: other units as \uXXXX.
inline std::string Printable(std::u16string_view text) {
    std::string out;
    for (char16_t c : text.substr(0, 200)) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        }
    }
    if (text.size() > 200) out += "... (" + std::to_string(text.size()) + " units)";
    return out;
}

// Stops the run (libFuzzer saves the input) when a property does not hold.
[[noreturn]] inline void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "property failed: %s\n  %s\n", what, detail.c_str());
    std::abort();
}

#define QUORVEL_REQUIRE(condition, detail)                             \
    do {                                                               \
        if (!(condition)) ::quorvel::fuzz::Fail(#condition, (detail)); \
    } while (false)

// When the whole text is one plain decimal number, without blanks,
//   [+|-] digits [decimal digits] [(E|e|D|d) [+|-] digits]
// with digits on at least one side of the decimal separator: the number in
// the C library's form ("-12.5e+3"), for strtod. Otherwise nothing.
inline std::optional<std::string> PlainDecimal(std::u16string_view text, char16_t decimal) {
    std::string ascii;
    size_t i = 0;
    auto digit = [&](size_t at) { return at < text.size() && text[at] >= u'0' && text[at] <= u'9'; };
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ascii += static_cast<char>(text[i++]);
    size_t mantissaDigits = 0;
    for (; digit(i); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
    if (i < text.size() && text[i] == decimal) {
        ascii += '.';
        for (++i; digit(i); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        ascii += 'e';
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ascii += static_cast<char>(text[i++]);
        if (!digit(i)) return std::nullopt;
        for (; digit(i); ++i) ascii += static_cast<char>(text[i]);
    }
    if (i != text.size()) return std::nullopt;
    return ascii;
}

// The C library's correctly rounded reading ("C" locale: the fuzzers never
// change it): +/-infinity beyond the double range, 0 below it.
inline double ReferenceValue(const std::string& plain) { return std::strtod(plain.c_str(), nullptr); }

// Equal as readings: the same value, or both NaN (never expected).
inline bool SameReading(double a, double b) { return a == b || (a != a && b != b); }

inline std::string Describe(std::u16string_view text, double got, double expected) {
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " -> %.17g, expected %.17g", got, expected);
    return "text \"" + Printable(text) + "\"" + numbers;
}

}  // namespace quorvel::fuzz
