// The lock window: a frameless, maximised green curtain with a stretching
// image and one violet "解锁" bar.
#include "layouts/forms.h"

namespace quorvel::layouts {
namespace {

using K = ControlKind;

constexpr ControlSpec kControls[] = {
    {.name = "iButton1",
     .kind = K::Button,
     .left = 4200,
     .top = 2640,
     .width = 3195,
     .height = 540,
     .tabIndex = 0,
     .toolTip = u"解锁",
     .bag = "violet_bar|解              锁"},
    {.name = "Image1", .kind = K::Image, .left = -2400, .top = -1440, .width = 5460, .height = 2775, .stretch = true},
    {.name = "Timer1", .kind = K::Timer, .interval = 5},
};

}  // namespace

const FormSpec kForm2{
    .name = "Form2",
    .caption = u"锁屏",
    .clientWidth = 10950,
    .clientHeight = 5625,
    .maximized = true,
    .showInTaskbar = true,
    .centred = true,
    .picture = "",
    .backColor = Rgb(0x6D, 0xBD, 0x00),
    .font = &kSongTi9,
    .controls = kControls,
};

}  // namespace quorvel::layouts
