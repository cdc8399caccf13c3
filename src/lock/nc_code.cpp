#include "lock/nc_code.h"

#include <cmath>
#include <limits>

#include "base/numbers.h"

namespace quorvel {
namespace {

// The largest magnitude an NC码 reaches for a 32-bit NS码. Below 2^53 every
// step of the forward rule is exact in double precision, so the printed code
// derives back to exactly its NS码.
constexpr int64_t kLargestNcMagnitude =
    ((2147483648LL * kNcDivisor3 + kNcOffset2) * kNcDivisor2 + kNcOffset1) * kNcDivisor1;
static_assert(kLargestNcMagnitude < (int64_t{1} << 53));

}  // namespace

bool NcCodeFits(std::u16string_view ncText, std::u16string_view nsText) {
    double v = LeadingNumber(ncText);
    v = v / static_cast<double>(kNcDivisor1);
    v = v - static_cast<double>(kNcOffset1);
    v = v / static_cast<double>(kNcDivisor2);
    v = v - static_cast<double>(kNcOffset2);
    v = v / static_cast<double>(kNcDivisor3);
    const auto m = RoundToInt32(v);
    if (!m) return false;
    return LeadingNumber(nsText) == static_cast<double>(*m);
}

std::variant<int32_t, NoNcCode> NcTargetOf(std::u16string_view nsText) {
    const double n = LeadingNumber(nsText);
    if (!std::isfinite(n) || n < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
        n > static_cast<double>(std::numeric_limits<int32_t>::max()))
        return NoNcCode::OutOfRange;
    if (std::trunc(n) != n) return NoNcCode::NotAnInteger;
    return static_cast<int32_t>(n);
}

std::variant<std::u16string, NoNcCode> NcCodeFor(std::u16string_view nsText) {
    const auto target = NcTargetOf(nsText);
    if (const auto* refusal = std::get_if<NoNcCode>(&target)) return *refusal;
    const int64_t n = std::get<int32_t>(target);
    const int64_t v = ((n * kNcDivisor3 + kNcOffset2) * kNcDivisor2 + kNcOffset1) * kNcDivisor1;
    std::u16string code;
    for (char c : std::to_string(v)) code += static_cast<char16_t>(c);
    if (!NcCodeFits(code, nsText)) return NoNcCode::Unverified;
    return code;
}

}  // namespace quorvel
