#include "platform/win32/stand_in.h"

namespace quorvel::win32 {

std::unique_ptr<Control> MakeStandIn(layouts::ControlKind kind, PageMaker& maker) {
    switch (kind) {
        case layouts::ControlKind::TextBox: return std::make_unique<StandInTextBox>(maker);
        case layouts::ControlKind::Label: return std::make_unique<StandInLabel>(maker);
        case layouts::ControlKind::Image: return std::make_unique<StandInImage>(maker);
        case layouts::ControlKind::Panel: return std::make_unique<StandInPanel>(maker);
        case layouts::ControlKind::Button: return std::make_unique<StandInButton>(maker);
        case layouts::ControlKind::Timer: break;
    }
    return nullptr;
}

}  // namespace quorvel::win32
