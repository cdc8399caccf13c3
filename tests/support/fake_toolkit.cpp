#include "support/fake_toolkit.h"

#include <algorithm>

#include "platform/tab_order.h"

namespace quorvel::testing {

using layouts::ControlKind;
using layouts::ControlSpec;

// ---- controls ----

template <typename Base>
FakeControl<Base>::FakeControl(FakeWindow& window, const ControlSpec& row)
    : window_(window), row_(row), state_{row.visible, row.enabled, row.left, row.top, row.width, row.height} {}

template <typename Base>
void FakeControl<Base>::BringToFront() {
    window_.MoveInStack(std::string(row_.name) + (row_.index >= 0 ? "(" + std::to_string(row_.index) + ")" : ""), true);
}

template <typename Base>
void FakeControl<Base>::SendToBack() {
    window_.MoveInStack(std::string(row_.name) + (row_.index >= 0 ? "(" + std::to_string(row_.index) + ")" : ""),
                        false);
}

FakeTextBox::FakeTextBox(FakeWindow& window, const ControlSpec& row)
    : FakeControl(window, row), text_(row.text), foreColor_(row.foreColor) {}

void FakeTextBox::SetText(std::u16string_view text) {
    if (text == text_) return;
    text_ = text;
    ++changeCount;
    if (Change) Change();
}

void FakeTextBox::UserType(std::u16string_view text) {
    std::u16string limited(text);
    if (row_.maxLength > 0 && limited.size() > static_cast<size_t>(row_.maxLength)) limited.resize(row_.maxLength);
    SetText(limited);
}

void FakeTextBox::UserPress(MouseButton button) {
    if (!state_.visible || !state_.enabled) return;
    if (MouseDown) MouseDown(button);
}

void FakeTextBox::UserFocus() {
    if (window_.Visible() && window_.Reachable(*this)) window_.focused = this;
}

void FakeTextBox::UserDrop(const DroppedFiles& files) {
    if (!state_.visible || !state_.enabled || !row_.dropTarget) return;
    if (FileDrop) FileDrop(files);
}

void FakeLabel::UserClick() {
    if (!state_.visible || !state_.enabled || !window_.Visible()) return;
    if (Click) Click();
}

void FakeButton::UserClick() {
    // The click lands on whatever lies in front at the button's middle.
    if (!window_.Visible() || !window_.Reachable(*this)) return;
    window_.focused = this;
    if (Click) Click();
}

Control* FakeWindow::ControlOf(const std::string& key) const {
    if (auto it = buttons_.find(key); it != buttons_.end()) return it->second.get();
    if (auto it = textBoxes_.find(key); it != textBoxes_.end()) return it->second.get();
    if (auto it = panels_.find(key); it != panels_.end()) return it->second.get();
    return nullptr;
}

const ControlSpec* FakeWindow::RowOf(const Control& control, std::string* key) const {
    for (const auto& [name, row] : rowsByKey_) {
        if (ControlOf(name) != &control) continue;
        if (key) *key = name;
        return row;
    }
    return nullptr;
}

bool FakeWindow::Reachable(const Control& control) const {
    const ControlSpec* row = RowOf(control);
    if (!row || !control.Visible() || !control.Enabled()) return false;
    Twips x = control.Left() + control.Width() / 2;
    Twips y = control.Top() + control.Height() / 2;
    if (!FrontmostAt(row->container, x, y, &control)) return false;
    if (!row->container.empty()) {
        const Control* panel = ControlOf(std::string(row->container));
        if (!panel || !panel->Visible() || !panel->Enabled()) return false;
        if (x < 0 || y < 0 || x >= panel->Width() || y >= panel->Height()) return false;
        x += panel->Left();
        y += panel->Top();
        if (!FrontmostAt("", x, y, panel)) return false;
    }
    return x >= 0 && y >= 0 && x < ScaleWidth() && y < ScaleHeight();
}

std::vector<std::pair<const ControlSpec*, Control*>> FakeWindow::TabStops() const {
    std::vector<std::pair<const ControlSpec*, Control*>> stops;
    for (const auto& [key, row] : rowsByKey_) {
        if (row->tabIndex >= 0 && (row->kind == ControlKind::TextBox || row->kind == ControlKind::Button))
            stops.emplace_back(row, ControlOf(key));
    }
    std::sort(stops.begin(), stops.end(),
              [](const auto& a, const auto& b) { return a.first->tabIndex < b.first->tabIndex; });
    return stops;
}

void FakeWindow::UserClickAt(const Control& place) {
    const Twips x = place.Left() + place.Width() / 2;
    const Twips y = place.Top() + place.Height() / 2;
    const ControlSpec* row = RowOf(place);
    const std::string_view container = row ? row->container : std::string_view();
    for (auto& [key, button] : buttons_) {
        if (button->Row().container != container) continue;
        if (x < button->Left() || y < button->Top() || x >= button->Left() + button->Width() ||
            y >= button->Top() + button->Height())
            continue;
        if (Reachable(*button)) {
            button->UserClick();
            return;
        }
    }
}

void FakeWindow::UserTab(bool backwards) {
    const auto stops = TabStops();
    std::optional<size_t> from;
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i].second == focused) from = i;
    const auto next = NextTabStop(stops.size(), from, backwards, [&](size_t i) { return Reachable(*stops[i].second); });
    if (next) focused = stops[*next].second;
}

void FakeWindow::UserPressEnter() {
    for (auto& [key, button] : buttons_) {
        if (button.get() == focused && Reachable(*button) && button->Click) button->Click();
    }
}

std::string FakeWindow::FocusedName() const {
    std::string key;
    if (focused) RowOf(*focused, &key);
    return key;
}

bool FakeWindow::FrontmostAt(std::string_view container, Twips x, Twips y, const Control* control) const {
    for (const std::string& key : StackOf(container, true)) {
        const Control* other = nullptr;
        if (auto it = buttons_.find(key); it != buttons_.end()) other = it->second.get();
        if (auto it = textBoxes_.find(key); it != textBoxes_.end()) other = it->second.get();
        if (auto it = panels_.find(key); it != panels_.end()) other = it->second.get();
        if (!other || !other->Visible()) continue;
        if (x >= other->Left() && x < other->Left() + other->Width() && y >= other->Top() &&
            y < other->Top() + other->Height())
            return other == control;
    }
    return false;
}

FakeTimer::FakeTimer(FakeToolkit& toolkit, const ControlSpec& row) : toolkit_(toolkit), interval_(row.interval) {
    toolkit_.timers.push_back(this);
}

void FakeTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;  // enabling a running timer changes nothing
    enabled_ = enabled;
    if (enabled) due = toolkit_.Now() + std::max(interval_, 1);
}

// ---- window ----

FakeWindow::FakeWindow(FakeToolkit& toolkit, const layouts::FormSpec& form)
    : toolkit_(toolkit), handle_(toolkit.nextHandle_++) {
    if (form.maximized) {
        state = WindowState::Maximized;
        width_ = toolkit.screenWidth;
        height_ = toolkit.screenHeight;
    } else {
        width_ = form.clientWidth;
        height_ = form.clientHeight;
        left_ = (toolkit.screenWidth - width_) / 2;
        top_ = (toolkit.screenHeight - height_) / 2;
    }
    for (const ControlSpec& row : form.controls) {
        const std::string name(row.name);
        const std::string key = name + (row.index >= 0 ? "(" + std::to_string(row.index) + ")" : "");
        rowsByKey_[key] = &row;
        switch (row.kind) {
            case ControlKind::TextBox: textBoxes_[key] = std::make_unique<FakeTextBox>(*this, row); break;
            case ControlKind::Label: labels_[key] = std::make_unique<FakeLabel>(*this, row); break;
            case ControlKind::Image: images_[key] = std::make_unique<FakeImage>(*this, row); break;
            case ControlKind::Panel: panels_[key] = std::make_unique<FakePanel>(*this, row); break;
            case ControlKind::Button: buttons_[key] = std::make_unique<FakeButton>(*this, row); break;
            case ControlKind::Timer: timers_[key] = std::make_unique<FakeTimer>(toolkit, row); continue;
        }
        stacks_[StackKey(row)].push_back(key);
    }
    toolkit.windows.push_back(this);
}

FakeWindow::~FakeWindow() {
    auto& ws = toolkit_.windows;
    ws.erase(std::remove(ws.begin(), ws.end(), this), ws.end());
    for (auto& [name, timer] : timers_) {
        auto& ts = toolkit_.timers;
        ts.erase(std::remove(ts.begin(), ts.end(), timer.get()), ts.end());
    }
    if (toolkit_.activeWindow == this) toolkit_.activeWindow = nullptr;
}

std::string FakeWindow::StackKey(const ControlSpec& row) const {
    const bool childWindow =
        row.kind == ControlKind::Panel || row.kind == ControlKind::TextBox || row.kind == ControlKind::Button;
    return std::string(row.container) + (childWindow ? "|w" : "|d");
}

void FakeWindow::MoveInStack(const std::string& key, bool toFront) {
    auto& stack = stacks_[StackKey(*rowsByKey_.at(key))];
    stack.erase(std::remove(stack.begin(), stack.end(), key), stack.end());
    if (toFront)
        stack.push_front(key);
    else
        stack.push_back(key);
}

std::vector<std::string> FakeWindow::StackOf(std::string_view container, bool childWindows) const {
    auto it = stacks_.find(std::string(container) + (childWindows ? "|w" : "|d"));
    if (it == stacks_.end()) return {};
    return {it->second.begin(), it->second.end()};
}

bool FakeWindow::InFront(std::string_view upper, std::string_view lower) const {
    for (const auto& [key, stack] : stacks_) {
        const auto u = std::find(stack.begin(), stack.end(), upper);
        const auto l = std::find(stack.begin(), stack.end(), lower);
        if (u != stack.end() && l != stack.end()) return u < l;
    }
    throw std::logic_error("controls not in one group: " + std::string(upper) + ", " + std::string(lower));
}

Label& FakeWindow::LabelNamed(std::string_view name, int index) { return FakeLabelNamed(name, index); }

FakeLabel& FakeWindow::FakeLabelNamed(std::string_view name, int index) {
    const std::string key = std::string(name) + (index >= 0 ? "(" + std::to_string(index) + ")" : "");
    return Find(labels_, key);
}

void FakeWindow::RaiseActivate() {
    if (toolkit_.activeWindow == this) return;
    toolkit_.activeWindow = this;
    if (Activate) Activate();
}

void FakeWindow::Show() {
    if (destroyed) return;
    visible_ = true;
    if (state == WindowState::Minimized) state = WindowState::Normal;
    showOrder_.AfterShown(
        width_, height_, true,
        [this] {
            if (Resize) Resize();
        },
        [this] { RaiseActivate(); });
}

void FakeWindow::Hide() {
    visible_ = false;
    if (toolkit_.activeWindow != this) return;
    toolkit_.activeWindow = nullptr;
    // The system hands the activation to the next visible window of the program.
    for (FakeWindow* other : toolkit_.windows) {
        if (other != this && other->visible_ && !other->destroyed) {
            other->RaiseActivate();
            break;
        }
    }
}

void FakeWindow::Unload() {
    if (destroyed) return;
    if (Unloaded) Unloaded();
    destroyed = true;
    visible_ = false;
    for (auto& [name, timer] : timers_) timer->SetEnabled(false);
    if (toolkit_.activeWindow == this) toolkit_.activeWindow = nullptr;
    const bool anyLeft =
        std::any_of(toolkit_.windows.begin(), toolkit_.windows.end(), [](FakeWindow* w) { return !w->destroyed; });
    if (!anyLeft) toolkit_.programEnded = true;
}

void FakeWindow::SetWindowPos(InsertAfter where, const PixelRect& rect) {
    windowPosCalls.push_back({where, rect});
    topmost = where == InsertAfter::Topmost;
    const float tpp = toolkit_.twipsPerPixel;
    left_ = rect.x * tpp;
    top_ = rect.y * tpp;
    // A new size raises Resize, as any change of size does.
    if (rect.width * tpp != width_ || rect.height * tpp != height_) ResizeTo(rect.width * tpp, rect.height * tpp);
    if (visible_) RaiseActivate();  // flags 0: the call also activates
}

void FakeWindow::PlaceBelow(const Window& above) {
    placedBelow = &above;
    ++placeBelowCalls;
    topmost = static_cast<const FakeWindow&>(above).topmost;
}

bool FakeWindow::UserFrameRequest(FrameRequest request) {
    if (destroyed || (FrameRequested && !FrameRequested(request))) return false;
    if (request == FrameRequest::Minimize) state = WindowState::Minimized;
    if (request == FrameRequest::Restore) state = WindowState::Normal;
    if (request == FrameRequest::Maximize) state = WindowState::Maximized;
    return true;
}

void FakeWindow::UserActivate() {
    if (visible_ && !destroyed) RaiseActivate();
}

void FakeWindow::UserPressBackground(MouseButton button) {
    if (visible_ && BackgroundMouseDown) BackgroundMouseDown(button);
}

void FakeWindow::UserClose() {
    if (destroyed) return;
    if (CloseRequest && !CloseRequest()) return;
    Unload();
}

void FakeWindow::ResizeTo(Twips width, Twips height) {
    width_ = width;
    height_ = height;
    if (visible_ && showOrder_.Resized(width, height) && Resize) Resize();
}

// ---- toolkit ----

FakeToolkit::FakeToolkit() = default;
FakeToolkit::~FakeToolkit() = default;

std::unique_ptr<Window> FakeToolkit::CreateForm(const layouts::FormSpec& form) {
    return std::make_unique<FakeWindow>(*this, form);
}

void FakeToolkit::MsgBox(std::u16string_view prompt, MsgBoxStyle style, std::u16string_view title) {
    messages.push_back({std::u16string(prompt), style, std::u16string(title)});
    if (onMessageBox) onMessageBox(messages.back());
    if (messageBoxReadMs > 0) Advance(messageBoxReadMs);
}

void FakeToolkit::StoreSave(std::u16string_view application,
                            std::u16string_view section,
                            std::u16string_view key,
                            std::u16string_view text) {
    storeOps.push_back(
        {true, std::u16string(application), std::u16string(section), std::u16string(key), std::u16string(text)});
    if (failSaves) return;
    store[{std::u16string(application), std::u16string(section), std::u16string(key)}] = text;
}

std::u16string FakeToolkit::StoreLoad(std::u16string_view application,
                                      std::u16string_view section,
                                      std::u16string_view key,
                                      std::u16string_view fallback) {
    storeOps.push_back({false, std::u16string(application), std::u16string(section), std::u16string(key), {}});
    if (failLoads) return std::u16string(fallback);
    auto it = store.find({std::u16string(application), std::u16string(section), std::u16string(key)});
    return it == store.end() ? std::u16string(fallback) : it->second;
}

std::optional<std::u16string> FakeToolkit::Stored(std::u16string_view application) const {
    auto it = store.find({std::u16string(application), u"APP", u"TEXT"});
    if (it == store.end()) return std::nullopt;
    return it->second;
}

void FakeToolkit::Put(std::u16string_view application, std::u16string_view text) {
    store[{std::u16string(application), u"APP", u"TEXT"}] = text;
}

std::optional<Picture> FakeToolkit::LoadPicture(std::u16string_view path, PictureUse use) {
    pictureUses.push_back(use);
    if (path.empty()) return Picture{};
    auto it = pictures.find(std::u16string(path));
    if (it == pictures.end()) return std::nullopt;
    return it->second;
}

bool FakeToolkit::OpenTextFile(std::u16string_view path) {
    if (!commandsStart) return false;
    openedFiles.emplace_back(path);
    return true;
}

bool FakeToolkit::RequestPower(PowerRequest request) {
    if (!commandsStart) return false;
    powerRequests.push_back(request);
    return true;
}

HookHandle FakeToolkit::InstallKeyboardFilter(KeyFilterFn filter) {
    if (hookInstallFails) return 0;
    installedFilter = filter;
    const HookHandle handle = nextHook_++;
    liveHooks.insert(handle);
    return handle;
}

bool FakeToolkit::RemoveKeyboardFilter(HookHandle handle) {
    removeCalls.push_back(handle);
    return liveHooks.erase(handle) > 0;
}

void FakeToolkit::Advance(int64_t ms) {
    const int64_t target = now_ + ms;
    for (;;) {
        FakeTimer* next = nullptr;
        for (FakeTimer* t : timers) {
            if (t->Enabled() && t->due <= target && (next == nullptr || t->due < next->due)) next = t;
        }
        if (next == nullptr) break;
        now_ = std::max(now_, next->due);
        next->due = now_ + std::max(next->Interval(), 1);
        ++next->ticks;
        if (next->Tick) next->Tick();
    }
    now_ = target;
}

}  // namespace quorvel::testing
