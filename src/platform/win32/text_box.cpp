// The text boxes: EDIT controls subclassed for the mouse press, Tab and the
// keys of a field out of reach, with an OLE drop target for dropped files.
#include "platform/win32/child_control.h"

#include <imm.h>
#include <ole2.h>

#include <algorithm>
#include <climits>
#include <span>

#include "platform/dropped_files.h"
#include "platform/win32/guard.h"
#include "platform/win32/ole.h"

namespace quorvel::win32 {

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
        dropTarget_.Reset();
    }
    // Files can be dropped on the field from the first paint of its window
    // on: registering takes a marshalled drop target, not worth delaying the
    // window for.
    void AcceptDrops() override {
        if (!row_.dropTarget || dropTarget_) return;
        UseOle();
        dropTarget_.Reset(new DropTarget(*this));  // holds its one reference
        if (FAILED(RegisterDragDrop(hwnd_, dropTarget_.Get()))) dropTarget_.Reset();
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
    ComPtr<DropTarget> dropTarget_;
};

}  // namespace

std::unique_ptr<Control> MakeTextBox(Container& container, const ControlSpec& row) {
    return std::make_unique<Win32TextBox>(container, row);
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

}  // namespace quorvel::win32
