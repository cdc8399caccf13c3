// The password fields: the match flag and the confirmation field's colour on
// every change, and the clipboard emptied by a right-button press.
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using PasswordFields = ProgramTest;

constexpr Colour kRed = 0x0000FF;
constexpr Colour kGrey = 0x808080;

TEST_F(PasswordFields, EveryChangeComparesTheTwoTextsExactly) {
    Start();
    EXPECT_EQ(form1->MatchFlag, u"");
    EXPECT_EQ(Box("Text2").ForeColor(), kGrey);

    Box("Text1").UserType(u"a");  // the still empty confirmation turns red
    EXPECT_EQ(form1->MatchFlag, u"0");
    EXPECT_EQ(Box("Text2").ForeColor(), kRed);

    Box("Text1").UserType(u"ab");
    Box("Text2").UserType(u"a");
    EXPECT_EQ(form1->MatchFlag, u"0");
    Box("Text2").UserType(u"ab");
    EXPECT_EQ(form1->MatchFlag, u"1");
    EXPECT_EQ(Box("Text2").ForeColor(), kGrey);
    Box("Text2").UserType(u"abc");
    EXPECT_EQ(form1->MatchFlag, u"0");
    EXPECT_EQ(Box("Text2").ForeColor(), kRed);

    Box("Text2").UserType(u"AB");  // letter case counts
    EXPECT_EQ(form1->MatchFlag, u"0");
    Box("Text2").UserType(u"ab ");  // and so does a trailing blank
    EXPECT_EQ(form1->MatchFlag, u"0");

    // Only the confirmation field changes colour.
    EXPECT_EQ(Box("Text1").ForeColor(), kGrey);
}

TEST_F(PasswordFields, EmptyingBothFieldsInEitherOrderEndsMatched) {
    Start();
    Box("Text1").UserType(u"x");
    Box("Text2").UserType(u"yz");
    Box("Text2").UserType(u"");
    Box("Text1").UserType(u"");
    EXPECT_EQ(form1->MatchFlag, u"1");
    EXPECT_EQ(Box("Text2").ForeColor(), kGrey);

    Box("Text1").UserType(u"x");
    Box("Text2").UserType(u"y");
    Box("Text1").UserType(u"");
    EXPECT_EQ(form1->MatchFlag, u"0");
    Box("Text2").UserType(u"");
    EXPECT_EQ(form1->MatchFlag, u"1");
}

TEST_F(PasswordFields, TheRefillAtActivationSetsTheFlag) {
    toolkit.Put(u"text1", u"一样");
    toolkit.Put(u"text2", u"一样");
    Start();
    EXPECT_EQ(form1->MatchFlag, u"1");
    EXPECT_EQ(Box("Text2").ForeColor(), kGrey);

    // The next activation brings a different stored confirmation.
    toolkit.Put(u"text2", u"不一样");
    Window1().Hide();
    Window1().Show();
    EXPECT_EQ(form1->MatchFlag, u"0");
    EXPECT_EQ(Box("Text2").ForeColor(), kRed);
}

TEST_F(PasswordFields, ARightButtonPressOnEitherFieldEmptiesTheClipboard) {
    Start();
    Box("Text1").UserPress(MouseButton::Right);
    EXPECT_EQ(toolkit.clipboardClears, 1);
    Box("Text2").UserPress(MouseButton::Right);
    EXPECT_EQ(toolkit.clipboardClears, 2);

    for (auto name : {"Text1", "Text2"}) {
        Box(name).UserPress(MouseButton::Left);
        Box(name).UserPress(MouseButton::Middle);
    }
    Window1().UserPressBackground(MouseButton::Right);
    Box("Text3").UserPress(MouseButton::Right);
    EXPECT_EQ(toolkit.clipboardClears, 2);
}

}  // namespace
}  // namespace quorvel::testing
