// The skinned button's reaction to the pointer, mouse buttons, keys, focus and
// its hover-poll tick: the look it shows, Value, and the events it raises.
#include "widgets/ibutton/ibutton.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "support/ibutton_fake_host.h"

namespace quorvel {
namespace {

using testing::ButtonFixture;

// A shown button with the pointer elsewhere; its creation's timer still runs.
struct Input : ButtonFixture {
    explicit Input(std::string_view extra = "") : ButtonFixture(Bag("", extra)) {
        button.OnShow();
        events.clear();
    }
    void Enter() {
        host.PointerOver(true);
        button.OnMouseMove(0, 0, 15, 15);
    }
    void Leave() { host.PointerOver(false); }
    void Down(int16_t b = 1) { button.OnMouseDown(b, 0, 15, 15); }
    void Up(int16_t b = 1) { button.OnMouseUp(b, 0, 15, 15); }
    // The frame the button shows, by its index in the table.
    int Frame() const { return host.ShownFrameX() / button.Frames().At(0)->width; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const std::string& e : events) names.push_back(e.substr(0, e.find('(')));
        return names;
    }
    using Names_ = std::vector<std::string>;
};
using Names = Input::Names_;

TEST(IButtonHover, AFreshButtonSaysMouseOutAtItsFirstTickWhenThePointerIsElsewhere) {
    Input away;
    EXPECT_TRUE(away.host.timerRunning);
    away.button.Timer1_Timer();
    EXPECT_EQ(away.Names(), Names{"MouseOut"});
    EXPECT_FALSE(away.host.timerRunning);
    EXPECT_EQ(away.Frame(), 0);

    // Over it, the tick waits for a movement before showing the hover look.
    Input over;
    over.host.PointerOver(true);
    const size_t calls = over.host.calls.size();
    over.button.Timer1_Timer();
    EXPECT_TRUE(over.events.empty());
    EXPECT_TRUE(over.host.timerRunning);
    EXPECT_EQ(over.host.calls.size(), calls);
}

TEST(IButtonHover, AHiddenButtonAsksNothingOfThePointerAndLooksNormal) {
    // While its window (or one it lies in) is hidden, the pointer is over
    // nothing of it, whatever the pointer's position says.
    Input b;
    b.host.visible = false;
    b.host.PointerOver(true);
    b.host.pointerQueries = 0;
    b.button.OnFocusLost();  // a complete redraw in the look the pointer decides
    b.button.Timer1_Timer();
    EXPECT_EQ(b.host.pointerQueries, 0);
    EXPECT_EQ(b.Frame(), 0);
    EXPECT_EQ(b.Names(), Names{"MouseOut"});

    // Shown again, the same position is a hover.
    b.host.visible = true;
    b.button.OnMouseMove(0, 0, 15, 15);
    EXPECT_GT(b.host.pointerQueries, 0);
    EXPECT_EQ(b.Frame(), 1);
}

TEST(IButtonHover, ArrivalIsSeenOnMovementAndDepartureByTheTick) {
    Input b;
    b.Enter();
    EXPECT_EQ(b.events, (Names{"MouseMove(0,0,15,15)", "MouseOver"}));
    EXPECT_EQ(b.Frame(), 1);
    EXPECT_TRUE(b.button.Hovering());
    EXPECT_EQ(b.host.timerStarts, 2);
    b.Enter();
    b.button.Timer1_Timer();
    EXPECT_EQ(b.Names(), (Names{"MouseMove", "MouseOver", "MouseMove"}));
    EXPECT_EQ(b.Frame(), 1);

    b.Leave();
    b.button.Timer1_Timer();
    EXPECT_EQ(b.Names().back(), "MouseOut");
    EXPECT_EQ(b.Frame(), 0);
    EXPECT_FALSE(b.button.Hovering());
    EXPECT_FALSE(b.host.timerRunning);
    b.button.OnMouseMove(0, 0, 2000, 2000);  // reported, but not over the button
    EXPECT_EQ(b.Names().back(), "MouseMove");
    EXPECT_FALSE(b.button.Hovering());
}

TEST(IButtonPress, ALeftClickShowsPressedThenHoverAndClicks) {
    Input b;
    b.Enter();
    b.events.clear();
    b.button.OnMouseDown(1, 2, 30, 45);
    EXPECT_EQ(b.Frame(), 2);
    EXPECT_TRUE(b.button.Pressed());
    const int clears = b.host.Clears();
    b.Up();
    EXPECT_EQ(b.Frame(), 1);
    EXPECT_FALSE(b.button.Pressed());
    b.button.OnClick();
    EXPECT_EQ(b.host.Clears(), clears + 2);  // both complete redraws
    EXPECT_EQ(b.events, (Names{"MouseDown(1,2,30,45)", "MouseUp(1,0,15,15)", "Click"}));
    EXPECT_FALSE(b.button.Value());
}

TEST(IButtonPress, AToggleFlipsAtTheReleaseBeforeClick) {
    Input b("style=1\n");
    bool valueAtClick = false;
    b.button.Click = [&] { valueAtClick = b.button.Value(); };
    b.Enter();
    b.Down();
    b.Up();
    EXPECT_TRUE(b.button.Value());
    EXPECT_EQ(b.Frame(), 5);
    b.button.OnClick();
    EXPECT_TRUE(valueAtClick);
    EXPECT_EQ(b.Frame(), 5);
}

TEST(IButtonPress, APressDraggedOffAndBackFollowsThePointerUntilTheReleaseOffTheButton) {
    Input b("style=1\n");
    b.Enter();
    b.Down();
    b.Leave();
    b.button.Timer1_Timer();
    EXPECT_EQ(b.Frame(), 0);
    b.host.PointerOver(true);
    b.button.Timer1_Timer();
    EXPECT_EQ(b.Frame(), 2);
    b.Leave();
    b.button.Timer1_Timer();
    EXPECT_EQ(b.Frame(), 0);
    EXPECT_TRUE(b.host.timerRunning);
    b.button.OnFocusGained();  // still pressed, but off the button: normal look
    EXPECT_EQ(b.Frame(), 0);
    EXPECT_EQ(b.Names(), (Names{"MouseMove", "MouseOver", "MouseDown"}));

    b.Up();
    EXPECT_FALSE(b.button.Value());
    EXPECT_EQ(b.Frame(), 0);
    EXPECT_TRUE(b.button.Hovering());
    b.button.Timer1_Timer();
    EXPECT_FALSE(b.host.timerRunning);
    b.button.OnClick();  // if the platform sends one after a left release
    EXPECT_EQ(b.Names(), (Names{"MouseMove", "MouseOver", "MouseDown", "MouseUp", "MouseOut", "Click"}));
}

TEST(IButtonPress, RightAndMiddleButtonsChangeNoLookAndNeverClick) {
    Input b;
    b.Enter();
    b.events.clear();
    const size_t calls = b.host.calls.size();
    for (int16_t other : {int16_t{2}, int16_t{4}}) {
        b.Down(other);
        EXPECT_EQ(b.button.LastButton(), other);
        b.Up(other);
        b.button.OnClick();
    }
    EXPECT_EQ(b.host.calls.size(), calls);
    EXPECT_FALSE(b.button.Pressed());
    EXPECT_EQ(b.Names(), (Names{"MouseDown", "MouseUp", "MouseDown", "MouseUp"}));
}

TEST(IButtonKeys, EnterClicksOnEveryKeyDownAndSpaceOnceAtItsKeyUp) {
    Input b("style=1\n");
    b.button.OnKeyDown(13, 0);
    EXPECT_TRUE(b.button.Value());
    EXPECT_EQ(b.Frame(), 4);
    EXPECT_TRUE(b.host.FocusShown());
    b.button.OnKeyDown(13, 0);
    EXPECT_FALSE(b.button.Value());
    EXPECT_EQ(b.Names(), (Names{"KeyDown", "Click", "KeyDown", "Click"}));

    b.events.clear();
    for (int repeat = 0; repeat < 3; ++repeat) b.button.OnKeyDown(32, 0);
    EXPECT_EQ(b.Frame(), 2);
    EXPECT_TRUE(b.host.FocusShown());
    b.button.OnKeyUp(32, 0);
    EXPECT_TRUE(b.button.Value());
    EXPECT_EQ(b.Frame(), 4);
    EXPECT_TRUE(b.host.FocusShown());
    b.button.OnKeyPress(32);
    EXPECT_EQ(b.events,
              (Names{"KeyDown(32,0)", "KeyDown(32,0)", "KeyDown(32,0)", "KeyUP(32,0)", "Click", "KeyPress(32)"}));

    // With the pointer over the button no focus rectangle is drawn.
    b.Enter();
    b.button.OnKeyDown(13, 0);
    EXPECT_EQ(b.Frame(), 1);
    EXPECT_FALSE(b.host.FocusShown());
}

TEST(IButtonKeys, HandlersSeeArgumentsByReferenceAndTheButtonReadsThemBack) {
    Input b;
    b.button.KeyDown = [](int16_t& code, int16_t&) { code = 0; };
    b.button.KeyUP = [](int16_t& code, int16_t&) { code = 0; };
    b.button.Click = [&] { b.events.emplace_back("Click"); };
    const size_t calls = b.host.calls.size();
    b.button.OnKeyDown(13, 0);
    b.button.OnKeyDown(32, 0);
    b.button.OnKeyUp(32, 0);
    EXPECT_EQ(b.host.calls.size(), calls);
    EXPECT_TRUE(b.events.empty());

    // A MouseDown handler that turns a left press into a right one.
    b.button.MouseDown = [](int16_t& button, int16_t&, float&, float&) { button = 2; };
    b.Enter();
    b.Down();
    EXPECT_EQ(b.button.LastButton(), 2);
    EXPECT_FALSE(b.button.Pressed());
    EXPECT_EQ(b.Frame(), 1);
}

TEST(IButtonKeys, FocusShowsTheRectangleUnlessPressedAndTheNextLookRemovesIt) {
    Input b;
    b.button.OnFocusGained();
    EXPECT_TRUE(b.host.FocusShown());
    b.button.OnFocusLost();
    EXPECT_FALSE(b.host.FocusShown());
    b.button.OnFocusGained();
    b.Enter();
    EXPECT_FALSE(b.host.FocusShown());
    b.Down();
    b.button.OnFocusGained();
    EXPECT_EQ(b.Frame(), 2);
    EXPECT_FALSE(b.host.FocusShown());
}

TEST(IButtonPress, ADoubleClickOnAToggleFlipsTwiceClicksOnceAndEndsOnTheHoverLook) {
    Input b("style=1\n");
    b.Enter();
    b.events.clear();
    b.Down();
    b.Up();
    b.button.OnClick();
    b.button.OnDblClick();
    EXPECT_TRUE(b.button.Value());
    EXPECT_EQ(b.Frame(), 6);
    b.Up();
    EXPECT_FALSE(b.button.Value());
    EXPECT_EQ(b.Frame(), 1);
    EXPECT_EQ(b.Names(), (Names{"MouseDown", "MouseUp", "Click", "DBClick", "MouseUp"}));
}

TEST(IButtonHover, DisablingShowsTheDisabledFrameUntilTheNextTickSaysMouseOut) {
    Input hovered;
    hovered.Enter();
    hovered.button.SetEnabled(false);
    EXPECT_EQ(hovered.Frame(), 3);
    hovered.button.Timer1_Timer();
    EXPECT_EQ(hovered.Frame(), 0);
    EXPECT_EQ(hovered.Names().back(), "MouseOut");
    EXPECT_FALSE(hovered.host.timerRunning);

    // A fresh button disabled with the pointer over it: the platform no
    // longer finds it under the pointer.
    Input fresh;
    fresh.host.PointerOver(true);
    fresh.button.SetEnabled(false);
    fresh.button.Timer1_Timer();
    EXPECT_EQ(fresh.Frame(), 0);
    EXPECT_EQ(fresh.Names(), Names{"MouseOut"});
    fresh.button.SetEnabled(true);
    EXPECT_EQ(fresh.Frame(), 1);
}

TEST(IButtonEvents, ClickIsTheLastStepSoItsHandlerMayDestroyTheButton) {
    testing::FakeButtonHost host;
    auto button = std::make_unique<IButton>(host);
    int clicks = 0;
    button->Click = [&] {
        ++clicks;
        button.reset();
    };
    button->OnMouseDown(1, 0, 0, 0);
    EXPECT_EQ(button->OnClick(), ButtonStatus::Ok);
    EXPECT_EQ(button, nullptr);

    button = std::make_unique<IButton>(host);
    button->Click = [&] {
        ++clicks;
        button.reset();
    };
    EXPECT_EQ(button->OnKeyDown(13, 0), ButtonStatus::Ok);
    EXPECT_EQ(clicks, 2);
}

TEST(IButtonEvents, AnExceptionFromAHandlerEndsTheOperationAsAFailure) {
    Input b;
    b.button.MouseDown = [](int16_t&, int16_t&, float&, float&) { throw std::runtime_error("handler"); };
    b.Enter();
    EXPECT_EQ(b.button.OnMouseDown(1, 0, 0, 0), ButtonStatus::Failed);
    EXPECT_FALSE(b.button.Pressed());
    EXPECT_EQ(b.button.LastButton(), 0);
    EXPECT_EQ(b.Frame(), 1);
}

}  // namespace
}  // namespace quorvel
