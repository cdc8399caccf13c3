// The save behind the NS码 rule, through a click on the real button of a
// started program on the test double. The input holds up to three texts,
// separated by the byte FF: the NS码 field, the opacity field and the picture
// field. The three entries are written exactly when the NS码 is four UTF-16
// units whose leading number lies above 1000 and within 32 bits, and then
// with the three fields' texts; otherwise nothing is written and the user
// sees the NS码 message.
#include <algorithm>
#include <cstdint>

#include "app/form1.h"
#include "app/program.h"
#include "base/numbers.h"
#include "fuzz_support.h"
#include "support/fake_toolkit.h"

namespace {

using namespace quorvel;
using namespace quorvel::fuzz;

constexpr std::u16string_view kNsPrompt = u"为了能够找回密码,您必须正确设置NS码！";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::u16string> texts = DecodeTexts(data, size, 3);

    testing::FakeToolkit toolkit;
    Program program(toolkit);
    program.Start();
    Form1& form1 = program.SetupWindow();
    auto& window = static_cast<testing::FakeWindow&>(form1.window());
    // The settings page opens with its refill from the (empty) store.
    window.FakeButtonNamed("iButton4").UserClick();
    toolkit.Advance(8);

    form1.Text3.SetText(texts[1]);
    form1.Text5.SetText(texts[2]);
    form1.Text4.SetText(texts[0]);
    const std::u16string opacity = form1.Text3.Text();
    const std::u16string ns = form1.Text4.Text();
    const std::u16string picture = form1.Text5.Text();
    toolkit.storeOps.clear();
    toolkit.messages.clear();

    window.FakeButtonNamed("i4").UserClick();

    const double value = LeadingNumber(ns);
    const bool passes = ns.size() == 4 && value > 1000 && value <= 2147483647.0;
    const std::string detail = "NS码 \"" + Printable(ns) + "\", opacity \"" + Printable(opacity) + "\", picture \"" +
                               Printable(picture) + "\", rule " + (passes ? "passes" : "fails") + ", " +
                               std::to_string(toolkit.storeOps.size()) + " store operations, " +
                               std::to_string(toolkit.messages.size()) + " messages";
    if (passes) {
        QUORVEL_REQUIRE(toolkit.messages.empty(), detail);
        QUORVEL_REQUIRE(toolkit.storeOps.size() == 3, detail);
        const std::u16string_view applications[] = {u"text3", u"text4", u"text5"};
        const std::u16string_view written[] = {opacity, ns, picture};
        for (size_t i = 0; i < 3; ++i) {
            const testing::StoreOp& op = toolkit.storeOps[i];
            QUORVEL_REQUIRE(op.save && op.application == applications[i] && op.section == u"APP" && op.key == u"TEXT" &&
                                op.text == written[i],
                            detail + ", entry " + std::to_string(i));
            QUORVEL_REQUIRE(toolkit.Stored(applications[i]) == std::u16string(written[i]), detail);
        }
        QUORVEL_REQUIRE(form1.Timer7.Enabled(), detail);
    } else {
        QUORVEL_REQUIRE(toolkit.storeOps.empty() && toolkit.store.empty(), detail);
        QUORVEL_REQUIRE(toolkit.messages.size() == 1 && toolkit.messages[0].prompt == kNsPrompt, detail);
        QUORVEL_REQUIRE(!form1.Timer7.Enabled(), detail);
    }
    return 0;
}
