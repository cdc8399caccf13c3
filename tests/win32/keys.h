// Keys as the keyboard sends them (SendInput), and a low-level hook of
// "another program" installed before the program's filter: hooks installed
// later run first, so it sees only what the filter passes.
#pragma once

#include <windows.h>

#include <vector>

namespace quorvel::win32 {

inline std::vector<DWORD> g_seenByEarlierHook;

inline LRESULT CALLBACK EarlierHook(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && wParam == WM_KEYDOWN)
        g_seenByEarlierHook.push_back(reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam)->vkCode);
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

inline void Press(WORD vk) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = vk;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

}  // namespace quorvel::win32
