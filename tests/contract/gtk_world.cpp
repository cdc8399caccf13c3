// The contract suite's world on the GTK backend in an X server: real windows,
// the main loop for time, and the user's pointer and keys sent through XTEST.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <fstream>

#include "platform/gtk/form_window.h"
#include "platform/gtk/gtk_toolkit.h"
#include "world.h"

namespace quorvel::contract {
namespace {

using gtk::WidgetOf;

GtkWidget* Toplevel(Window& window) { return reinterpret_cast<GtkWidget*>(window.Handle()); }
Display* XDisplay() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

void SendKey(KeySym key, bool down) {
    XTestFakeKeyEvent(XDisplay(), XKeysymToKeycode(XDisplay(), key), down, CurrentTime);
    XFlush(XDisplay());
}

class GtkWorld final : public World {
public:
    GtkWorld() {
        static const bool initialised = gtk_init_check(nullptr, nullptr);
        if (!initialised) throw std::runtime_error("no X display");
        folder_ = std::filesystem::temp_directory_path() /
                  ("quorvel-contract-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
        std::filesystem::create_directories(folder_);
        toolkit_ = std::make_unique<gtk::GtkToolkit>();
        toolkit_->storeFolder = folder_ / "store";
    }
    ~GtkWorld() override {
        toolkit_.reset();
        Pass(10);
        std::filesystem::remove_all(folder_);
    }
    Toolkit& toolkit() override { return *toolkit_; }
    void Pass(int ms) override {
        const gint64 end = g_get_monotonic_time() + gint64{ms} * 1000;
        while (g_get_monotonic_time() < end) {
            while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
            g_usleep(1000);
        }
    }
    void Click(Window& window, Control& control) override {
        gtk_window_present(GTK_WINDOW(Toplevel(window)));
        Pass(30);
        GtkWidget* widget = WidgetOf(control);
        int x = 0, y = 0, ox = 0, oy = 0;
        gtk_widget_translate_coordinates(widget, Toplevel(window), 0, 0, &x, &y);
        gdk_window_get_origin(gtk_widget_get_window(Toplevel(window)), &ox, &oy);
        x += ox + gtk_widget_get_allocated_width(widget) / 2;
        y += oy + gtk_widget_get_allocated_height(widget) / 2;
        XTestFakeMotionEvent(XDisplay(), -1, x, y, CurrentTime);
        XFlush(XDisplay());
        Pass(30);
        XTestFakeButtonEvent(XDisplay(), 1, True, CurrentTime);
        XTestFakeButtonEvent(XDisplay(), 1, False, CurrentTime);
        XFlush(XDisplay());
        Pass(100);
    }
    void Tab(Window& window, bool backwards) override {
        gtk_window_present(GTK_WINDOW(Toplevel(window)));
        Pass(30);
        if (backwards) SendKey(XK_Shift_L, true);
        SendKey(XK_Tab, true);
        SendKey(XK_Tab, false);
        if (backwards) SendKey(XK_Shift_L, false);
        Pass(100);
    }
    void Focus(Window& window, Control& control) override {
        gtk_window_present(GTK_WINDOW(Toplevel(window)));
        gtk_widget_grab_focus(WidgetOf(control));
        Pass(20);
    }
    bool HasFocus(Window&, Control& control) override { return gtk_widget_is_focus(WidgetOf(control)); }
    // What the window manager sends for Alt+F4 or the taskbar's close.
    void RequestClose(Window& window) override { gtk_window_close(GTK_WINDOW(Toplevel(window))); }
    bool Active(Window& window) override { return gtk_window_is_active(GTK_WINDOW(Toplevel(window))); }
    void MessageBoxFor(int ms) override {
        g_timeout_add(
            static_cast<guint>(ms),
            +[](gpointer data) -> gboolean {
                if (GtkWidget* box = static_cast<gtk::GtkToolkit*>(data)->messageBox())
                    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
                return G_SOURCE_REMOVE;
            },
            toolkit_.get());
        toolkit_->MsgBox(u"契约", MsgBoxStyle::Critical, u"契约");
    }
    // A plain file where the store's folder would be: nothing can be read or
    // written there.
    void BreakStore() override {
        std::ofstream(folder_ / "blocked") << "not a folder";
        toolkit_->storeFolder = folder_ / "blocked" / "store";
    }

private:
    static inline int count_ = 0;
    std::filesystem::path folder_;
    std::unique_ptr<gtk::GtkToolkit> toolkit_;
};

}  // namespace

std::unique_ptr<World> MakeWorld() { return std::make_unique<GtkWorld>(); }

}  // namespace quorvel::contract
