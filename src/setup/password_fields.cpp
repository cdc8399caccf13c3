// The password fields of the start state: every change compares the two
// entries for the lock button and shows a mismatch in red; a right-button
// press empties the clipboard so the field's context menu has nothing to
// paste.
#include "app/form1.h"

namespace quorvel {
namespace {

constexpr Colour kMismatchRed = Rgb(0xFF, 0x00, 0x00);
constexpr Colour kFieldGrey = Rgb(0x80, 0x80, 0x80);

}  // namespace

void Form1::ComparePasswords() {
    if (Text1.Text() != Text2.Text()) {
        MatchFlag = u"0";
        Text2.SetForeColor(kMismatchRed);
    } else {
        MatchFlag = u"1";
        Text2.SetForeColor(kFieldGrey);
    }
}

void Form1::Text1_Change() { ComparePasswords(); }

void Form1::Text2_Change() { ComparePasswords(); }

void Form1::Text1_MouseDown(MouseButton button) {
    if (button == MouseButton::Right) toolkit_.ClearClipboard();
}

void Form1::Text2_MouseDown(MouseButton button) {
    if (button == MouseButton::Right) toolkit_.ClearClipboard();
}

}  // namespace quorvel
