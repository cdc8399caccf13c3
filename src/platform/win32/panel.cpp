// The panels: child windows that paint their picture and hold controls of
// their own.
#include "platform/win32/child_control.h"
#include "platform/win32/guard.h"

namespace quorvel::win32 {

using layouts::ControlSpec;

namespace {

class PanelContainer;

class Win32Panel : public ChildControl<Panel> {
public:
    Win32Panel(Container& container, const ControlSpec& row);
    Container& inner() { return *inner_; }

private:
    std::unique_ptr<Container> inner_;
};

class PanelContainer : public Container {
public:
    using Container::Container;
    // For the window procedure (guard.h).
    void Attached(HWND hwnd) { Attach(hwnd); }
    void Detached(HWND) {}
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        LRESULT result = 0;
        if (HandleContainerMessage(message, wParam, lParam, result)) return result;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

Win32Panel::Win32Panel(Container& container, const ControlSpec& row) : ChildControl(container, row) {
    inner_ = std::make_unique<PanelContainer>(container.form(), row.picture, row.backColor);
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (row.visible) style |= WS_VISIBLE;
    const RECT r = PixelRect();
    HWND hwnd =
        CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        container.hwnd(), nullptr, container.form().toolkit().instance(), inner_.get());
    if (!hwnd) ReportFailure("CreateWindowExW (a panel)");
    Attach(hwnd);
    if (!row.enabled) EnableWindow(hwnd, FALSE);
}

}  // namespace

std::unique_ptr<Control> MakePanel(Container& container, const ControlSpec& row, Container** inner) {
    auto panel = std::make_unique<Win32Panel>(container, row);
    if (inner) *inner = &panel->inner();
    return panel;
}

WNDPROC PanelProcedure() { return &WindowProcedure<PanelContainer>; }

}  // namespace quorvel::win32
