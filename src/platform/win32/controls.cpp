// The controls of a window on Win32: labels and images drawn by their
// container, and the making of every kind (the child-window controls live in
// text_box.cpp, panel.cpp and button_control.cpp, the timers in timer.cpp).
#include "platform/win32/controls.h"

#include "platform/win32/child_control.h"
#include "platform/win32/pictures.h"

namespace quorvel::win32 {

using layouts::ControlKind;
using layouts::ControlSpec;

COLORREF ToColorRef(Colour c, Colour fallback) {
    if (c == kDefaultColour) c = fallback;
    if (IsSystemColour(c)) return GetSysColor(SystemColourIndex(c));
    return static_cast<COLORREF>(c);
}

std::string KeyOf(std::string_view name, int index) {
    return std::string(name) + (index >= 0 ? "(" + std::to_string(index) + ")" : "");
}

RECT PixelRectOf(Twips left, Twips top, Twips width, Twips height, float tpp) {
    const int x = ToPixels(left, tpp);
    const int y = ToPixels(top, tpp);
    return RECT{x, y, x + ToPixels(width, tpp), y + ToPixels(height, tpp)};
}

RECT DrawnControlBase::Rect() const { return PixelRectOf(left_, top_, width_, height_, container_.form().Tpp()); }

void DrawnControlBase::Invalidate() { container_.InvalidateTwips(left_, top_, width_, height_); }

namespace {

// ---- drawn-only controls: labels and images ----

template <typename Base>
class DrawnControl : public Base, public DrawnControlBase, public NativeControl {
public:
    DrawnControl(Container& container, const ControlSpec& row) : DrawnControlBase(container, row) {
        container.AddDrawn(this);
    }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override {
        if (visible_ == visible) return;
        visible_ = visible;
        Invalidate();
        UpdateTool();
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        Invalidate();
    }
    Twips Left() const override { return left_; }
    Twips Top() const override { return top_; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    void SetLeft(Twips v) override { Move(v, top_, width_, height_); }
    void SetTop(Twips v) override { Move(left_, v, width_, height_); }
    void SetWidth(Twips v) override { Move(left_, top_, v, height_); }
    void SetHeight(Twips v) override { Move(left_, top_, width_, v); }
    void AddToolTip() override { UpdateTool(); }
    DrawnControlBase* Drawn() override { return this; }
    void BringToFront() override { container_.Restack(this, true); }
    void SendToBack() override { container_.Restack(this, false); }
    // A tool tip follows the label's place and disappears while it is hidden.
    void UpdateTool() {
        if (row_.toolTip.empty() || !container_.form().tooltip()) return;
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = container_.hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(this);
        SendMessageW(container_.form().tooltip(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        if (!visible_) return;
        tipText_ = WStr(row_.toolTip);
        info.uFlags = 0;  // the message loop relays the pointer (RelayToToolTips)
        info.rect = Rect();
        info.lpszText = tipText_.data();
        SendMessageW(container_.form().tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }

protected:
    void Move(Twips l, Twips t, Twips w, Twips h) {
        Invalidate();
        left_ = l;
        top_ = t;
        width_ = w;
        height_ = h;
        Invalidate();
        UpdateTool();
    }
    std::wstring tipText_;
};

class Win32Label : public DrawnControl<Label> {
public:
    Win32Label(Container& container, const ControlSpec& row) : DrawnControl(container, row) { UpdateTool(); }
    std::u16string Caption() const override { return std::u16string(row_.text); }
    void Draw(HDC dc) override {
        FormWindow& form = container_.form();
        const layouts::FontSpec* font = row_.font ? row_.font : &form.DefaultFont();
        ScopedSelect selectFont(dc, form.toolkit().Font(*font));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(row_.foreColor, kSysButtonText));
        RECT rect = Rect();
        const std::wstring text = WStr(row_.text);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    }
    void Clicked() override {
        if (Click) Click();
    }
};

class Win32Image : public DrawnControl<Image> {
public:
    using DrawnControl::DrawnControl;
    const Picture& GetPicture() const override { return picture_; }
    void SetPicture(Picture picture) override {
        picture_ = std::move(picture);
        Invalidate();
    }
    const Bitmap* StretchedPicture() const override { return row_.stretch ? picture_.get() : nullptr; }
    bool Paints() const override { return picture_ != nullptr; }
    void Draw(HDC dc) override {
        if (!picture_) return;
        const RECT rect = Rect();
        if (row_.stretch)
            DrawPicture(dc, *picture_, rect);
        else
            DrawPictureClipped(dc, *picture_, rect.left, rect.top, rect);
    }

private:
    Picture picture_;
};

// What the window asks of every control, whatever its kind.
NativeControl* NativeOf(Control& control) { return dynamic_cast<NativeControl*>(&control); }

}  // namespace

std::unique_ptr<Control> MakeControl(Container& container, const ControlSpec& row, Container** inner) {
    switch (row.kind) {
        case ControlKind::TextBox: return MakeTextBox(container, row);
        case ControlKind::Button: return MakeButton(container, row);
        case ControlKind::Label: return std::make_unique<Win32Label>(container, row);
        case ControlKind::Image: return std::make_unique<Win32Image>(container, row);
        case ControlKind::Panel: return MakePanel(container, row, inner);
        case ControlKind::Timer: break;
    }
    return nullptr;
}

HWND ChildWindowOf(Control& control) {
    NativeControl* native = NativeOf(control);
    return native ? native->ChildWindow() : nullptr;
}

void AcceptDrops(Control& control) {
    if (NativeControl* native = NativeOf(control)) native->AcceptDrops();
}

void AddToolTip(Control& control) {
    if (NativeControl* native = NativeOf(control)) native->AddToolTip();
}

DrawnControlBase* DrawnOf(Control& control) {
    NativeControl* native = NativeOf(control);
    return native ? native->Drawn() : nullptr;
}

ButtonHost* ButtonHostOf(Control& control) {
    NativeControl* native = NativeOf(control);
    return native ? native->Host() : nullptr;
}

}  // namespace quorvel::win32
