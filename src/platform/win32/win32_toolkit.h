// The toolkit contract on Win32: windows built from the layout tables,
// message boxes, the registry as settings store, WIC pictures, the
// low-level keyboard hook, commands and the end of the process.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "layouts/layout.h"
#include "platform/made_ahead.h"
#include "platform/toolkit.h"
#include "platform/win32/curtains.h"
#include "platform/win32/restack.h"
#include "platform/win32/scoped.h"

namespace quorvel::win32 {

class FormWindow;

// Private messages of the backend's windows.
inline constexpr UINT kMsgTabFrom = WM_APP + 1;      // to a form: wParam the control, lParam backwards
inline constexpr UINT kMsgButtonShown = WM_APP + 2;  // to a button: its window became visible

// The common controls of version 6 (the tool tips, the buttons of message
// boxes) come with an activation context of their own, the program's second
// manifest; they are loaded on first use, within this scope. Without that
// manifest (or where contexts fail) the scope changes nothing.
class CommonControlsScope {
public:
    explicit CommonControlsScope(HINSTANCE instance);
    ~CommonControlsScope();
    CommonControlsScope(const CommonControlsScope&) = delete;
    CommonControlsScope& operator=(const CommonControlsScope&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// How a started command's window shows, numbered as the system's show
// styles.
enum class ShowStyle : int {
    NormalFocus = 1,     // normal, with the focus
    MinimizedFocus = 2,  // minimised, with the focus
};

// The command line the system's shutdown command takes for a power request.
std::u16string_view PowerCommandLine(PowerRequest request);

class Win32Toolkit : public Toolkit {
public:
    explicit Win32Toolkit(HINSTANCE instance);
    ~Win32Toolkit() override;

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
    // Beside the program.
    std::optional<std::u16string> ProgramFile(std::u16string_view name) override;
    bool FileExists(std::u16string_view path) override;
    // In Notepad.
    bool OpenTextFile(std::u16string_view path) override;
    // Through the system's shutdown command, started minimised.
    bool RequestPower(PowerRequest request) override;
    std::optional<std::u16string> ProgramDirectory();
    // Starts a command line with a show style, without waiting. A command named by its bare name ("Cmd.exe",
    // "notepad.exe") runs from the system folder, never from the program's or the current folder, with the system
    // folder as its working folder (so that cmd.exe finds the system's shutdown first).
    bool RunCommand(std::u16string_view commandLine, ShowStyle show);
    void ClearClipboard() override;
    float TwipsPerPixelX() override;
    float TwipsPerPixelY() override;
    NumberFormat UserNumberFormat() override;
    // The lock's own windows and the keyboard filter hold it.
    bool BeginLock() override { return true; }
    HookHandle InstallKeyboardFilter(KeyFilterFn filter) override;
    bool RemoveKeyboardFilter(HookHandle handle) override;
    void EndProcess() override;

    // Runs the message loop until the last window is gone; returns the exit code.
    int Run();

    // The window of this layout (with its curtains over the monitors beside
    // the primary one) is made hidden and nameless once the first window has
    // been painted; CreateForm hands it over then, named. Nothing of it is
    // seen before: the lock covers the screen sooner when locking only has
    // to show its window.
    void MakeAhead(const layouts::FormSpec& form);
    // A window's first paint is on the screen.
    void FirstPaintDone();

    // Backend internals shared by the windows.
    HINSTANCE instance() const { return instance_; }
    HFONT Font(const layouts::FontSpec& design);
    HFONT Font(std::u16string_view face,
               float points,
               int weight,
               bool italic,
               bool underline,
               bool strikeout,
               uint8_t charset);
    HCURSOR HandCursor();
    // Where the pointer is and which window lies under it. While a
    // PointerLook is held they are asked of the system once: a window's show
    // redraws every button of it, each asking whether the pointer is over
    // it, and nothing moves in between (under Wine each answer is a request
    // to the Wine server and one to the X server).
    POINT CursorPos();
    HWND WindowAt(POINT point);
    class PointerLook {
    public:
        explicit PointerLook(Win32Toolkit& toolkit) : toolkit_(toolkit) { ++toolkit_.pointerLooks_; }
        ~PointerLook() {
            if (--toolkit_.pointerLooks_ == 0) toolkit_.pointer_.reset();
        }
        PointerLook(const PointerLook&) = delete;
        PointerLook& operator=(const PointerLook&) = delete;

    private:
        Win32Toolkit& toolkit_;
    };
    void FormCreated(FormWindow* form);
    // Starts again every timer of the program whose start failed.
    void RetryTimers();
    // How timers are started; tests put a failing one in its place.
    UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = &SetTimer;
    void FormDestroyed(FormWindow* form);
    // Activation bookkeeping: Activate is raised only when the program's
    // active form changes.
    FormWindow* activeForm = nullptr;
    // The program's modal message box while one is up (the innermost one).
    HWND MessageBoxOnTop() const;
    // What the keep-on-top ticks share about the order of the windows.
    StackWatch& stackWatch() { return stackWatch_; }
    // Puts a hidden window of ours first in the order, so that raising a
    // window that was first is a change, which Wine passes on to X.
    void RaiseStackMark();
    // The settings store's root key below HKEY_CURRENT_USER.
    std::wstring storeRoot = L"Software\\Quorvel";
    // The monitors beside the primary one, which a window that covers every
    // monitor covers with curtains of its own.
    ExtraCurtains::MonitorList monitors = &OtherMonitors;

private:
    HINSTANCE instance_;
    // The screen's twips per pixel, read once: the system's dots per inch
    // hold for the whole session, and the keep-on-top ticks ask for them
    // every few milliseconds (under Wine each screen DC costs a round trip
    // and a reading of the X resources).
    float twipsPerPixelX_ = 15.0f;
    float twipsPerPixelY_ = 15.0f;
    std::map<std::wstring, ScopedFont> fonts_;
    std::vector<FormWindow*> forms_;
    // The pictures read from files that are still in use, each with what it
    // was read from: the path, the use, the file's size and write time.
    struct ShownPicture {
        std::u16string path;
        PictureUse use;
        std::array<DWORD, 4> stamp{};
        std::weak_ptr<const Bitmap> picture;
    };
    std::vector<ShownPicture> shownPictures_;
    StackWatch stackWatch_;
    HWND stackMark_ = nullptr;
    // The pointer as read while a PointerLook is held.
    struct PointerSeen {
        POINT at{};
        std::optional<HWND> window;
    };
    int pointerLooks_ = 0;
    std::optional<PointerSeen> pointer_;
    // After forms_: a window made ahead and never handed over leaves none.
    MadeAhead<FormWindow> madeAhead_;
};

// Pixels from twips at the given twips per pixel, halves to even.
int ToPixels(Twips twips, float twipsPerPixel);

// The key event of a low-level keyboard hook's call: only a key going down or
// up (also with Alt held) is one; anything else is passed on unasked.
std::optional<KeyEvent> DecodeKeyEvent(int nCode, WPARAM wParam, LPARAM lParam);

// The program a command line starts and the folder it starts in: a bare name
// (no folder in it) is looked for in the system folder alone, none when it is
// not there; a path is taken as it is, started in the system folder too.
struct CommandTarget {
    std::wstring program;
    std::wstring folder;
};
std::optional<CommandTarget> ResolveCommand(std::wstring_view commandLine);

}  // namespace quorvel::win32
