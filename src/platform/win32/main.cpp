// The program's one entry: create the setup window and show it.
#include <windows.h>

#include <ole2.h>

#include "app/program.h"
#include "platform/win32/win32_toolkit.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // OLE for the drop target of the picture field (and COM for WIC).
    OleInitialize(nullptr);

    quorvel::win32::Win32Toolkit toolkit(instance);
    quorvel::Program program(toolkit);
    program.Start();
    const int code = toolkit.Run();
    OleUninitialize();
    return code;
}
