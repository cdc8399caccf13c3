// The setup window's own life cycle: load, activation, unload, dragging by
// the background and the keep-on-top tick.
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using SetupWindowLifecycle = ProgramTest;

TEST_F(SetupWindowLifecycle, LoadSetsTheFieldsAndHidesTheUnlockRow) {
    Start();
    EXPECT_EQ(form1->PanelStep, 800);
    EXPECT_EQ(form1->CoverStep, 300);
    EXPECT_EQ(form1->RecoveryShown, u"0");
    EXPECT_EQ(form1->MatchFlag, u"");  // no password field has changed yet
    for (auto name : {"Text6", "Text7"}) EXPECT_FALSE(Box(name).Visible()) << name;
    EXPECT_FALSE(Window1().FakeLabelNamed("Label13").Visible());
    EXPECT_FALSE(Btn("iButton10").Visible());
    EXPECT_FALSE(Btn("iButton11").Visible());
    EXPECT_TRUE(Btn("iButton12").Visible());
    EXPECT_FALSE(Btn("iButton12").Enabled());
    // The start state: the password rows and the lock button are shown.
    for (auto name : {"Text1", "Text2"}) EXPECT_TRUE(Box(name).Visible()) << name;
    EXPECT_TRUE(Btn("iButton3").Visible());
    EXPECT_TRUE(Btn("iButton3").Enabled());
    // The program shows the window and its first activation follows.
    EXPECT_TRUE(Window1().Visible());
    EXPECT_EQ(toolkit.activeWindow, &Window1());
}

TEST_F(SetupWindowLifecycle, ActivateRefillsThePasswordsInOrderAndLoadsTheLogo) {
    toolkit.Put(u"text1", u"秘密pw");
    toolkit.Put(u"text2", u"秘密pw");
    const Picture logo = MakePicture(100, 100);
    toolkit.pictures[u"C:\\Quorvel\\logo.jpg"] = logo;
    Start();
    EXPECT_EQ(Box("Text1").Text(), u"秘密pw");
    EXPECT_EQ(Box("Text2").Text(), u"秘密pw");
    ASSERT_GE(toolkit.storeOps.size(), 2u);
    EXPECT_EQ(toolkit.storeOps[0].application, u"text1");
    EXPECT_EQ(toolkit.storeOps[1].application, u"text2");
    EXPECT_EQ(toolkit.storeOps[0].section, u"APP");
    EXPECT_EQ(toolkit.storeOps[0].key, u"TEXT");
    EXPECT_EQ(form1->Image1.GetPicture(), logo);
    EXPECT_EQ(form1->Image1.Width(), 1500);
    EXPECT_EQ(form1->Image1.Height(), 1500);
    // The box shows the logo unscaled and clipped: only its corner is needed.
    ASSERT_FALSE(toolkit.pictureUses.empty());
    EXPECT_EQ(toolkit.pictureUses.back().kind, PictureUse::Kind::TopLeft);
    EXPECT_EQ(toolkit.pictureUses.back().width, 100);
    EXPECT_EQ(toolkit.pictureUses.back().height, 100);
}

TEST_F(SetupWindowLifecycle, AFirstRunLeavesTheFieldsAsDesignedAndAMissingLogoLeavesTheBoxEmpty) {
    Start();
    EXPECT_EQ(Box("Text1").Text(), u"");
    EXPECT_EQ(Box("Text2").Text(), u"");
    EXPECT_EQ(Box("Text1").changeCount, 0);  // assigning the identical text is no change
    EXPECT_EQ(form1->Image1.GetPicture(), nullptr);
    EXPECT_EQ(form1->Image1.Width(), 1500);
}

TEST_F(SetupWindowLifecycle, AFailingStoreOrAnUnreadableLogoKeepsWhatWasThere) {
    toolkit.Put(u"text1", u"abc");
    toolkit.failLoads = true;
    Start();
    EXPECT_EQ(Box("Text1").Text(), u"");
    const Picture logo = MakePicture(100, 100);
    toolkit.pictures[u"C:\\Quorvel\\logo.jpg"] = logo;
    toolkit.failLoads = false;
    Window1().Hide();
    Window1().Show();  // the activation moves back to the window: a second Activate
    EXPECT_EQ(Box("Text1").Text(), u"abc");
    EXPECT_EQ(form1->Image1.GetPicture(), logo);
    toolkit.pictures.clear();  // the logo file vanished: the box keeps its picture
    Window1().Hide();
    Window1().Show();
    EXPECT_EQ(form1->Image1.GetPicture(), logo);
    toolkit.programDirectory.reset();  // no program directory either
    Window1().Hide();
    Window1().Show();
    EXPECT_EQ(form1->Image1.GetPicture(), logo);
}

TEST_F(SetupWindowLifecycle, ActivateRunsOnlyWhenTheActivationMovesBetweenTheProgramsWindows) {
    Start();
    const size_t loadsAfterStart = toolkit.storeOps.size();
    Window1().UserActivate();  // already the program's active window (back from another program)
    EXPECT_EQ(toolkit.storeOps.size(), loadsAfterStart);
    program.LockWindow().window().Show();  // the lock window takes the activation
    Window1().UserActivate();              // and the setup window takes it back
    EXPECT_EQ(toolkit.storeOps.size(), loadsAfterStart + 2);
}

TEST_F(SetupWindowLifecycle, APressOnTheBareBackgroundWithAnyButtonStartsTheMove) {
    Start();
    Window1().UserPressBackground(MouseButton::Left);
    Window1().UserPressBackground(MouseButton::Right);
    Window1().UserPressBackground(MouseButton::Middle);
    EXPECT_EQ(Window1().captionDrags, 3);
    Box("Text1").UserPress(MouseButton::Right);  // a press on a control moves nothing
    EXPECT_EQ(Window1().captionDrags, 3);
}

TEST_F(SetupWindowLifecycle, UnloadRemovesTheKeyboardFilterAndEndsTheProgram) {
    Start();
    Window1().UserClose();
    EXPECT_EQ(toolkit.removeCalls, std::vector<HookHandle>{0});  // removed whether or not one is installed
    EXPECT_TRUE(toolkit.programEnded);
}

TEST_F(SetupWindowLifecycle, TheKeepOnTopTickReappliesTheWindowsOwnPixelGeometryEvery5Ms) {
    Start();
    form1->Timer1.SetEnabled(true);
    program.LockWindow().window().Show();
    toolkit.Advance(5);
    ASSERT_EQ(Window1().windowPosCalls.size(), 1u);
    const WindowPosCall& call = Window1().windowPosCalls.back();
    EXPECT_EQ(call.where, InsertAfter::Topmost);
    EXPECT_EQ(call.rect, (PixelRect{450, 215, 380, 290}));  // centred on 1280 x 720, unchanged
    EXPECT_EQ(toolkit.activeWindow, &Window1());            // and it takes the activation back
    toolkit.Advance(20);
    EXPECT_EQ(Window1().windowPosCalls.size(), 5u);
    EXPECT_EQ(Window1().Left(), 6750);
    form1->Timer1.SetEnabled(false);
    toolkit.Advance(20);
    EXPECT_EQ(Window1().windowPosCalls.size(), 5u);
}

}  // namespace
}  // namespace quorvel::testing
