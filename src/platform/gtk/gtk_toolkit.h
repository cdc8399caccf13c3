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
#include "platform/toolkit.h"

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
    HookHandle InstallKeyboardFilter(KeyFilterFn filter) override;
    bool RemoveKeyboardFilter(HookHandle handle) override;
    void EndProcess() override;

    // Runs the main loop until the last window is gone; returns the exit code.
    int Run();

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

private:
    float twipsPerPixel_ = 15.0f;
    std::vector<FormWindow*> forms_;
    GtkWidget* messageBox_ = nullptr;
    KeyFilterFn keyFilter_ = nullptr;
    HookHandle nextHook_ = 1;
    bool running_ = false;
};

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
