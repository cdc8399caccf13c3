#include "platform/win32/button_host.h"

#include <windowsx.h>

#include <algorithm>

#include "base/numbers.h"
#include "platform/win32/form_window.h"
#include "platform/win32/guard.h"
#include "platform/win32/pictures.h"
#include "platform/win32/win32_toolkit.h"
#include "widgets/ibutton/property_bag.h"

namespace quorvel::win32 {
namespace {

constexpr wchar_t kButtonClass[] = L"QuorvelButton";
constexpr UINT_PTR kTimer1 = 1;

COLORREF ToColorRef(Colour c) {
    if (IsSystemColour(c)) return GetSysColor(SystemColourIndex(c));
    return static_cast<COLORREF>(c & 0xFFFFFF);
}

int16_t ShiftState(WPARAM wParam) {
    int16_t shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

int16_t KeyShiftState() {
    int16_t shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

// The shape of a transparent button: every pixel that is not the mask colour.
HRGN RegionOf(const Bitmap& mask) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (const PixelRun& run : RunsWithout(mask, kButtonMaskColour)) {
        const ScopedRegion piece(CreateRectRgn(run.x0, run.y, run.x1, run.y + 1));
        CombineRgn(region, region, piece.Get(), RGN_OR);
    }
    return region;
}

}  // namespace

ButtonHost::ButtonHost(Win32Toolkit& toolkit,
                       HWND parent,
                       const layouts::ControlSpec& row,
                       const PictureResolver& resolve)
    : toolkit_(toolkit), tpp_(toolkit.TwipsPerPixelX()) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (row.visible) style |= WS_VISIBLE;
    if (row.tabIndex >= 0) style |= WS_TABSTOP;
    // The window's text is the tool tip, what a screen reader says.
    if (!CreateWindowExW(0, kButtonClass, WStr(row.toolTip).c_str(), style, Px(row.left), Px(row.top), Px(row.width),
                         Px(row.height), parent, nullptr, toolkit.instance(), this))
        ReportFailure("CreateWindowExW (a button)");
    RecreateImage();
    button_ = std::make_unique<IButton>(*this);
    if (resolve) {
        button_->ReadProperties(PropertyBag::Parse(row.bag), resolve);
    } else {
        button_->ReadProperties(PropertyBag::Parse(row.bag), [](std::string_view name) { return LoadArt(name); });
    }
    // The stored size is applied: with AutoSize the button then takes the
    // size of one frame of its strip.
    button_->OnResize();
    if (!row.enabled) button_->SetEnabled(false);
}

ButtonHost::~ButtonHost() {
    if (hwnd_) {
        KillTimer(hwnd_, kTimer1);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
    if (memory_ && originalBitmap_) SelectObject(memory_.Get(), originalBitmap_);
}

int ButtonHost::Px(Twips twips) const { return ToPixels(twips, tpp_); }

void ButtonHost::Shown() {
    if (button_ && IsWindowVisible(hwnd_)) button_->OnShow();
}

void ButtonHost::RecreateImage() {
    RECT r;
    GetClientRect(hwnd_, &r);
    const SIZE size{std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1)};
    if (memory_ && size.cx == size_.cx && size.cy == size_.cy) return;
    // A memory context like the screen's: the image is a DIB section, so no
    // window context (and its visible region) is needed to make it.
    if (!memory_) memory_.Reset(CreateCompatibleDC(nullptr));
    BITMAPINFO info = TopDownInfo(size.cx, size.cy);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return;
    HGDIOBJ previous = SelectObject(memory_.Get(), bitmap);
    if (!originalBitmap_) originalBitmap_ = previous;
    image_.Reset(bitmap);
    pixels_ = static_cast<uint32_t*>(bits);
    size_ = size;
}

ScreenPoint ButtonHost::CursorPos() const {
    const POINT p = toolkit_.CursorPos();
    return {p.x, p.y};
}

bool ButtonHost::Showing() const {
    // Read from the window styles up to the top-level window: unlike
    // IsWindowVisible, this asks nothing of the window server.
    for (HWND h = hwnd_; h; h = GetAncestor(h, GA_PARENT)) {
        const LONG style = GetWindowLongW(h, GWL_STYLE);
        if (!(style & WS_VISIBLE)) return false;
        if (!(style & WS_CHILD)) return true;
    }
    return false;
}

intptr_t ButtonHost::WindowFromPoint(ScreenPoint point) const {
    return reinterpret_cast<intptr_t>(toolkit_.WindowAt(POINT{point.x, point.y}));
}

bool ButtonHost::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

void ButtonHost::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

Twips ButtonHost::Width() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.right * tpp_;
}

Twips ButtonHost::Height() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.bottom * tpp_;
}

void ButtonHost::SetWidth(Twips width) { Resize(std::max(Px(width), 0), std::nullopt); }

void ButtonHost::SetHeight(Twips height) { Resize(std::nullopt, std::max(Px(height), 0)); }

void ButtonHost::Resize(std::optional<int> width, std::optional<int> height) {
    RECT r;
    GetClientRect(hwnd_, &r);
    const int w = width.value_or(r.right), h = height.value_or(r.bottom);
    // The same size again is no change: the window would only be asked to
    // confirm it, and the button gets no size notification.
    if (w == r.right && h == r.bottom) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ButtonHost::StartTimer1() {
    if (timerRunning_) return;
    timerRunning_ = SetTimer(hwnd_, kTimer1, 50, nullptr) != 0;
}

void ButtonHost::StopTimer1() {
    if (!timerRunning_) return;
    KillTimer(hwnd_, kTimer1);
    timerRunning_ = false;
}

void ButtonHost::Invalidate() {
    // A window out of sight is painted whole once it comes into sight:
    // nothing to ask of the window server before.
    if (Showing()) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ButtonHost::Clear(Colour background) {
    RECT r{0, 0, size_.cx, size_.cy};
    ScopedBrush brush(CreateSolidBrush(ToColorRef(background)));
    FillRect(memory_.Get(), &r, brush.Get());
    Invalidate();
}

void ButtonHost::PaintPicture(const Picture& picture, Twips x, Twips y, Twips width, Twips height) {
    if (!picture || picture->Empty()) return;
    const RECT dest{Px(x), Px(y), Px(x) + Px(width), Px(y) + Px(height)};
    const BITMAPINFO info = TopDownInfo(picture->width, picture->height);
    // A plain copy: at one frame per button size every pixel lands as drawn.
    SetStretchBltMode(memory_.Get(), COLORONCOLOR);
    StretchDIBits(memory_.Get(), dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0, 0,
                  picture->width, picture->height, picture->pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    Invalidate();
}

HFONT ButtonHost::FontOf(const ButtonFont& font) {
    return toolkit_.Font(font.face, font.points, font.weight, font.italic, font.underline, font.strikethrough,
                         static_cast<uint8_t>(font.charset));
}

Twips ButtonHost::TextWidth(std::u16string_view text, const ButtonFont& font) {
    ScopedSelect select(memory_.Get(), FontOf(font));
    SIZE extent{};
    GetTextExtentPoint32W(memory_.Get(), W(text), static_cast<int>(text.size()), &extent);
    return extent.cx * tpp_;
}

Twips ButtonHost::TextHeight(std::u16string_view text, const ButtonFont& font) {
    ScopedSelect select(memory_.Get(), FontOf(font));
    SIZE extent{};
    // The height of a line, also for an empty text.
    GetTextExtentPoint32W(memory_.Get(), text.empty() ? L" " : W(text),
                          text.empty() ? 1 : static_cast<int>(text.size()), &extent);
    return extent.cy * tpp_;
}

void ButtonHost::Print(std::u16string_view text, Twips x, Twips y, const ButtonFont& font, Colour colour) {
    ScopedSelect select(memory_.Get(), FontOf(font));
    SetBkMode(memory_.Get(), TRANSPARENT);
    SetTextColor(memory_.Get(), ToColorRef(colour));
    TextOutW(memory_.Get(), Px(x), Px(y), W(text), static_cast<int>(text.size()));
    Invalidate();
}

void ButtonHost::DrawFocusRect(const FocusRect& rect) {
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::DrawFocusRect(memory_.Get(), &r);
    Invalidate();
}

Picture ButtonHost::Image() const {
    auto image = std::make_shared<Bitmap>(size_.cx, size_.cy);
    if (pixels_) {
        GdiFlush();
        for (size_t i = 0; i < image->pixels.size(); ++i) image->pixels[i] = pixels_[i] | 0xFF000000u;
    }
    return image;
}

void ButtonHost::SetMaskPicture(const Picture& mask) {
    mask_ = mask;
    ApplyShape();
}

void ButtonHost::SetMaskToImage() {
    mask_ = Image();
    ApplyShape();
}

void ButtonHost::SetBackStyle(int16_t backStyle) {
    backStyle_ = backStyle;
    ApplyShape();
}

void ButtonHost::ApplyShape() {
    if (backStyle_ != 0 || !mask_ || mask_->Empty()) {
        // Clearing a region that was never set would still cost a full
        // window update.
        if (shaped_) SetWindowRgn(hwnd_, nullptr, TRUE);
        shaped_ = false;
        return;
    }
    SetWindowRgn(hwnd_, RegionOf(*mask_), TRUE);  // the window owns the region
    shaped_ = true;
}

void ButtonHost::SetDrawMode(int16_t drawMode) {
    if (drawMode >= 1 && drawMode <= 16) SetROP2(memory_.Get(), drawMode);
}

void ButtonHost::Mouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const float x = GET_X_LPARAM(lParam) * tpp_;
    const float y = GET_Y_LPARAM(lParam) * tpp_;
    const int16_t shift = ShiftState(wParam);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const int16_t b = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
            // Only the left button activates: a right or middle press takes
            // no focus (whose rectangle would change the look).
            if (b == 1 && GetFocus() != hwnd_) SetFocus(hwnd_);
            SetCapture(hwnd_);
            pressedButtons_ |= b;
            suppressClick_ = false;
            button_->OnMouseDown(b, shift, x, y);
            break;
        }
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            // The second press of a double click: no MouseDown, and its
            // release raises no second Click.
            const int16_t b = message == WM_LBUTTONDBLCLK ? 1 : message == WM_RBUTTONDBLCLK ? 2 : 4;
            SetCapture(hwnd_);
            pressedButtons_ |= b;
            suppressClick_ = true;
            button_->OnDblClick();
            break;
        }
        case WM_MOUSEMOVE: {
            int16_t held = 0;
            if (wParam & MK_LBUTTON) held |= 1;
            if (wParam & MK_RBUTTON) held |= 2;
            if (wParam & MK_MBUTTON) held |= 4;
            button_->OnMouseMove(held, shift, x, y);
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const int16_t b = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4;
            // A release ends a press only where the press began: a lone
            // release (posted, or a drag from elsewhere) is no click.
            if (!(pressedButtons_ & b)) break;
            pressedButtons_ &= ~b;
            if (pressedButtons_ == 0 && GetCapture() == hwnd_) ReleaseCapture();
            button_->OnMouseUp(b, shift, x, y);
            RECT r;
            GetClientRect(hwnd_, &r);
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const bool click = !suppressClick_ && PtInRect(&r, p);
            suppressClick_ = false;
            if (click) button_->OnClick();  // the click comes last: its handler may close the window
            break;
        }
        default: break;
    }
}

LRESULT ButtonHost::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The button is made just after its window, which gets a few messages
    // first.
    if (!button_) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            // Shows the retained image; the button never draws on an expose.
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            GdiFlush();
            BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, memory_.Get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        // No frame, so nothing to paint around the client area; the default
        // handler would still take a window context for it at every show.
        case WM_NCPAINT: return 0;
        case WM_SIZE: {
            const RECT before{0, 0, size_.cx, size_.cy};
            RecreateImage();
            if (before.right != size_.cx || before.bottom != size_.cy) button_->OnResize();
            return 0;
        }
        case WM_SHOWWINDOW:
            if (wParam) PostMessageW(hwnd_, kMsgButtonShown, 0, 0);
            return 0;
        case kMsgButtonShown: Shown(); return 0;
        case WM_TIMER:
            if (wParam == kTimer1 && timerRunning_) button_->Timer1_Timer();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: Mouse(message, wParam, lParam); return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (wParam == VK_TAB) {
                SendMessageW(GetAncestor(hwnd_, GA_ROOT), kMsgTabFrom, reinterpret_cast<WPARAM>(hwnd_),
                             GetKeyState(VK_SHIFT) < 0);
                return 0;
            }
            // Keys act only on a button the user sees and could click: one
            // that kept the focus while a page slid over it acts no more.
            if (ReachableInItsForm(hwnd_)) button_->OnKeyDown(static_cast<int16_t>(wParam), KeyShiftState());
            return message == WM_SYSKEYDOWN ? DefWindowProcW(hwnd_, message, wParam, lParam) : 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (ReachableInItsForm(hwnd_)) button_->OnKeyUp(static_cast<int16_t>(wParam), KeyShiftState());
            return message == WM_SYSKEYUP ? DefWindowProcW(hwnd_, message, wParam, lParam) : 0;
        case WM_CHAR:
            if (wParam != L'\t' && ReachableInItsForm(hwnd_)) button_->OnKeyPress(static_cast<int16_t>(wParam));
            return 0;
        case WM_SETFOCUS: button_->OnFocusGained(); return 0;
        case WM_KILLFOCUS: button_->OnFocusLost(); return 0;
        case WM_CAPTURECHANGED:
            // Another window took the mouse in the middle of a press.
            if (reinterpret_cast<HWND>(lParam) != hwnd_ && pressedButtons_) {
                pressedButtons_ = 0;
                suppressClick_ = false;
                button_->OnPressLost();
            }
            return 0;
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void RegisterButtonClass(HINSTANCE instance) {
    RegisterProgramClass(instance, kButtonClass, &WindowProcedure<ButtonHost>, CS_DBLCLKS);
}

}  // namespace quorvel::win32
