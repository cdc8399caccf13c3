// The keyboard filter: while a lock is in force a system-wide keyboard filter
// discards the events of four virtual-key codes (Shift, Ctrl, Alt and left
// Ctrl), pressed or released, and passes everything else on unchanged.
#pragma once

#include "platform/toolkit.h"

namespace quorvel {

// The virtual-key codes the filter discards.
inline constexpr uint32_t kVkShift = 16;
inline constexpr uint32_t kVkControl = 17;
inline constexpr uint32_t kVkMenu = 18;  // Alt
inline constexpr uint32_t kVkLeftControl = 162;

// True discards the event; false passes it on. Called for every key event of
// the desktop: at most four comparisons, nothing else.
bool FilterKeyEvent(const KeyEvent& event);

// The module's one hook handle slot. Install overwrites it; Remove uses it and
// never clears it; it is 0 before the first install.
class KeyboardFilter {
public:
    explicit KeyboardFilter(Toolkit& toolkit) : toolkit_(toolkit) {}
    void Install();
    void Remove();
    HookHandle Handle() const { return handle_; }

private:
    Toolkit& toolkit_;
    HookHandle handle_ = 0;
};

}  // namespace quorvel
