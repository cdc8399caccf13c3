// The toolkit contract: everything the handlers may ask of windows, controls,
// timers, message boxes, pictures, the settings store, the keyboard hook,
// commands and the end of the process. Win32 implements it in platform/win32;
// tests/support holds an in-memory double. No platform type appears here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bitmap.h"
#include "base/colour.h"
#include "base/numbers.h"
#include "base/twips.h"
#include "layouts/layout.h"

namespace quorvel {

enum class MouseButton : int16_t { Left = 1, Right = 2, Middle = 4 };

// Message box styles, numbered as the platform numbers them.
enum class MsgBoxStyle : int {
    Critical = 16,  // one OK button with the critical-error icon
};

// What the power page asks of the system: each ends the user's session,
// without asking and without waiting.
enum class PowerRequest { Shutdown, Restart, LogOff };

// One event of the keyboard as the system-wide keyboard filter sees it.
struct KeyEvent {
    uint32_t keyCode = 0;   // the virtual-key code
    bool down = true;       // pressed (or repeated), or released
    bool injected = false;  // made by a program rather than the keyboard
};

// Where SetWindowPos puts a window in the stacking order.
enum class InsertAfter { Topmost, NoTopmost };

// A window's state, numbered as the forms' WindowState property.
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// What the user, the shell or another program asks of a window's frame: the
// window menu's commands and the menu itself.
enum class FrameRequest { Minimize, Restore, Maximize, Move, Size, Menu };

// How much of a picture its image can show, so that no more of it is decoded
// than that: a stretched image shows it at most at its own size on the
// screen (the picture is scaled down to fit, its proportions kept); an
// unscaled one only its top-left corner. Sizes in pixels.
struct PictureUse {
    enum class Kind { Whole, FitWithin, TopLeft };
    Kind kind = Kind::Whole;
    int width = 0;
    int height = 0;
    static PictureUse FitWithin(int w, int h) { return {Kind::FitWithin, w, h}; }
    static PictureUse TopLeft(int w, int h) { return {Kind::TopLeft, w, h}; }
    friend bool operator==(const PictureUse&, const PictureUse&) = default;
};

// The ordered list of full paths a drop carries, or none (plain text, say).
using DroppedFiles = std::optional<std::vector<std::u16string>>;

class Control {
public:
    virtual ~Control() = default;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual Twips Left() const = 0;
    virtual Twips Top() const = 0;
    virtual Twips Width() const = 0;
    virtual Twips Height() const = 0;
    virtual void SetLeft(Twips left) = 0;
    virtual void SetTop(Twips top) = 0;
    virtual void SetWidth(Twips width) = 0;
    virtual void SetHeight(Twips height) = 0;
    // Front or back of its own group (child windows, or drawn-only controls)
    // within its container.
    virtual void BringToFront() = 0;
    virtual void SendToBack() = 0;
};

class TextBox : public Control {
public:
    virtual std::u16string Text() const = 0;
    // Raises Change at once (nested) when the text differs; identical text is
    // not a change.
    virtual void SetText(std::u16string_view text) = 0;
    virtual Colour ForeColor() const = 0;
    virtual void SetForeColor(Colour colour) = 0;

    std::function<void()> Change;
    // Raised before the field handles the press itself.
    std::function<void(MouseButton)> MouseDown;
    std::function<void(const DroppedFiles&)> FileDrop;
};

class Label : public Control {
public:
    virtual std::u16string Caption() const = 0;
    std::function<void()> Click;
};

class Image : public Control {
public:
    virtual const Picture& GetPicture() const = 0;
    virtual void SetPicture(Picture picture) = 0;  // nullptr clears it
};

class Panel : public Control {};

class Timer {
public:
    virtual ~Timer() = default;
    virtual int Interval() const = 0;
    virtual bool Enabled() const = 0;
    // Enabling a running timer changes nothing; disabling stops its ticks.
    virtual void SetEnabled(bool enabled) = 0;
    std::function<void()> Tick;
};

// A skinned button as its window sees it: a control with a Click event.
class Button : public Control {
public:
    std::function<void()> Click;
};

class Window {
public:
    virtual ~Window() = default;

    // Show, modeless: visible, then Resize (when the size changed or at the
    // first show) and Activate (when the activation moved to this window from
    // another window of the program, or at the first show).
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Close: raises Unload, destroys the window; the program ends when no
    // window is left.
    virtual void Unload() = 0;
    virtual bool Visible() const = 0;
    // Minimised, restored to its own size, or maximised over its screen.
    // Setting a state never activates the window.
    virtual WindowState State() const = 0;
    virtual void SetState(WindowState state) = 0;

    virtual Twips Left() const = 0;
    virtual Twips Top() const = 0;
    virtual Twips Width() const = 0;
    virtual Twips Height() const = 0;
    virtual Twips ScaleWidth() const = 0;  // client area
    virtual Twips ScaleHeight() const = 0;
    virtual intptr_t Handle() const = 0;

    // The window placement calls of the handlers, in pixels, flags 0 (moves,
    // sizes and activates).
    virtual void SetWindowPos(InsertAfter where, const PixelRect& rect) = 0;
    // Drawn with one uniform opacity (layered), or not; the opacity runs
    // from 0 (transparent) to 255 (opaque) and shows while layered.
    virtual bool Layered() const = 0;
    virtual void SetLayered(bool layered) = 0;
    virtual void SetOpacity(uint8_t alpha) = 0;
    // Directly below another window of the program, in that window's band
    // (topmost or not), without activating or sizing this one; nothing is done
    // when it is already there.
    virtual void PlaceBelow(const Window& above) = 0;
    // The window manager's interactive move, as if the caption were pressed;
    // returns when the mouse button is released.
    virtual void BeginCaptionDrag() = 0;

    // Controls by their designed names; index for control arrays.
    virtual TextBox& TextBoxNamed(std::string_view name) = 0;
    virtual Label& LabelNamed(std::string_view name, int index = -1) = 0;
    virtual Image& ImageNamed(std::string_view name) = 0;
    virtual Panel& PanelNamed(std::string_view name) = 0;
    virtual Button& ButtonNamed(std::string_view name) = 0;
    virtual Timer& TimerNamed(std::string_view name) = 0;

    std::function<void()> Activate;
    std::function<void()> Resize;
    std::function<void()> Unloaded;
    // A close request of the user or the system (not the program's own
    // Unload); answering false refuses it and the window stays.
    std::function<bool()> CloseRequest;
    // A request of the user, the shell or another program to minimise,
    // restore, maximise, move or size the window, or to open its window menu;
    // answering false refuses it. Unset: every request is granted.
    std::function<bool(FrameRequest)> FrameRequested;
    // A press on the window's own background (no control under the pointer).
    std::function<void(MouseButton)> BackgroundMouseDown;
};

// Identifies an installed low-level keyboard hook; 0 is none.
using HookHandle = intptr_t;

// The decision of the system-wide keyboard filter for one event: true
// discards it, false passes it on.
using KeyFilterFn = bool (*)(const KeyEvent& event);

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Creates the window and its controls from the layout, hidden. The caller
    // wires its handlers and then runs its Load.
    virtual std::unique_ptr<Window> CreateForm(const layouts::FormSpec& form) = 0;

    // Modal; timers keep running while it is up.
    virtual void MsgBox(std::u16string_view prompt, MsgBoxStyle style, std::u16string_view title) = 0;

    virtual void StoreSave(std::u16string_view application,
                           std::u16string_view section,
                           std::u16string_view key,
                           std::u16string_view text) = 0;
    virtual std::u16string StoreLoad(std::u16string_view application,
                                     std::u16string_view section,
                                     std::u16string_view key,
                                     std::u16string_view fallback) = 0;

    // Empty path: an empty picture (nullptr). Missing or undecodable: nullopt.
    virtual std::optional<Picture> LoadPicture(std::u16string_view path, PictureUse use = {}) = 0;
    // The full path of a file that comes with the program (the logo, the
    // help file), whether or not it is there; none when the program cannot
    // tell where its files are.
    virtual std::optional<std::u16string> ProgramFile(std::u16string_view name) = 0;
    virtual bool FileExists(std::u16string_view path) = 0;
    // Opens a text file for the user to read, in a window of its own, without
    // waiting; false when nothing could be started.
    virtual bool OpenTextFile(std::u16string_view path) = 0;
    // Hands the request to the system without waiting; false when it could
    // not be handed over.
    virtual bool RequestPower(PowerRequest request) = 0;
    virtual void ClearClipboard() = 0;
    virtual float TwipsPerPixelX() = 0;
    virtual float TwipsPerPixelY() = 0;
    virtual NumberFormat UserNumberFormat() = 0;

    // Asked just before locking begins: true when a lock can hold from now
    // on; false, after telling the user why, when the desktop cannot be
    // locked (nothing may be locked then).
    virtual bool BeginLock() = 0;

    // The system-wide low-level keyboard filter (see lock/keyboard_filter.h).
    virtual HookHandle InstallKeyboardFilter(KeyFilterFn filter) = 0;
    virtual bool RemoveKeyboardFilter(HookHandle handle) = 0;

    // Ends the process at once: no window unloads.
    virtual void EndProcess() = 0;
};

// A window's own place and size in pixels, as the keep-on-top ticks compute
// it from its twips (see WindowPixelGeometry); none when it does not convert.
inline std::optional<PixelRect> OwnPixelGeometry(const Window& window, Toolkit& toolkit) {
    return WindowPixelGeometry(window.Left(), window.Top(), window.Width(), window.Height(), toolkit.TwipsPerPixelX(),
                               toolkit.TwipsPerPixelY());
}

}  // namespace quorvel
