#include "platform/win32/button_host.h"

#include <windowsx.h>

#include "platform/win32/win32_toolkit.h"

namespace quorvel::win32 {
namespace {
constexpr wchar_t kButtonClass[] = L"QuorvelButton";
}

ButtonHost::ButtonHost(Win32Toolkit& toolkit,
                       HWND parent,
                       const layouts::ControlSpec& spec,
                       std::function<void()> click)
    : toolkit_(toolkit), spec_(spec), click_(std::move(click)) {
    const float tpp = toolkit.TwipsPerPixelX();
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (spec.visible) style |= WS_VISIBLE;
    if (!spec.enabled) style |= WS_DISABLED;
    CreateWindowExW(0, kButtonClass, L"", style, ToPixels(spec.left, tpp), ToPixels(spec.top, tpp),
                    ToPixels(spec.width, tpp), ToPixels(spec.height, tpp), parent, nullptr, toolkit.instance(), this);
}

ButtonHost::~ButtonHost() {
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

void ButtonHost::SetEnabled(bool enabled) {
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

bool ButtonHost::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

float ButtonHost::WidthTwips() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.right * toolkit_.TwipsPerPixelX();
}

float ButtonHost::HeightTwips() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.bottom * toolkit_.TwipsPerPixelY();
}

void ButtonHost::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT r;
    GetClientRect(hwnd_, &r);
    ScopedBrush face(CreateSolidBrush(Enabled() ? RGB(0xF0, 0xF0, 0xF0) : RGB(0xE0, 0xE0, 0xE0)));
    FillRect(dc, &r, face.Get());
    ScopedBrush edge(CreateSolidBrush(pressed_ ? RGB(0x6D, 0xBD, 0x00) : RGB(0xC6, 0xC6, 0xC6)));
    FrameRect(dc, &r, edge.Get());
    SetBkMode(dc, TRANSPARENT);
    ScopedSelect font(dc, toolkit_.Font(layouts::kSongTi9));
    const std::wstring caption = WStr(spec_.toolTip);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK ButtonHost::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ButtonHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<ButtonHost*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT ButtonHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN:
            pressed_ = true;
            SetCapture(hwnd_);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_LBUTTONUP: {
            const bool wasPressed = pressed_;
            pressed_ = false;
            ReleaseCapture();
            InvalidateRect(hwnd_, nullptr, FALSE);
            RECT r;
            GetClientRect(hwnd_, &r);
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (wasPressed && PtInRect(&r, p) && click_) click_();
            return 0;
        }
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void RegisterButtonClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &ButtonHost::Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kButtonClass;
    RegisterClassExW(&wc);
}

}  // namespace quorvel::win32
