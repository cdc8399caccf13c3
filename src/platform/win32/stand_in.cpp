#include "platform/win32/stand_in.h"

namespace quorvel::win32 {

std::unique_ptr<Control> MakeStandIn(const layouts::ControlSpec& row, ControlMaker& maker) {
    switch (row.kind) {
        case layouts::ControlKind::TextBox: return std::make_unique<StandInTextBox>(row, maker);
        case layouts::ControlKind::Label: return std::make_unique<StandInLabel>(row, maker);
        case layouts::ControlKind::Image: return std::make_unique<StandInImage>(row, maker);
        case layouts::ControlKind::Panel: return std::make_unique<StandInPanel>(row, maker);
        case layouts::ControlKind::Button: return std::make_unique<StandInButton>(row, maker);
        case layouts::ControlKind::Timer: break;
    }
    return nullptr;
}

}  // namespace quorvel::win32
