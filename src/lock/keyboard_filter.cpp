#include "lock/keyboard_filter.h"

namespace quorvel {

bool FilterKeyEvent(const KeyEvent& event) {
    switch (event.keyCode) {
        case kVkShift:
        case kVkControl:
        case kVkMenu:
        case kVkLeftControl: return true;
        default: return false;
    }
}

void KeyboardFilter::Install() { handle_ = toolkit_.InstallKeyboardFilter(&FilterKeyEvent); }

void KeyboardFilter::Remove() { toolkit_.RemoveKeyboardFilter(handle_); }

}  // namespace quorvel
