// The toolkit's promises, written once against the contract and run on both
// implementations: the in-memory double (natively) and the Win32 backend
// (under Wine). What the handlers rely on holds the same in both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "world.h"

namespace quorvel::contract {
namespace {

using layouts::ControlKind;
using layouts::ControlSpec;
using layouts::FormSpec;

// Two fields; a stack of two buttons at one place, the front one first; a
// panel parked outside the window with a button of its own; a timer.
constexpr ControlSpec kControls[] = {
    {.name = "Front",
     .kind = ControlKind::Button,
     .left = 300,
     .top = 2250,
     .width = 1050,
     .height = 390,
     .tabIndex = 3,
     .bag = "caption=Front\n"},
    {.name = "Back",
     .kind = ControlKind::Button,
     .left = 300,
     .top = 2250,
     .width = 1050,
     .height = 390,
     .tabIndex = 4,
     .bag = "caption=Back\n"},
    {.name = "Parked", .kind = ControlKind::Panel, .left = 6000, .top = 0, .width = 3000, .height = 1500},
    {.name = "Inside",
     .kind = ControlKind::Button,
     .container = "Parked",
     .left = 300,
     .top = 300,
     .width = 1050,
     .height = 390,
     .tabIndex = 5,
     .bag = "caption=Inside\n"},
    {.name = "First",
     .kind = ControlKind::TextBox,
     .left = 300,
     .top = 300,
     .width = 1500,
     .height = 375,
     .tabIndex = 1},
    {.name = "Second",
     .kind = ControlKind::TextBox,
     .left = 300,
     .top = 900,
     .width = 1500,
     .height = 375,
     .tabIndex = 2},
    {.name = "Ticker", .kind = ControlKind::Timer, .interval = 10},
};
const FormSpec kForm{.name = "Contract",
                     .caption = u"契约",
                     .clientWidth = 4500,
                     .clientHeight = 3000,
                     .controls = kControls};
const FormSpec kOther{.name = "Other", .caption = u"另一个", .clientWidth = 3000, .clientHeight = 1500};

class Contract : public ::testing::Test {
protected:
    std::unique_ptr<World> world = MakeWorld();
    Toolkit& toolkit = world->toolkit();
};

TEST_F(Contract, ChangeIsRaisedForEveryChangedTextNestedInsideItsHandlerAndNotForTheSameText) {
    auto form = toolkit.CreateForm(kForm);
    TextBox& box = form->TextBoxNamed("First");
    std::vector<std::u16string> seen;
    int depth = 0, deepest = 0;
    box.Change = [&] {
        deepest = std::max(deepest, ++depth);
        seen.push_back(box.Text());
        if (box.Text() == u"300") box.SetText(u"255");
        --depth;
    };
    box.SetText(u"300");
    box.SetText(u"255");  // the same text: no change
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"300", u"255"}));
    EXPECT_EQ(deepest, 2);
}

TEST_F(Contract, ShowRaisesResizeThenActivateAndHidingTheActiveWindowHandsTheActivationOn) {
    auto form = toolkit.CreateForm(kForm);
    auto other = toolkit.CreateForm(kOther);
    std::vector<std::string> events;
    form->Resize = [&] { events.push_back("form resize"); };
    form->Activate = [&] { events.push_back("form activate"); };
    other->Resize = [&] { events.push_back("other resize"); };
    other->Activate = [&] { events.push_back("other activate"); };
    form->Show();
    world->Pass(50);
    EXPECT_EQ(events, (std::vector<std::string>{"form resize", "form activate"}));
    EXPECT_TRUE(form->Visible());
    other->Show();
    world->Pass(50);
    EXPECT_TRUE(world->Active(*other));
    events.clear();
    other->Hide();
    world->Pass(50);
    EXPECT_EQ(events, std::vector<std::string>{"form activate"});
    EXPECT_TRUE(world->Active(*form));
}

TEST_F(Contract, SetWindowPosRaisesResizeOnlyWhenTheSizeChanges) {
    auto form = toolkit.CreateForm(kForm);
    int resizes = 0;
    form->Resize = [&] { ++resizes; };
    form->Show();
    world->Pass(50);
    ASSERT_EQ(resizes, 1);
    form->SetWindowPos(InsertAfter::NoTopmost, PixelRect{40, 40, 320, 220});
    world->Pass(50);
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(form->Width(), 320 * toolkit.TwipsPerPixelX());
    form->SetWindowPos(InsertAfter::NoTopmost, PixelRect{60, 60, 320, 220});  // moved, same size
    world->Pass(50);
    EXPECT_EQ(resizes, 2);
}

TEST_F(Contract, AClickReachesOnlyTheFrontmostControlInsideTheWindow) {
    auto form = toolkit.CreateForm(kForm);
    std::vector<std::string> clicks;
    for (const char* name : {"Front", "Back", "Inside"})
        form->ButtonNamed(name).Click = [&clicks, name] { clicks.push_back(name); };
    form->Show();
    world->Pass(100);
    world->Click(*form, form->ButtonNamed("Front"));
    form->ButtonNamed("Back").BringToFront();
    world->Pass(20);
    world->Click(*form, form->ButtonNamed("Front"));   // the same place: now the back one is in front
    world->Click(*form, form->ButtonNamed("Inside"));  // its panel lies outside the window
    EXPECT_EQ(clicks, (std::vector<std::string>{"Front", "Back"}));
}

TEST_F(Contract, TabGoesInTheDesignedOrderOverWhatAClickCouldReach) {
    auto form = toolkit.CreateForm(kForm);
    form->TextBoxNamed("Second").SetVisible(false);
    form->Show();
    world->Pass(100);
    world->Focus(*form, form->TextBoxNamed("First"));
    // First, then the front of the stack; Second is hidden, Back buried and
    // Inside parked outside the window; round to First again.
    world->Tab(*form, false);
    EXPECT_TRUE(world->HasFocus(*form, form->ButtonNamed("Front")));
    world->Tab(*form, false);
    EXPECT_TRUE(world->HasFocus(*form, form->TextBoxNamed("First")));
    world->Tab(*form, true);
    EXPECT_TRUE(world->HasFocus(*form, form->ButtonNamed("Front")));
    form->TextBoxNamed("Second").SetVisible(true);
    world->Pass(20);
    world->Tab(*form, true);
    EXPECT_TRUE(world->HasFocus(*form, form->TextBoxNamed("Second")));
}

TEST_F(Contract, TimersTickThroughAMessageBoxAndEnablingARunningTimerChangesNothing) {
    auto form = toolkit.CreateForm(kForm);
    Timer& timer = form->TimerNamed("Ticker");
    int ticks = 0;
    timer.Tick = [&] { ++ticks; };
    form->Show();
    timer.SetEnabled(true);
    world->MessageBoxFor(300);
    EXPECT_GT(ticks, 3);
    timer.SetEnabled(false);
    const int stopped = ticks;
    world->Pass(100);
    EXPECT_EQ(ticks, stopped);
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(Contract, ACloseRequestCanBeRefusedAndAGrantedOneUnloads) {
    auto form = toolkit.CreateForm(kForm);
    auto other = toolkit.CreateForm(kOther);  // the program goes on without the first
    other->Show();
    form->Show();
    world->Pass(50);
    bool refuse = true;
    int unloads = 0;
    form->CloseRequest = [&] { return !refuse; };
    form->Unloaded = [&] { ++unloads; };
    world->RequestClose(*form);
    world->Pass(50);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(unloads, 0);
    refuse = false;
    world->RequestClose(*form);
    world->Pass(50);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(unloads, 1);
}

TEST_F(Contract, TheStoreGivesBackWhatItHoldsAndTheDefaultForWhatItDoesNotOrCannotRead) {
    EXPECT_EQ(toolkit.StoreLoad(u"contract-missing", u"APP", u"TEXT", u"fallback"), u"fallback");
    for (std::u16string_view text : {u"密码 with blanks", u""}) {
        toolkit.StoreSave(u"contract-entry", u"APP", u"TEXT", text);
        EXPECT_EQ(toolkit.StoreLoad(u"contract-entry", u"APP", u"TEXT", u"fallback"), text);
    }
    // A store that fails: a save is lost without a word, a load gives the
    // default.
    world->BreakStore();
    toolkit.StoreSave(u"contract-entry", u"APP", u"TEXT", u"lost");
    EXPECT_EQ(toolkit.StoreLoad(u"contract-entry", u"APP", u"TEXT", u"fallback"), u"fallback");
}

}  // namespace
}  // namespace quorvel::contract
