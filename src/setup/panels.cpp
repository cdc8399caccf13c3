// The setup window's pages and its own close and minimise buttons.
#include "app/form1.h"

namespace quorvel {

void Form1::iButton1_Click() { window_->Unload(); }

void Form1::iButton2_Click() { window_->Minimize(); }

}  // namespace quorvel
