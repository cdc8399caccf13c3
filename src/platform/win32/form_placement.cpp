// A form's place among the windows and on the screen: its state (normal,
// minimised, maximised), the topmost band, its place below another window,
// its opacity, the curtains over the other monitors, and the requests of the
// window menu's kind.
#include "platform/win32/form_window.h"

#include "platform/win32/win32_toolkit.h"

namespace quorvel::win32 {

WindowState FormWindow::State() const {
    if (IsIconic(hwnd_)) return WindowState::Minimized;
    if (IsZoomed(hwnd_)) return WindowState::Maximized;
    return WindowState::Normal;
}

RECT FormWindow::MaximizedRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void FormWindow::SetState(WindowState state) {
    if (destroyed_) return;
    switch (state) {
        case WindowState::Minimized: ShowWindow(hwnd_, SW_MINIMIZE); return;
        case WindowState::Normal:
            // From minimised a window comes back in the state it had before,
            // which may be maximised: a second step restores that too.
            if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
            if (IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
            return;
        case WindowState::Maximized: {
            if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
            // Maximising through ShowWindow would activate the window: mark
            // it maximised and give it the whole screen instead.
            if (!IsZoomed(hwnd_)) SetWindowLongW(hwnd_, GWL_STYLE, GetWindowLongW(hwnd_, GWL_STYLE) | WS_MAXIMIZE);
            const RECT full = MaximizedRect();
            RECT r;
            GetWindowRect(hwnd_, &r);
            if (!EqualRect(&r, &full))
                ::SetWindowPos(hwnd_, nullptr, full.left, full.top, full.right - full.left, full.bottom - full.top,
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            return;
        }
    }
}

// Whether a topmost placement would change nothing: the window is already
// topmost, in place and above every other visible window (but the program's
// open message box). The keep-on-top ticks ask for it every 5 ms; under Wine
// each real call costs a round trip to the X server.
bool FormWindow::AlreadyOnTopAt(const PixelRect& rect, HWND box) const {
    if (!IsWindowVisible(hwnd_) || !(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST)) return false;
    if (GetForegroundWindow() != (box ? box : hwnd_)) return false;
    RECT r;
    GetWindowRect(hwnd_, &r);
    if (r.left != rect.x || r.top != rect.y || r.right - r.left != rect.width || r.bottom - r.top != rect.height)
        return false;
    for (HWND above = GetWindow(hwnd_, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        if (above != box && IsWindowVisible(above)) return false;
    }
    return true;
}

void FormWindow::SetWindowPos(InsertAfter where, const PixelRect& rect) {
    PlaceAt(where, rect);
    if (curtains_) curtains_->FollowBand();
}

void FormWindow::PlaceAt(InsertAfter where, const PixelRect& rect) {
    if (where == InsertAfter::NoTopmost) {
        ::SetWindowPos(hwnd_, HWND_NOTOPMOST, rect.x, rect.y, rect.width, rect.height, 0);
        return;
    }
    const HWND box = toolkit_.MessageBoxOnTop();
    const bool inOrder = AlreadyOnTopAt(rect, box);
    if (!onTop_.Due(GetTickCount64(), inOrder)) return;
    if (inOrder) toolkit_.RaiseStackMark();
    if (!box) {
        ::SetWindowPos(hwnd_, HWND_TOPMOST, rect.x, rect.y, rect.width, rect.height, 0);
        return;
    }
    // While the program's message box is up the window goes just below it,
    // as an owner stays below what it owns, and the box keeps the activation
    // that its disabled owner cannot use. Both are raised, in turn.
    ::SetWindowPos(hwnd_, HWND_TOPMOST, rect.x, rect.y, rect.width, rect.height, SWP_NOACTIVATE);
    ::SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (GetForegroundWindow() != box) SetForegroundWindow(box);
}

void FormWindow::PlaceBelow(const Window& above) {
    const HWND upper = reinterpret_cast<HWND>(above.Handle());
    std::vector<HWND> stack{hwnd_};
    if (curtains_) {
        const auto extra = curtains_->Windows();
        stack.insert(stack.end(), extra.begin(), extra.end());
    }
    if (!below_.Due(GetTickCount64(), StackedBelow(upper, stack))) return;
    if (!Topmost(upper) && Topmost(hwnd_))
        ::SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StackBelow(upper, stack);
}

bool FormWindow::Layered() const { return (GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

void FormWindow::SetLayered(bool layered) {
    const LONG style = GetWindowLongW(hwnd_, GWL_EXSTYLE);
    SetWindowLongW(hwnd_, GWL_EXSTYLE, layered ? style | WS_EX_LAYERED : style & ~WS_EX_LAYERED);
    if (curtains_ && !layered) curtains_->SetAlpha(255);
}

void FormWindow::SetOpacity(uint8_t alpha) {
    SetLayeredWindowAttributes(hwnd_, 0, alpha, LWA_ALPHA);
    if (curtains_) curtains_->SetAlpha(alpha);
}

std::vector<HWND> FormWindow::ExtraCurtainWindows() const {
    return curtains_ ? curtains_->Windows() : std::vector<HWND>{};
}

void FormWindow::InvalidateCurtains() {
    if (curtains_) curtains_->Invalidate();
}

void FormWindow::MonitorsChanged() {
    if (!curtains_) return;
    curtains_->Refresh();
    // A maximised window keeps the whole primary monitor as it changes.
    if (IsZoomed(hwnd_)) SetState(WindowState::Maximized);
}

bool FormWindow::FrameRequestGranted(WPARAM command) {
    FrameRequest request;
    switch (command & 0xFFF0) {
        case SC_MINIMIZE: request = FrameRequest::Minimize; break;
        case SC_RESTORE: request = FrameRequest::Restore; break;
        case SC_MAXIMIZE: request = FrameRequest::Maximize; break;
        case SC_MOVE:
            if (inOwnDrag_) return true;
            request = FrameRequest::Move;
            break;
        case SC_SIZE: request = FrameRequest::Size; break;
        case SC_KEYMENU:
        case SC_MOUSEMENU: request = FrameRequest::Menu; break;
        default: return true;
    }
    return !FrameRequested || FrameRequested(request);
}

}  // namespace quorvel::win32
