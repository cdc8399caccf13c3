// The toolkit contract in memory, for the handler tests: windows and controls
// that behave as the real ones do (change events, activation, stacking), a
// virtual clock that fires due timers in order, and records of message boxes,
// store operations, commands, hooks and the end of the process.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/show_order.h"
#include "platform/toolkit.h"

namespace quorvel::testing {

class FakeToolkit;
class FakeWindow;

struct ControlState {
    bool visible = true;
    bool enabled = true;
    Twips left = 0, top = 0, width = 0, height = 0;
};

template <typename Base>
class FakeControl : public Base {
public:
    FakeControl(FakeWindow& window, const layouts::ControlSpec& row);
    bool Visible() const override { return state_.visible; }
    void SetVisible(bool visible) override { state_.visible = visible; }
    bool Enabled() const override { return state_.enabled; }
    void SetEnabled(bool enabled) override { state_.enabled = enabled; }
    Twips Left() const override { return state_.left; }
    Twips Top() const override { return state_.top; }
    Twips Width() const override { return state_.width; }
    Twips Height() const override { return state_.height; }
    void SetLeft(Twips v) override { state_.left = v; }
    void SetTop(Twips v) override { state_.top = v; }
    void SetWidth(Twips v) override { state_.width = v; }
    void SetHeight(Twips v) override { state_.height = v; }
    void BringToFront() override;
    void SendToBack() override;

    const layouts::ControlSpec& Row() const { return row_; }

protected:
    FakeWindow& window_;
    const layouts::ControlSpec& row_;
    ControlState state_;
};

class FakeTextBox : public FakeControl<TextBox> {
public:
    FakeTextBox(FakeWindow& window, const layouts::ControlSpec& row);
    std::u16string Text() const override { return text_; }
    void SetText(std::u16string_view text) override;
    Colour ForeColor() const override { return foreColor_; }
    void SetForeColor(Colour colour) override { foreColor_ = colour; }

    // What the user does: type (replacing the text, as a paste over a
    // selection would), press a mouse button, drop data.
    void UserType(std::u16string_view text);
    void UserPress(MouseButton button);
    void UserDrop(const DroppedFiles& files);
    // A click into the field: it takes the focus when the click reaches it.
    void UserFocus();
    int changeCount = 0;

private:
    std::u16string text_;
    Colour foreColor_;
};

class FakeLabel : public FakeControl<Label> {
public:
    using FakeControl::FakeControl;
    std::u16string Caption() const override { return std::u16string(row_.text); }
    void UserClick();
};

class FakeImage : public FakeControl<Image> {
public:
    using FakeControl::FakeControl;
    const Picture& GetPicture() const override { return picture_; }
    void SetPicture(Picture picture) override { picture_ = std::move(picture); }

private:
    Picture picture_;
};

class FakePanel : public FakeControl<Panel> {
public:
    using FakeControl::FakeControl;
};

class FakeButton : public FakeControl<Button> {
public:
    using FakeControl::FakeControl;
    // A click reaches only a visible, enabled button in a visible window.
    void UserClick();
};

class FakeTimer : public Timer {
public:
    FakeTimer(FakeToolkit& toolkit, const layouts::ControlSpec& row);
    int Interval() const override { return interval_; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override;
    int64_t due = 0;
    int ticks = 0;

private:
    FakeToolkit& toolkit_;
    int interval_;
    bool enabled_ = false;
};

struct WindowPosCall {
    InsertAfter where;
    PixelRect rect;
};

class FakeWindow : public Window {
public:
    FakeWindow(FakeToolkit& toolkit, const layouts::FormSpec& form);
    ~FakeWindow() override;

    void Show() override;
    void Hide() override;
    void Unload() override;
    bool Visible() const override { return visible_; }
    WindowState State() const override { return state; }
    void SetState(WindowState s) override { state = s; }
    Twips Left() const override { return left_; }
    Twips Top() const override { return top_; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    Twips ScaleWidth() const override { return width_; }
    Twips ScaleHeight() const override { return height_; }
    intptr_t Handle() const override { return handle_; }
    void SetWindowPos(InsertAfter where, const PixelRect& rect) override;
    bool Layered() const override { return layered; }
    void SetLayered(bool on) override { layered = on; }
    void SetOpacity(uint8_t alpha) override { opacity = alpha; }
    void PlaceBelow(const Window& above) override;
    void BeginCaptionDrag() override { ++captionDrags; }

    TextBox& TextBoxNamed(std::string_view name) override { return Find(textBoxes_, name); }
    Label& LabelNamed(std::string_view name, int index = -1) override;
    Image& ImageNamed(std::string_view name) override { return Find(images_, name); }
    Panel& PanelNamed(std::string_view name) override { return Find(panels_, name); }
    Button& ButtonNamed(std::string_view name) override { return Find(buttons_, name); }
    Timer& TimerNamed(std::string_view name) override { return Find(timers_, name); }

    FakeTextBox& FakeTextBoxNamed(std::string_view name) { return Find(textBoxes_, name); }
    FakeButton& FakeButtonNamed(std::string_view name) { return Find(buttons_, name); }
    FakeLabel& FakeLabelNamed(std::string_view name, int index = -1);
    FakeTimer& FakeTimerNamed(std::string_view name) { return Find(timers_, name); }

    // The user: activates the window by a click on it, presses a mouse button
    // on its bare background, asks to close it (Alt+F4, the taskbar).
    void UserActivate();
    void UserPressBackground(MouseButton button);
    void UserClose();
    // A request from the window menu, the taskbar or another program; a
    // granted one takes effect. Returns whether it was granted.
    bool UserFrameRequest(FrameRequest request);
    // The keyboard: Tab or Shift+Tab, and Enter or Space on the focused
    // control (a button clicks).
    void UserTab(bool backwards = false);
    // A click at the middle of the control's place: it lands on whatever
    // button a click there reaches.
    void UserClickAt(const Control& place);
    void UserPressEnter();
    // Whether a mouse click at the control's middle reaches it: shown and
    // enabled with its panel, inside its panel and the window, and in front.
    bool Reachable(const Control& control) const;
    std::string FocusedName() const;
    // The platform changes the window's size (maximising, a display change).
    void ResizeTo(Twips width, Twips height);

    // Names of one container's group (child windows or drawn-only controls),
    // front first.
    std::vector<std::string> StackOf(std::string_view container, bool childWindows) const;
    bool InFront(std::string_view upper, std::string_view lower) const;
    // Whether the control is the frontmost visible child window of its
    // container at the point (twips of the container).
    bool FrontmostAt(std::string_view container, Twips x, Twips y, const Control* control) const;
    void MoveInStack(const std::string& key, bool toFront);

    void RaiseActivate();
    bool destroyed = false;
    WindowState state = WindowState::Normal;
    bool topmost = false;
    const Window* placedBelow = nullptr;  // the last PlaceBelow
    int placeBelowCalls = 0;
    Control* focused = nullptr;
    bool layered = false;
    std::optional<uint8_t> opacity;
    int captionDrags = 0;
    std::vector<WindowPosCall> windowPosCalls;

private:
    template <typename T>
    T& Find(std::map<std::string, std::unique_ptr<T>, std::less<>>& controls, std::string_view name) {
        auto it = controls.find(name);
        if (it == controls.end()) throw std::logic_error("no control named " + std::string(name));
        return *it->second;
    }
    std::string StackKey(const layouts::ControlSpec& row) const;
    // The controls that take the focus, in tab order.
    std::vector<std::pair<const layouts::ControlSpec*, Control*>> TabStops() const;
    Control* ControlOf(const std::string& key) const;
    // The layout row of one of the window's controls, and its key.
    const layouts::ControlSpec* RowOf(const Control& control, std::string* key = nullptr) const;

    FakeToolkit& toolkit_;
    intptr_t handle_;
    bool visible_ = false;
    Twips left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    ShowOrder showOrder_;
    std::map<std::string, std::unique_ptr<FakeTextBox>, std::less<>> textBoxes_;
    std::map<std::string, std::unique_ptr<FakeLabel>, std::less<>> labels_;
    std::map<std::string, std::unique_ptr<FakeImage>, std::less<>> images_;
    std::map<std::string, std::unique_ptr<FakePanel>, std::less<>> panels_;
    std::map<std::string, std::unique_ptr<FakeButton>, std::less<>> buttons_;
    std::map<std::string, std::unique_ptr<FakeTimer>, std::less<>> timers_;
    // container name + "|w" or "|d" -> control keys, front first
    std::map<std::string, std::deque<std::string>> stacks_;
    std::map<std::string, const layouts::ControlSpec*> rowsByKey_;
    friend class FakeToolkit;
};

struct MessageRecord {
    std::u16string prompt;
    MsgBoxStyle style;
    std::u16string title;
};

struct StoreOp {
    bool save;
    std::u16string application, section, key, text;
};

class FakeToolkit : public Toolkit {
public:
    FakeToolkit();
    ~FakeToolkit() override;

    std::unique_ptr<Window> CreateForm(const layouts::FormSpec& form) override;
    void MsgBox(std::u16string_view prompt, MsgBoxStyle style, std::u16string_view title) override;
    void StoreSave(std::u16string_view application,
                   std::u16string_view section,
                   std::u16string_view key,
                   std::u16string_view text) override;
    std::u16string StoreLoad(std::u16string_view application,
                             std::u16string_view section,
                             std::u16string_view key,
                             std::u16string_view fallback) override;
    std::optional<Picture> LoadPicture(std::u16string_view path, PictureUse use = {}) override;
    std::vector<PictureUse> pictureUses;  // what each load asked for
    std::optional<std::u16string> ProgramFile(std::u16string_view name) override {
        if (!programDirectory) return std::nullopt;
        return *programDirectory + u"\\" + std::u16string(name);
    }
    bool FileExists(std::u16string_view path) override { return files.count(std::u16string(path)) > 0; }
    bool OpenTextFile(std::u16string_view path) override;
    bool RequestPower(PowerRequest request) override;
    bool BeginLock() override {
        ++lockBegun;
        return lockHolds;
    }
    void ClearClipboard() override { ++clipboardClears; }
    float TwipsPerPixelX() override { return twipsPerPixel; }
    float TwipsPerPixelY() override { return twipsPerPixel; }
    NumberFormat UserNumberFormat() override { return numberFormat; }
    HookHandle InstallKeyboardFilter(KeyFilterFn filter) override;
    bool RemoveKeyboardFilter(HookHandle handle) override;
    void EndProcess() override { processEnded = true; }

    // The virtual clock: fires every timer tick due within the next ms
    // milliseconds, earliest first (ties in creation order).
    void Advance(int64_t ms);
    int64_t Now() const { return now_; }

    // Store contents and fault injection.
    std::map<std::tuple<std::u16string, std::u16string, std::u16string>, std::u16string> store;
    std::optional<std::u16string> Stored(std::u16string_view application) const;
    void Put(std::u16string_view application, std::u16string_view text);
    bool failLoads = false;
    bool failSaves = false;
    std::vector<StoreOp> storeOps;

    std::vector<MessageRecord> messages;
    std::function<void(const MessageRecord&)> onMessageBox;  // runs inside the modal box
    // How long the user takes to read and dismiss a message box; the
    // program's timers tick meanwhile, as the box's own loop delivers them.
    int64_t messageBoxReadMs = 0;
    std::map<std::u16string, Picture> pictures;  // decodable files
    std::set<std::u16string> files;              // existing files
    std::optional<std::u16string> programDirectory = u"C:\\Quorvel";
    // Whether what the program hands to the system (a file to open, a power
    // request) gets there; what got there, in order.
    bool commandsStart = true;
    // Whether the desktop can hold a lock, and how often one was begun.
    bool lockHolds = true;
    int lockBegun = 0;
    std::vector<std::u16string> openedFiles;
    std::vector<PowerRequest> powerRequests;
    int clipboardClears = 0;
    float twipsPerPixel = 15.0f;
    NumberFormat numberFormat;
    Twips screenWidth = 19200, screenHeight = 10800;

    KeyFilterFn installedFilter = nullptr;
    bool hookInstallFails = false;
    std::set<HookHandle> liveHooks;
    std::vector<HookHandle> removeCalls;
    bool processEnded = false;  // EndProcess
    bool programEnded = false;  // the last window unloaded

    // Which window is the program's active one (nullptr: none of ours).
    FakeWindow* activeWindow = nullptr;
    std::vector<FakeWindow*> windows;  // live, creation order
    std::vector<FakeTimer*> timers;    // creation order

private:
    int64_t now_ = 0;
    HookHandle nextHook_ = 0x1000;
    intptr_t nextHandle_ = 0x100;
    friend class FakeWindow;
};

}  // namespace quorvel::testing
