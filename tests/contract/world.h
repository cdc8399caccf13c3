// What the contract suite needs beyond the contract itself: a world in which
// a user acts and time passes, one for each implementation of the toolkit
// (the in-memory double natively, the Win32 backend under Wine).
#pragma once

#include <memory>

#include "platform/toolkit.h"

namespace quorvel::contract {

class World {
public:
    virtual ~World() = default;
    virtual Toolkit& toolkit() = 0;
    // Time passes: due timer ticks and pending events are delivered.
    virtual void Pass(int ms) = 0;
    // A user's left click at the middle of the control, on the screen.
    virtual void Click(Window& window, Control& control) = 0;
    // Tab, or Shift+Tab, where the focus is.
    virtual void Tab(Window& window, bool backwards) = 0;
    virtual void Focus(Window& window, Control& control) = 0;
    virtual bool HasFocus(Window& window, Control& control) = 0;
    // A close request of the user (Alt+F4, the taskbar).
    virtual void RequestClose(Window& window) = 0;
    // Whether the window is the program's active one.
    virtual bool Active(Window& window) = 0;
    // Shows a message box that the user dismisses after ms milliseconds.
    virtual void MessageBoxFor(int ms) = 0;
    // From now on the settings store can be neither read nor written.
    virtual void BreakStore() = 0;
};

// The world of the implementation this suite is built with.
std::unique_ptr<World> MakeWorld();

}  // namespace quorvel::contract
