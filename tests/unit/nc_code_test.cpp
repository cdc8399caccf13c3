// The NC码 rule: the forward check the recovery uses and the inverse the
// companion tool prints.
#include "lock/nc_code.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "base/text.h"

namespace quorvel {
namespace {

std::u16string Decimal(int64_t value) { return Utf8ToUtf16(std::to_string(value)); }

std::u16string CodeFor(std::u16string_view ns) {
    const auto code = NcCodeFor(ns);
    if (const auto* text = std::get_if<std::u16string>(&code)) return *text;
    ADD_FAILURE() << "no NC码 for " << Utf16ToUtf8(ns);
    return {};
}

std::optional<NoNcCode> RefusalFor(std::u16string_view ns) {
    const auto code = NcCodeFor(ns);
    if (const auto* why = std::get_if<NoNcCode>(&code)) return *why;
    return std::nullopt;
}

TEST(NcCode, TheInverseFitsItsNsCodeAndNoOther) {
    EXPECT_EQ(CodeFor(u"2580"), u"67348140");
    EXPECT_TRUE(NcCodeFits(u"67348140", u"2580"));
    EXPECT_FALSE(NcCodeFits(u"67348140", u"2581"));
    EXPECT_FALSE(NcCodeFits(u"67348140", u"2579"));

    const int64_t lowest = std::numeric_limits<int32_t>::min();
    const int64_t highest = std::numeric_limits<int32_t>::max();
    for (int64_t n : {lowest, lowest + 1, int64_t{-1}, int64_t{0}, int64_t{1}, int64_t{1001}, int64_t{9999},
                      highest - 1, highest}) {
        const std::u16string ns = Decimal(n);
        const std::u16string code = CodeFor(ns);
        EXPECT_TRUE(NcCodeFits(code, ns)) << n;
        if (n < highest) {
            EXPECT_FALSE(NcCodeFits(code, Decimal(n + 1))) << n;
        }
        // Plain decimal digits, with a sign only when negative.
        EXPECT_EQ(code.find_first_not_of(u"-0123456789"), std::u16string::npos) << n;
        EXPECT_EQ(code.rfind(u'-'), code.front() == u'-' ? 0 : std::u16string::npos) << n;
    }
    for (int64_t n = lowest; n <= highest; n += 104729 * 211) EXPECT_TRUE(NcCodeFits(CodeFor(Decimal(n)), Decimal(n)));
}

TEST(NcCode, TheNsCodeIsReadByItsLeadingNumber) {
    // Blanks inside, characters after the number, exponent and hexadecimal
    // forms, and an empty field worth 0.
    EXPECT_EQ(CodeFor(u" 2 5 8 0 abc"), u"67348140");
    EXPECT_EQ(CodeFor(u"2.58e3"), u"67348140");
    EXPECT_EQ(CodeFor(u"&HA14"), u"67348140");
    EXPECT_EQ(CodeFor(u""), CodeFor(u"0"));
    EXPECT_EQ(CodeFor(u"abcd"), CodeFor(u"0"));
    EXPECT_TRUE(NcCodeFits(CodeFor(u"0"), u""));

    // And so is the NC码.
    EXPECT_TRUE(NcCodeFits(u"6 734 8140", u"2580"));
    EXPECT_TRUE(NcCodeFits(u"67348140xyz", u"2580"));
    EXPECT_TRUE(NcCodeFits(u"6.734814e7", u"2580"));
}

TEST(NcCode, TheDerivedValueRoundsHalvesToEven) {
    // 67357593.5 derives to exactly 2580.5, 67376500.5 to exactly 2581.5.
    EXPECT_TRUE(NcCodeFits(u"67357593.5", u"2580"));
    EXPECT_FALSE(NcCodeFits(u"67357593.5", u"2581"));
    EXPECT_TRUE(NcCodeFits(u"67376500.5", u"2582"));
    EXPECT_FALSE(NcCodeFits(u"67376500.5", u"2581"));
}

TEST(NcCode, DerivedValuesBeyond32BitsNeverFit) {
    // The largest derived values that still fit, and one step beyond.
    EXPECT_TRUE(NcCodeFits(CodeFor(u"2147483647"), u"2147483647"));
    EXPECT_FALSE(NcCodeFits(Decimal(std::stoll(Utf16ToUtf8(CodeFor(u"2147483647"))) + 18907), u"2147483647"));
    for (std::u16string_view code :
         {u"99999999999999999999", u"1e400", u"-1e400", u"&HFFFFFFFFFFFFFFFFFFFF", u"-99999999999999999999"}) {
        for (std::u16string_view ns : {u"", u"0", u"2580", u"2147483647", u"-2147483648", u"1e400"})
            EXPECT_FALSE(NcCodeFits(code, ns)) << Utf16ToUtf8(code) << " / " << Utf16ToUtf8(ns);
    }
}

TEST(NcCode, NsCodesNoNcCodeCanFitAreRefused) {
    EXPECT_EQ(RefusalFor(u"3e09"), NoNcCode::OutOfRange);
    EXPECT_EQ(RefusalFor(u"9e99"), NoNcCode::OutOfRange);
    EXPECT_EQ(RefusalFor(u"2147483648"), NoNcCode::OutOfRange);
    EXPECT_EQ(RefusalFor(u"-2147483649"), NoNcCode::OutOfRange);
    EXPECT_EQ(RefusalFor(u"1e400"), NoNcCode::OutOfRange);
    EXPECT_EQ(RefusalFor(u"-1e400"), NoNcCode::OutOfRange);
    EXPECT_EQ(RefusalFor(u"&HFFFFFFFFFFFFFFFFFFFF"), NoNcCode::OutOfRange);
    EXPECT_EQ(RefusalFor(u"12.5"), NoNcCode::NotAnInteger);
    EXPECT_EQ(RefusalFor(u"-0.5"), NoNcCode::NotAnInteger);
    EXPECT_EQ(RefusalFor(u"2e09"), std::nullopt);
    EXPECT_EQ(RefusalFor(u"&HFFFFFFFF"), std::nullopt);  // reads as -1
    EXPECT_EQ(NcTargetOf(u"2e09"), (std::variant<int32_t, NoNcCode>(2000000000)));
}

}  // namespace
}  // namespace quorvel
