// The curtains over the monitors beside the primary one, for a window that
// covers every monitor (the lock window covers the primary one itself). Each
// shows the window's colour and stretched picture with its opacity, follows
// it into and out of sight and of the topmost band, never takes the
// activation and lets no click through.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win32/restack.h"

namespace quorvel::win32 {

class Container;

class ExtraCurtains {
public:
    // The rectangles of the monitors to cover.
    using MonitorList = std::function<std::vector<RECT>()>;
    // owner: the window they follow, which paints what they show.
    // watch: what the keep-on-top ticks share about the windows' order.
    ExtraCurtains(HINSTANCE instance, Container& owner, MonitorList monitors, StackWatch& watch);
    ~ExtraCurtains();
    ExtraCurtains(const ExtraCurtains&) = delete;
    ExtraCurtains& operator=(const ExtraCurtains&) = delete;

    void Show();
    void Hide();
    // Directly below the owner, in its band, without activation; curtains
    // already there are placed again only when a restack is due.
    void FollowBand();
    void SetAlpha(uint8_t alpha);
    void Invalidate();
    // Paints what is due now.
    void Update();
    // Looks at the monitors again: one curtain for each monitor but the
    // primary, at its place and size; returns whether anything changed.
    bool Refresh();
    std::vector<HWND> Windows() const;

private:
    struct Curtain {
        HWND hwnd = nullptr;
        RECT rect{};
    };

public:
    // For the window procedure (guard.h).
    void Attached(HWND) {}
    void Detached(HWND) {}
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND Make(const RECT& rect);
    void Paint(HWND hwnd);

    HINSTANCE instance_;
    Container& owner_;
    MonitorList monitors_;
    KeepInOrder below_;
    std::vector<Curtain> curtains_;
    uint8_t alpha_ = 255;
    bool shown_ = false;
};

// The rectangles of the monitors other than the primary one, in the order
// the system lists them.
std::vector<RECT> OtherMonitors();

bool Topmost(HWND hwnd);
// The next window below that is on the screen.
HWND NextShown(HWND hwnd);
// Whether the windows lie directly below `above`, in order, in its band.
bool StackedBelow(HWND above, const std::vector<HWND>& windows);
// Puts the windows directly below `above`, in order, in its band, without
// activating any. Under Wine the X server's stacking follows a window only
// when it comes to the top of the order, so each is raised to the top and
// then `above`, and what lay over it, are raised over them again: the order
// comes out the same for Windows and on the screen.
void StackBelow(HWND above, const std::vector<HWND>& windows);

}  // namespace quorvel::win32
