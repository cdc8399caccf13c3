// The contract suite's world on the Win32 backend under Wine: real windows,
// the message loop for time, and the user's mouse and keys sent as input.
#include <windows.h>

#include <ole2.h>

#include <string>

#include "platform/win32/form_window.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"
#include "world.h"

namespace quorvel::contract {
namespace {

using win32::ChildWindowOf;
using win32::Pump;

HWND Hwnd(Window& window) { return reinterpret_cast<HWND>(window.Handle()); }

void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void SendButton(DWORD flag) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof input);
}

// Dismisses the contract's message box when its time is up.
void CALLBACK DismissBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND box = FindWindowW(L"#32770", L"契约")) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

class Win32World final : public World {
public:
    Win32World() {
        OleInitialize(nullptr);
        toolkit_.storeRoot = L"Software\\QuorvelContractTest";
    }
    ~Win32World() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvelContractTest"); }
    Toolkit& toolkit() override { return toolkit_; }
    void Pass(int ms) override { Pump(static_cast<DWORD>(ms)); }
    void Click(Window& window, Control& control) override {
        SetForegroundWindow(Hwnd(window));
        RECT r;
        GetWindowRect(ChildWindowOf(control), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Pump(30);
        SendButton(MOUSEEVENTF_LEFTDOWN);
        SendButton(MOUSEEVENTF_LEFTUP);
        Pump(100);
    }
    void Tab(Window& window, bool backwards) override {
        SetForegroundWindow(Hwnd(window));
        if (backwards) SendKey(VK_SHIFT, false);
        SendKey(VK_TAB, false);
        SendKey(VK_TAB, true);
        if (backwards) SendKey(VK_SHIFT, true);
        Pump(100);
    }
    void Focus(Window& window, Control& control) override {
        SetForegroundWindow(Hwnd(window));
        SetFocus(ChildWindowOf(control));
        Pump(20);
    }
    bool HasFocus(Window&, Control& control) override { return GetFocus() == ChildWindowOf(control); }
    void RequestClose(Window& window) override { SendMessageW(Hwnd(window), WM_SYSCOMMAND, SC_CLOSE, 0); }
    bool Active(Window& window) override { return GetActiveWindow() == Hwnd(window); }
    void MessageBoxFor(int ms) override {
        SetTimer(nullptr, 0, static_cast<UINT>(ms), &DismissBox);
        toolkit_.MsgBox(u"契约", MsgBoxStyle::Critical, u"契约");
    }

    // A key name longer than the registry allows: every open and create fails.
    void BreakStore() override { toolkit_.storeRoot = L"Software\\" + std::wstring(300, L'q'); }

private:
    win32::Win32Toolkit toolkit_{GetModuleHandleW(nullptr)};
};

}  // namespace

std::unique_ptr<World> MakeWorld() { return std::make_unique<Win32World>(); }

}  // namespace quorvel::contract
