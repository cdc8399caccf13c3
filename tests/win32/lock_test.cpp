// The lock on real windows under Wine: the lock window's layered alpha from
// the opacity field, both windows in the topmost band, close requests refused
// while the lock is in force, and the end of the session still honoured.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "app/program.h"
#include "lock/form2.h"
#include "platform/win32/form_window.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"

namespace quorvel::win32 {
namespace {

class Lock : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override {
        toolkit.storeRoot = L"Software\\QuorvelLockTest";
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

}  // namespace
}  // namespace quorvel::win32
