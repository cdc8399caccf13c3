// The two readings of a text as a number, and the rounding into integers.
#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorvel {
namespace {

TEST(LeadingNumber, ReadsTheLeadingDecimalNumberAndStopsAtTheFirstOtherCharacter) {
    EXPECT_EQ(LeadingNumber(u"1234"), 1234.0);
    EXPECT_EQ(LeadingNumber(u"12ab"), 12.0);
    EXPECT_EQ(LeadingNumber(u"-7.25xyz"), -7.25);
    EXPECT_EQ(LeadingNumber(u"+42"), 42.0);
    EXPECT_EQ(LeadingNumber(u".5"), 0.5);
    EXPECT_EQ(LeadingNumber(u"3."), 3.0);
    EXPECT_EQ(LeadingNumber(u"1.2.3"), 1.2);
    EXPECT_EQ(LeadingNumber(u"12,5"), 12.0);  // the decimal point is always "."
}

TEST(LeadingNumber, GivesZeroWhenTheTextStartsWithNoNumber) {
    EXPECT_EQ(LeadingNumber(u""), 0.0);
    EXPECT_EQ(LeadingNumber(u"abcd"), 0.0);
    EXPECT_EQ(LeadingNumber(u"-"), 0.0);
    EXPECT_EQ(LeadingNumber(u"--5"), 0.0);
    EXPECT_EQ(LeadingNumber(u"."), 0.0);
    EXPECT_EQ(LeadingNumber(u"e5"), 0.0);
    EXPECT_EQ(LeadingNumber(u"\r12"), 0.0);  // a carriage return is not skipped
}

TEST(LeadingNumber, SkipsBlanksTabsAndLineFeedsWhereverTheyStand) {
    EXPECT_EQ(LeadingNumber(u"  12 34 "), 1234.0);
    EXPECT_EQ(LeadingNumber(u"1\t2\n3"), 123.0);
    EXPECT_EQ(LeadingNumber(u"- 1 . 5"), -1.5);
    EXPECT_EQ(LeadingNumber(u"1 e 3"), 1000.0);
    EXPECT_EQ(LeadingNumber(u"& H 1 F"), 31.0);
}

TEST(LeadingNumber, ReadsExponentsMarkedEOrDWithTheirOwnSign) {
    EXPECT_EQ(LeadingNumber(u"1e3"), 1000.0);
    EXPECT_EQ(LeadingNumber(u"1E+3"), 1000.0);
    EXPECT_EQ(LeadingNumber(u"25e-1"), 2.5);
    EXPECT_EQ(LeadingNumber(u"2d3"), 2000.0);
    EXPECT_EQ(LeadingNumber(u"2D-2"), 0.02);
    EXPECT_EQ(LeadingNumber(u"5e"), 5.0);  // an exponent marker without digits is ignored
    EXPECT_EQ(LeadingNumber(u"5e+x"), 5.0);
    EXPECT_EQ(LeadingNumber(u"9e99"), 9e99);
}

TEST(LeadingNumber, HugeExponentsSaturateInsteadOfFailing) {
    EXPECT_EQ(LeadingNumber(u"1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber(u"-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber(u"1e-400"), 0.0);
    EXPECT_EQ(LeadingNumber(u"1e99999999999999999999"), std::numeric_limits<double>::infinity());
    const std::u16string manyDigits(5000, u'9');
    EXPECT_TRUE(std::isinf(LeadingNumber(manyDigits)));
}

TEST(LeadingNumber, TheDigitsAndTheExponentTogetherDecideBetweenInfinityAndZero) {
    const double infinity = std::numeric_limits<double>::infinity();
    // 1e490: the mantissa carries the magnitude that the exponent only lowers.
    const std::u16string hugeMantissa = u"1" + std::u16string(500, u'0') + u"e-10";
    EXPECT_EQ(LeadingNumber(hugeMantissa), infinity);
    EXPECT_EQ(LeadingNumber(u"-" + hugeMantissa), -infinity);
    // 1e-401, and 1e-396 with an exponent that only raises it.
    const std::u16string tinyFraction = u"0." + std::u16string(400, u'0') + u"1";
    EXPECT_EQ(LeadingNumber(tinyFraction), 0.0);
    EXPECT_EQ(LeadingNumber(tinyFraction + u"e+5"), 0.0);
    // Within the range whichever part is long.
    EXPECT_EQ(LeadingNumber(u"1" + std::u16string(500, u'0') + u"e-400"), 1e100);
    EXPECT_EQ(LeadingNumber(tinyFraction + u"e400"), 0.1);
}

TEST(LeadingNumber, ReadsHexadecimalAndOctalWithTheirIntegerWidths) {
    EXPECT_EQ(LeadingNumber(u"&H10"), 16.0);
    EXPECT_EQ(LeadingNumber(u"&hff"), 255.0);
    EXPECT_EQ(LeadingNumber(u"&O17"), 15.0);
    EXPECT_EQ(LeadingNumber(u"&o19"), 1.0);  // 9 is no octal digit
    EXPECT_EQ(LeadingNumber(u"&HFFFF"), -1.0);
    EXPECT_EQ(LeadingNumber(u"&H8000"), -32768.0);
    EXPECT_EQ(LeadingNumber(u"&H10000"), 65536.0);
    EXPECT_EQ(LeadingNumber(u"&HFFFFFFFF"), -1.0);
    EXPECT_EQ(LeadingNumber(u"&H1G"), 1.0);
    EXPECT_EQ(LeadingNumber(u"&H"), 0.0);
    EXPECT_EQ(LeadingNumber(u"&X12"), 0.0);
    EXPECT_EQ(LeadingNumber(u"&HFFFFFFFFFFFFFFFFFFFF"), std::ldexp(1.0, 80) - 1.0);
}

TEST(StrictNumber, AcceptsPlainNumbersWithSignDecimalsExponentsAndSurroundingBlanks) {
    EXPECT_EQ(StrictNumber(u"255"), 255.0);
    EXPECT_EQ(StrictNumber(u"-1"), -1.0);
    EXPECT_EQ(StrictNumber(u"+3"), 3.0);
    EXPECT_EQ(StrictNumber(u"2.5"), 2.5);
    EXPECT_EQ(StrictNumber(u".5"), 0.5);
    EXPECT_EQ(StrictNumber(u"5."), 5.0);
    EXPECT_EQ(StrictNumber(u"1e2"), 100.0);
    EXPECT_EQ(StrictNumber(u"1D2"), 100.0);
    EXPECT_EQ(StrictNumber(u" 12\t"), 12.0);
    EXPECT_EQ(StrictNumber(u"007"), 7.0);
}

TEST(StrictNumber, FailsOnTheEmptyTextALoneSignAndEveryNonNumber) {
    for (const char16_t* text : {u"", u" ", u"-", u"+", u".", u"-.", u"abc", u"12a", u"1 2", u"1e", u"1e+", u"--1",
                                 u"&H10", u"1,000", u"e5", u"1e400", u"-1e400", u"2.5.1"}) {
        EXPECT_FALSE(StrictNumber(text).has_value()) << std::u16string(text).size();
    }
}

TEST(StrictNumber, ALongMantissaBeyondTheRangeFailsAndOneBelowItReadsAsZero) {
    EXPECT_FALSE(StrictNumber(u"1" + std::u16string(500, u'0') + u"e-10").has_value());
    EXPECT_EQ(StrictNumber(u"0." + std::u16string(400, u'0') + u"1"), 0.0);
}

TEST(StrictNumber, UsesTheLocaleDecimalSeparator) {
    const NumberFormat comma{u','};
    EXPECT_EQ(StrictNumber(u"2,5", comma), 2.5);
    EXPECT_FALSE(StrictNumber(u"2.5", comma).has_value());
    EXPECT_FALSE(StrictNumber(u"2,5").has_value());
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt32(0.5), 0);
    EXPECT_EQ(RoundToInt32(1.5), 2);
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(-0.5), 0);
    EXPECT_EQ(RoundToInt32(-1.5), -2);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(2.4999), 2);
    EXPECT_EQ(RoundToInt32(2.5001), 3);
    EXPECT_EQ(RoundToByte(127.5), 128);
    EXPECT_EQ(RoundToByte(128.5), 128);
}

TEST(Rounding, FailsOutsideTheIntegerRange) {
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_FALSE(RoundToInt16(32767.5).has_value());  // rounds to the even 32768
    EXPECT_EQ(RoundToInt16(-32768.5), -32768);        // rounds to the even -32768
    EXPECT_FALSE(RoundToInt16(-32769.0).has_value());
    EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
    EXPECT_FALSE(RoundToInt32(2147483647.5).has_value());
    EXPECT_EQ(RoundToInt32(-2147483648.4), -2147483647 - 1);
    EXPECT_FALSE(RoundToInt32(-2147483649.0).has_value());
    EXPECT_FALSE(RoundToInt32(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(RoundToInt32(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_EQ(RoundToByte(255.4), 255);
    EXPECT_FALSE(RoundToByte(255.5).has_value());
    EXPECT_EQ(RoundToByte(-0.5), 0);
    EXPECT_FALSE(RoundToByte(-0.6).has_value());
}

}  // namespace
}  // namespace quorvel
