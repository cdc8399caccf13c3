#include "platform/win32/form_window.h"

#include <imm.h>
#include <ole2.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "base/numbers.h"
#include "platform/win32/button_host.h"
#include "platform/win32/pictures.h"
#include "platform/win32/win32_toolkit.h"

namespace quorvel::win32 {

using layouts::ControlKind;
using layouts::ControlSpec;

namespace {

constexpr wchar_t kFormClass[] = L"QuorvelForm";
constexpr wchar_t kPanelClass[] = L"QuorvelPanel";
constexpr wchar_t kControlProp[] = L"QuorvelControl";

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

}  // namespace

// ---- drawn-only controls: labels and images ----

class DrawnControlBase {
public:
    DrawnControlBase(Container& container, const ControlSpec& spec)
        : container_(container),
          spec_(spec),
          visible_(spec.visible),
          enabled_(spec.enabled),
          left_(spec.left),
          top_(spec.top),
          width_(spec.width),
          height_(spec.height) {}
    virtual ~DrawnControlBase() = default;
    virtual void Draw(HDC dc) = 0;
    virtual void Clicked() {}
    RECT Rect() const { return PixelRectOf(left_, top_, width_, height_, container_.form().Tpp()); }
    bool Shown() const { return visible_; }
    const ControlSpec& spec() const { return spec_; }

protected:
    void Invalidate() { container_.InvalidateTwips(left_, top_, width_, height_); }
    Container& container_;
    const ControlSpec& spec_;
    bool visible_;
    bool enabled_;
    Twips left_, top_, width_, height_;
};

template <typename Base>
class DrawnControl : public Base, public DrawnControlBase {
public:
    DrawnControl(Container& container, const ControlSpec& spec) : DrawnControlBase(container, spec) {
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
    void BringToFront() override { container_.Restack(this, true); }
    void SendToBack() override { container_.Restack(this, false); }

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
    // A tool tip follows the label's place and disappears while it is hidden.
    void UpdateTool() {
        if (spec_.toolTip.empty() || !container_.form().tooltip()) return;
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = container_.hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(this);
        SendMessageW(container_.form().tooltip(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        if (!visible_) return;
        tipText_ = WStr(spec_.toolTip);
        info.uFlags = TTF_SUBCLASS;
        info.rect = Rect();
        info.lpszText = tipText_.data();
        SendMessageW(container_.form().tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    std::wstring tipText_;
};

class Win32Label : public DrawnControl<Label> {
public:
    Win32Label(Container& container, const ControlSpec& spec) : DrawnControl(container, spec) { UpdateTool(); }
    std::u16string Caption() const override { return std::u16string(spec_.text); }
    void Draw(HDC dc) override {
        FormWindow& form = container_.form();
        const layouts::FontSpec* font = spec_.font ? spec_.font : &form.DefaultFont();
        ScopedSelect selectFont(dc, form.toolkit().Font(*font));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(spec_.foreColor, kSysButtonText));
        RECT rect = Rect();
        const std::wstring text = WStr(spec_.text);
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
    void Draw(HDC dc) override {
        if (!picture_) return;
        const RECT rect = Rect();
        if (spec_.stretch)
            DrawPicture(dc, *picture_, rect);
        else
            DrawPictureClipped(dc, *picture_, rect.left, rect.top, rect);
    }

private:
    Picture picture_;
};

// ---- child-window controls ----

template <typename Base>
class ChildControl : public Base {
public:
    ChildControl(Container& container, const ControlSpec& spec)
        : container_(container),
          spec_(spec),
          left_(spec.left),
          top_(spec.top),
          width_(spec.width),
          height_(spec.height) {}
    ~ChildControl() override {
        if (hwnd_) RemovePropW(hwnd_, kControlProp);
    }
    bool Visible() const override { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetVisible(bool visible) override {
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
        InvalidateAround();
    }
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    Twips Left() const override { return left_; }
    Twips Top() const override { return top_; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    void SetLeft(Twips v) override { Move(v, top_, width_, height_); }
    void SetTop(Twips v) override { Move(left_, v, width_, height_); }
    void SetWidth(Twips v) override { Move(left_, top_, v, height_); }
    void SetHeight(Twips v) override { Move(left_, top_, width_, v); }
    void BringToFront() override {
        ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    void SendToBack() override {
        ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    HWND hwnd() const { return hwnd_; }
    const ControlSpec& spec() const { return spec_; }

protected:
    void Attach(HWND hwnd) {
        hwnd_ = hwnd;
        SetPropW(hwnd_, kControlProp, static_cast<Control*>(this));
        if (!spec_.toolTip.empty() && container_.form().tooltip()) {
            tipText_ = WStr(spec_.toolTip);
            TOOLINFOW info{};
            info.cbSize = sizeof info;
            info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            info.hwnd = container_.hwnd();
            info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
            info.lpszText = tipText_.data();
            SendMessageW(container_.form().tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
    }
    RECT PixelRect() const { return PixelRectOf(left_, top_, width_, height_, container_.form().Tpp()); }
    virtual void Move(Twips l, Twips t, Twips w, Twips h) {
        left_ = l;
        top_ = t;
        width_ = w;
        height_ = h;
        InvalidateAround();
        const RECT r = PixelRect();
        MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        InvalidateAround();
    }
    // The container paints an outline around text boxes.
    void InvalidateAround() {
        RECT r = PixelRect();
        InflateRect(&r, 2, 2);
        InvalidateRect(container_.hwnd(), &r, FALSE);
    }
    Container& container_;
    const ControlSpec& spec_;
    HWND hwnd_ = nullptr;
    Twips left_, top_, width_, height_;
    std::wstring tipText_;
};

// The OLE drop target of a text box: a drop of files hands over their paths
// in order; any other data (plain text, say) arrives as a drop with no list.
class DropTarget final : public IDropTarget {
public:
    explicit DropTarget(TextBox& box) : box_(box) {}
    virtual ~DropTarget() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG refs = --refs_;
        if (refs == 0) delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        DroppedFiles files;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data && SUCCEEDED(data->GetData(&format, &medium))) {
            if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
                std::vector<std::u16string> paths;
                const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
                for (UINT i = 0; i < count; ++i) {
                    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
                    std::wstring path(length + 1, L'\0');
                    DragQueryFileW(drop, i, path.data(), length + 1);
                    path.resize(length);
                    paths.push_back(U16(path));
                }
                GlobalUnlock(medium.hGlobal);
                files = std::move(paths);
            }
            ReleaseStgMedium(&medium);
        }
        if (box_.FileDrop) box_.FileDrop(files);
        return S_OK;
    }

private:
    TextBox& box_;
    ULONG refs_ = 1;
};

class Win32TextBox : public ChildControl<TextBox> {
public:
    Win32TextBox(Container& container, const ControlSpec& spec) : ChildControl(container, spec) {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ES_AUTOHSCROLL | ES_LEFT;
        if (spec.visible) style |= WS_VISIBLE;
        if (spec.tabIndex >= 0) style |= WS_TABSTOP;
        if (spec.passwordChar) style |= ES_PASSWORD;
        const RECT r = PixelRect();
        const std::wstring text = WStr(spec.text);
        HWND hwnd = CreateWindowExW(0, L"EDIT", text.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                    container.hwnd(), nullptr, container.form().toolkit().instance(), nullptr);
        Attach(hwnd);
        lastText_ = spec.text;
        foreColor_ = spec.foreColor;
        const layouts::FontSpec* font = spec.font ? spec.font : &container.form().DefaultFont();
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(container.form().toolkit().Font(*font)), FALSE);
        if (spec.passwordChar) SendMessageW(hwnd, EM_SETPASSWORDCHAR, spec.passwordChar, 0);
        // No designed maximum: as much as the control can hold (its own
        // default would cut pastes at 30000 characters).
        SendMessageW(hwnd, EM_LIMITTEXT, spec.maxLength > 0 ? spec.maxLength : 0, 0);
        if (spec.imeOff) ImmAssociateContext(hwnd, nullptr);
        if (!spec.enabled) EnableWindow(hwnd, FALSE);
        SetWindowSubclass(hwnd, &Subclass, 1, reinterpret_cast<DWORD_PTR>(this));
        backBrush_.Reset(CreateSolidBrush(ToColorRef(spec.backColor, kSysWindowBackground)));
        if (spec.dropTarget) {
            dropTarget_ = new DropTarget(*this);
            RegisterDragDrop(hwnd, dropTarget_);
        }
    }
    ~Win32TextBox() override {
        if (dropTarget_) {
            RevokeDragDrop(hwnd_);
            dropTarget_->Release();
        }
        RemoveWindowSubclass(hwnd_, &Subclass, 1);
    }
    std::u16string Text() const override {
        const int length = GetWindowTextLengthW(hwnd_);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const int got = GetWindowTextW(hwnd_, text.data(), length + 1);
        text.resize(static_cast<size_t>(std::max(got, 0)));
        return U16(text);
    }
    void SetText(std::u16string_view text) override {
        if (text == Text()) return;  // the identical text is no change
        SetWindowTextW(hwnd_, WStr(text).c_str());
    }
    Colour ForeColor() const override { return foreColor_; }
    void SetForeColor(Colour colour) override {
        foreColor_ = colour;
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    // Colours of the field, asked by its container.
    HBRUSH Colours(HDC dc) {
        SetTextColor(dc, ToColorRef(foreColor_, kSysWindowText));
        SetBkColor(dc, ToColorRef(spec_.backColor, kSysWindowBackground));
        return backBrush_.Get();
    }
    // The edit control also notifies when a key left the text as it was (at
    // its length limit, say); only a real change reaches the handler.
    void Changed() {
        std::u16string now = Text();
        if (now == lastText_) return;
        lastText_ = std::move(now);
        if (Change) Change();
    }

private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
        auto* self = reinterpret_cast<Win32TextBox*>(data);
        MouseButton button{};
        switch (message) {
            case WM_LBUTTONDOWN: button = MouseButton::Left; break;
            case WM_RBUTTONDOWN: button = MouseButton::Right; break;
            case WM_MBUTTONDOWN: button = MouseButton::Middle; break;
            case WM_KEYDOWN:
                // The window moves the focus in tab order itself.
                if (wParam == VK_TAB) {
                    self->container_.form().TabFrom(hwnd, GetKeyState(VK_SHIFT) < 0);
                    return 0;
                }
                return DefSubclassProc(hwnd, message, wParam, lParam);
            case WM_CHAR:
                if (wParam == L'\t' || wParam == L'\r' || wParam == 0x1B) return 0;  // no beep
                return DefSubclassProc(hwnd, message, wParam, lParam);
            default: return DefSubclassProc(hwnd, message, wParam, lParam);
        }
        // The press still reaches the field after the handler.
        if (self->MouseDown) self->MouseDown(button);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }

    Colour foreColor_;
    std::u16string lastText_;
    ScopedBrush backBrush_;
    DropTarget* dropTarget_ = nullptr;
};

class PanelContainer;

class Win32Panel : public ChildControl<Panel> {
public:
    Win32Panel(Container& container, const ControlSpec& spec);
    Container& inner() { return *inner_; }

private:
    std::unique_ptr<Container> inner_;
};

class PanelContainer : public Container {
public:
    using Container::Container;
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PanelContainer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_NCCREATE) {
            self = static_cast<PanelContainer*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->Attach(hwnd);
        }
        if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        LRESULT result = 0;
        if (self && self->HandleContainerMessage(message, wParam, lParam, result)) return result;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

Win32Panel::Win32Panel(Container& container, const ControlSpec& spec) : ChildControl(container, spec) {
    inner_ = std::make_unique<PanelContainer>(container.form(), spec.picture, spec.backColor);
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (spec.visible) style |= WS_VISIBLE;
    const RECT r = PixelRect();
    HWND hwnd =
        CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        container.hwnd(), nullptr, container.form().toolkit().instance(), inner_.get());
    Attach(hwnd);
    if (!spec.enabled) EnableWindow(hwnd, FALSE);
}

class Win32Button : public ChildControl<Button> {
public:
    Win32Button(Container& container, const ControlSpec& spec) : ChildControl(container, spec) {
        host_ = std::make_unique<ButtonHost>(container.form().toolkit(), container.hwnd(), spec);
        Attach(host_->hwnd());
        host_->button().Click = [this] {
            if (Click) Click();
        };
    }
    // Enabled goes through the button, which redraws its look.
    void SetEnabled(bool enabled) override { host_->button().SetEnabled(enabled); }
    bool Enabled() const override { return host_->button().Enabled(); }
    // The button sizes itself (to one frame of its strip).
    Twips Width() const override { return host_->Width(); }
    Twips Height() const override { return host_->Height(); }
    ButtonHost& host() { return *host_; }

protected:
    void Move(Twips l, Twips t, Twips w, Twips h) override {
        left_ = l;
        top_ = t;
        const RECT r = PixelRect();
        ::SetWindowPos(hwnd_, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (w != Width()) host_->SetWidth(w);
        if (h != Height()) host_->SetHeight(h);
    }

private:
    std::unique_ptr<ButtonHost> host_;
};

class Win32Timer : public Timer {
public:
    Win32Timer(FormWindow& form, const ControlSpec& spec)
        : form_(form), id_(form.NextTimerId()), interval_(spec.interval) {
        form.RegisterTimer(id_, this);
    }
    ~Win32Timer() override { SetEnabled(false); }
    int Interval() const override { return interval_; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        if (enabled == enabled_) return;  // enabling a running timer changes nothing
        enabled_ = enabled;
        const HWND hwnd = reinterpret_cast<HWND>(form_.Handle());
        if (enabled)
            SetTimer(hwnd, id_, static_cast<UINT>(std::max(interval_, 1)), nullptr);
        else if (hwnd)
            KillTimer(hwnd, id_);
    }

private:
    FormWindow& form_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
};

// ---- container ----

Container::Container(FormWindow& form, std::string_view picture, Colour backColor)
    : form_(form), picture_(LoadArt(picture)), backColor_(backColor) {}

void Container::Restack(DrawnControlBase* control, bool toFront) {
    drawn_.erase(std::remove(drawn_.begin(), drawn_.end(), control), drawn_.end());
    if (toFront)
        drawn_.push_front(control);
    else
        drawn_.push_back(control);
    const RECT r = control->Rect();
    InvalidateRect(hwnd_, &r, FALSE);
}

void Container::InvalidateTwips(Twips left, Twips top, Twips width, Twips height) {
    if (!hwnd_) return;
    RECT r = PixelRectOf(left, top, width, height, form_.Tpp());
    InvalidateRect(hwnd_, &r, FALSE);
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
    RECT client;
    GetClientRect(hwnd_, &client);
    // Painted off screen first so that the labels never flicker over the art.
    ScopedMemoryDc memory(CreateCompatibleDC(screen));
    ScopedBitmap canvas(
        CreateCompatibleBitmap(screen, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
    {
        ScopedSelect select(memory.Get(), canvas.Get());
        ScopedBrush back(CreateSolidBrush(ToColorRef(backColor_, kSysWindowBackground)));
        FillRect(memory.Get(), &client, back.Get());
        if (picture_) DrawPictureClipped(memory.Get(), *picture_, 0, 0, client);
        for (auto it = drawn_.rbegin(); it != drawn_.rend(); ++it) {
            if ((*it)->Shown()) (*it)->Draw(memory.Get());
        }
        // The text boxes have no edge of their own; a thin flat outline
        // around each shows where to type on the plain body colour.
        ScopedBrush outline(CreateSolidBrush(RGB(0xC4, 0xCB, 0xD0)));
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            auto* control = static_cast<Control*>(GetPropW(child, kControlProp));
            if (!control || !dynamic_cast<TextBox*>(control) || !IsWindowVisible(child)) continue;
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            InflateRect(&r, 1, 1);
            FrameRect(memory.Get(), &r, outline.Get());
        }
        BitBlt(screen, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memory.Get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
}

bool Container::HandleContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT: Paint(); return true;
        case WM_ERASEBKGND: result = 1; return true;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            auto* control = static_cast<Control*>(GetPropW(reinterpret_cast<HWND>(lParam), kControlProp));
            if (auto* box = dynamic_cast<Win32TextBox*>(control)) {
                result = reinterpret_cast<LRESULT>(box->Colours(reinterpret_cast<HDC>(wParam)));
                return true;
            }
            return false;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE) {
                auto* control = static_cast<Control*>(GetPropW(reinterpret_cast<HWND>(lParam), kControlProp));
                if (auto* box = dynamic_cast<Win32TextBox*>(control)) box->Changed();
                return true;
            }
            return false;
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) return false;
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            DrawnControlBase* hit = HitTest(p);
            if (hit && hit->spec().handCursor) {
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

// ---- the form ----

FormWindow::FormWindow(Win32Toolkit& toolkit, const layouts::FormSpec& form)
    : Container(*this, form.picture, form.backColor), toolkit_(toolkit), form_(form) {
    RegisterWindowClasses(toolkit.instance());
    const float tpp = Tpp();
    int width = ToPixels(form.clientWidth, tpp);
    int height = ToPixels(form.clientHeight, tpp);
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    const int x = form.centred ? (screenW - width) / 2 : 0;
    const int y = form.centred ? (screenH - height) / 2 : 0;
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const DWORD exStyle = (form.showInTaskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW) | WS_EX_CONTROLPARENT;
    const std::wstring caption = WStr(form.caption);
    HWND hwnd = CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, x, y, width, height, nullptr, nullptr,
                                toolkit.instance(), this);
    if (!hwnd) throw std::runtime_error("CreateWindowExW failed for a form");
    // The tool tip window has no owner: under Wine an owned topmost popup
    // keeps its owner out of the topmost band.
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, toolkit.instance(), nullptr);
    // Tool tips speak Chinese: give them the window's CJK font.
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(toolkit.Font(*form.font)), FALSE);
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(toolkit.ProgramIcon(32)));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(toolkit.ProgramIcon(16)));
    BuildControls();
    toolkit.FormCreated(this);
}

FormWindow::~FormWindow() {
    if (tooltip_) DestroyWindow(tooltip_);
    if (hwnd_ && !destroyed_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        destroyed_ = true;
        DestroyWindow(hwnd_);
    }
    toolkit_.FormDestroyed(this);
}

float FormWindow::Tpp() const { return toolkit_.TwipsPerPixelX(); }

Container& FormWindow::ContainerOf(std::string_view name) {
    if (name.empty()) return *this;
    auto it = panels_.find(name);
    if (it == panels_.end()) throw std::logic_error("layout names an unknown container");
    return *it->second;
}

void FormWindow::BuildControls() {
    // Panels first, so that their contents have a container; every child
    // window is then restacked in the designed order, topmost first.
    for (const ControlSpec& spec : form_.controls) {
        if (spec.kind != ControlKind::Panel) continue;
        auto panel = std::make_unique<Win32Panel>(ContainerOf(spec.container), spec);
        panels_[std::string(spec.name)] = &panel->inner();
        controls_[KeyOf(spec.name, spec.index)] = std::move(panel);
    }
    std::vector<HWND> childWindows;
    for (const ControlSpec& spec : form_.controls) {
        const std::string key = KeyOf(spec.name, spec.index);
        Container& container = ContainerOf(spec.container);
        switch (spec.kind) {
            case ControlKind::Panel: break;
            case ControlKind::TextBox: controls_[key] = std::make_unique<Win32TextBox>(container, spec); break;
            case ControlKind::Button: controls_[key] = std::make_unique<Win32Button>(container, spec); break;
            case ControlKind::Label: controls_[key] = std::make_unique<Win32Label>(container, spec); break;
            case ControlKind::Image: controls_[key] = std::make_unique<Win32Image>(container, spec); break;
            case ControlKind::Timer: timerControls_[key] = std::make_unique<Win32Timer>(*this, spec); break;
        }
        HWND child = nullptr;
        if (auto* c = dynamic_cast<ChildControl<TextBox>*>(controls_[key].get())) child = c->hwnd();
        if (auto* c = dynamic_cast<ChildControl<Button>*>(controls_[key].get())) child = c->hwnd();
        if (auto* c = dynamic_cast<ChildControl<Panel>*>(controls_[key].get())) child = c->hwnd();
        if (spec.kind == ControlKind::Timer) controls_.erase(key);
        if (child) {
            childWindows.push_back(child);
            if (spec.tabIndex >= 0 && spec.kind != ControlKind::Panel) tabOrder_.emplace_back(spec.tabIndex, child);
        }
    }
    for (auto it = childWindows.rbegin(); it != childWindows.rend(); ++it)
        ::SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    std::sort(tabOrder_.begin(), tabOrder_.end());
}

template <typename T>
T& FormWindow::Find(std::string_view name) {
    auto it = controls_.find(name);
    T* control = it == controls_.end() ? nullptr : dynamic_cast<T*>(it->second.get());
    if (!control) throw std::logic_error("no control of that kind and name: " + std::string(name));
    return *control;
}

TextBox& FormWindow::TextBoxNamed(std::string_view name) { return Find<TextBox>(name); }
Label& FormWindow::LabelNamed(std::string_view name, int index) { return Find<Label>(KeyOf(name, index)); }
Image& FormWindow::ImageNamed(std::string_view name) { return Find<Image>(name); }
Panel& FormWindow::PanelNamed(std::string_view name) { return Find<Panel>(name); }
Button& FormWindow::ButtonNamed(std::string_view name) { return Find<Button>(name); }
Timer& FormWindow::TimerNamed(std::string_view name) {
    auto it = timerControls_.find(name);
    if (it == timerControls_.end()) throw std::logic_error("no timer named " + std::string(name));
    return *it->second;
}

void FormWindow::TabFrom(HWND from, bool backwards) {
    // Skip what the user cannot see: hidden or disabled controls and those of
    // a page parked outside the window.
    RECT client;
    GetClientRect(hwnd_, &client);
    auto usable = [&](HWND h) {
        if (!IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        RECT overlap;
        return IntersectRect(&overlap, &r, &client) != FALSE;
    };
    const int n = static_cast<int>(tabOrder_.size());
    int at = backwards ? 0 : n - 1;  // from outside the order: start at either end
    for (int i = 0; i < n; ++i)
        if (tabOrder_[i].second == from) at = i;
    for (int step = 1; step <= n; ++step) {
        const int i = ((at + (backwards ? -step : step)) % n + n) % n;
        const HWND target = tabOrder_[i].second;
        if (!usable(target)) continue;
        SetFocus(target);
        auto* control = static_cast<Control*>(GetPropW(target, kControlProp));
        if (dynamic_cast<Win32TextBox*>(control)) SendMessageW(target, EM_SETSEL, 0, -1);
        return;
    }
}

void FormWindow::RaiseActivate() {
    toolkit_.activeForm = this;
    if (Activate) Activate();
}

void FormWindow::OnActivated() {
    if (inShow_) {
        activationPending_ = true;
        return;
    }
    if (toolkit_.activeForm == this) return;  // back from another program
    RaiseActivate();
}

void FormWindow::OnSized() {
    if (inShow_ || !IsWindowVisible(hwnd_) || IsIconic(hwnd_)) return;
    RECT r;
    GetClientRect(hwnd_, &r);
    if (r.right == sizeAtLastResize_.cx && r.bottom == sizeAtLastResize_.cy) return;
    sizeAtLastResize_ = {r.right, r.bottom};
    if (Resize) Resize();
}

void FormWindow::Show() {
    if (destroyed_) return;
    inShow_ = true;
    activationPending_ = false;
    const bool first = !shownOnce_;
    shownOnce_ = true;
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    else
        ShowWindow(hwnd_, form_.maximized && first ? SW_SHOWMAXIMIZED : SW_SHOW);
    SetForegroundWindow(hwnd_);
    inShow_ = false;
    // The buttons on the screen now cut their frames (once, at their first show).
    for (auto& [name, control] : controls_) {
        if (auto* button = dynamic_cast<Win32Button*>(control.get())) button->host().Shown();
    }
    RECT r;
    GetClientRect(hwnd_, &r);
    if (first || r.right != sizeAtLastResize_.cx || r.bottom != sizeAtLastResize_.cy) {
        sizeAtLastResize_ = {r.right, r.bottom};
        if (Resize) Resize();
    }
    if (destroyed_) return;
    if ((first || activationPending_ || GetActiveWindow() == hwnd_) && toolkit_.activeForm != this) RaiseActivate();
}

void FormWindow::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void FormWindow::Unload() {
    if (destroyed_) return;
    if (Unloaded) Unloaded();
    for (auto& [name, timer] : timerControls_) timer->SetEnabled(false);
    destroyed_ = true;
    if (toolkit_.activeForm == this) toolkit_.activeForm = nullptr;
    DestroyWindow(hwnd_);
}

void FormWindow::Minimize() { ShowWindow(hwnd_, SW_MINIMIZE); }
bool FormWindow::Visible() const { return !destroyed_ && IsWindowVisible(hwnd_); }

Twips FormWindow::Left() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.left * Tpp();
}
Twips FormWindow::Top() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.top * Tpp();
}
Twips FormWindow::Width() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return (r.right - r.left) * Tpp();
}
Twips FormWindow::Height() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return (r.bottom - r.top) * Tpp();
}
Twips FormWindow::ScaleWidth() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.right * Tpp();
}
Twips FormWindow::ScaleHeight() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.bottom * Tpp();
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
    if (where == InsertAfter::NoTopmost) {
        ::SetWindowPos(hwnd_, HWND_NOTOPMOST, rect.x, rect.y, rect.width, rect.height, 0);
        return;
    }
    const HWND box = toolkit_.MessageBoxOnTop();
    if (AlreadyOnTopAt(rect, box)) return;
    if (!box) {
        ::SetWindowPos(hwnd_, HWND_TOPMOST, rect.x, rect.y, rect.width, rect.height, 0);
        return;
    }
    // While the program's message box is up the window goes just below it,
    // as an owner stays below what it owns, and the box keeps the activation
    // that its disabled owner cannot use.
    ::SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowPos(hwnd_, box, rect.x, rect.y, rect.width, rect.height, SWP_NOACTIVATE);
    if (GetForegroundWindow() != box) SetForegroundWindow(box);
}

int32_t FormWindow::GetExStyle() const { return GetWindowLongW(hwnd_, GWL_EXSTYLE); }
void FormWindow::SetExStyle(int32_t style) { SetWindowLongW(hwnd_, GWL_EXSTYLE, style); }
void FormWindow::SetLayeredAlpha(uint8_t alpha) { SetLayeredWindowAttributes(hwnd_, 0, alpha, LWA_ALPHA); }

void FormWindow::BeginCaptionDrag() {
    ReleaseCapture();
    POINT p;
    GetCursorPos(&p);
    SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
}

LRESULT CALLBACK FormWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->Attach(hwnd);
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->destroyed_ = true;
        self->toolkit_.FormDestroyed(self);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) OnActivated();
            break;
        case WM_SIZE: OnSized(); break;
        case WM_TIMER:
            if (auto it = timers_.find(wParam); it != timers_.end() && it->second->Enabled() && it->second->Tick)
                it->second->Tick();
            return 0;
        case WM_CLOSE:
            if (CloseRequest && !CloseRequest()) return 0;
            Unload();
            return 0;
        case kMsgTabFrom: TabFrom(reinterpret_cast<HWND>(wParam), lParam != 0); return 0;
        case WM_GETMINMAXINFO: {
            // A maximised frameless window covers the whole screen, taskbar included.
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxPosition = {0, 0};
            info->ptMaxSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            LRESULT unused = 0;
            HandleContainerMessage(message, wParam, lParam, unused);
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (!HitTest(p) && BackgroundMouseDown) {
                const MouseButton button = message == WM_LBUTTONDOWN   ? MouseButton::Left
                                           : message == WM_RBUTTONDOWN ? MouseButton::Right
                                                                       : MouseButton::Middle;
                BackgroundMouseDown(button);
            }
            return 0;
        }
        default: break;
    }
    LRESULT result = 0;
    if (HandleContainerMessage(message, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void RegisterWindowClasses(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.style = CS_DBLCLKS;
    form.lpfnWndProc = &FormWindow::Procedure;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);
    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = &PanelContainer::Procedure;
    panel.hInstance = instance;
    panel.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    panel.lpszClassName = kPanelClass;
    RegisterClassExW(&panel);
    RegisterButtonClass(instance);
}

}  // namespace quorvel::win32

namespace quorvel::win32 {
HWND ChildWindowOf(Control& control) {
    if (auto* c = dynamic_cast<ChildControl<TextBox>*>(&control)) return c->hwnd();
    if (auto* c = dynamic_cast<ChildControl<Button>*>(&control)) return c->hwnd();
    if (auto* c = dynamic_cast<ChildControl<Panel>*>(&control)) return c->hwnd();
    return nullptr;
}
}  // namespace quorvel::win32
