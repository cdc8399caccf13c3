#include "platform/win32/ole.h"

#include <windows.h>

#include <ole2.h>

#include "platform/win32/guard.h"

namespace quorvel::win32 {

namespace {
bool g_initialised = false;
}  // namespace

void UseOle() {
    if (g_initialised) return;
    if (FAILED(OleInitialize(nullptr))) {
        ReportFailure("OleInitialize");
        return;
    }
    g_initialised = true;
}

void EndOle() {
    if (!g_initialised) return;
    OleUninitialize();
    g_initialised = false;
}

}  // namespace quorvel::win32
