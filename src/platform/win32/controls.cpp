// The controls of a window on Win32: labels and images drawn by their
// container, and the child windows: text boxes (EDIT controls with an OLE
// drop target), panels, skinned buttons; and the window timers.
#include "platform/win32/controls.h"

#include <imm.h>
#include <ole2.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/dropped_files.h"
#include "platform/win32/button_host.h"
#include "platform/win32/form_window.h"
#include "platform/win32/guard.h"
#include "platform/win32/pictures.h"
#include "platform/win32/win32_toolkit.h"

namespace quorvel::win32 {

using layouts::ControlKind;
using layouts::ControlSpec;

namespace {
class Win32TextBox;

// The program's text boxes by window. A window property would do, but under
// Wine each reading of one is a request to the window server, and the
// container asks for every paint and colour of a field.
std::vector<std::pair<HWND, Win32TextBox*>>& TextBoxes() {
    static std::vector<std::pair<HWND, Win32TextBox*>> boxes;
    return boxes;
}
Win32TextBox* TextBoxOf(HWND hwnd) {
    for (const auto& [window, box] : TextBoxes())
        if (window == hwnd) return box;
    return nullptr;
}
}  // namespace

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
class DrawnControl : public Base, public DrawnControlBase {
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

// ---- child-window controls ----

template <typename Base>
class ChildControl : public Base {
public:
    ChildControl(Container& container, const ControlSpec& row)
        : container_(container), row_(row), left_(row.left), top_(row.top), width_(row.width), height_(row.height) {}
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
    const ControlSpec& row() const { return row_; }
    // The container paints an outline around text boxes, a pixel outside.
    RECT OutlineRect() const {
        RECT r = PixelRect();
        InflateRect(&r, 1, 1);
        return r;
    }

protected:
    void Attach(HWND hwnd) {
        hwnd_ = hwnd;
        AddTool();
    }

public:
    // The window is its own tool: the tip follows it wherever it is moved.
    void AddTool() {
        if (row_.toolTip.empty() || !container_.form().tooltip()) return;
        tipText_ = WStr(row_.toolTip);
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND;
        info.hwnd = container_.hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        info.lpszText = tipText_.data();
        SendMessageW(container_.form().tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }

protected:
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
    const ControlSpec& row_;
    HWND hwnd_ = nullptr;
    Twips left_, top_, width_, height_;
    std::wstring tipText_;
};

// The paths of a dropped file list, narrow ones in the system's code page.
std::vector<std::u16string> FileList(const BYTE* block, size_t size) {
    return ReadDroppedFileList(std::span<const uint8_t>(block, size), [](std::string_view narrow) {
        const int length = static_cast<int>(std::min<size_t>(narrow.size(), INT_MAX));
        std::wstring text(static_cast<size_t>(length), L'\0');
        text.resize(static_cast<size_t>(
            std::max(MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, text.data(), length), 0)));
        return U16(text);
    });
}

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
    // A call from another program, through COM: nothing thrown may leave it.
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) noexcept override {
        if (effect) *effect = DROPEFFECT_COPY;
        DroppedFiles files;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data && SUCCEEDED(data->GetData(&format, &medium))) {
            // Only a list in global memory is a list: a stream or a file of
            // another program's choosing is a drop with no list.
            if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
                if (const void* drop = GlobalLock(medium.hGlobal)) {
                    Guarded("reading a dropped file list",
                            [&] { files = FileList(static_cast<const BYTE*>(drop), GlobalSize(medium.hGlobal)); });
                    GlobalUnlock(medium.hGlobal);
                }
            }
            ReleaseStgMedium(&medium);
        }
        Guarded("a file dropped on a text box", [&] {
            if (box_.FileDrop) box_.FileDrop(files);
        });
        return S_OK;
    }

private:
    TextBox& box_;
    ULONG refs_ = 1;
};

class Win32TextBox : public ChildControl<TextBox> {
public:
    Win32TextBox(Container& container, const ControlSpec& row) : ChildControl(container, row) {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ES_AUTOHSCROLL | ES_LEFT;
        if (row.visible) style |= WS_VISIBLE;
        if (row.tabIndex >= 0) style |= WS_TABSTOP;
        if (row.passwordChar) style |= ES_PASSWORD;
        const RECT r = PixelRect();
        const std::wstring text = WStr(row.text);
        HWND hwnd = CreateWindowExW(0, L"EDIT", text.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                    container.hwnd(), nullptr, container.form().toolkit().instance(), nullptr);
        if (!hwnd) ReportFailure("CreateWindowExW (a text box)");
        Attach(hwnd);
        TextBoxes().emplace_back(hwnd, this);
        lastText_ = row.text;
        foreColor_ = row.foreColor;
        const layouts::FontSpec* font = row.font ? row.font : &container.form().DefaultFont();
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(container.form().toolkit().Font(*font)), FALSE);
        if (row.passwordChar) SendMessageW(hwnd, EM_SETPASSWORDCHAR, row.passwordChar, 0);
        // No designed maximum: as much as the control can hold (its own
        // default would cut pastes at 30000 characters).
        SendMessageW(hwnd, EM_LIMITTEXT, row.maxLength > 0 ? row.maxLength : 0, 0);
        if (row.imeOff) ImmAssociateContext(hwnd, nullptr);
        if (!row.enabled) EnableWindow(hwnd, FALSE);
        // Subclassed directly rather than through the common controls, whose
        // subclass chain reads a window property for every message.
        editProcedure_ =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
        backBrush_.Reset(CreateSolidBrush(ToColorRef(row.backColor, kSysWindowBackground)));
    }
    // Revoked while the window still exists, before OLE goes.
    void StopDrops() {
        if (!dropTarget_) return;
        RevokeDragDrop(hwnd_);
        dropTarget_->Release();
        dropTarget_ = nullptr;
    }
    // Files can be dropped on the field from the first paint of its window
    // on: registering takes a marshalled drop target, not worth delaying the
    // window for.
    void AcceptDrops() {
        if (!row_.dropTarget || dropTarget_) return;
        dropTarget_ = new DropTarget(*this);
        if (FAILED(RegisterDragDrop(hwnd_, dropTarget_))) {
            dropTarget_->Release();
            dropTarget_ = nullptr;
        }
    }
    ~Win32TextBox() override {
        StopDrops();
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProcedure_));
        auto& boxes = TextBoxes();
        boxes.erase(
            std::remove_if(boxes.begin(), boxes.end(), [this](const auto& entry) { return entry.second == this; }),
            boxes.end());
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
        SetBkColor(dc, ToColorRef(row_.backColor, kSysWindowBackground));
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
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        Win32TextBox* self = TextBoxOf(hwnd);
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        // What failed is skipped; the field itself still handles the message.
        return Guarded(
            MessageName(message), [&] { return self->HandleMessage(hwnd, message, wParam, lParam); },
            [&] { return CallWindowProcW(self->editProcedure_, hwnd, message, wParam, lParam); });
    }
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        Win32TextBox* self = this;
        const auto edit = [self](HWND h, UINT m, WPARAM w, LPARAM l) {
            return CallWindowProcW(self->editProcedure_, h, m, w, l);
        };
        MouseButton button{};
        switch (message) {
            case WM_DESTROY: self->StopDrops(); return edit(hwnd, message, wParam, lParam);
            case WM_LBUTTONDOWN: button = MouseButton::Left; break;
            case WM_RBUTTONDOWN: button = MouseButton::Right; break;
            case WM_MBUTTONDOWN: button = MouseButton::Middle; break;
            case WM_KEYDOWN:
                // The window moves the focus in tab order itself.
                if (wParam == VK_TAB) {
                    self->container_.form().TabFrom(hwnd, GetKeyState(VK_SHIFT) < 0);
                    return 0;
                }
                if (!self->container_.form().Reachable(hwnd)) return 0;
                // Ctrl+A selects the whole text, as in the system's newer
                // edit controls.
                if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
                    CallWindowProcW(self->editProcedure_, hwnd, EM_SETSEL, 0, -1);
                    return 0;
                }
                return edit(hwnd, message, wParam, lParam);
            case WM_CHAR:
                // No beep for the keys the window or the field handles itself
                // (Ctrl+A arrives as the character 1).
                if (wParam == L'\t' || wParam == L'\r' || wParam == 0x1B || wParam == 0x01) return 0;
                [[fallthrough]];
            case WM_IME_CHAR:
            case WM_PASTE:
            case WM_CUT:
            case WM_CLEAR:
            case WM_UNDO:
                // Typing reaches only a field the user sees and could click:
                // one that kept the focus under a page, or on a page disabled
                // during a lock, takes nothing.
                if (!self->container_.form().Reachable(hwnd)) return 0;
                return edit(hwnd, message, wParam, lParam);
            default: return edit(hwnd, message, wParam, lParam);
        }
        // The press still reaches the field after the handler.
        if (self->MouseDown) self->MouseDown(button);
        return edit(hwnd, message, wParam, lParam);
    }

    WNDPROC editProcedure_ = nullptr;
    Colour foreColor_;
    std::u16string lastText_;
    ScopedBrush backBrush_;
    DropTarget* dropTarget_ = nullptr;
};

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

class Win32Button : public ChildControl<Button> {
public:
    Win32Button(Container& container, const ControlSpec& row) : ChildControl(container, row) {
        host_ = std::make_unique<ButtonHost>(container.form().toolkit(), container.hwnd(), row);
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

class Win32Timer : public FormTimer {
public:
    Win32Timer(FormWindow& form, const ControlSpec& row)
        : form_(form), id_(form.NextTimerId()), interval_(row.interval) {
        form.RegisterTimer(id_, this);
    }
    ~Win32Timer() override { SetEnabled(false); }
    int Interval() const override { return interval_; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        if (enabled && enabled_ && running_) return;  // enabling a running timer changes nothing
        enabled_ = enabled;
        if (enabled) {
            Start();
            return;
        }
        const HWND hwnd = reinterpret_cast<HWND>(form_.Handle());
        if (running_ && hwnd) KillTimer(hwnd, id_);
        running_ = false;
    }
    void Retry() override {
        if (enabled_ && !running_) Start();
    }

private:
    // A timer that could not start (the system out of timers, say) stays
    // enabled but not running, and is tried again.
    void Start() {
        const HWND hwnd = reinterpret_cast<HWND>(form_.Handle());
        running_ = form_.toolkit().setTimer(hwnd, id_, static_cast<UINT>(std::max(interval_, 1)), nullptr) != 0;
        if (!running_) ReportFailure("SetTimer");
    }

    FormWindow& form_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
    bool running_ = false;
};

}  // namespace

std::unique_ptr<Control> MakeControl(Container& container, const ControlSpec& row, Container** inner) {
    switch (row.kind) {
        case ControlKind::TextBox: return std::make_unique<Win32TextBox>(container, row);
        case ControlKind::Button: return std::make_unique<Win32Button>(container, row);
        case ControlKind::Label: return std::make_unique<Win32Label>(container, row);
        case ControlKind::Image: return std::make_unique<Win32Image>(container, row);
        case ControlKind::Panel: {
            auto panel = std::make_unique<Win32Panel>(container, row);
            if (inner) *inner = &panel->inner();
            return panel;
        }
        case ControlKind::Timer: break;
    }
    return nullptr;
}

std::unique_ptr<FormTimer> MakeTimer(FormWindow& form, const ControlSpec& row) {
    return std::make_unique<Win32Timer>(form, row);
}

HWND ChildWindowOf(Control& control) {
    if (auto* c = dynamic_cast<ChildControl<TextBox>*>(&control)) return c->hwnd();
    if (auto* c = dynamic_cast<ChildControl<Button>*>(&control)) return c->hwnd();
    if (auto* c = dynamic_cast<ChildControl<Panel>*>(&control)) return c->hwnd();
    return nullptr;
}

void AcceptDrops(Control& control) {
    if (auto* box = dynamic_cast<Win32TextBox*>(&control)) box->AcceptDrops();
}

void AddToolTip(Control& control) {
    if (auto* c = dynamic_cast<ChildControl<TextBox>*>(&control)) c->AddTool();
    if (auto* c = dynamic_cast<ChildControl<Button>*>(&control)) c->AddTool();
    if (auto* c = dynamic_cast<ChildControl<Panel>*>(&control)) c->AddTool();
    if (auto* c = dynamic_cast<DrawnControl<Label>*>(&control)) c->UpdateTool();
    if (auto* c = dynamic_cast<DrawnControl<Image>*>(&control)) c->UpdateTool();
}

ButtonHost* ButtonHostOf(Control& control) {
    auto* button = dynamic_cast<Win32Button*>(&control);
    return button ? &button->host() : nullptr;
}

bool IsTextBoxWindow(HWND hwnd) { return TextBoxOf(hwnd) != nullptr; }

void FrameTextBoxes(HWND container, HDC dc, HBRUSH outline) {
    for (const auto& [window, box] : TextBoxes()) {
        if (GetParent(window) != container || !box->Visible()) continue;
        RECT r = box->OutlineRect();
        FrameRect(dc, &r, outline);
    }
}

HBRUSH TextBoxColours(HWND edit, HDC dc) {
    Win32TextBox* box = TextBoxOf(edit);
    return box ? box->Colours(dc) : nullptr;
}

void TextBoxChanged(HWND edit) {
    if (Win32TextBox* box = TextBoxOf(edit)) box->Changed();
}

WNDPROC PanelProcedure() { return &WindowProcedure<PanelContainer>; }

}  // namespace quorvel::win32
