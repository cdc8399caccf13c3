// Locking: the match flag of the password fields, the locked mode of the setup
// window, the lock window brought up on first touch, the stored pair, and
// close requests while a lock is in force.
#include "lock/keyboard_filter.h"
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using Locking = ProgramTest;

constexpr std::u16string_view kMismatch = u"两次密码不正确,请重新输入！";

TEST_F(Locking, SwitchesTheSetupWindowIntoTheLockedMode) {
    Start();
    LockWith(u"secret");

    EXPECT_TRUE(form1->Timer1.Enabled());
    EXPECT_TRUE(form1->Timer8.Enabled());
    for (auto name : {"Text1", "Text2"}) EXPECT_FALSE(Box(name).Visible()) << name;
    EXPECT_FALSE(Lbl("Label2").Visible());
    EXPECT_FALSE(Lbl("Label3").Visible());
    EXPECT_TRUE(Box("Text6").Visible());
    EXPECT_TRUE(Lbl("Label13").Visible());
    EXPECT_FALSE(Btn("iButton3").Visible());
    EXPECT_FALSE(Btn("iButton4").Visible());
    EXPECT_TRUE(Btn("iButton10").Visible());
    EXPECT_TRUE(Btn("iButton11").Visible());
    EXPECT_TRUE(Window1().InFront("iButton10", "iButton11"));
    EXPECT_TRUE(Btn("iButton12").Enabled());
    EXPECT_FALSE(Btn("iButton1").Enabled());
    EXPECT_FALSE(Btn("iButton2").Enabled());
    EXPECT_FALSE(LockButton().Visible());

    // What locking leaves alone.
    EXPECT_FALSE(Box("Text7").Visible());
    EXPECT_TRUE(Btn("iButton5").Visible());
    EXPECT_TRUE(Btn("iButton5").Enabled());
    EXPECT_EQ(FrontOfStack(), "i3");
    for (auto name : {"Picture1", "Picture2", "Picture3"}) EXPECT_EQ(form1->window().PanelNamed(name).Left(), 6400);
    EXPECT_EQ(Box("Text1").Text(), u"secret");  // unlocking compares against it
    EXPECT_EQ(Box("Text2").Text(), u"secret");
    EXPECT_EQ(form1->RecoveryShown, u"0");
}

TEST_F(Locking, BringsUpTheLockWindowTopmostWithTheKeyboardFilterAndStoresThePair) {
    toolkit.Put(u"text1", u"old");
    toolkit.Put(u"text2", u"old");
    Start();
    EXPECT_FALSE(program.LockWindowExists());
    LockWith(u"新密码");

    ASSERT_TRUE(program.LockWindowExists());
    FakeWindow& lock = Window2();
    EXPECT_TRUE(lock.Visible());
    ASSERT_FALSE(lock.windowPosCalls.empty());
    EXPECT_EQ(lock.windowPosCalls.front().where, InsertAfter::Topmost);
    EXPECT_EQ(lock.windowPosCalls.front().rect, (PixelRect{0, 0, 1280, 720}));
    EXPECT_TRUE(lock.topmost);
    EXPECT_EQ(toolkit.liveHooks.size(), 1u);
    EXPECT_EQ(toolkit.installedFilter, &FilterKeyEvent);
    EXPECT_TRUE(lock.layered);
    EXPECT_EQ(lock.opacity, 255);  // the designed opacity "255"

    // The pair goes to the store after the lock window is up, "text1" first.
    ASSERT_GE(toolkit.storeOps.size(), 2u);
    const StoreOp& first = toolkit.storeOps[toolkit.storeOps.size() - 2];
    const StoreOp& second = toolkit.storeOps.back();
    EXPECT_TRUE(first.save && second.save);
    EXPECT_EQ(first.application, u"text1");
    EXPECT_EQ(second.application, u"text2");
    EXPECT_EQ(first.section, u"APP");
    EXPECT_EQ(first.key, u"TEXT");
    EXPECT_EQ(toolkit.Stored(u"text1"), u"新密码");
    EXPECT_EQ(toolkit.Stored(u"text2"), u"新密码");

    // The setup window's tick puts it back above the lock window, in front.
    toolkit.Advance(5);
    EXPECT_EQ(toolkit.activeWindow, &Window1());
    EXPECT_TRUE(Window1().topmost);
}

TEST_F(Locking, AMismatchShowsTheMessageAndChangesNothing) {
    Start();
    const auto refuse = [&](const char* why) {
        const size_t storeOps = toolkit.storeOps.size();
        const size_t messages = toolkit.messages.size();
        Btn("iButton3").UserClick();
        ASSERT_EQ(toolkit.messages.size(), messages + 1) << why;
        EXPECT_EQ(toolkit.messages.back().prompt, kMismatch) << why;
        EXPECT_EQ(toolkit.messages.back().title, u"温馨提示") << why;
        EXPECT_EQ(toolkit.messages.back().style, MsgBoxStyle::Critical) << why;
        EXPECT_EQ(toolkit.storeOps.size(), storeOps) << why;
        EXPECT_FALSE(program.LockWindowExists()) << why;
        EXPECT_FALSE(form1->Timer1.Enabled()) << why;
        EXPECT_FALSE(form1->Timer8.Enabled()) << why;
        EXPECT_TRUE(Box("Text1").Visible()) << why;
        EXPECT_TRUE(Btn("iButton3").Visible()) << why;
        EXPECT_TRUE(Btn("iButton1").Enabled()) << why;
        EXPECT_FALSE(Btn("iButton12").Enabled()) << why;
    };

    // Neither field has changed yet: two equal empty texts still do not lock.
    ASSERT_EQ(form1->MatchFlag, u"");
    refuse("flag never set");

    Box("Text1").UserType(u"Secret");
    Box("Text2").UserType(u"secret");
    refuse("letter case differs");

    Box("Text2").UserType(u"Secret");
    Box("Text1").UserType(u"Secret!");
    refuse("changed after matching");
}

// Where the desktop cannot hold a lock (its keyboard held by another
// program, say), the platform tells the user and nothing changes.
TEST_F(Locking, ALockTheDesktopCannotHoldChangesNothing) {
    Start();
    toolkit.lockHolds = false;
    const size_t storeOps = toolkit.storeOps.size();
    LockWith(u"pw");
    EXPECT_EQ(toolkit.lockBegun, 1);
    EXPECT_EQ(toolkit.storeOps.size(), storeOps);
    EXPECT_FALSE(program.LockWindowExists());
    EXPECT_FALSE(form1->Timer1.Enabled());
    EXPECT_TRUE(Box("Text1").Visible());
    EXPECT_TRUE(Btn("iButton3").Visible());
    EXPECT_TRUE(Btn("iButton1").Enabled());
    toolkit.lockHolds = true;  // the holder let go: the same click locks
    Btn("iButton3").UserClick();
    EXPECT_TRUE(program.LockWindowExists());
}

TEST_F(Locking, EqualEntriesTypedInEitherOrderLock) {
    Start();
    Box("Text2").UserType(u"abc");
    Box("Text1").UserType(u"abc");
    Btn("iButton3").UserClick();
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_TRUE(program.LockWindowExists());
}

TEST_F(Locking, TypingAndEmptyingBothFieldsLocksWithAnEmptyPassword) {
    Start();
    Box("Text1").UserType(u"x");
    Box("Text1").UserType(u"");
    ASSERT_EQ(form1->MatchFlag, u"1");
    Btn("iButton3").UserClick();
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(toolkit.Stored(u"text1"), u"");
    EXPECT_EQ(toolkit.Stored(u"text2"), u"");
}

TEST_F(Locking, TwoEqualStoredPasswordsLockWithoutTyping) {
    toolkit.Put(u"text1", u"pw");
    toolkit.Put(u"text2", u"pw");
    Start();
    Btn("iButton3").UserClick();
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_TRUE(program.LockWindowExists());
}

TEST_F(Locking, ARefusedSaveStillLocksAndKeepsThePasswordTheUserDefined) {
    toolkit.Put(u"text1", u"old");
    toolkit.Put(u"text2", u"old");
    Start();
    toolkit.failSaves = true;
    LockWith(u"new");
    EXPECT_TRUE(program.LockWindowExists());
    EXPECT_EQ(toolkit.Stored(u"text1"), u"old");

    // The setup window is activated again and again while locked; the hidden
    // fields keep the password the lock was made with.
    toolkit.Advance(5);
    Window2().UserActivate();
    toolkit.Advance(5);
    ASSERT_EQ(toolkit.activeWindow, &Window1());
    EXPECT_EQ(Box("Text1").Text(), u"new");
    Box("Text6").UserType(u"old");
    Btn("iButton10").UserClick();
    EXPECT_FALSE(toolkit.processEnded);
    Box("Text6").UserType(u"new");
    Btn("iButton10").UserClick();
    EXPECT_TRUE(toolkit.processEnded);
}

TEST_F(Locking, CloseRequestsAreRefusedWhileALockIsInForce) {
    Start();
    LockWith(u"pw");
    Window1().UserClose();
    Window2().UserClose();
    EXPECT_FALSE(Window1().destroyed);
    EXPECT_FALSE(Window2().destroyed);
    EXPECT_TRUE(Window1().Visible());
    EXPECT_EQ(toolkit.liveHooks.size(), 1u);  // no unload removed the filter
    EXPECT_TRUE(toolkit.removeCalls.empty());
    EXPECT_FALSE(toolkit.programEnded);

    // Also in the hidden state, where only the lock window is shown.
    Btn("iButton12").UserClick();
    Window2().UserClose();
    Window1().UserClose();
    EXPECT_FALSE(Window2().destroyed);
    EXPECT_FALSE(Window1().destroyed);
    EXPECT_FALSE(toolkit.programEnded);
}

TEST_F(Locking, BeforeAnyLockTheSetupWindowClosesAndTheProgramEnds) {
    Start();
    Box("Text1").UserType(u"pw");
    Window1().UserClose();
    EXPECT_TRUE(Window1().destroyed);
    EXPECT_TRUE(toolkit.programEnded);
}

}  // namespace
}  // namespace quorvel::testing
