// The NC码 check against an NS码, and its inverse as QuorvelNC prints it. The
// input holds an NC码 text and an NS码 text, separated by the byte FF. A code
// that fits names a 32-bit integer NS码 value; the inverse finds a code for
// every such value and for no other; the code it prints is plain digits with
// an optional "-", fits its own NS码, and fits another NS码 exactly when that
// one reads as the same value. QuorvelNC prints that code (or its help, for
// the three help options).
#include <cstdint>
#include <span>
#include <variant>

#include "base/numbers.h"
#include "fuzz_support.h"
#include "lock/nc_code.h"
#include "nc_tool.h"

namespace {

using namespace quorvel;
using namespace quorvel::fuzz;

bool PlainInteger(std::u16string_view code) {
    if (!code.empty() && code.front() == u'-') code.remove_prefix(1);
    if (code.empty()) return false;
    for (char16_t c : code)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// The inverse for one NS码, checked against the other text of the input.
void CheckInverse(const std::u16string& ns, const std::u16string& other) {
    const auto target = NcTargetOf(ns);
    const auto code = NcCodeFor(ns);
    const std::string detail = "NS码 \"" + Printable(ns) + "\", other text \"" + Printable(other) + "\"";
    const auto* value = std::get_if<int32_t>(&target);
    QUORVEL_REQUIRE(std::holds_alternative<std::u16string>(code) == (value != nullptr), detail);

    const std::u16string args[] = {ns};
    const nc_tool::Outcome outcome = nc_tool::Run(std::span<const std::u16string>(args));
    if (ns == u"--help" || ns == u"-h" || ns == u"/?") {
        // The tool's help, whatever the rule says of the text.
        QUORVEL_REQUIRE(outcome.exitCode == 2 && !outcome.out.empty() && outcome.err.empty(), detail);
        return;
    }
    if (!value) {
        QUORVEL_REQUIRE(std::get<NoNcCode>(code) != NoNcCode::Unverified, detail);
        QUORVEL_REQUIRE(outcome.exitCode == 1 && outcome.out.empty() && !outcome.err.empty(), detail);
        return;
    }
    QUORVEL_REQUIRE(LeadingNumber(ns) == *value, detail);
    const std::u16string& printed = std::get<std::u16string>(code);
    QUORVEL_REQUIRE(PlainInteger(printed), detail + ", code \"" + Printable(printed) + "\"");
    QUORVEL_REQUIRE(NcCodeFits(printed, ns), detail + ", code \"" + Printable(printed) + "\"");
    QUORVEL_REQUIRE(NcCodeFits(printed, other) == (LeadingNumber(other) == *value),
                    detail + ", code \"" + Printable(printed) + "\"");
    QUORVEL_REQUIRE(outcome.exitCode == 0 && outcome.out == printed + u"\n" && outcome.err.empty(), detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::u16string> texts = DecodeTexts(data, size, 2);
    const std::u16string& nc = texts[0];
    const std::u16string& ns = texts[1];

    if (NcCodeFits(nc, ns)) {
        const auto target = NcTargetOf(ns);
        QUORVEL_REQUIRE(std::holds_alternative<int32_t>(target),
                        "NC码 \"" + Printable(nc) + "\" fits NS码 \"" + Printable(ns) + "\" without a target");
    }
    CheckInverse(ns, nc);
    CheckInverse(nc, ns);
    return 0;
}
