// The program's one entry on an X11 desktop: create the setup window and
// show it.
#include <gtk/gtk.h>
#include <malloc.h>

#include <exception>

#include "app/program.h"
#include "layouts/forms.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/gtk/guard.h"
#include "platform/gtk/pictures.h"

int main(int argc, char** argv) {
    quorvel::gtk::LeaveOutGl();
    // Every large buffer (a decoded photo, a window's frame) goes back to the
    // system when it is freed: by default the C library raises this bound
    // after the first such buffer and keeps the next ones for itself.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    quorvel::gtk::DecodeArtAhead();
    gtk_init(&argc, &argv);
    int code = 1;
    try {
        quorvel::gtk::GtkToolkit toolkit;
        quorvel::Program program(toolkit);
        // Locking then only shows the lock window: the time from the click to
        // a covered screen is what a user walking away depends on.
        toolkit.MakeAhead(quorvel::layouts::kForm2);
        program.Start();
        code = toolkit.Run();
    } catch (const std::exception& e) {
        // Only the start can get here (every event is guarded): no window to
        // keep, nothing locked.
        quorvel::gtk::ReportFault("the start", e.what());
    }
    return code;
}
