// The curtains over the monitors beside the primary one.
#include "platform/win32/curtains.h"

#include <algorithm>

#include "platform/win32/controls.h"
#include "platform/win32/form_window.h"
#include "platform/win32/guard.h"
#include "platform/win32/pictures.h"
#include "platform/win32/scoped.h"

namespace quorvel::win32 {

namespace {

constexpr wchar_t kCurtainClass[] = L"QuorvelCurtain";

void RegisterCurtainClass(HINSTANCE instance, WNDPROC procedure) {
    static const ATOM registered = RegisterProgramClass(instance, kCurtainClass, procedure);
    (void)registered;
}

}  // namespace

bool Topmost(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

HWND NextShown(HWND hwnd) {
    HWND next = GetWindow(hwnd, GW_HWNDNEXT);
    while (next && !IsWindowVisible(next)) next = GetWindow(next, GW_HWNDNEXT);
    return next;
}

bool StackedBelow(HWND above, const std::vector<HWND>& windows) {
    const bool topmost = Topmost(above);
    for (HWND window : windows) {
        if (Topmost(window) != topmost || NextShown(above) != window) return false;
        above = window;
    }
    return true;
}

void StackBelow(HWND above, const std::vector<HWND>& windows) {
    const HWND band = Topmost(above) ? HWND_TOPMOST : HWND_TOP;
    constexpr UINT kOnlyOrder = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    // What lies over `above` in its band, from `above` upwards.
    std::vector<HWND> over{above};
    for (HWND h = GetWindow(above, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV)) {
        if (IsWindowVisible(h) && Topmost(h) == Topmost(above)) over.push_back(h);
    }
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) SetWindowPos(*it, band, 0, 0, 0, 0, kOnlyOrder);
    for (HWND h : over) SetWindowPos(h, band, 0, 0, 0, 0, kOnlyOrder);
}

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::vector<RECT> OtherMonitors() {
    std::vector<RECT> rects;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY))
                reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcMonitor);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&rects));
    return rects;
}

ExtraCurtains::ExtraCurtains(HINSTANCE instance, Container& owner, MonitorList monitors, StackWatch& watch)
    : instance_(instance), owner_(owner), monitors_(std::move(monitors)), below_(watch) {
    RegisterCurtainClass(instance, &WindowProcedure<ExtraCurtains>);
}

ExtraCurtains::~ExtraCurtains() {
    for (Curtain& curtain : curtains_) {
        SetWindowLongPtrW(curtain.hwnd, GWLP_USERDATA, 0);
        DestroyWindow(curtain.hwnd);
    }
}

HWND ExtraCurtains::Make(const RECT& rect) {
    const DWORD exStyle =
        WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | (Topmost(owner_.hwnd()) ? WS_EX_TOPMOST : 0);
    HWND hwnd = CreateWindowExW(exStyle, kCurtainClass, L"", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, instance_, this);
    if (!hwnd) {
        ReportFailure("CreateWindowExW (a curtain)");
        return nullptr;
    }
    SetLayeredWindowAttributes(hwnd, 0, alpha_, LWA_ALPHA);
    return hwnd;
}

bool ExtraCurtains::Refresh() {
    const std::vector<RECT> monitors = monitors_();
    const bool same = monitors.size() == curtains_.size() &&
                      std::equal(monitors.begin(), monitors.end(), curtains_.begin(),
                                 [](const RECT& r, const Curtain& c) { return SameRect(r, c.rect); });
    if (same) return false;
    while (curtains_.size() > monitors.size()) {
        DestroyWindow(curtains_.back().hwnd);
        curtains_.pop_back();
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& r = monitors[i];
        if (i < curtains_.size()) {
            if (SameRect(curtains_[i].rect, r)) continue;
            curtains_[i].rect = r;
            SetWindowPos(curtains_[i].hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            continue;
        }
        if (HWND hwnd = Make(r)) curtains_.push_back({hwnd, r});
    }
    if (shown_) {
        for (const Curtain& curtain : curtains_) ShowWindow(curtain.hwnd, SW_SHOWNOACTIVATE);
        FollowBand();
    }
    return true;
}

void ExtraCurtains::Show() {
    shown_ = true;
    Refresh();
    for (const Curtain& curtain : curtains_) ShowWindow(curtain.hwnd, SW_SHOWNOACTIVATE);
    FollowBand();
}

void ExtraCurtains::Hide() {
    shown_ = false;
    for (const Curtain& curtain : curtains_) ShowWindow(curtain.hwnd, SW_HIDE);
}

void ExtraCurtains::FollowBand() {
    const HWND owner = owner_.hwnd();
    const bool topmost = Topmost(owner);
    if (!shown_) {
        // Hidden, only the band matters.
        for (const Curtain& curtain : curtains_) {
            if (Topmost(curtain.hwnd) != topmost)
                SetWindowPos(curtain.hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return;
    }
    const std::vector<HWND> windows = Windows();
    if (windows.empty() || !below_.Due(GetTickCount64(), StackedBelow(owner, windows))) return;
    // Out of the band first: raising within a band does not leave it.
    if (!topmost) {
        for (HWND window : windows)
            if (Topmost(window))
                SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    StackBelow(owner, windows);
}

void ExtraCurtains::SetAlpha(uint8_t alpha) {
    alpha_ = alpha;
    for (const Curtain& curtain : curtains_) SetLayeredWindowAttributes(curtain.hwnd, 0, alpha, LWA_ALPHA);
}

void ExtraCurtains::Invalidate() {
    for (const Curtain& curtain : curtains_) InvalidateRect(curtain.hwnd, nullptr, FALSE);
}

void ExtraCurtains::Update() {
    for (const Curtain& curtain : curtains_) UpdateWindow(curtain.hwnd);
}

std::vector<HWND> ExtraCurtains::Windows() const {
    std::vector<HWND> windows;
    for (const Curtain& curtain : curtains_) windows.push_back(curtain.hwnd);
    return windows;
}

// The owner's colour, and its stretched picture over the whole monitor.
void ExtraCurtains::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    ScopedBrush back(CreateSolidBrush(ToColorRef(owner_.BackColor(), kSysWindowBackground)));
    FillRect(dc, &client, back.Get());
    if (const Bitmap* picture = owner_.StretchedPicture()) DrawPicture(dc, *picture, client);
    EndPaint(hwnd, &ps);
}

LRESULT ExtraCurtains::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(hwnd); return 0;
        case WM_ERASEBKGND: return 1;
        // A click lands on the curtain and goes no further: it neither
        // activates it nor reaches what lies beneath.
        case WM_MOUSEACTIVATE: return MA_NOACTIVATEANDEAT;
        // Nothing may minimise, move, size or close a curtain: it ends with
        // the program.
        case WM_SYSCOMMAND:
        case WM_CLOSE: return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace quorvel::win32
