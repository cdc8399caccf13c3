#include "lock/keyboard_filter.h"

#include <cstring>

namespace quorvel {

bool FilterKeyEvent(int32_t nCode, uint32_t wParam, const void* record) {
    if (nCode != kHcAction) return false;
    if (wParam != kWmKeyDown && wParam != kWmKeyUp && wParam != kWmSysKeyDown && wParam != kWmSysKeyUp) return false;
    KeyEventRecord event;
    std::memcpy(&event, record, sizeof event);
    switch (event.vkCode) {
        case 16:   // Shift
        case 17:   // Ctrl
        case 18:   // Alt
        case 162:  // left Ctrl
            return true;
        default: return false;
    }
}

void KeyboardFilter::Install() { handle_ = toolkit_.InstallKeyboardFilter(&FilterKeyEvent); }

void KeyboardFilter::Remove() { toolkit_.RemoveKeyboardFilter(handle_); }

}  // namespace quorvel
