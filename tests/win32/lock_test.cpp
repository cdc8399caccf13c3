// The lock on real windows under Wine: the lock window's layered alpha from
// the opacity field, both windows in the topmost band, close requests refused
// while the lock is in force, and the end of the session still honoured.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/form1.h"
#include "app/program.h"
#include "layouts/forms.h"
#include "lock/form2.h"
#include "platform/win32/form_window.h"
#include "platform/win32/restack.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"

namespace quorvel::win32 {
namespace {

class Lock : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override {
        toolkit.storeRoot = L"Software\\QuorvelLockTest";
        // As the program starts: the lock window is made ahead.
        toolkit.MakeAhead(layouts::kForm2);
        program.Start();
        Pump(50);
    }
    void TearDown() override {
        program.keyboardFilter().Remove();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvelLockTest");
    }
    Form1& setup() { return program.SetupWindow(); }
    HWND Hwnd(Window& w) { return reinterpret_cast<HWND>(w.Handle()); }
    void LockWith(std::u16string_view password, std::u16string_view opacity) {
        setup().Text3.SetText(opacity);
        setup().Text1.SetText(password);
        setup().Text2.SetText(password);
        setup().iButton3.Click();
        Pump(100);
    }
    int Alpha(HWND h) {
        BYTE alpha = 0;
        DWORD flags = 0;
        if (!GetLayeredWindowAttributes(h, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return -1;
        return alpha;
    }

    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
    Program program{toolkit};
};

// The program's top-level windows of the form class, with their captions.
std::vector<std::pair<HWND, std::wstring>> FormWindows() {
    std::vector<std::pair<HWND, std::wstring>> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM list) {
            wchar_t name[32] = {}, caption[32] = {};
            GetClassNameW(h, name, 32);
            GetWindowTextW(h, caption, 32);
            if (std::wstring(name) == L"QuorvelForm")
                reinterpret_cast<std::vector<std::pair<HWND, std::wstring>>*>(list)->emplace_back(h, caption);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Two places sharing one watch: when each restacks for real.
TEST(KeepInOrder, RestacksWhenDisturbedThenOftenForASecondThenEveryTwoSeconds) {
    StackWatch watch;
    KeepInOrder top(watch), below(watch);
    struct Step {
        KeepInOrder& place;
        uint64_t now;
        bool inOrder;
        bool due;
    };
    const Step steps[] = {
        {top, 1000, true, true},     // never placed yet
        {top, 1010, true, false},    // in order, quiet
        {below, 1010, true, true},   // a place of its own
        {top, 2999, true, false},    // not yet two seconds
        {top, 3000, true, true},     // every two seconds anyway
        {below, 3100, false, true},  // out of order: disturbed
        {top, 3110, true, true},     // the other place follows the disturbance
        {top, 3150, true, false},    // not 50 ms since
        {top, 3160, true, true},     // 50 ms since
        {below, 4100, true, true},   // a second after: still settling
        {below, 4200, true, false},  // settled
        {below, 4210, false, true},  // out of order is always due
        {below, 4211, false, true},  // however soon
        {top, 5160, true, true},     // two seconds since its last
    };
    for (const Step& step : steps) EXPECT_EQ(step.place.Due(step.now, step.inOrder), step.due) << "at " << step.now;
}

TEST_F(Lock, TheLockWindowMadeAheadIsHiddenAndNamelessUntilLockingTakesIt) {
    Pump(100);  // past the setup window's first paint
    const auto before = FormWindows();
    ASSERT_EQ(before.size(), 2u);
    HWND ahead = nullptr;
    for (const auto& [h, caption] : before) {
        if (h == Hwnd(setup().window())) continue;
        ahead = h;
        EXPECT_EQ(caption, L"");
        EXPECT_FALSE(IsWindowVisible(h));
    }
    EXPECT_EQ(FindWindowW(nullptr, L"锁屏"), nullptr);
    LockWith(u"pw", u"255");
    EXPECT_EQ(Hwnd(program.LockWindow().window()), ahead);
    EXPECT_EQ(FindWindowW(nullptr, L"锁屏"), ahead);
    EXPECT_TRUE(IsWindowVisible(ahead));
    EXPECT_EQ(FormWindows().size(), 2u);
}

TEST_F(Lock, TheLockWindowTakesItsOpacityFromTheOpacityFieldAtEachActivation) {
    LockWith(u"pw", u"128");
    HWND lock = Hwnd(program.LockWindow().window());
    EXPECT_TRUE(GetWindowLongW(lock, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(Alpha(lock), 128);
    for (auto [text, alpha] : {std::pair{u"0", 0}, std::pair{u"255", 255}, std::pair{u"128", 128}}) {
        setup().Text3.SetText(text);
        program.LockWindow().window().Show();  // the lock window becomes active again
        Pump(20);
        EXPECT_EQ(Alpha(lock), alpha) << alpha;
        SetForegroundWindow(Hwnd(setup().window()));
        Pump(20);
    }
}

TEST_F(Lock, BothWindowsAreInTheTopmostBandAndTheLockWindowCoversTheScreen) {
    LockWith(u"pw", u"255");
    HWND lock = Hwnd(program.LockWindow().window());
    HWND form1 = Hwnd(setup().window());
    EXPECT_TRUE(GetWindowLongW(lock, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Pump(100);  // the keep-on-top tick puts the setup window above the lock window
    EXPECT_TRUE(GetWindowLongW(form1, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetForegroundWindow(), form1);
    bool lockBelow = false;
    for (HWND h = GetWindow(form1, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT)) lockBelow |= h == lock;
    EXPECT_TRUE(lockBelow);
    RECT r;
    GetWindowRect(lock, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(Lock, CloseRequestsAreRefusedWhileLockedButTheEndOfTheSessionIsHonoured) {
    LockWith(u"pw", u"255");
    HWND lock = Hwnd(program.LockWindow().window());
    HWND form1 = Hwnd(setup().window());
    for (HWND h : {form1, lock}) {
        SendMessageW(h, WM_CLOSE, 0, 0);
        SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);  // the taskbar's close, Alt+F4
        PostMessageW(h, WM_CLOSE, 0, 0);              // another program's request
    }
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(form1));
    EXPECT_TRUE(IsWindowVisible(lock));
    EXPECT_NE(program.keyboardFilter().Handle(), 0);
    // The hidden state refuses them too.
    setup().iButton12.Click();
    Pump(50);
    SendMessageW(lock, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(lock) && IsWindowVisible(lock));
    // The session may end: the windows do not hold it up.
    EXPECT_NE(SendMessageW(form1, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_NE(SendMessageW(lock, WM_QUERYENDSESSION, 0, 0), 0);
}

TEST_F(Lock, BeforeALockTheSetupWindowClosesOnRequest) {
    bool gone = false;
    HWND form1 = Hwnd(setup().window());
    SendMessageW(form1, WM_CLOSE, 0, 0);
    gone = !IsWindow(form1);
    EXPECT_TRUE(gone);
}

// The window below another that is on the screen.
HWND NextShown(HWND h) {
    do h = GetWindow(h, GW_HWNDNEXT);
    while (h && !IsWindowVisible(h));
    return h;
}

bool Topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST_F(Lock, NeitherWindowHasAWindowMenuNorAMaximiseBox) {
    LockWith(u"pw", u"255");
    const LONG form1 = GetWindowLongW(Hwnd(setup().window()), GWL_STYLE);
    const LONG lock = GetWindowLongW(Hwnd(program.LockWindow().window()), GWL_STYLE);
    EXPECT_EQ(form1 & (WS_SYSMENU | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), WS_MINIMIZEBOX);
    EXPECT_EQ(lock & (WS_SYSMENU | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0);
}

TEST_F(Lock, FrameRequestsAreRefusedDuringALockAndTheDesignedOnesGrantedBefore) {
    HWND form1 = Hwnd(setup().window());
    SendMessageW(form1, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_FALSE(IsZoomed(form1));
    SendMessageW(form1, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the taskbar, before a lock
    EXPECT_TRUE(IsIconic(form1));
    SendMessageW(form1, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(form1));
    Pump(50);

    LockWith(u"pw", u"255");
    HWND lock = Hwnd(program.LockWindow().window());
    RECT before[2];
    GetWindowRect(form1, &before[0]);
    GetWindowRect(lock, &before[1]);
    for (WPARAM command : {SC_MINIMIZE, SC_RESTORE, SC_MAXIMIZE, SC_SIZE, SC_MOVE, SC_KEYMENU, SC_MOUSEMENU}) {
        for (HWND h : {form1, lock}) SendMessageW(h, WM_SYSCOMMAND, command, 0);
        for (int i = 0; i < 2; ++i) {
            HWND h = i == 0 ? form1 : lock;
            RECT now;
            GetWindowRect(h, &now);
            EXPECT_TRUE(EqualRect(&now, &before[i])) << std::hex << command << " " << i;
            EXPECT_FALSE(IsIconic(h)) << std::hex << command;
        }
        EXPECT_TRUE(IsZoomed(lock)) << std::hex << command;
    }
}

TEST_F(Lock, AWindowMinimisedOrRestoredFromOutsideIsPutBackByTheNextTick) {
    LockWith(u"pw", u"255");
    HWND form1 = Hwnd(setup().window());
    HWND lock = Hwnd(program.LockWindow().window());
    RECT place;
    GetWindowRect(form1, &place);
    auto check = [&](const char* what) {
        Pump(60);
        RECT r;
        GetWindowRect(lock, &r);
        EXPECT_TRUE(IsZoomed(lock) && !IsIconic(lock)) << what;
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN)) << what;
        EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN)) << what;
        GetWindowRect(form1, &r);
        EXPECT_TRUE(IsWindowVisible(form1) && !IsIconic(form1) && EqualRect(&r, &place)) << what;
        EXPECT_EQ(NextShown(form1), lock) << what;
    };
    ShowWindow(lock, SW_MINIMIZE);
    check("curtain minimised");
    ShowWindow(lock, SW_RESTORE);
    check("curtain restored");
    ShowWindow(form1, SW_MINIMIZE);
    check("setup window minimised");
    ShowWindow(form1, SW_HIDE);
    check("setup window hidden");
    // In the hidden state the lock window's own tick keeps it covering.
    setup().iButton12.Click();
    Pump(50);
    ShowWindow(lock, SW_MINIMIZE);
    Pump(60);
    EXPECT_TRUE(IsZoomed(lock) && !IsIconic(lock));
}

TEST_F(Lock, TheCurtainStaysRightBelowTheSetupWindowUntilTheHiddenStateIsLeft) {
    LockWith(u"pw", u"255");
    HWND form1 = Hwnd(setup().window());
    HWND lock = Hwnd(program.LockWindow().window());
    // Another program's window, opened later in the topmost band.
    HWND other = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"other", WS_POPUP, 0, 0, 200, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(other, SW_SHOWNOACTIVATE);
    Pump(60);
    EXPECT_EQ(NextShown(form1), lock);
    EXPECT_EQ(NextShown(lock), other);
    // Leaving the hidden state takes the curtain out of the band for good.
    setup().iButton12.Click();
    Pump(50);
    program.LockWindow().iButton1.Click();
    Pump(60);
    EXPECT_FALSE(Topmost(lock));
    EXPECT_TRUE(Topmost(form1));
    DestroyWindow(other);
}

TEST_F(Lock, EveryOtherMonitorGetsACurtainThatFollowsTheLockWindow) {
    std::vector<RECT> monitors{{1280, 0, 2560, 800}, {-1024, 100, 0, 868}};
    toolkit.monitors = [&] { return monitors; };
    LockWith(u"pw", u"128");
    Pump(60);
    HWND lock = Hwnd(program.LockWindow().window());
    auto curtains = [&] { return static_cast<FormWindow&>(program.LockWindow().window()).ExtraCurtainWindows(); };
    ASSERT_EQ(curtains().size(), 2u);
    HWND above = lock;
    for (size_t i = 0; i < 2; ++i) {
        HWND c = curtains()[i];
        RECT r;
        GetWindowRect(c, &r);
        EXPECT_TRUE(EqualRect(&r, &monitors[i])) << i;
        EXPECT_TRUE(IsWindowVisible(c) && Topmost(c)) << i;
        EXPECT_EQ(Alpha(c), 128) << i;
        EXPECT_NE(GetForegroundWindow(), c);
        EXPECT_EQ(NextShown(above), c) << i;  // right below the lock window
        above = c;
    }
    // A click on one brings nothing through, and does not activate it.
    EXPECT_EQ(SendMessageW(curtains()[0], WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(lock), 0), MA_NOACTIVATEANDEAT);
    // A monitor unplugged, another resized: covered again within a second.
    monitors = {{1280, 0, 3200, 1080}};
    Pump(700);
    ASSERT_EQ(curtains().size(), 1u);
    RECT r;
    GetWindowRect(curtains()[0], &r);
    EXPECT_TRUE(EqualRect(&r, &monitors[0]));
    EXPECT_TRUE(IsWindowVisible(curtains()[0]));
    // Out of the band with the lock window.
    setup().iButton12.Click();
    Pump(50);
    program.LockWindow().iButton1.Click();
    Pump(60);
    EXPECT_FALSE(Topmost(curtains()[0]));
}

// Presses Tab (or Shift+Tab) where the focus is, as the keyboard would.
void PressTab(bool backwards) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = backwards ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

TEST_F(Lock, TabReachesOnlyWhatAClickCouldReachAndKeysActOnlyThere) {
    Form1& f = setup();
    HWND form1 = Hwnd(f.window());
    SetForegroundWindow(form1);
    Pump(30);
    // Everything a page covers, a stack buries or a parked page holds.
    auto unreachable = [&](std::vector<Control*> controls) {
        std::vector<HWND> out;
        for (Control* c : controls) out.push_back(ChildWindowOf(*c));
        return out;
    };
    auto visit = [&](HWND from, bool backwards) {
        SetFocus(from);
        std::vector<HWND> seen;
        for (int i = 0; i < 30; ++i) {
            PressTab(backwards);
            seen.push_back(GetFocus());
        }
        return seen;
    };
    const std::vector<HWND> startHidden =
        unreachable({&f.i1, &f.i2, &f.i4, &f.Text3, &f.Text4, &f.Text5, &f.iButton6, &f.iButton12});
    for (bool backwards : {false, true}) {
        const auto seen = visit(ChildWindowOf(f.Text1), backwards);
        for (HWND h : startHidden) EXPECT_EQ(std::count(seen.begin(), seen.end(), h), 0) << backwards;
        EXPECT_GT(std::count(seen.begin(), seen.end(), ChildWindowOf(f.iButton3)), 0);
    }

    // The settings page open over the passwords and the lock button.
    f.Text1.SetText(u"pw");
    f.Text2.SetText(u"pw");
    f.iButton4.Click();
    Pump(150);
    ASSERT_EQ(f.Picture2.Left(), 0);
    const std::vector<HWND> covered = unreachable({&f.Text1, &f.Text2, &f.iButton3, &f.i3, &f.i2, &f.i1});
    for (bool backwards : {false, true}) {
        const auto seen = visit(ChildWindowOf(f.Text3), backwards);
        for (HWND h : covered) EXPECT_EQ(std::count(seen.begin(), seen.end(), h), 0) << backwards;
        EXPECT_GT(std::count(seen.begin(), seen.end(), ChildWindowOf(f.i4)), 0);
    }
    // A covered button that kept the focus does nothing on Enter or Space.
    SetFocus(ChildWindowOf(f.iButton3));
    SendMessageW(ChildWindowOf(f.iButton3), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(ChildWindowOf(f.iButton3), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(ChildWindowOf(f.iButton3), WM_KEYUP, VK_SPACE, 0);
    Pump(30);
    EXPECT_FALSE(program.LockWindowExists());

    // Locked, with the settings page still open: it takes no focus and no
    // typing, and the buried "验证" is never reached.
    f.iButton3.Click();
    Pump(100);
    SetForegroundWindow(form1);
    Pump(30);
    const std::vector<HWND> locked = unreachable({&f.iButton11, &f.Text3, &f.Text4, &f.Text5});
    for (bool backwards : {false, true}) {
        const auto seen = visit(ChildWindowOf(f.Text6), backwards);
        for (HWND h : locked) EXPECT_EQ(std::count(seen.begin(), seen.end(), h), 0) << backwards;
    }
    HWND ns = ChildWindowOf(f.Text4);
    SetFocus(ns);
    for (wchar_t c : std::wstring(L"1234")) SendMessageW(ns, WM_CHAR, c, 1);
    EXPECT_EQ(f.Text4.Text(), u"");
}

}  // namespace
}  // namespace quorvel::win32
