// The reference of the native benchmarks: the least a window like the setup
// window can be with GTK 3 on X11. A frameless 380 x 290 window, centred,
// that paints one embedded 380 x 290 picture and holds one GtkEntry. Idle, it
// does nothing: no timers, no grabs.
//
// "quorvel-reference --timer N" adds one timer of N milliseconds whose ticks
// do nothing: the floor of what a periodic tick costs.
// "quorvel-reference --curtain" makes, after its first paint, a hidden
// unmanaged curtain of the lock window's green over every monitor, and shows
// it when a click on the window is released: the least time a lock can take
// to cover every monitor.
#include <gtk/gtk.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" GResource* reference_art_get_resource(void);

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 290;

GdkPixbuf* g_picture = nullptr;
std::vector<GtkWidget*> g_curtains;
bool g_wantCurtain = false;

gboolean Draw(GtkWidget*, cairo_t* cr, gpointer) {
    if (g_picture) {
        gdk_cairo_set_source_pixbuf(cr, g_picture, 0, 0);
        cairo_paint(cr);
    }
    return FALSE;
}

gboolean PaintGreen(GtkWidget*, cairo_t* cr, gpointer) {
    cairo_set_source_rgb(cr, 0x6D / 255.0, 0xBD / 255.0, 0x00);
    cairo_paint(cr);
    return TRUE;
}

gboolean MakeCurtains(gpointer) {
    GdkDisplay* display = gdk_display_get_default();
    for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
        GdkRectangle r{};
        gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &r);
        GtkWidget* curtain = gtk_window_new(GTK_WINDOW_POPUP);
        gtk_widget_set_app_paintable(curtain, TRUE);
        gtk_window_move(GTK_WINDOW(curtain), r.x, r.y);
        gtk_widget_set_size_request(curtain, r.width, r.height);
        g_signal_connect(curtain, "draw", G_CALLBACK(PaintGreen), nullptr);
        gtk_widget_realize(curtain);
        g_curtains.push_back(curtain);
    }
    return G_SOURCE_REMOVE;
}

gboolean FirstPaint(GtkWidget* window, cairo_t*, gpointer) {
    g_signal_handlers_disconnect_by_func(window, reinterpret_cast<gpointer>(&FirstPaint), nullptr);
    if (g_wantCurtain) g_idle_add(&MakeCurtains, nullptr);
    return FALSE;
}

gboolean Released(GtkWidget*, GdkEventButton*, gpointer) {
    for (GtkWidget* curtain : g_curtains) gtk_widget_show(curtain);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--curtain") == 0) g_wantCurtain = true;
        if (std::strcmp(argv[i], "--timer") == 0 && i + 1 < argc) {
            const int ms = std::atoi(argv[++i]);
            g_timeout_add(
                static_cast<guint>(ms > 0 ? ms : 1), [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
        }
    }
    if (GBytes* bytes = g_resource_lookup_data(reference_art_get_resource(), "/reference/background.png",
                                               G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr)) {
        GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
        g_picture = gdk_pixbuf_new_from_stream(stream, nullptr, nullptr);
        g_object_unref(stream);
        g_bytes_unref(bytes);
    }
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Quorvel reference");
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), kWidth, kHeight);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    gtk_widget_add_events(window, GDK_BUTTON_RELEASE_MASK);
    GtkWidget* fixed = gtk_fixed_new();
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
    gtk_widget_set_size_request(entry, 137, 25);
    gtk_fixed_put(GTK_FIXED(fixed), entry, 216, 128);
    gtk_container_add(GTK_CONTAINER(window), fixed);
    g_signal_connect(fixed, "draw", G_CALLBACK(Draw), nullptr);
    g_signal_connect_after(window, "draw", G_CALLBACK(FirstPaint), nullptr);
    g_signal_connect(window, "button-release-event", G_CALLBACK(Released), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
