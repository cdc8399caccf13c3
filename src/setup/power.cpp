// The power page: each big button hands a request to the system's shutdown
// command, without asking and without waiting. It stays reachable while the
// screen is locked.
#include "app/form1.h"

namespace quorvel {

void Form1::iButton6_Click() { toolkit_.RunCommand(u"Cmd.exe /c shutdown -s -f ", ShowStyle::MinimizedFocus); }

void Form1::iButton7_Click() { toolkit_.RunCommand(u"Cmd.exe /c shutdown -r -f ", ShowStyle::MinimizedFocus); }

// A log-off lets the running applications ask to save their work.
void Form1::iButton8_Click() { toolkit_.RunCommand(u"Cmd.exe /c shutdown -l ", ShowStyle::MinimizedFocus); }

}  // namespace quorvel
