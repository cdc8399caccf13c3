#include "platform/gtk/gtk_toolkit.h"

#include <X11/Xlib.h>
#include <cairo-xlib.h>
#include <gdk/gdkkeysyms.h>
#include <gdk/gdkx.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <utility>

#include "base/text.h"
#include "platform/gtk/form_window.h"
#include "platform/gtk/guard.h"
#include "platform/gtk/pictures.h"

namespace quorvel::gtk {

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }
std::u16string U16(const char* text) { return text ? Utf8ToUtf16(text) : std::u16string(); }

Rgba ToRgba(Colour colour, Colour fallback) {
    if (colour == kDefaultColour) colour = fallback;
    if (IsSystemColour(colour)) {
        // The desktop's classic system colours that the layouts name.
        switch (SystemColourIndex(colour)) {
            case 5: colour = Rgb(0xFF, 0xFF, 0xFF); break;   // window background
            case 15: colour = Rgb(0xF0, 0xF0, 0xF0); break;  // button face
            default: colour = Rgb(0, 0, 0); break;           // window and button text
        }
    }
    return {(colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0};
}

namespace {
constexpr char kGdkGl[] = "GDK_GL";
// Whether this process set GDK_GL itself.
bool g_glLeftOut = false;
}  // namespace

void LeaveOutGl() {
    if (g_getenv(kGdkGl)) return;
    g_glLeftOut = g_setenv(kGdkGl, "disable", FALSE) != FALSE;
}

std::filesystem::path DefaultStoreFolder() { return std::filesystem::path(g_get_user_config_dir()) / "quorvel"; }

namespace {

// Counts the turns of the main loop (nested ones too): every turn prepares
// every source once before it waits.
guint64 g_loopTurn = 0;

GSourceFuncs kTurnCounter{+[](GSource*, gint* timeout) -> gboolean {
                              ++g_loopTurn;
                              *timeout = -1;
                              return FALSE;
                          },
                          +[](GSource*) -> gboolean { return FALSE; },
                          +[](GSource*, GSourceFunc, gpointer) -> gboolean { return G_SOURCE_CONTINUE; },
                          nullptr,
                          nullptr,
                          nullptr};

}  // namespace

GtkToolkit::GtkToolkit() : storeFolder(DefaultStoreFolder()) {
    turnCounter_ = g_source_new(&kTurnCounter, sizeof(GSource));
    g_source_attach(turnCounter_, nullptr);
    // The screen's resolution as GTK lays text out with it: 1440 twips to the
    // inch.
    GdkScreen* screen = gdk_screen_get_default();
    const double dpi = screen ? gdk_screen_get_resolution(screen) : -1;
    if (dpi > 0) twipsPerPixel_ = static_cast<float>(1440.0 / dpi);
    // The program's icon, built in like the rest of its art.
    if (GdkPixbuf* icon = gdk_pixbuf_new_from_resource("/quorvel/art/icon_48.png", nullptr)) {
        gtk_window_set_default_icon(icon);
        g_object_unref(icon);
    }
}

GtkToolkit::~GtkToolkit() {
    if (cover_.window) XDestroyWindow(cover_.display, cover_.window);
    g_source_destroy(turnCounter_);
    g_source_unref(turnCounter_);
    if (screenBeneath_) cairo_surface_destroy(screenBeneath_);
    if (beneath_.pixmap) XFreePixmap(beneath_.display, beneath_.pixmap);
}

ScreenPoint GtkToolkit::PointerPosition() {
    if (!pointer_ || pointerTurn_ != g_loopTurn) {
        GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
        int x = 0, y = 0;
        gdk_device_get_position(pointer, nullptr, &x, &y);
        pointer_ = ScreenPoint{x, y};
        pointerTurn_ = g_loopTurn;
    }
    return *pointer_;
}

void GtkToolkit::MakeCoverAhead() {
    GdkScreen* screen = gdk_screen_get_default();
    if (cover_.window || !coverColour_ || !GDK_IS_X11_SCREEN(screen)) return;
    Display* x = GDK_SCREEN_XDISPLAY(screen);
    const int number = GDK_SCREEN_XNUMBER(screen);
    const Visual* visual = DefaultVisual(x, number);
    if (visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) return;
    const Rgba c = ToRgba(*coverColour_, kSysWindowBackground);
    const auto byte = [](double v) { return static_cast<unsigned long>(v * 255 + 0.5); };
    // Its colour is the X server's own background of the window: the screen
    // is covered by the map itself, with nothing to paint.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    cover_ = {x,
              XCreateWindow(x, RootWindow(x, number), 0, 0, static_cast<unsigned>(DisplayWidth(x, number)),
                            static_cast<unsigned>(DisplayHeight(x, number)), 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes),
              false};
}

void GtkToolkit::ShowCover() {
    if (!cover_.window) return;
    Display* x = cover_.display;
    const int number = DefaultScreen(x);
    XMoveResizeWindow(x, cover_.window, 0, 0, static_cast<unsigned>(DisplayWidth(x, number)),
                      static_cast<unsigned>(DisplayHeight(x, number)));
    XMapRaised(x, cover_.window);
    cover_.shown = true;
    // Should the lock window not come in this event after all, the program's
    // own windows are not left behind a cover.
    g_idle_add_full(
        G_PRIORITY_HIGH,
        +[](gpointer self) -> gboolean {
            static_cast<GtkToolkit*>(self)->HideCover();
            return G_SOURCE_REMOVE;
        },
        this, nullptr);
}

void GtkToolkit::HideCover() {
    if (!cover_.shown) return;
    XUnmapWindow(cover_.display, cover_.window);
    XFlush(cover_.display);
    cover_.shown = false;
}

Display* GtkToolkit::ScreenPixmap() {
    GdkScreen* screen = gdk_screen_get_default();
    if (!GDK_IS_X11_SCREEN(screen) || gdk_screen_is_composited(screen)) return nullptr;
    Display* x = GDK_SCREEN_XDISPLAY(screen);
    const int number = GDK_SCREEN_XNUMBER(screen);
    const int width = DisplayWidth(x, number), height = DisplayHeight(x, number);
    if (beneath_.pixmap && (beneath_.width != width || beneath_.height != height)) {
        XFreePixmap(x, beneath_.pixmap);
        beneath_ = {};
    }
    if (!beneath_.pixmap)
        beneath_ = {x,
                    XCreatePixmap(x, RootWindow(x, number), static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  static_cast<unsigned>(DefaultDepth(x, number))),
                    width, height};
    return x;
}

void GtkToolkit::MakeScreenCopyAhead() {
    if (beneath_.pixmap) return;
    Display* x = ScreenPixmap();
    if (!x) return;
    // Written once now: the X server takes the memory of a screen-sized
    // pixmap at its first drawing, which would otherwise fall in the lock.
    GC gc = XCreateGC(x, beneath_.pixmap, 0, nullptr);
    XFillRectangle(x, beneath_.pixmap, gc, 0, 0, static_cast<unsigned>(beneath_.width),
                   static_cast<unsigned>(beneath_.height));
    XFreeGC(x, gc);
}

void GtkToolkit::KeepScreenBeneath() {
    if (screenBeneath_) return;
    // Copied within the X server: nothing travels, and it takes no time
    // from the lock.
    Display* x = ScreenPixmap();
    if (!x) return;
    const int number = DefaultScreen(x);
    XGCValues values{};
    values.subwindow_mode = IncludeInferiors;
    GC gc = XCreateGC(x, RootWindow(x, number), GCSubwindowMode, &values);
    XCopyArea(x, RootWindow(x, number), beneath_.pixmap, gc, 0, 0, static_cast<unsigned>(beneath_.width),
              static_cast<unsigned>(beneath_.height), 0, 0);
    XFreeGC(x, gc);
    screenBeneath_ =
        cairo_xlib_surface_create(x, beneath_.pixmap, DefaultVisual(x, number), beneath_.width, beneath_.height);
}

std::unique_ptr<Window> GtkToolkit::CreateForm(const layouts::FormSpec& form) {
    if (auto window = madeAhead_.Take(form)) return window;
    return std::make_unique<FormWindow>(*this, form);
}

void GtkToolkit::MakeAhead(const layouts::FormSpec& form) {
    madeAhead_.Plan(form);
    if (form.coversEveryMonitor) coverColour_ = form.backColor;
}

void GtkToolkit::FirstPaintDone() {
    MakeScreenCopyAhead();
    MakeCoverAhead();
    madeAhead_.MakePlanned(
        [this](const layouts::FormSpec& form) { return std::make_unique<FormWindow>(*this, form, true); },
        [](const char* where, const char* what) { ReportFault(where, what); });
}

void GtkToolkit::FormCreated(FormWindow* form) { forms_.push_back(form); }

void GtkToolkit::FormDestroyed(FormWindow* form) {
    std::erase(forms_, form);
    if (activeForm == form) activeForm = nullptr;
    // The program ends with its last window.
    if (running_ && forms_.empty()) gtk_main_quit();
}

int GtkToolkit::Run() {
    if (forms_.empty()) return 0;
    running_ = true;
    gtk_main();
    running_ = false;
    return 0;
}

void GtkToolkit::MsgBox(std::u16string_view prompt, MsgBoxStyle style, std::u16string_view title) {
    GtkWindow* owner = activeForm && activeForm->Visible() ? GTK_WINDOW(activeForm->window()) : nullptr;
    GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL,
                                            style == MsgBoxStyle::Critical ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER,
                                            GTK_BUTTONS_NONE, "%s", U8(prompt).c_str());
    gtk_dialog_add_button(GTK_DIALOG(box), "确定", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(box), U8(title).c_str());
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    gtk_window_set_position(GTK_WINDOW(box), owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    GtkWidget* outer = messageBox_;
    messageBox_ = box;
    if (locked_) {
        // Above the lock, out of the window manager's reach like the lock's
        // own windows, and with the keyboard. No manager draws its title
        // bar: the box draws its own.
        GtkWidget* bar = gtk_header_bar_new();
        gtk_header_bar_set_title(GTK_HEADER_BAR(bar), U8(title).c_str());
        gtk_widget_show(bar);
        gtk_window_set_titlebar(GTK_WINDOW(box), bar);
        gtk_widget_realize(box);
        gdk_window_set_override_redirect(gtk_widget_get_window(box), TRUE);
        g_signal_connect(box, "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, GtkToolkit* self) -> gboolean {
                             self->Restack();
                             return FALSE;
                         }),
                         this);
    }
    gtk_dialog_run(GTK_DIALOG(box));  // a nested loop: timers keep ticking
    messageBox_ = outer;
    gtk_widget_destroy(box);
    if (locked_) Restack();
}

namespace {

std::filesystem::path StoreFile(const std::filesystem::path& folder, std::u16string_view application) {
    // A name of the program's own: never a path of its own.
    std::string name = U8(application);
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.empty() || name == "." || name == "..") name = "_" + name;
    return folder / (name + ".ini");
}

}  // namespace

void GtkToolkit::StoreSave(std::u16string_view application,
                           std::u16string_view section,
                           std::u16string_view key,
                           std::u16string_view text) {
    const std::filesystem::path file = StoreFile(storeFolder, application);
    GKeyFile* keys = g_key_file_new();
    // What the file already holds is kept; a file that does not read as a
    // key file is replaced.
    g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
    g_key_file_set_string(keys, U8(section).c_str(), U8(key).c_str(), U8(text).c_str());
    std::error_code unused;
    std::filesystem::create_directories(storeFolder, unused);
    // Written beside and renamed over the file: a crash leaves the old or the
    // new file, never half of one.
    g_key_file_save_to_file(keys, file.c_str(), nullptr);
    g_key_file_free(keys);
}

std::u16string GtkToolkit::StoreLoad(std::u16string_view application,
                                     std::u16string_view section,
                                     std::u16string_view key,
                                     std::u16string_view fallback) {
    GKeyFile* keys = g_key_file_new();
    std::u16string value(fallback);
    if (g_key_file_load_from_file(keys, StoreFile(storeFolder, application).c_str(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* text = g_key_file_get_string(keys, U8(section).c_str(), U8(key).c_str(), nullptr)) {
            if (g_utf8_validate(text, -1, nullptr)) value = U16(text);
            g_free(text);
        }
    }
    g_key_file_free(keys);
    return value;
}

std::optional<Picture> GtkToolkit::LoadPicture(std::u16string_view path, PictureUse use) {
    if (path.empty()) return Picture{};
    return DecodePictureFile(U8(path), use);
}

std::optional<std::u16string> GtkToolkit::ProgramFile(std::u16string_view name) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    const std::filesystem::path beside = self.parent_path() / U8(name);
    const std::filesystem::path installed = self.parent_path().parent_path() / "share" / "quorvel-lock" / U8(name);
    return U16(
        (std::filesystem::exists(beside, error) || !std::filesystem::exists(installed, error) ? beside : installed)
            .c_str());
}

bool GtkToolkit::FileExists(std::u16string_view path) {
    struct stat info {};
    return !path.empty() && stat(U8(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool GtkToolkit::OpenTextFile(std::u16string_view path) {
    GFile* file = g_file_new_for_path(U8(path).c_str());
    gchar* uri = g_file_get_uri(file);
    GAppLaunchContext* context = G_APP_LAUNCH_CONTEXT(gdk_display_get_app_launch_context(gdk_display_get_default()));
    // The viewer gets the environment as the user left it.
    if (g_glLeftOut) g_app_launch_context_unsetenv(context, kGdkGl);
    const bool started = g_app_info_launch_default_for_uri(uri, context, nullptr);
    g_object_unref(context);
    g_free(uri);
    g_object_unref(file);
    return started;
}

namespace {

constexpr char kLogind[] = "org.freedesktop.login1";

// What the user is told when the system does not take a power request.
void TellPowerRefused(GtkToolkit& toolkit, PowerRequest request) {
    const std::u16string_view what = request == PowerRequest::Shutdown  ? u"关机"
                                     : request == PowerRequest::Restart ? u"重启"
                                                                        : u"注销";
    toolkit.MsgBox(
        u"亲,无法" + std::u16string(what) + u"：系统的登录管理服务（systemd-logind）不可用，或拒绝了这个请求。",
        MsgBoxStyle::Critical, u"温馨提示");
}

struct PowerCall {
    GtkToolkit* toolkit;
    PowerRequest request;
};

void PowerCallDone(GObject* bus, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PowerCall> call(static_cast<PowerCall*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
    if (reply) g_variant_unref(reply);
    if (!error) return;
    g_error_free(error);
    Guarded("a power request refused", [&] { TellPowerRefused(*call->toolkit, call->request); });
}

}  // namespace

bool GtkToolkit::RequestPower(PowerRequest request) {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr);
    if (!bus) {
        TellPowerRefused(*this, request);
        return false;
    }
    // The machine through the manager, without asking the user; the session
    // by its id (the desktop's XDG_SESSION_ID), else through the session
    // object of this process.
    std::string object = "/org/freedesktop/login1";
    const char* interface = "org.freedesktop.login1.Manager";
    const char* method = request == PowerRequest::Shutdown ? "PowerOff" : "Reboot";
    GVariant* parameters = nullptr;
    const char* session = g_getenv("XDG_SESSION_ID");
    if (request != PowerRequest::LogOff) {
        parameters = g_variant_new("(b)", FALSE);
    } else if (session && *session) {
        method = "TerminateSession";
        parameters = g_variant_new("(s)", session);
    } else {
        GVariant* found =
            g_dbus_connection_call_sync(bus, kLogind, object.c_str(), interface, "GetSessionByPID",
                                        g_variant_new("(u)", static_cast<guint32>(getpid())), G_VARIANT_TYPE("(o)"),
                                        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
        if (!found) {
            g_object_unref(bus);
            TellPowerRefused(*this, request);
            return false;
        }
        const gchar* path = nullptr;
        g_variant_get(found, "(&o)", &path);
        object = path;
        g_variant_unref(found);
        interface = "org.freedesktop.login1.Session";
        method = "Terminate";
    }
    g_dbus_connection_call(bus, kLogind, object.c_str(), interface, method, parameters, nullptr, G_DBUS_CALL_FLAGS_NONE,
                           -1, nullptr, &PowerCallDone, new PowerCall{this, request});
    g_object_unref(bus);
    return true;
}

void GtkToolkit::ClearClipboard() {
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "", 0);
}

NumberFormat GtkToolkit::UserNumberFormat() {
    NumberFormat format;
    // The user's numeric locale, as the desktop gives it to programs.
    const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "");
    if (const lconv* conv = std::localeconv();
        conv && conv->decimal_point && conv->decimal_point[0] && !(conv->decimal_point[0] & 0x80))
        format.decimal = static_cast<char16_t>(conv->decimal_point[0]);
    std::setlocale(LC_NUMERIC, numeric ? numeric : "C");
    return format;
}

namespace {

Display* XDisplayOf(GdkWindow* window) { return GDK_WINDOW_XDISPLAY(window); }

// Any other window mapped or moved in the stacking order while the band is
// up: the band goes back on top at once.
GdkFilterReturn RootEvent(GdkXEvent* native, GdkEvent*, gpointer data) {
    auto* self = static_cast<GtkToolkit*>(data);
    const XEvent* event = static_cast<const XEvent*>(native);
    ::Window window = 0;
    switch (event->type) {
        case MapNotify: window = event->xmap.window; break;
        case ConfigureNotify: window = event->xconfigure.window; break;
        case CirculateNotify: window = event->xcirculate.window; break;
        default: return GDK_FILTER_CONTINUE;
    }
    if (self->locked() && !self->OwnsXWindow(window)) Guarded("restacking the lock", [&] { self->Restack(); });
    return GDK_FILTER_CONTINUE;
}

}  // namespace

bool GtkToolkit::BeginLock() {
    GdkDisplay* display = gdk_display_get_default();
    const char* wayland = g_getenv("WAYLAND_DISPLAY");
    if (!GDK_IS_X11_DISPLAY(display) || (wayland && *wayland)) {
        // Under Wayland an X11 program can neither hold the keyboard nor
        // keep its windows on top: a curtain there would lock nothing.
        MsgBox(u"亲,Wayland 桌面会话下无法锁屏：请注销后选择 X11（Xorg）会话再锁屏。", MsgBoxStyle::Critical,
               u"温馨提示");
        return false;
    }
    if (locked_) return true;
    // The whole keyboard and pointer: the program's own windows still get
    // their events, nothing else gets any. Another program's grab (an open
    // menu) may end in a moment.
    GdkWindow* front = FrontWindow();
    bool held = false;
    for (int tries = 0; front && tries < grabTries && !held; ++tries) {
        held = Grab(front);
        if (held) break;
        const gint64 end = g_get_monotonic_time() + 50'000;
        while (g_get_monotonic_time() < end) {
            while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
            g_usleep(5'000);
        }
    }
    if (!held) {
        MsgBox(u"亲,另一个程序正占用着键盘或鼠标（比如一个打开的菜单），现在无法锁屏。请关闭它后再试。",
               MsgBoxStyle::Critical, u"温馨提示");
        return false;
    }
    locked_ = true;
    // Mapped again as unmanaged windows where a window manager runs, which
    // takes the grab with them: it is taken again at once.
    for (FormWindow* form : forms_) form->MakeUnmanaged();
    GdkWindow* root = gdk_get_default_root_window();
    gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_SUBSTRUCTURE_MASK));
    gdk_window_add_filter(root, &RootEvent, this);
    // From now on the screen is held: it is covered at once in the lock
    // window's colour, beneath the program's windows, until the lock window
    // shows over it later in this same event. The screen is copied first.
    KeepScreenBeneath();
    ShowCover();
    Restack();
    gdk_display_flush(display);
    return true;
}

GdkWindow* GtkToolkit::GrabTarget(const FormWindow* leaving) const {
    // The front window: the keys of a grab go to its window, whatever has
    // the X focus.
    GdkWindow* front = FrontWindow();
    if (leaving && front == gtk_widget_get_window(leaving->window())) {
        for (FormWindow* form : forms_)
            if (form != leaving && form->Visible()) return gtk_widget_get_window(form->window());
        return nullptr;
    }
    return front;
}

void GtkToolkit::MoveGrabFrom(const FormWindow* leaving) {
    if (!locked_) return;
    if (GdkWindow* target = GrabTarget(leaving); target && target != grabbedOn_) Grab(target);
}

bool GtkToolkit::Grab(GdkWindow* window) {
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
    if (gdk_seat_grab(seat, window, GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr, nullptr, nullptr, nullptr) !=
        GDK_GRAB_SUCCESS)
        return false;
    grabbedOn_ = window;
    return true;
}

void GtkToolkit::KeepGrab() {
    if (!locked_) return;
    GdkWindow* target = GrabTarget(nullptr);
    if (!target) return;
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = gdk_display_get_default_seat(display);
    // Asked of GDK's own record: no request to the X server on a tick.
    if (target != grabbedOn_ || !gdk_display_device_is_grabbed(display, gdk_seat_get_keyboard(seat)) ||
        !gdk_display_device_is_grabbed(display, gdk_seat_get_pointer(seat)))
        Grab(target);
}

GdkWindow* GtkToolkit::FrontWindow() const {
    if (messageBox_ && gtk_widget_get_mapped(messageBox_)) return gtk_widget_get_window(messageBox_);
    for (FormWindow* form : forms_)
        if (form->Visible() && form->topmost()) return gtk_widget_get_window(form->window());
    if (activeForm && activeForm->Visible()) return gtk_widget_get_window(activeForm->window());
    for (FormWindow* form : forms_)
        if (form->Visible()) return gtk_widget_get_window(form->window());
    return nullptr;
}

bool GtkToolkit::OwnsXWindow(unsigned long xid) const {
    const auto is = [xid](GtkWidget* widget) {
        GdkWindow* window = widget ? gtk_widget_get_window(widget) : nullptr;
        return window && GDK_IS_X11_WINDOW(window) && gdk_x11_window_get_xid(window) == xid;
    };
    if (is(messageBox_) || (cover_.window && xid == cover_.window)) return true;
    for (FormWindow* form : forms_) {
        if (is(form->window())) return true;
        for (GtkWidget* curtain : form->Curtains())
            if (is(curtain)) return true;
    }
    return false;
}

void GtkToolkit::Restack() {
    if (!locked_ || inRestack_) return;
    inRestack_ = true;
    std::vector<::Window> order;
    const auto add = [&order](GtkWidget* widget) {
        GdkWindow* window = widget ? gtk_widget_get_window(widget) : nullptr;
        if (window && gtk_widget_get_mapped(widget)) order.push_back(gdk_x11_window_get_xid(window));
    };
    if (messageBox_) add(messageBox_);
    // The windows on top, each with its curtains; then the curtains kept
    // right below them.
    for (FormWindow* form : forms_) {
        if (!form->Visible() || !form->topmost()) continue;
        add(form->window());
        for (GtkWidget* curtain : form->Curtains()) add(curtain);
    }
    for (FormWindow* form : forms_) {
        if (!form->Visible() || form->topmost() || !form->below() || !form->below()->Visible()) continue;
        add(form->window());
        for (GtkWidget* curtain : form->Curtains()) add(curtain);
    }
    if (cover_.shown) order.push_back(cover_.window);
    if (!order.empty()) {
        Display* x = XDisplayOf(gdk_get_default_root_window());
        // A window may be going at this moment: what fails is left.
        GdkDisplay* display = gdk_display_get_default();
        gdk_x11_display_error_trap_push(display);
        // Each raised on its own, the bottom one first: a window that is not
        // (or no longer) a child of the root window fails alone, where one
        // request for the whole order would fail for all of them.
        for (auto it = order.rbegin(); it != order.rend(); ++it) XRaiseWindow(x, *it);
        // The keyboard goes to the front window of the program.
        if (GdkWindow* front = FrontWindow())
            XSetInputFocus(x, gdk_x11_window_get_xid(front), RevertToParent, CurrentTime);
        gdk_x11_display_error_trap_pop_ignored(display);
    }
    KeepGrab();
    inRestack_ = false;
}

HookHandle GtkToolkit::InstallKeyboardFilter(KeyFilterFn filter) {
    keyFilter_ = filter;
    return nextHook_++;
}

bool GtkToolkit::RemoveKeyboardFilter(HookHandle handle) {
    if (handle == 0 || !keyFilter_) return false;
    keyFilter_ = nullptr;
    discardedHeld_.clear();
    return true;
}

void GtkToolkit::Discarded(guint keyval, bool down) {
    std::erase(discardedHeld_, keyval);
    if (down) discardedHeld_.push_back(keyval);
}

guint GtkToolkit::DiscardedModifiers() const {
    guint mask = 0;
    for (guint key : discardedHeld_) {
        switch (key) {
            case GDK_KEY_Shift_L:
            case GDK_KEY_Shift_R: mask |= GDK_SHIFT_MASK; break;
            case GDK_KEY_Control_L:
            case GDK_KEY_Control_R: mask |= GDK_CONTROL_MASK; break;
            case GDK_KEY_Alt_L:
            case GDK_KEY_Alt_R: mask |= GDK_MOD1_MASK; break;
            default: break;
        }
    }
    return mask;
}

void GtkToolkit::EndProcess() { _exit(0); }

uint32_t VirtualKeyOf(guint keyval) {
    switch (keyval) {
        // Left and right apart, as the system-wide hook of Windows sees them.
        case GDK_KEY_Shift_L: return 160;
        case GDK_KEY_Shift_R: return 161;
        case GDK_KEY_Control_L: return 162;
        case GDK_KEY_Control_R: return 163;
        case GDK_KEY_Alt_L:
        case GDK_KEY_Meta_L: return 164;
        case GDK_KEY_Alt_R:
        case GDK_KEY_Meta_R:
        case GDK_KEY_ISO_Level3_Shift: return 165;
        case GDK_KEY_Super_L: return 91;
        case GDK_KEY_Super_R: return 92;
        case GDK_KEY_Menu: return 93;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab: return 9;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return 13;
        case GDK_KEY_Escape: return 27;
        case GDK_KEY_space: return 32;
        case GDK_KEY_BackSpace: return 8;
        case GDK_KEY_Delete: return 46;
        case GDK_KEY_Left: return 37;
        case GDK_KEY_Up: return 38;
        case GDK_KEY_Right: return 39;
        case GDK_KEY_Down: return 40;
        case GDK_KEY_Home: return 36;
        case GDK_KEY_End: return 35;
        default: break;
    }
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return 112 + (keyval - GDK_KEY_F1);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return keyval;
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return keyval - GDK_KEY_a + 'A';
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return keyval;
    return 0;
}

}  // namespace quorvel::gtk
