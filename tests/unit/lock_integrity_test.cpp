// What a person at a locked machine cannot do: reach a covered or buried
// control from the keyboard, edit the settings page, minimise, restore, move
// or size either window, or push the curtain under another topmost window.
#include <set>

#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

using LockIntegrity = ProgramTest;

TEST_F(LockIntegrity, FrameRequestsAreGrantedOnlyWhereTheDesignHasThem) {
    using R = FrameRequest;
    const std::vector<R> all{R::Minimize, R::Restore, R::Maximize, R::Move, R::Size, R::Menu};
    Start();
    // Before a lock the setup window minimises and comes back (its own
    // button, the taskbar) and can be moved; it has no maximise box and no
    // sizing frame.
    const std::set<R> granted{R::Minimize, R::Restore, R::Move, R::Menu};
    for (R request : all) EXPECT_EQ(Window1().UserFrameRequest(request), granted.count(request) > 0);
    Window1().SetState(WindowState::Normal);

    struct Step {
        const char* stage;
        std::function<void()> go;
    };
    const Step steps[] = {
        {"locked", [&] { LockWith(u"pw"); }},
        {"hidden", [&] { Btn("iButton12").UserClick(); }},
        {"back from hidden", [&] { LockButton().UserClick(); }},
    };
    for (const Step& step : steps) {
        step.go();
        for (R request : all) {
            EXPECT_FALSE(Window1().UserFrameRequest(request)) << step.stage;
            EXPECT_FALSE(Window2().UserFrameRequest(request)) << step.stage;
        }
        EXPECT_EQ(Window1().state, WindowState::Normal) << step.stage;
        EXPECT_EQ(Window2().state, WindowState::Maximized) << step.stage;
    }
}

TEST_F(LockIntegrity, TheTicksPutBackWhateverMinimisedRestoredOrHidTheWindows) {
    Start();
    LockWith(u"pw");
    struct Case {
        const char* what;
        std::function<void()> done;
    };
    const Case cases[] = {
        {"setup minimised", [&] { Window1().state = WindowState::Minimized; }},
        {"setup maximised", [&] { Window1().state = WindowState::Maximized; }},
        {"setup hidden", [&] { Window1().Hide(); }},
        {"curtain minimised", [&] { Window2().state = WindowState::Minimized; }},
        {"curtain restored", [&] { Window2().state = WindowState::Normal; }},
        {"curtain hidden", [&] { Window2().Hide(); }},
    };
    auto expectBack = [&](const char* what) {
        toolkit.Advance(5);
        EXPECT_TRUE(Window1().Visible()) << what;
        EXPECT_EQ(Window1().state, WindowState::Normal) << what;
        EXPECT_TRUE(Window2().Visible()) << what;
        EXPECT_EQ(Window2().state, WindowState::Maximized) << what;
    };
    for (const Case& c : cases) {
        c.done();
        expectBack(c.what);
    }
    // In the hidden state the curtain's own tick does it; back from it, the
    // setup window's tick again.
    Btn("iButton12").UserClick();
    Window2().state = WindowState::Minimized;
    toolkit.Advance(5);
    EXPECT_EQ(Window2().state, WindowState::Maximized);
    LockButton().UserClick();
    for (const Case& c : cases) {
        c.done();
        expectBack(c.what);
    }
}

TEST_F(LockIntegrity, TheCurtainIsKeptRightBelowTheSetupWindowUntilTheHiddenStateIsLeft) {
    Start();
    LockWith(u"pw");
    toolkit.Advance(5);
    EXPECT_EQ(Window2().placedBelow, static_cast<const Window*>(&Window1()));
    EXPECT_TRUE(Window2().topmost);
    // Hidden: the curtain keeps itself at the top; back from it, out of the
    // band for the rest of the lock, and nothing puts it back.
    Btn("iButton12").UserClick();
    LockButton().UserClick();
    const int calls = Window2().placeBelowCalls;
    toolkit.Advance(50);
    EXPECT_EQ(Window2().placeBelowCalls, calls);
    EXPECT_FALSE(Window2().topmost);
}

// The controls the focus visits from a control, Tab pressed 40 times.
std::set<std::string> Visited(FakeWindow& window, Control& from, bool backwards) {
    window.focused = &from;
    std::set<std::string> seen;
    for (int i = 0; i < 40; ++i) {
        window.UserTab(backwards);
        seen.insert(window.FocusedName());
    }
    return seen;
}

TEST_F(LockIntegrity, TabVisitsOnlyWhatAClickCouldReach) {
    Start();
    struct Case {
        const char* stage;
        std::function<void()> go;
        const char* from;
        std::set<std::string> reached;
    };
    const Case cases[] = {
        {"start", [] {}, "Text1", {"iButton1", "iButton2", "i3", "iButton4", "iButton5", "Text2", "Text1", "iButton3"}},
        {"settings page shown",
         [&] {
             Btn("iButton4").UserClick();
             toolkit.Advance(8);
         },
         "Text3",
         {"iButton1", "iButton2", "i4", "Text3", "Text5", "Text4"}},
        {"locked (the page closed first)",
         [&] {
             Box("Text4").UserType(u"2000");
             Btn("i4").UserClick();
             toolkit.Advance(8);
             LockWith(u"pw");
             toolkit.Advance(8);
         },
         "Text6",
         {"i3", "iButton5", "Text6", "iButton10", "iButton12"}},
        {"NC码 entry in front",
         [&] { Lbl("Label13").UserClick(); },
         "Text7",
         {"i3", "iButton5", "Text7", "iButton11", "iButton12"}},
    };
    for (const Case& c : cases) {
        c.go();
        for (bool backwards : {false, true}) {
            EXPECT_EQ(Visited(Window1(), Box(c.from), backwards), c.reached) << c.stage << " " << backwards;
        }
    }
}

TEST_F(LockIntegrity, EnterOnAControlTheKeyboardReachesNeverLocksNorSavesFromUnderAPage) {
    Start();
    // Any number of Tabs from the first password field, then Enter, never
    // presses the settings page's buried "确定" nor slides a page in.
    for (int tabs = 1; tabs <= 12; ++tabs) {
        Window1().focused = &Box("Text1");
        for (int i = 0; i < tabs; ++i) Window1().UserTab();
        const std::string focused = Window1().FocusedName();
        // The page openers open their page, and the title buttons close or
        // minimise the window, as they should.
        if (focused == "i3" || focused == "iButton4" || focused == "iButton5" || focused == "iButton1" ||
            focused == "iButton2")
            continue;
        Window1().UserPressEnter();
        toolkit.Advance(20);
        for (const MessageRecord& m : toolkit.messages) EXPECT_NE(m.title, u"NS码设置错误！") << tabs;
        for (auto page : {"Picture1", "Picture2", "Picture3"})
            EXPECT_EQ(form1->window().PanelNamed(page).Left(), 6400) << tabs;
    }

    // Both passwords typed and the settings page open: Shift+Tab and Enter
    // from the opacity field do not lock.
    Box("Text1").UserType(u"pw");
    Box("Text2").UserType(u"pw");
    Btn("iButton4").UserClick();
    toolkit.Advance(8);
    Window1().focused = &Box("Text3");
    Window1().UserTab(true);
    EXPECT_EQ(Window1().FocusedName(), "i4");
    Window1().UserPressEnter();
    EXPECT_FALSE(program.LockWindowExists());
    // Focus left on the lock button while the page slid over it: Enter
    // there does nothing either.
    Window1().focused = &Btn("iButton3");
    Window1().UserPressEnter();
    EXPECT_FALSE(program.LockWindowExists());
}

TEST_F(LockIntegrity, DuringALockTheSettingsPageTakesNoFocusEvenWhenItIsOnTheScreen) {
    Start();
    Box("Text1").UserType(u"pw");
    Box("Text2").UserType(u"pw");
    Btn("iButton4").UserClick();
    toolkit.Advance(3);  // the page is still sliding in when the lock comes
    form1->iButton3.Click();
    toolkit.Advance(8);
    ASSERT_EQ(form1->Picture2.Left(), 0);
    for (auto name : {"Text3", "Text4", "Text5"}) {
        Box(name).UserFocus();
        EXPECT_NE(Window1().FocusedName(), name);
        EXPECT_FALSE(Window1().Reachable(Box(name))) << name;
    }
}

}  // namespace
}  // namespace quorvel::testing
