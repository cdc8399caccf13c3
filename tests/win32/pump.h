// Lets the message loop run for a while, as a program idling between events.
#pragma once

#include <windows.h>

#include "platform/win32/form_window.h"

namespace quorvel::win32 {

inline void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            RelayToToolTips(msg);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

}  // namespace quorvel::win32
