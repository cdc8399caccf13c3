// LeadingNumber on any text: it never fails and never gives NaN; blanks count
// nowhere; reading stops at the first other character; a plain decimal
// number reads exactly as the C library reads it, and "&H"/"&O" forms give
// their integer widths.
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/numbers.h"
#include "fuzz_support.h"

namespace {

using namespace quorvel;
using namespace quorvel::fuzz;

// "&H digits" or "&O digits" as the whole text (no blanks), read by the
// documented widths; nothing when the form differs or the magnitude passes
// 2^53, where the reading is no longer an exact integer.
std::optional<double> PlainRadix(std::u16string_view text) {
    if (text.size() < 2 || text[0] != u'&') return std::nullopt;
    unsigned base = 0;
    if (text[1] == u'H' || text[1] == u'h') base = 16;
    if (text[1] == u'O' || text[1] == u'o') base = 8;
    if (base == 0) return std::nullopt;
    uint64_t magnitude = 0;
    for (char16_t c : text.substr(2)) {
        unsigned digit = 16;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        if (digit >= base) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > (uint64_t{1} << 53)) return std::nullopt;
    }
    if (magnitude <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(magnitude));
    if (magnitude <= 0xFFFFFFFFu) return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    return static_cast<double>(magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = DecodeText({reinterpret_cast<const char*>(data), size});
    const double value = LeadingNumber(text);
    QUORVEL_REQUIRE(!std::isnan(value), Describe(text, value, 0));

    std::u16string bare;
    for (char16_t c : text)
        if (c != u' ' && c != u'\t' && c != u'\n') bare += c;
    const double bareValue = LeadingNumber(bare);
    QUORVEL_REQUIRE(SameReading(bareValue, value), Describe(bare, bareValue, value));

    const std::u16string followed = text + u"x";
    const double followedValue = LeadingNumber(followed);
    QUORVEL_REQUIRE(SameReading(followedValue, value), Describe(followed, followedValue, value));

    if (const auto plain = PlainDecimal(bare, u'.')) {
        const double expected = ReferenceValue(*plain);
        QUORVEL_REQUIRE(SameReading(value, expected), Describe(text, value, expected));
    }
    if (const auto radix = PlainRadix(bare)) QUORVEL_REQUIRE(value == *radix, Describe(text, value, *radix));
    return 0;
}
