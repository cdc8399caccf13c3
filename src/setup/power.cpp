// The power page: each big button hands its request to the system, without
// asking and without waiting. It stays reachable while the screen is locked.
#include "app/form1.h"

namespace quorvel {

void Form1::iButton6_Click() { toolkit_.RequestPower(PowerRequest::Shutdown); }

void Form1::iButton7_Click() { toolkit_.RequestPower(PowerRequest::Restart); }

void Form1::iButton8_Click() { toolkit_.RequestPower(PowerRequest::LogOff); }

}  // namespace quorvel
