// The toolkit contract on an X11 desktop with GTK 3: windows built from the
// layout tables, GtkMessageDialog message boxes, a key file as settings store,
// GdkPixbuf pictures, a keyboard and pointer grab for the keyboard filter, the
// desktop's default handlers and the end of the process.
#pragma once

#include <gtk/gtk.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "layouts/layout.h"
#include "platform/made_ahead.h"
#include "platform/toolkit.h"
#include "widgets/ibutton/ibutton_host.h"

struct _XDisplay;  // Xlib's Display

namespace quorvel::gtk {

class FormWindow;

class GtkToolkit : public Toolkit {
public:
    // Takes GTK as initialised (gtk_init) by the caller.
    GtkToolkit();
    ~GtkToolkit() override;

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
    // Beside the program (as it is built), else in its installed data folder.
    std::optional<std::u16string> ProgramFile(std::u16string_view name) override;
    bool FileExists(std::u16string_view path) override;
    // With the desktop's default viewer for text.
    bool OpenTextFile(std::u16string_view path) override;
    // Through systemd-logind on the system bus; where it is missing or
    // refuses, the user is told so.
    bool RequestPower(PowerRequest request) override;
    void ClearClipboard() override;
    float TwipsPerPixelX() override { return twipsPerPixel_; }
    float TwipsPerPixelY() override { return twipsPerPixel_; }
    NumberFormat UserNumberFormat() override;
    // Refused in a Wayland session, where no X11 program can lock the
    // screen, and when the keyboard and pointer cannot be grabbed within a
    // second (another program holds them).
    bool BeginLock() override;
    HookHandle InstallKeyboardFilter(KeyFilterFn filter) override;
    bool RemoveKeyboardFilter(HookHandle handle) override;
    void EndProcess() override;

    // Runs the main loop until the last window is gone; returns the exit code.
    int Run();

    // The window of this layout is made hidden, with its X window, once the
    // first window has been painted; CreateForm hands it over then. Nothing of
    // it is seen before: the lock covers the screen sooner when locking only
    // has to show its window.
    void MakeAhead(const layouts::FormSpec& form);
    // A window's first frame is on the screen.
    void FirstPaintDone();

    // The folder of the settings store's key files; the store's files are
    // "<application>.ini" in it.
    std::filesystem::path storeFolder;

    // Backend internals shared by the windows.
    void FormCreated(FormWindow* form);
    void FormDestroyed(FormWindow* form);
    const std::vector<FormWindow*>& forms() const { return forms_; }
    // Activation bookkeeping: Activate is raised only when the program's
    // active form changes.
    FormWindow* activeForm = nullptr;
    // The innermost message box while one is up.
    GtkWidget* messageBox() const { return messageBox_; }
    // The key filter while one is installed: every key event of the program
    // passes it first.
    KeyFilterFn keyFilter() const { return keyFilter_; }
    // A key the filter discarded went down or up; the modifiers of the keys
    // it discarded that are still held.
    void Discarded(guint keyval, bool down);
    guint DiscardedModifiers() const;

    // ---- the lock ----
    // From BeginLock to the end of the process: the program's windows are
    // unmanaged, and the keyboard and pointer are the program's.
    bool locked() const { return locked_; }
    // Whether the cover BeginLock shows is on the screen.
    bool CoverShown() const { return cover_.shown; }
    // Puts the windows of the topmost band in order (the message box, the
    // windows on top, the curtains right below them) above every other
    // window on the screen, and gives the keyboard to the front one. Done at
    // once when another window is mapped or moved in the stacking order.
    void Restack();
    // The grab follows the front window of the program; a grab lost (to a
    // menu of the program's, say) is taken back.
    void KeepGrab();
    // Before a window of the program leaves the screen: the grab goes on to
    // another window first, so that it is never without one.
    void MoveGrabFrom(const FormWindow* leaving);
    // The screen as it was when the lock began, where no compositing manager
    // blends translucent windows: a translucent curtain lays itself over it.
    cairo_surface_t* ScreenBeneath() const { return screenBeneath_; }
    // The lock window is on the screen: the cover beneath it goes.
    void HideCover();
    // Where the pointer is, asked of the X server once per turn of the main
    // loop: one handler that shows and enables several buttons asks it for
    // each of them.
    ScreenPoint PointerPosition();
    // Whether the window belongs to the program (its forms, their curtains,
    // a message box).
    bool OwnsXWindow(unsigned long xid) const;
    // The X server's grab on the pointer held the button: how many tries a
    // grab gets, a few milliseconds apart, before a lock is refused.
    int grabTries = 20;

private:
    float twipsPerPixel_ = 15.0f;
    std::vector<FormWindow*> forms_;
    GtkWidget* messageBox_ = nullptr;
    KeyFilterFn keyFilter_ = nullptr;
    std::vector<guint> discardedHeld_;
    HookHandle nextHook_ = 1;
    bool running_ = false;
    // After forms_: a window made ahead and never handed over leaves none.
    MadeAhead<FormWindow> madeAhead_;
    bool locked_ = false;
    bool inRestack_ = false;
    GdkWindow* grabbedOn_ = nullptr;
    // The screen as it was at the lock, for a curtain that X cannot make
    // translucent; its pixmap is made ahead.
    struct ScreenCopy {
        ::_XDisplay* display = nullptr;
        unsigned long pixmap = 0;  // an X Pixmap
        int width = 0, height = 0;
    } beneath_;
    cairo_surface_t* screenBeneath_ = nullptr;
    // The pixmap of the screen's size (made, or made again for a new size);
    // its display, or none where X cannot hold a screen beneath.
    ::_XDisplay* ScreenPixmap();
    void MakeScreenCopyAhead();
    void KeepScreenBeneath();
    // A plain X window over the whole screen in the lock window's colour,
    // made ahead: BeginLock covers the screen with it at once, and the lock
    // window, shown over it, takes it away.
    struct Cover {
        ::_XDisplay* display = nullptr;
        unsigned long window = 0;  // an X Window
        bool shown = false;
    } cover_;
    std::optional<Colour> coverColour_;
    void MakeCoverAhead();
    void ShowCover();
    GSource* turnCounter_ = nullptr;
    std::optional<ScreenPoint> pointer_;
    guint64 pointerTurn_ = 0;
    bool Grab(GdkWindow* window);
    GdkWindow* FrontWindow() const;
    GdkWindow* GrabTarget(const FormWindow* leaving) const;
};

// The program draws with cairo alone: GDK need not load OpenGL, and with it
// the system's GL driver, when the display opens (a few milliseconds of a
// start of some fifty). Called first thing in main, before any other thread;
// a setting of the user's own stands, and a program the program starts gets
// the environment as it was.
void LeaveOutGl();

// The folder where the settings store lives by default:
// $XDG_CONFIG_HOME/quorvel (or ~/.config/quorvel).
std::filesystem::path DefaultStoreFolder();

// The virtual-key code of a GDK key, as the keyboard filter knows them; 0 for
// a key it has no code for.
uint32_t VirtualKeyOf(guint keyval);

// UTF-8 and UTF-16 at the edges of GTK.
std::string U8(std::u16string_view text);
std::u16string U16(const char* text);

// A colour of the program (0x00BBGGRR or a system colour) for cairo; the
// fallback stands in for kDefaultColour.
struct Rgba {
    double r, g, b;
};
Rgba ToRgba(Colour colour, Colour fallback);

}  // namespace quorvel::gtk
