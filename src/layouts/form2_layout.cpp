// The lock window: a frameless, maximised green curtain with a stretching
// image and one violet "解锁" bar.
#include "layouts/forms.h"

namespace quorvel::layouts {
namespace {

using K = ControlKind;

// The stored property bag of the "解锁" bar (see widgets/ibutton/property_bag.h).
// Transparent: its rounded corners are the mask colour, so a background
// picture shows there rather than the window's green.
constexpr std::string_view kBagUnlock =
    "_extentx=5636\n_extenty=953\nbackpicture=@violet_bar\ncaption=解              锁\ncfont=宋体,9,400,0,0,0,134\n"
    "cdrawmode=13\ncforecolor=0x80000012\ncbackstyle=0\n";

constexpr ControlSpec kControls[] = {
    {.name = "iButton1",
     .kind = K::Button,
     .left = 4200,
     .top = 2640,
     .width = 3195,
     .height = 540,
     .tabIndex = 0,
     .toolTip = u"解锁",
     .bag = kBagUnlock},
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
    .coversEveryMonitor = true,
    .showInTaskbar = true,
    .centred = true,
    .picture = "",
    .backColor = Rgb(0x6D, 0xBD, 0x00),
    .font = &kSongTi9,
    .controls = kControls,
};

}  // namespace quorvel::layouts
