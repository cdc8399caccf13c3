// A window that paints its picture or colour and its drawn-only controls and
// hosts child windows: the form itself, or a panel.
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/controls.h"
#include "platform/win32/form_window.h"
#include "platform/win32/pictures.h"
#include "platform/win32/win32_toolkit.h"

namespace quorvel::win32 {

Container::Container(FormWindow& form, std::string_view picture, Colour backColor)
    : form_(form), pictureName_(picture), backColor_(backColor) {}

const Picture& Container::Background() {
    if (!picture_) picture_ = LoadArt(pictureName_);
    return *picture_;
}

void Container::Restack(DrawnControlBase* control, bool toFront) {
    drawn_.erase(std::remove(drawn_.begin(), drawn_.end(), control), drawn_.end());
    if (toFront)
        drawn_.push_front(control);
    else
        drawn_.push_back(control);
    const RECT r = control->Rect();
    InvalidateRect(hwnd_, &r, FALSE);
}

void Container::PlaceDrawn(DrawnControlBase* control, DrawnControlBase* behind) {
    drawn_.erase(std::remove(drawn_.begin(), drawn_.end(), control), drawn_.end());
    drawn_.insert(std::find(drawn_.begin(), drawn_.end(), behind), control);
}

void Container::InvalidateTwips(Twips left, Twips top, Twips width, Twips height) {
    if (!hwnd_) return;
    RECT r = PixelRectOf(left, top, width, height, form_.Tpp());
    InvalidateRect(hwnd_, &r, FALSE);
    // The curtains over other monitors show the window's stretched picture.
    if (static_cast<Container*>(&form_) == this) form_.InvalidateCurtains();
}

const Bitmap* Container::StretchedPicture() const {
    for (const DrawnControlBase* control : drawn_) {
        if (control->Shown())
            if (const Bitmap* picture = control->StretchedPicture()) return picture;
    }
    return nullptr;
}

DrawnControlBase* Container::HitTest(POINT p) const {
    for (DrawnControlBase* control : drawn_) {
        const RECT r = control->Rect();
        if (control->Shown() && PtInRect(&r, p)) return control;
    }
    return nullptr;
}

void Container::Paint() {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd_, &ps);
    const RECT area = ps.rcPaint;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    ScopedBrush back(CreateSolidBrush(ToColorRef(backColor_, kSysWindowBackground)));
    // The text boxes have no edge of their own; a thin flat outline around
    // each shows where to type on the plain body colour.
    ScopedBrush outline(CreateSolidBrush(RGB(0xC4, 0xCB, 0xD0)));
    const bool plain = !Background() && std::none_of(drawn_.begin(), drawn_.end(), [](const DrawnControlBase* control) {
        return control->Shown() && control->Paints();
    });
    if (width <= 0 || height <= 0) {
        // Nothing to paint.
    } else if (plain) {
        // Only the colour (the lock window without a picture): straight onto
        // the screen, with no copy of a whole screen's pixels in between.
        FillRect(screen, &area, back.Get());
        FrameTextBoxes(hwnd_, screen, outline.Get());
    } else {
        // Painted off screen first so that the labels never flicker over the
        // art; only the part to paint.
        ScopedMemoryDc memory(CreateCompatibleDC(screen));
        ScopedBitmap canvas(CreateCompatibleBitmap(screen, width, height));
        ScopedSelect select(memory.Get(), canvas.Get());
        SetViewportOrgEx(memory.Get(), -area.left, -area.top, nullptr);
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(memory.Get(), &area, back.Get());
        if (const Picture& picture = Background()) DrawPictureClipped(memory.Get(), *picture, 0, 0, client);
        for (auto it = drawn_.rbegin(); it != drawn_.rend(); ++it) {
            if ((*it)->Shown()) (*it)->Draw(memory.Get());
        }
        FrameTextBoxes(hwnd_, memory.Get(), outline.Get());
        BitBlt(screen, area.left, area.top, width, height, memory.Get(), area.left, area.top, SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
}

bool Container::HandleContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT: Paint(); return true;
        case WM_ERASEBKGND: result = 1; return true;
        // Frameless: nothing to paint around the client area; the default
        // handler would still take a window context for it at every show.
        case WM_NCPAINT: result = 0; return true;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = TextBoxColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
                result = reinterpret_cast<LRESULT>(brush);
                return true;
            }
            return false;
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE) {
                TextBoxChanged(reinterpret_cast<HWND>(lParam));
                return true;
            }
            return false;
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) return false;
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            DrawnControlBase* hit = HitTest(p);
            if (hit && hit->row().handCursor) {
                SetCursor(form_.toolkit().HandCursor());
                result = TRUE;
                return true;
            }
            return false;
        }
        case WM_LBUTTONDOWN: {
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            pressedLabel_ = HitTest(p);
            return false;
        }
        case WM_LBUTTONUP: {
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            DrawnControlBase* hit = HitTest(p);
            if (hit && hit == pressedLabel_) hit->Clicked();
            pressedLabel_ = nullptr;
            return false;
        }
        default: return false;
    }
}

}  // namespace quorvel::win32
