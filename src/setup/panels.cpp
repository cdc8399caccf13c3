// The setup window's pages: the open and close buttons, the timers that slide
// the power, about and settings pages and the logo frame, the stack of four
// footer buttons of which the front one matches the page, and the window's
// own close and minimise buttons.
#include "app/form1.h"
#include "app/settings.h"

namespace quorvel {
namespace {

// Pages slide in to Left 0 and out until Left reaches 5800, which with the
// designed 800-twip step parks them back at exactly 6400; the logo frame
// stops at 2040.
constexpr Twips kPageIn = 0;
constexpr Twips kPageOut = 5800;
constexpr Twips kLogoAside = 2040;

// One tick of a slide: moves the panel by the step, in single precision, and
// returns the Left it reads back.
Twips MoveBy(Panel& panel, Twips step) {
    panel.SetLeft(panel.Left() + step);
    return panel.Left();
}

}  // namespace

void Form1::iButton1_Click() { window_->Unload(); }

void Form1::iButton2_Click() { window_->SetState(WindowState::Minimized); }

void Form1::iButton5_Click() {
    Timer2.SetEnabled(true);
    iButton4.SetEnabled(false);
    iButton5.SetEnabled(false);
}

void Form1::i2_Click() { Timer3.SetEnabled(true); }

void Form1::i3_Click() {
    Timer4.SetEnabled(true);
    i3.SetEnabled(false);
    iButton4.SetEnabled(false);
    iButton5.SetEnabled(false);
}

void Form1::i1_Click() {
    Timer5.SetEnabled(true);
    i1.SetEnabled(false);
}

void Form1::iButton4_Click() {
    Timer6.SetEnabled(true);
    iButton4.SetEnabled(false);
    iButton5.SetEnabled(false);
    RefillSettings();
}

// Power page in.
void Form1::Timer2_Timer() {
    if (MoveBy(Picture1, -static_cast<Twips>(PanelStep)) > kPageIn) return;
    Timer2.SetEnabled(false);
    i1.SendToBack();
    i2.BringToFront();
    i3.SendToBack();
}

// Power page out.
void Form1::Timer3_Timer() {
    if (MoveBy(Picture1, PanelStep) < kPageOut) return;
    Timer3.SetEnabled(false);
    i1.SendToBack();
    i2.SendToBack();
    i3.BringToFront();
    iButton4.SetEnabled(true);
    iButton5.SetEnabled(true);
}

// About page in.
void Form1::Timer4_Timer() {
    if (MoveBy(Picture3, -static_cast<Twips>(PanelStep)) > kPageIn) return;
    Timer4.SetEnabled(false);
    i1.BringToFront();
    i2.SendToBack();
    i3.SendToBack();
}

// About page out.
void Form1::Timer5_Timer() {
    if (MoveBy(Picture3, PanelStep) < kPageOut) return;
    Timer5.SetEnabled(false);
    i1.SendToBack();
    i2.SendToBack();
    i3.BringToFront();
    i1.SetEnabled(true);
    i3.SetEnabled(true);
    iButton4.SetEnabled(true);
    iButton5.SetEnabled(true);
}

// Settings page in.
void Form1::Timer6_Timer() {
    if (MoveBy(Picture2, -static_cast<Twips>(PanelStep)) > kPageIn) return;
    Timer6.SetEnabled(false);
    i1.SendToBack();
    i2.SendToBack();
    i3.SendToBack();
    i4.BringToFront();
}

// Settings page out, after a save.
void Form1::Timer7_Timer() {
    if (MoveBy(Picture2, PanelStep) < kPageOut) return;
    Timer7.SetEnabled(false);
    i1.SendToBack();
    i2.SendToBack();
    i3.BringToFront();
    i4.SendToBack();
    i1.SetEnabled(true);
    i3.SetEnabled(true);
    iButton4.SetEnabled(true);
    iButton5.SetEnabled(true);
}

// The logo frame moves aside once the screen is locked.
void Form1::Timer8_Timer() {
    if (MoveBy(Picture4, CoverStep) < kLogoAside) return;
    Timer8.SetEnabled(false);
}

}  // namespace quorvel
