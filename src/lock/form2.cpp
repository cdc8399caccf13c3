// The lock window: topmost placement and the keyboard filter at load, the
// image fitted to the client area on every resize, opacity, button place and
// background picture at every activation, its keep-on-top tick in the hidden
// state, and its "解锁" button that brings the setup window back.
#include "lock/form2.h"

#include "app/form1.h"
#include "app/program.h"
#include "layouts/forms.h"

namespace quorvel {

Form2::Form2(Program& program)
    : program_(program),
      toolkit_(program.toolkit()),
      window_(toolkit_.CreateForm(layouts::kForm2)),
      iButton1(window_->ButtonNamed("iButton1")),
      Image1(window_->ImageNamed("Image1")),
      Timer1(window_->TimerNamed("Timer1")) {
    window_->Resize = [this] { Form_Resize(); };
    window_->Activate = [this] { Form_Activate(); };
    window_->CloseRequest = [this] { return Form_QueryUnload(); };
    window_->FrameRequested = [this](FrameRequest request) { return Form_FrameRequest(request); };
    window_->Unloaded = [this] { Form_Unload(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    iButton1.Click = [this] { iButton1_Click(); };
    Form_Load();
}

Form2::~Form2() = default;

// Into or out of the topmost band where the window stands, at its own size
// (the keep-on-top tick's pixel geometry); this also activates it.
void Form2::PlaceInBand(InsertAfter where) {
    if (const auto rect = OwnPixelGeometry(*window_, toolkit_)) window_->SetWindowPos(where, *rect);
}

void Form2::Form_Load() {
    PlaceInBand(InsertAfter::Topmost);
    InTopmostBand = true;
    program_.keyboardFilter().Install();
}

void Form2::Form_Resize() {
    Image1.SetTop(0);
    Image1.SetLeft(0);
    Image1.SetHeight(window_->ScaleHeight());
    Image1.SetWidth(window_->ScaleWidth());
}

void Form2::Form_Activate() {
    Form1& setup = program_.SetupWindow();

    window_->SetLayered(true);

    // The opacity field is kept within 0..255 as it is edited; anything that
    // still does not read as a byte leaves the opacity as it was.
    if (const auto value = StrictNumber(setup.Text3.Text(), toolkit_.UserNumberFormat())) {
        if (const auto alpha = RoundToByte(*value)) window_->SetOpacity(*alpha);
    }

    // Centred across; vertically one button height (less 2 twips) below the
    // middle.
    iButton1.SetLeft(window_->Width() / 2 - iButton1.Width() / 2);
    iButton1.SetTop(window_->Height() / 2 + iButton1.Height() - 2);

    // The picture is stretched over the window: no more of it is decoded than
    // the window's own pixels.
    const auto use = PictureUse::FitWithin(static_cast<int>(window_->ScaleWidth() / toolkit_.TwipsPerPixelX()),
                                           static_cast<int>(window_->ScaleHeight() / toolkit_.TwipsPerPixelY()));
    if (auto picture = toolkit_.LoadPicture(setup.Text5.Text(), use)) Image1.SetPicture(std::move(*picture));
}

// The lock window exists only while a lock is in force, and a lock ends only
// with the process: a close request of the user is always refused.
bool Form2::Form_QueryUnload() { return false; }

// The curtain covers its screen for the whole lock: nothing may minimise,
// restore, move or size it, nor open a window menu on it.
bool Form2::Form_FrameRequest(FrameRequest) { return false; }

void Form2::KeepCovering() {
    if (!window_->Visible()) window_->Show();
    if (window_->State() != WindowState::Maximized) window_->SetState(WindowState::Maximized);
}

void Form2::Form_Unload() { program_.keyboardFilter().Remove(); }

void Form2::Timer1_Timer() {
    KeepCovering();
    PlaceInBand(InsertAfter::Topmost);
}

// Leaves the hidden state: the lock window steps out of the topmost band for
// the rest of the lock and the setup window comes back in locked mode.
void Form2::iButton1_Click() {
    Timer1.SetEnabled(false);
    iButton1.SetVisible(false);
    PlaceInBand(InsertAfter::NoTopmost);
    InTopmostBand = false;

    Form1& setup = program_.SetupWindow();
    setup.window().Show();
    setup.Timer1.SetEnabled(true);
    setup.Label13.SetVisible(true);
    setup.Text6.SetVisible(true);
    setup.iButton10.SetVisible(true);
    setup.iButton11.SetVisible(true);
    setup.iButton1.SetEnabled(false);
    setup.iButton2.SetEnabled(false);
}

}  // namespace quorvel
