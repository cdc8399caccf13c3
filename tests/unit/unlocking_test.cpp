// Unlocking in the locked mode: the password, the switch to the NC码 entry and
// the NC码 check. A success ends the process at once, writing and unloading
// nothing; a failure shows its message and leaves the lock as it was.
#include "base/text.h"
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

class Unlocking : public ProgramTest {
protected:
    // What a success must leave untouched.
    struct Snapshot {
        size_t storeOps, removeCalls, messages;
    };
    Snapshot Take() const { return {toolkit.storeOps.size(), toolkit.removeCalls.size(), toolkit.messages.size()}; }
    void ExpectEndedQuietly(const Snapshot& before) {
        EXPECT_TRUE(toolkit.processEnded);
        EXPECT_EQ(toolkit.storeOps.size(), before.storeOps);  // nothing written
        EXPECT_EQ(toolkit.removeCalls.size(), before.removeCalls);
        EXPECT_EQ(toolkit.messages.size(), before.messages);
        EXPECT_FALSE(Window1().destroyed);  // no window unloads
        EXPECT_FALSE(Window2().destroyed);
        EXPECT_FALSE(toolkit.programEnded);
    }
    void ExpectRefused(std::u16string_view prompt, std::u16string_view title) {
        EXPECT_FALSE(toolkit.processEnded);
        ASSERT_FALSE(toolkit.messages.empty());
        EXPECT_EQ(toolkit.messages.back().prompt, prompt);
        EXPECT_EQ(toolkit.messages.back().title, title);
        EXPECT_EQ(toolkit.messages.back().style, MsgBoxStyle::Critical);
    }
    // Opens the settings page, which refills the NS码 field from the store,
    // and closes it again with its OK button (the page covers the lock button).
    void OpenAndCloseSettings() {
        Btn("iButton4").UserClick();
        toolkit.Advance(8);
        Btn("i4").UserClick();
        toolkit.Advance(8);
    }
    bool TryNcCode(std::u16string_view code) {
        Box("Text7").UserType(code);
        const size_t messages = toolkit.messages.size();
        Btn("iButton11").UserClick();
        EXPECT_EQ(toolkit.messages.size() + (toolkit.processEnded ? 1 : 0), messages + 1);
        return toolkit.processEnded;
    }
};

TEST_F(Unlocking, ARightPasswordEndsTheProcessAtOnceAndWritesNothing) {
    Start();
    LockWith(u"Pass word");
    const Snapshot before = Take();
    Box("Text6").UserType(u"Pass word");
    Btn("iButton10").UserClick();
    ExpectEndedQuietly(before);
    EXPECT_EQ(toolkit.Stored(u"text1"), u"Pass word");
}

TEST_F(Unlocking, AWrongPasswordIsRefusedAsOftenAsItIsTried) {
    Start();
    LockWith(u"Pass word");
    for (std::u16string_view wrong : {u"pass word", u"Pass word ", u"Password", u""}) {
        Box("Text6").UserType(wrong);
        Btn("iButton10").UserClick();
        ExpectRefused(u"对不起,定义密码错误！", u"请输入正确的密码！");
        EXPECT_EQ(Box("Text6").Text(), wrong);
    }
    EXPECT_EQ(toolkit.messages.size(), 4u);
    EXPECT_TRUE(Window2().Visible());
    EXPECT_EQ(toolkit.liveHooks.size(), 1u);
}

TEST_F(Unlocking, AnEmptyPasswordLockOpensWithAnEmptyEntry) {
    Start();
    Box("Text1").UserType(u"x");
    Box("Text1").UserType(u"");
    Btn("iButton3").UserClick();
    ASSERT_TRUE(program.LockWindowExists());
    const Snapshot before = Take();
    Btn("iButton10").UserClick();
    ExpectEndedQuietly(before);
}

TEST_F(Unlocking, TheLinkSwitchesBetweenThePasswordAndTheNcEntryKeepingBothTexts) {
    Start();
    LockWith(u"pw");
    Box("Text6").UserType(u"typed");

    Lbl("Label13").UserClick();
    EXPECT_EQ(form1->RecoveryShown, u"1");
    EXPECT_FALSE(Box("Text6").Visible());
    EXPECT_TRUE(Box("Text7").Visible());
    EXPECT_TRUE(Window1().InFront("iButton11", "iButton10"));
    Box("Text7").UserType(u"42");

    Lbl("Label13").UserClick();
    EXPECT_EQ(form1->RecoveryShown, u"0");
    EXPECT_TRUE(Box("Text6").Visible());
    EXPECT_FALSE(Box("Text7").Visible());
    EXPECT_TRUE(Window1().InFront("iButton10", "iButton11"));
    EXPECT_EQ(Box("Text6").Text(), u"typed");
    EXPECT_EQ(Box("Text7").Text(), u"42");
    EXPECT_EQ(Lbl("Label13").Caption(), u"忘记密码？");
}

TEST_F(Unlocking, AnNcCodeThatFitsTheNsCodeFieldEndsTheProcess) {
    toolkit.Put(u"text4", u"2580");
    Start();
    OpenAndCloseSettings();
    ASSERT_EQ(form1->Text4.Text(), u"2580");
    LockWith(u"forgotten");
    Lbl("Label13").UserClick();

    EXPECT_FALSE(TryNcCode(u"67367047"));  // the NC码 of 2581
    ExpectRefused(u"对不起,NC码验证失败！", u"请输入正确的NC码！");
    const Snapshot before = Take();
    // Blanks inside are skipped and what follows the number is ignored.
    EXPECT_TRUE(TryNcCode(u" 6734 8140 then text"));
    ExpectEndedQuietly(before);
}

TEST_F(Unlocking, WithTheNsCodeFieldEmptyTheNcCodeIsComparedWithZero) {
    toolkit.Put(u"text4", u"2580");  // stored, but the page was not opened
    Start();
    LockWith(u"pw");
    Lbl("Label13").UserClick();
    EXPECT_FALSE(TryNcCode(u"67348140"));
    EXPECT_TRUE(TryNcCode(u"18568080"));
}

TEST_F(Unlocking, NcCodesBeyondAnyRangeAreRefusedWithTheMessage) {
    Start();
    LockWith(u"pw");
    Lbl("Label13").UserClick();
    for (std::u16string_view code : {u"99999999999999999999", u"1e400", u"-1e400", u"&HFFFFFFFFFFFFFFFFFFFF",
                                     u"-99999999999999", u"", u"NC码", u"1e-400"}) {
        EXPECT_FALSE(TryNcCode(code)) << Utf16ToUtf8(code);
        ExpectRefused(u"对不起,NC码验证失败！", u"请输入正确的NC码！");
    }
    EXPECT_TRUE(Window2().Visible());
}

}  // namespace
}  // namespace quorvel::testing
