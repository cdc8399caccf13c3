// The opacity field's rule, run by the real change handler of a started
// program on the test double: whatever text reaches the field, afterwards it
// holds that text unchanged when the text reads as a number from 0 to 255,
// and otherwise exactly "255" or "0"; the corrections settle at once. Each
// input is tried with "." and with "," as the user's decimal separator.
#include <cstdint>

#include "app/form1.h"
#include "app/program.h"
#include "base/numbers.h"
#include "fuzz_support.h"
#include "support/fake_toolkit.h"

namespace {

using namespace quorvel;
using namespace quorvel::fuzz;

// One started program per separator, kept for the whole run: the rule reads
// nothing but the field and the number format.
struct Started {
    explicit Started(char16_t decimal) {
        toolkit.numberFormat.decimal = decimal;
        program.Start();
    }
    testing::FakeToolkit toolkit;
    Program program{toolkit};
};

void Check(Started& started, const std::u16string& typed) {
    Form1& form1 = started.program.SetupWindow();
    auto& field = static_cast<testing::FakeWindow&>(form1.window()).FakeTextBoxNamed("Text3");
    // A valid value first, so that the typed text is a change.
    form1.Text3.SetText(u"7");
    const int changesBefore = field.changeCount;
    form1.Text3.SetText(typed);
    const std::u16string shown = form1.Text3.Text();
    const NumberFormat format = started.toolkit.numberFormat;
    const std::optional<double> value = StrictNumber(typed, format);
    const std::string detail = "typed \"" + Printable(typed) + "\" with decimal " +
                               Printable(std::u16string(1, format.decimal)) + ", shown \"" + Printable(shown) + "\"";
    if (value && *value >= 0 && *value <= 255) {
        QUORVEL_REQUIRE(shown == typed, detail);
    } else {
        QUORVEL_REQUIRE(shown == u"255" || shown == u"0", detail);
    }
    // The typed text and at most two corrections.
    QUORVEL_REQUIRE(field.changeCount - changesBefore <= 3, detail);
    QUORVEL_REQUIRE(started.toolkit.messages.empty(), detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Started withPoint(u'.');
    static Started withComma(u',');
    const std::u16string typed = DecodeText({reinterpret_cast<const char*>(data), size});
    Check(withPoint, typed);
    Check(withComma, typed);
    return 0;
}
