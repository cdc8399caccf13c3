// The designed contents of a window as data: every control with its
// container, place in twips, text, font, colours, tab place, tool tip and
// initial state. The backends build native windows from these tables; the
// forms address the controls by name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/colour.h"
#include "base/twips.h"

namespace quorvel::layouts {

enum class ControlKind { Panel, TextBox, Label, Image, Button, Timer };

struct FontSpec {
    std::u16string_view face{};
    float points = 9.0f;
    int weight = 400;
    uint8_t charset = 134;  // GB2312
};

inline constexpr FontSpec kYaHei9{u"微软雅黑", 9.0f, 400, 134};
inline constexpr FontSpec kSongTi9{u"宋体", 9.0f, 400, 134};

struct ControlSpec {
    std::string_view name{};  // "Text1", "Label12", "iButton10"
    int index = -1;           // place in a control array (Label12), else -1
    ControlKind kind = ControlKind::Label;
    std::string_view container{};  // "" for the window itself, else a panel's name
    Twips left = 0, top = 0, width = 0, height = 0;
    std::u16string_view text{};      // text box text or label caption
    const FontSpec* font = nullptr;  // nullptr: the window's font
    Colour foreColor = kDefaultColour;
    Colour backColor = kDefaultColour;
    int tabIndex = -1;  // -1: takes no focus
    std::u16string_view toolTip{};
    char16_t passwordChar = 0;
    int maxLength = 0;  // 0: no limit
    bool imeOff = false;
    bool dropTarget = false;  // accepts dropped data (handled by code)
    bool handCursor = false;
    bool visible = true;
    bool enabled = true;
    std::string_view picture{};  // art resource shown by a panel or image
    bool stretch = false;        // image: scale the picture to the box
    int interval = 0;            // timer, milliseconds
    std::string_view bag{};      // button: its stored property bag (text form)
};

struct FormSpec {
    std::string_view name{};  // "Form1"
    std::u16string_view caption{};
    Twips clientWidth = 0, clientHeight = 0;  // restored client size
    bool maximized = false;                   // covers the whole screen, taskbar included
    // Every other monitor gets a curtain of its own that follows the window:
    // its colour, opacity and stretched picture, no controls.
    bool coversEveryMonitor = false;
    bool showInTaskbar = true;
    bool centred = true;
    std::string_view picture{};  // background art, drawn unscaled at the top-left
    Colour backColor = kSysWindowBackground;
    const FontSpec* font = &kSongTi9;
    std::span<const ControlSpec> controls{};  // stacking order: topmost first within each group
};

}  // namespace quorvel::layouts
