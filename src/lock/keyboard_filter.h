// The keyboard filter: while a lock is in force a system-wide low-level
// keyboard hook discards the events of four virtual-key codes (Shift, Ctrl,
// Alt and left Ctrl) and passes everything else on unchanged.
#pragma once

#include <cstdint>

#include "platform/toolkit.h"

namespace quorvel {

// The platform's record of one low-level key event, as far as the filter
// copies it: five little-endian 32-bit fields, 20 bytes.
struct KeyEventRecord {
    uint32_t vkCode;
    uint32_t scanCode;
    uint32_t flags;
    uint32_t time;
    uint32_t dwExtraInfo;
};
static_assert(sizeof(KeyEventRecord) == 20);

inline constexpr int32_t kHcAction = 0;
inline constexpr uint32_t kWmKeyDown = 0x100;
inline constexpr uint32_t kWmKeyUp = 0x101;
inline constexpr uint32_t kWmSysKeyDown = 0x104;
inline constexpr uint32_t kWmSysKeyUp = 0x105;

// True discards the event (the hook answers 1 and calls no later hook);
// false passes it to the next hook and answers 0. Called for every key event
// of the desktop: one 20-byte copy, at most four comparisons, nothing else.
bool FilterKeyEvent(int32_t nCode, uint32_t wParam, const void* record);

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
