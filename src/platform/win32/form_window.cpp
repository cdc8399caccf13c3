#include "platform/win32/form_window.h"

#include <windowsx.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "platform/tab_order.h"
#include "platform/win32/button_host.h"
#include "platform/win32/controls.h"
#include "platform/win32/guard.h"
#include "platform/win32/pictures.h"
#include "platform/win32/win32_toolkit.h"
#include "widgets/ibutton/property_bag.h"

namespace quorvel::win32 {

using layouts::ControlKind;
using layouts::ControlSpec;

namespace {
constexpr wchar_t kFormClass[] = L"QuorvelForm";
ATOM g_formClass = 0;
}  // namespace

FormWindow::FormWindow(Win32Toolkit& toolkit, const layouts::FormSpec& form, bool ahead)
    : Container(*this, form.picture, form.backColor),
      toolkit_(toolkit),
      form_(form),
      onTop_(toolkit.stackWatch()),
      below_(toolkit.stackWatch()) {
    RegisterWindowClasses(toolkit.instance());
    const float tpp = Tpp();
    int width = ToPixels(form.clientWidth, tpp);
    int height = ToPixels(form.clientHeight, tpp);
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    const int x = form.centred ? (screenW - width) / 2 : 0;
    const int y = form.centred ? (screenH - height) / 2 : 0;
    // No window menu and no maximise box: the window menu would minimise or
    // shrink the curtain from the keyboard. A window of its own size can be
    // minimised (its own button, the taskbar); the curtain cannot.
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (form.maximized ? 0 : WS_MINIMIZEBOX);
    const DWORD exStyle = (form.showInTaskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW) | WS_EX_CONTROLPARENT;
    const std::wstring caption = ahead ? std::wstring() : WStr(form.caption);
    HWND hwnd = CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, x, y, width, height, nullptr, nullptr,
                                toolkit.instance(), this);
    if (!hwnd) throw std::runtime_error("CreateWindowExW failed for a form");
    if (form.coversEveryMonitor) {
        // Asked at each look, so that a window made ahead sees the monitors of
        // the moment.
        curtains_ = std::make_unique<ExtraCurtains>(
            toolkit.instance(), *this, [&toolkit] { return toolkit.monitors(); }, toolkit.stackWatch());
        curtains_->Refresh();
    }
    BuildControls();
    if (!ahead) toolkit.FormCreated(this);
}

void FormWindow::HandOver() {
    SetWindowTextW(hwnd_, WStr(form_.caption).c_str());
    toolkit_.FormCreated(this);
}

FormWindow::~FormWindow() {
    if (tooltip_) DestroyWindow(tooltip_);
    curtains_.reset();
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
    if (it == panels_.end())
        throw std::logic_error("layout names a container before it, or none: " + std::string(name));
    return *it->second;
}

void FormWindow::BuildControls() {
    // In the designed order, topmost first: a new child window goes beneath
    // its siblings, so creating them in this order stacks them as designed
    // without moving any. A panel comes before the controls it holds. The
    // lock window makes all of its controls at once: locking only shows it.
    const bool later = !form_.coversEveryMonitor;
    std::set<std::string_view> waitingPanels;
    for (const ControlSpec& row : form_.controls) {
        const std::string key = KeyOf(row.name, row.index);
        if (row.kind == ControlKind::Timer) {
            timerControls_[key] = MakeTimer(*this, row);
            continue;
        }
        const bool window =
            row.kind == ControlKind::TextBox || row.kind == ControlKind::Button || row.kind == ControlKind::Panel;
        if (later && (window || waitingPanels.contains(row.container))) {
            if (row.kind == ControlKind::Panel) waitingPanels.insert(row.name);
            controls_[key] = MakeStandIn(row, *this);
            waiting_.push_back(&row);
            continue;
        }
        Container* inner = nullptr;
        controls_[key] = MakeControl(ContainerOf(row.container), row, &inner);
        if (row.kind == ControlKind::Panel) panels_[std::string(row.name)] = inner;
    }
    RebuildTabOrder();
}

bool FormWindow::ParkedOutside(const ControlSpec& row) const {
    if (row.kind != ControlKind::Panel || !row.container.empty() || form_.maximized) return false;
    return row.left >= form_.clientWidth || row.top >= form_.clientHeight || row.left + row.width <= 0 ||
           row.top + row.height <= 0;
}

namespace {

// Whether the control of a row paints every pixel of its box: a skinned
// button of the transparent back style shows what lies beneath its corners.
bool Opaque(const ControlSpec& row) {
    if (row.kind == ControlKind::TextBox || row.kind == ControlKind::Panel) return true;
    if (row.kind != ControlKind::Button) return false;
    std::vector<std::string> rejected;
    return ReadButtonProperties(PropertyBag::Parse(row.bag), {}, nullptr, rejected).cBackStyle != 0;
}

bool Within(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

void FormWindow::MakeWaitingControls() { MakeWaiting(true); }

void FormWindow::MakeWaiting(bool all) {
    if (waiting_.empty() || making_) return;
    making_ = true;
    std::vector<Control*> made;
    // Seen at the show: what the stand-in holds as visible, in a container
    // made now, in no page parked outside, not wholly beneath an opaque
    // control made now (the stack of buttons where only the front one shows).
    std::set<std::string_view> shownPanels;
    std::vector<std::pair<std::string_view, RECT>> covers;
    const auto box = [this](const ControlSpec& row) {
        return PixelRectOf(row.left, row.top, row.width, row.height, Tpp());
    };
    const auto seen = [&](const ControlSpec& row, const ControlSpec& held) {
        if (!held.visible || ParkedOutside(row)) return false;
        if (!row.container.empty() && !shownPanels.contains(row.container)) return false;
        return std::none_of(covers.begin(), covers.end(), [&](const auto& cover) {
            return cover.first == row.container && Within(box(row), cover.second);
        });
    };
    try {
        // One row at a time: a row that fails stays waiting, and the next ask
        // tries it again.
        for (size_t i = 0; i < waiting_.size();) {
            const ControlSpec& row = *waiting_[i];
            auto& standIn = dynamic_cast<StandIn&>(*controls_.at(KeyOf(row.name, row.index)));
            const ControlSpec& held = standIn.RowToMake();
            if (!all && !seen(row, held)) {
                ++i;
                continue;
            }
            Container* inner = nullptr;
            std::unique_ptr<Control> control = MakeControl(ContainerOf(row.container), held, &inner);
            if (row.kind == ControlKind::Panel) {
                panels_[std::string(row.name)] = inner;
                shownPanels.insert(row.name);
            }
            if (!all && Opaque(row)) covers.emplace_back(row.container, box(row));
            PlaceAsDesigned(row, *control);
            made.push_back(control.get());
            standIn.Take(std::move(control));
            waiting_.erase(waiting_.begin() + static_cast<ptrdiff_t>(i));
        }
    } catch (...) {
        making_ = false;
        RebuildTabOrder();
        throw;
    }
    making_ = false;
    RebuildTabOrder();
    // Made after the window's show, its buttons cut their frames now.
    if (showOrder_.ShownOnce()) {
        const Win32Toolkit::PointerLook look(toolkit_);
        for (Control* control : made) {
            if (ButtonHost* host = ButtonHostOf(*control)) host->Shown();
        }
    }
}

void FormWindow::PlaceAsDesigned(const ControlSpec& row, Control& made) {
    // A new control goes beneath its siblings (of its kind: child windows or
    // drawn ones), where the layout has it unless a sibling after it in the
    // layout is made already. Then directly beneath the nearest made sibling
    // before it (or on top), in front of the one after it: nothing has been
    // restacked yet, since restacking makes every control first.
    HWND window = ChildWindowOf(made);
    DrawnControlBase* drawn = DrawnOf(made);
    HWND above = HWND_TOP;
    bool laterWindow = false;
    DrawnControlBase* laterDrawn = nullptr;
    bool before = true;
    for (const ControlSpec& other : form_.controls) {
        if (&other == &row) {
            before = false;
            continue;
        }
        if (other.container != row.container || other.kind == ControlKind::Timer) continue;
        Control& control = *controls_.at(KeyOf(other.name, other.index));
        if (const auto* standIn = dynamic_cast<StandIn*>(&control)) {
            if (standIn->Waiting()) continue;
        }
        if (HWND h = ChildWindowOf(control)) {
            if (before)
                above = h;
            else
                laterWindow = true;
        } else if (!before && !laterDrawn) {
            laterDrawn = DrawnOf(control);
        }
    }
    if (window && laterWindow) ::SetWindowPos(window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (drawn && laterDrawn) ContainerOf(row.container).PlaceDrawn(drawn, laterDrawn);
}

void FormWindow::RebuildTabOrder() {
    tabOrder_.clear();
    for (const ControlSpec& row : form_.controls) {
        if (row.tabIndex < 0 || row.kind == ControlKind::Panel || row.kind == ControlKind::Timer) continue;
        Control& control = *controls_.at(KeyOf(row.name, row.index));
        if (const auto* standIn = dynamic_cast<const StandIn*>(&control); standIn && standIn->Waiting()) continue;
        if (HWND child = ChildWindowOf(control)) tabOrder_.emplace_back(row.tabIndex, child);
    }
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

bool FormWindow::Reachable(HWND child) const {
    if (!IsWindowVisible(child)) return false;  // hidden, or in a hidden window
    for (HWND h = child; h && h != hwnd_; h = GetParent(h)) {
        if (!IsWindowEnabled(h)) return false;
    }
    RECT r;
    GetWindowRect(child, &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT inForm = middle;
    ScreenToClient(hwnd_, &inForm);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, inForm)) return false;  // a page parked outside, say
    // Down from the window through whatever lies in front at that point.
    HWND at = hwnd_;
    for (;;) {
        POINT local = middle;
        ScreenToClient(at, &local);
        HWND next = ChildWindowFromPointEx(at, local, CWP_SKIPINVISIBLE);
        if (!next || next == at) break;
        at = next;
    }
    return at == child;
}

void FormWindow::TabFrom(HWND from, bool backwards) {
    std::optional<size_t> at;
    for (size_t i = 0; i < tabOrder_.size(); ++i)
        if (tabOrder_[i].second == from) at = i;
    const auto next =
        NextTabStop(tabOrder_.size(), at, backwards, [this](size_t i) { return Reachable(tabOrder_[i].second); });
    if (!next) return;
    const HWND target = tabOrder_[*next].second;
    SetFocus(target);
    if (IsTextBoxWindow(target)) SendMessageW(target, EM_SETSEL, 0, -1);
}

void FormWindow::RetryTimers() {
    for (auto& [id, timer] : timers_) timer->Retry();
}

void FormWindow::RaiseActivate() {
    toolkit_.activeForm = this;
    if (Activate) Activate();
}

void FormWindow::OnActivated() {
    // A window is activated only once it shows: placing a hidden window (in
    // the topmost band, say) may make it the active one, and its Activate
    // then comes with its Show, after it has taken its shown size.
    if (inShow_ || !IsWindowVisible(hwnd_)) {
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
    if (showOrder_.Resized(r.right, r.bottom) && Resize) Resize();
}

void FormWindow::Show() {
    if (destroyed_) return;
    // What is to be seen now is made now; the rest after the first paint.
    holding_ = false;
    MakeWaiting(false);
    inShow_ = true;
    const bool first = !showOrder_.ShownOnce();
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    else
        ShowWindow(hwnd_, form_.maximized && first ? SW_SHOWMAXIMIZED : SW_SHOW);
    SetForegroundWindow(hwnd_);
    inShow_ = false;
    if (curtains_) {
        curtains_->Show();
        SetTimer(hwnd_, kMonitorTimer, kMonitorLookMs, nullptr);
    }
    // The buttons on the screen now cut their frames (once, at their first show).
    {
        const Win32Toolkit::PointerLook look(toolkit_);
        for (auto& [name, control] : controls_) {
            if (ButtonHost* host = ButtonHostOf(*control)) host->Shown();
        }
    }
    RECT r;
    GetClientRect(hwnd_, &r);
    showOrder_.AfterShown(
        r.right, r.bottom, activationPending_ || GetActiveWindow() == hwnd_,
        [this] {
            if (Resize) Resize();
        },
        [this] {
            if (!destroyed_ && toolkit_.activeForm != this) RaiseActivate();
        });
    activationPending_ = false;
    // A curtain covers the screen now, not once the rest of the event that
    // showed it has run and the message loop gets to painting.
    if (curtains_ && !destroyed_) {
        UpdateWindow(hwnd_);
        curtains_->Update();
    }
    // The tool tips and the drop targets follow once the window has been
    // painted: a timer ticks only when no window has anything left to paint.
    if (first && !destroyed_) SetTimer(hwnd_, kAfterFirstPaintTimer, USER_TIMER_MINIMUM, nullptr);
}

void FormWindow::AfterFirstPaint() {
    KillTimer(hwnd_, kAfterFirstPaintTimer);
    MakeWaitingControls();
    for (auto& [name, control] : controls_) AcceptDrops(*control);
    MakeToolTips();
    toolkit_.FirstPaintDone();
}

void FormWindow::MakeToolTips() {
    if (tooltip_) return;
    const CommonControlsScope commonControls(toolkit_.instance());
    if (HMODULE library = LoadLibraryW(L"comctl32.dll")) {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        if (auto init = reinterpret_cast<InitFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")))) {
            const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
            init(&classes);
        }
    }
    // The tool tip window has no owner: under Wine an owned topmost popup
    // keeps its owner out of the topmost band.
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, toolkit_.instance(), nullptr);
    if (!tooltip_) {
        ReportFailure("CreateWindowExW (the tool tips)");
        return;
    }
    // Tool tips speak Chinese: give them the window's CJK font.
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(toolkit_.Font(*form_.font)), FALSE);
    for (auto& [name, control] : controls_) AddToolTip(*control);
}

void FormWindow::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
    if (curtains_) {
        curtains_->Hide();
        KillTimer(hwnd_, kMonitorTimer);
    }
}

void FormWindow::Unload() {
    if (destroyed_) return;
    if (Unloaded) Unloaded();
    for (auto& [name, timer] : timerControls_) timer->SetEnabled(false);
    destroyed_ = true;
    if (toolkit_.activeForm == this) toolkit_.activeForm = nullptr;
    DestroyWindow(hwnd_);
}

bool FormWindow::Visible() const { return !destroyed_ && IsWindowVisible(hwnd_); }

namespace {
RECT OuterRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}
RECT ClientRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}
}  // namespace

Twips FormWindow::Left() const { return OuterRect(hwnd_).left * Tpp(); }
Twips FormWindow::Top() const { return OuterRect(hwnd_).top * Tpp(); }
Twips FormWindow::Width() const {
    const RECT r = OuterRect(hwnd_);
    return (r.right - r.left) * Tpp();
}
Twips FormWindow::Height() const {
    const RECT r = OuterRect(hwnd_);
    return (r.bottom - r.top) * Tpp();
}
Twips FormWindow::ScaleWidth() const { return ClientRect(hwnd_).right * Tpp(); }
Twips FormWindow::ScaleHeight() const { return ClientRect(hwnd_).bottom * Tpp(); }

void FormWindow::BeginCaptionDrag() {
    ReleaseCapture();
    POINT p;
    GetCursorPos(&p);
    // The window's own move is not a request from outside.
    inOwnDrag_ = true;
    SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
    inOwnDrag_ = false;
}

void FormWindow::Detached(HWND) {
    destroyed_ = true;
    toolkit_.FormDestroyed(this);
}

LRESULT FormWindow::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) OnActivated();
            break;
        case WM_SIZE: OnSized(); break;
        // The window's icon, for whoever asks the window: its class's.
        case WM_GETICON:
            return static_cast<LRESULT>(GetClassLongPtrW(hwnd_, wParam == ICON_BIG ? GCLP_HICON : GCLP_HICONSM));
        case WM_SYSCOMMAND:
            if (!FrameRequestGranted(wParam)) return 0;
            break;
        case WM_DISPLAYCHANGE: MonitorsChanged(); break;
        case WM_TIMER:
            toolkit_.RetryTimers();
            if (wParam == kAfterFirstPaintTimer) {
                AfterFirstPaint();
                return 0;
            }
            if (wParam == kMonitorTimer) {
                MonitorsChanged();
                return 0;
            }
            if (auto it = timers_.find(wParam); it != timers_.end() && it->second->Enabled() && it->second->Tick)
                it->second->Tick();
            return 0;
        case WM_CLOSE:
            if (CloseRequest && !CloseRequest()) return 0;
            Unload();
            return 0;
        case kMsgTabFrom: TabFrom(reinterpret_cast<HWND>(wParam), lParam != 0); return 0;
        case WM_KEYDOWN:
            // With the focus on the window itself (its control was hidden or
            // disabled), Tab goes on to the first control in reach.
            if (wParam == VK_TAB) {
                TabFrom(nullptr, GetKeyState(VK_SHIFT) < 0);
                return 0;
            }
            break;
        case WM_GETMINMAXINFO: {
            // A maximised frameless window covers the whole screen, taskbar included.
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const RECT full = MaximizedRect();
            info->ptMaxPosition = {full.left, full.top};
            info->ptMaxSize = {full.right - full.left, full.bottom - full.top};
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

bool ReachableInItsForm(HWND child) {
    HWND root = GetAncestor(child, GA_ROOT);
    if (!root || GetClassLongW(root, GCW_ATOM) != g_formClass) return true;
    const auto* form = reinterpret_cast<const FormWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    return form && form->Reachable(child);
}

void RelayToToolTips(const MSG& msg) {
    if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST || !msg.hwnd) return;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || GetClassLongW(root, GCW_ATOM) != g_formClass) return;
    const auto* form = reinterpret_cast<const FormWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    if (form && form->tooltip()) SendMessageW(form->tooltip(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void RegisterWindowClasses(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return;
    registered = true;
    // The program's icon is the class's: the window has it from its creation
    // on (under Wine, setting it afterwards builds the X window's icon again
    // at each setting).
    const auto icon = [instance](int size) {
        return static_cast<HICON>(LoadImageW(instance, L"APPICON", IMAGE_ICON, size, size, LR_SHARED));
    };
    g_formClass =
        RegisterProgramClass(instance, kFormClass, &WindowProcedure<FormWindow>, CS_DBLCLKS, icon(32), icon(16));
    RegisterProgramClass(instance, kPanelClass, PanelProcedure());
    RegisterButtonClass(instance);
}

}  // namespace quorvel::win32
