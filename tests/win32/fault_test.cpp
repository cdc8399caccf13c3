// Faults inside the program's events, on real windows: an exception thrown
// by a handler of a window, a text box, a panel's text box or a timer, with a
// lock in force, skips that event, the program goes on and the lock holds; a
// failing drop handler or keyboard filter, called by another program or the
// system, leaves the program running (a failing filter passes the key on); a
// timer whose start fails is started again.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/form1.h"
#include "app/program.h"
#include "drag.h"
#include "keys.h"
#include "lock/form2.h"
#include "platform/win32/form_window.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"

namespace quorvel::win32 {
namespace {

class Faults : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override {
        toolkit.storeRoot = L"Software\\QuorvelFaultTest";
        program.Start();
        Pump(50);
    }
    void TearDown() override {
        program.keyboardFilter().Remove();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvelFaultTest");
    }
    Form1& setup() { return program.SetupWindow(); }
    HWND Hwnd(Window& w) { return reinterpret_cast<HWND>(w.Handle()); }
    void Lock() {
        setup().Text1.SetText(u"pw");
        setup().Text2.SetText(u"pw");
        setup().iButton3.Click();
        Pump(100);
    }
    // The lock holds: both windows there and shown, the filter installed.
    void ExpectLockHolds(const char* after) {
        HWND form1 = Hwnd(setup().window());
        HWND lock = Hwnd(program.LockWindow().window());
        EXPECT_TRUE(IsWindow(form1) && IsWindowVisible(form1)) << after;
        EXPECT_TRUE(IsWindow(lock) && IsWindowVisible(lock) && IsZoomed(lock)) << after;
        EXPECT_NE(program.keyboardFilter().Handle(), 0) << after;
    }

    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
    Program program{toolkit};
};

[[noreturn]] void Fail() { throw std::runtime_error("a handler at fault"); }

TEST_F(Faults, AFaultSkipsItsEventAndTheLockHolds) {
    Lock();
    HWND form1 = Hwnd(setup().window());
    HWND lock = Hwnd(program.LockWindow().window());

    // A window's close request and frame request: refused, not granted.
    program.LockWindow().window().CloseRequest = []() -> bool { Fail(); };
    setup().window().FrameRequested = [](FrameRequest) -> bool { Fail(); };
    SendMessageW(lock, WM_CLOSE, 0, 0);
    SendMessageW(form1, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump(30);
    ExpectLockHolds("close and frame requests");
    EXPECT_FALSE(IsIconic(form1));

    // A timer: the failing tick is skipped and the next ones come.
    int ticks = 0;
    setup().Timer1.Tick = [&] {
        if (++ticks == 1) Fail();
    };
    Pump(100);
    EXPECT_GT(ticks, 1);
    ExpectLockHolds("a timer tick");

    // A text box's press and change, on the window and inside a panel: the
    // field still takes the press and the typing.
    TextBox& password = setup().Text6;
    password.MouseDown = [](MouseButton) { Fail(); };
    password.Change = [] { Fail(); };
    HWND edit = ChildWindowOf(password);
    SetForegroundWindow(form1);
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageW(edit, WM_CHAR, L'x', 1);
    EXPECT_EQ(password.Text(), u"x");
    setup().Text3.Change = [] { Fail(); };  // the opacity field, in the settings page
    setup().Text3.SetText(u"128");
    EXPECT_EQ(setup().Text3.Text(), u"128");
    Pump(30);
    ExpectLockHolds("text boxes");

    // The lock window's activation fails: it stays the curtain.
    program.LockWindow().window().Activate = [] { Fail(); };
    SetForegroundWindow(lock);
    Pump(60);
    ExpectLockHolds("an activation");
}

TEST_F(Faults, AFailingDropHandlerLeavesTheFieldTakingDropsAndAListInAStreamIsNoList) {
    Form1& f = setup();
    f.iButton4.Click();  // the settings page, with the picture field
    Pump(300);
    RECT r;
    GetWindowRect(ChildWindowOf(f.Text5), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump(50);
    std::vector<DroppedFiles> drops;
    f.Text5.FileDrop = [&](const DroppedFiles& files) { drops.push_back(files); };
    Drag(CF_HDROP, FileList({L"C:\\a.jpg"}), TYMED_ISTREAM);
    f.Text5.FileDrop = [&](const DroppedFiles& files) {
        drops.push_back(files);
        Fail();
    };
    Drag(CF_HDROP, FileList({L"C:\\b.jpg"}));
    f.Text5.FileDrop = [&](const DroppedFiles& files) { drops.push_back(files); };
    Drag(CF_HDROP, FileList({L"C:\\c.jpg"}));
    ASSERT_EQ(drops.size(), 3u);
    EXPECT_FALSE(drops[0].has_value());
    EXPECT_EQ(drops[2], std::vector<std::u16string>{u"C:\\c.jpg"});
    EXPECT_TRUE(IsWindowVisible(Hwnd(f.window())));
}

bool ThrowingFilter(const KeyEvent&) { throw std::runtime_error("a filter at fault"); }

TEST_F(Faults, AKeyboardFilterAtFaultPassesEveryKeyOn) {
    HHOOK earlier = SetWindowsHookExW(WH_KEYBOARD_LL, &EarlierHook, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(earlier, nullptr);
    const HookHandle hook = toolkit.InstallKeyboardFilter(&ThrowingFilter);
    ASSERT_NE(hook, 0);
    g_seenByEarlierHook.clear();
    for (int vk : {VK_LCONTROL, int('A')}) Press(static_cast<WORD>(vk));
    Pump(300);
    EXPECT_EQ(g_seenByEarlierHook, (std::vector<DWORD>{VK_LCONTROL, 'A'}));
    toolkit.RemoveKeyboardFilter(hook);
    UnhookWindowsHookEx(earlier);
}

// Refuses as many starts as g_refusals says, then starts timers as the
// system does.
int g_refusals = 0;
UINT_PTR WINAPI FailingSetTimer(HWND hwnd, UINT_PTR id, UINT interval, TIMERPROC procedure) {
    if (g_refusals > 0) {
        --g_refusals;
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return 0;
    }
    return SetTimer(hwnd, id, interval, procedure);
}

TEST_F(Faults, ATimerThatCouldNotStartIsStartedAgain) {
    toolkit.setTimer = &FailingSetTimer;
    // The keep-on-top tick cannot start when the lock is made.
    g_refusals = 1;
    int ticks = 0;
    setup().Timer1.Tick = [&] { ++ticks; };
    Lock();
    EXPECT_TRUE(setup().Timer1.Enabled());
    Pump(200);  // the logo frame's slide ticks, and with it the retry
    EXPECT_GT(ticks, 0);
    // A timer enabled again after a failed start starts then.
    g_refusals = 1;
    setup().Timer2.SetEnabled(true);
    int slides = 0;
    setup().Timer2.Tick = [&] { ++slides; };
    setup().Timer2.SetEnabled(true);
    Pump(50);
    EXPECT_GT(slides, 0);
    toolkit.setTimer = &SetTimer;
}

}  // namespace
}  // namespace quorvel::win32
