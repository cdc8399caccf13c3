// StrictNumber on any text, with "." and "," and the Arabic decimal separator:
// it accepts exactly the texts that are one plain decimal number between
// optional blanks and lie in the double range, and then gives the C library's
// reading; accepted texts read the same with LeadingNumber; swapping the two
// separators in the text and in the format gives the same reading.
#include <cmath>
#include <cstdint>
#include <optional>

#include "base/numbers.h"
#include "fuzz_support.h"

namespace {

using namespace quorvel;
using namespace quorvel::fuzz;

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

std::string Outcome(const std::optional<double>& reading) {
    if (!reading) return "refused";
    char text[48];
    std::snprintf(text, sizeof text, "%.17g", *reading);
    return text;
}

void Check(const std::u16string& text, char16_t decimal) {
    const std::optional<double> reading = StrictNumber(text, {decimal});
    std::optional<double> expected;
    if (const auto plain = PlainDecimal(TrimBlanks(text), decimal)) {
        const double value = ReferenceValue(*plain);
        if (std::isfinite(value)) expected = value;
    }
    const std::string detail = "text \"" + Printable(text) + "\" with decimal " +
                               Printable(std::u16string(1, decimal)) + ": " + Outcome(reading) + ", expected " +
                               Outcome(expected);
    QUORVEL_REQUIRE(reading.has_value() == expected.has_value(), detail);
    if (!reading) return;
    QUORVEL_REQUIRE(*reading == *expected, detail);
    if (decimal == u'.') {
        const double leading = LeadingNumber(text);
        QUORVEL_REQUIRE(leading == *reading, detail + "; LeadingNumber " + Outcome(leading));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = DecodeText({reinterpret_cast<const char*>(data), size});
    for (char16_t decimal : {u'.', u',', u'\u066B'}) Check(text, decimal);

    std::u16string swapped = text;
    for (char16_t& c : swapped) c = c == u'.' ? u',' : c == u',' ? u'.' : c;
    const auto withPoint = StrictNumber(text, {u'.'});
    const auto withComma = StrictNumber(swapped, {u','});
    QUORVEL_REQUIRE(withPoint.has_value() == withComma.has_value() && (!withPoint || *withPoint == *withComma),
                    "text \"" + Printable(text) + "\": " + Outcome(withPoint) + " with \".\", " + Outcome(withComma) +
                        " swapped with \",\"");
    return 0;
}
