// The program's one entry: create the setup window and show it.
#include <windows.h>

#include <exception>

#include "app/program.h"
#include "layouts/forms.h"
#include "platform/win32/guard.h"
#include "platform/win32/ole.h"
#include "platform/win32/win32_toolkit.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int code = 1;
    try {
        quorvel::win32::Win32Toolkit toolkit(instance);
        quorvel::Program program(toolkit);
        // Locking then only shows the lock window: the time from the click to a
        // covered screen is what a user walking away depends on.
        toolkit.MakeAhead(quorvel::layouts::kForm2);
        program.Start();
        code = toolkit.Run();
        // Leaving the scope destroys the windows, which revoke their drop
        // targets, while OLE is still there.
    } catch (const std::exception& e) {
        // Only the start can get here (every event is guarded): no window to
        // keep, nothing locked.
        quorvel::win32::ReportFault("the start", e.what());
    }
    quorvel::win32::EndOle();
    return code;
}
