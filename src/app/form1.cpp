// The setup window's own life cycle: load, activation, unload, dragging by
// the background and the keep-on-top tick.
#include "app/form1.h"

#include "app/program.h"
#include "app/settings.h"
#include "layouts/forms.h"
#include "lock/form2.h"

namespace quorvel {

Form1::Form1(Program& program)
    : program_(program),
      toolkit_(program.toolkit()),
      window_(toolkit_.CreateForm(layouts::kForm1)),
      Text1(window_->TextBoxNamed("Text1")),
      Text2(window_->TextBoxNamed("Text2")),
      Text3(window_->TextBoxNamed("Text3")),
      Text4(window_->TextBoxNamed("Text4")),
      Text5(window_->TextBoxNamed("Text5")),
      Text6(window_->TextBoxNamed("Text6")),
      Text7(window_->TextBoxNamed("Text7")),
      Label2(window_->LabelNamed("Label2")),
      Label3(window_->LabelNamed("Label3")),
      Label10(window_->LabelNamed("Label10")),
      Label13(window_->LabelNamed("Label13")),
      Image1(window_->ImageNamed("Image1")),
      Picture1(window_->PanelNamed("Picture1")),
      Picture2(window_->PanelNamed("Picture2")),
      Picture3(window_->PanelNamed("Picture3")),
      Picture4(window_->PanelNamed("Picture4")),
      iButton1(window_->ButtonNamed("iButton1")),
      iButton2(window_->ButtonNamed("iButton2")),
      iButton3(window_->ButtonNamed("iButton3")),
      iButton4(window_->ButtonNamed("iButton4")),
      iButton5(window_->ButtonNamed("iButton5")),
      iButton6(window_->ButtonNamed("iButton6")),
      iButton7(window_->ButtonNamed("iButton7")),
      iButton8(window_->ButtonNamed("iButton8")),
      iButton10(window_->ButtonNamed("iButton10")),
      iButton11(window_->ButtonNamed("iButton11")),
      iButton12(window_->ButtonNamed("iButton12")),
      i1(window_->ButtonNamed("i1")),
      i2(window_->ButtonNamed("i2")),
      i3(window_->ButtonNamed("i3")),
      i4(window_->ButtonNamed("i4")),
      Timer1(window_->TimerNamed("Timer1")),
      Timer2(window_->TimerNamed("Timer2")),
      Timer3(window_->TimerNamed("Timer3")),
      Timer4(window_->TimerNamed("Timer4")),
      Timer5(window_->TimerNamed("Timer5")),
      Timer6(window_->TimerNamed("Timer6")),
      Timer7(window_->TimerNamed("Timer7")),
      Timer8(window_->TimerNamed("Timer8")) {
    window_->Activate = [this] { Form_Activate(); };
    window_->CloseRequest = [this] { return Form_QueryUnload(); };
    window_->FrameRequested = [this](FrameRequest request) { return Form_FrameRequest(request); };
    window_->Unloaded = [this] { Form_Unload(); };
    window_->BackgroundMouseDown = [this](MouseButton button) { Form_MouseDown(button); };
    Timer1.Tick = [this] { Timer1_Timer(); };

    iButton3.Click = [this] { iButton3_Click(); };
    iButton10.Click = [this] { iButton10_Click(); };
    iButton11.Click = [this] { iButton11_Click(); };
    iButton12.Click = [this] { iButton12_Click(); };
    Label13.Click = [this] { Label13_Click(); };

    iButton1.Click = [this] { iButton1_Click(); };
    iButton2.Click = [this] { iButton2_Click(); };
    iButton4.Click = [this] { iButton4_Click(); };
    iButton5.Click = [this] { iButton5_Click(); };
    i1.Click = [this] { i1_Click(); };
    i2.Click = [this] { i2_Click(); };
    i3.Click = [this] { i3_Click(); };
    Timer2.Tick = [this] { Timer2_Timer(); };
    Timer3.Tick = [this] { Timer3_Timer(); };
    Timer4.Tick = [this] { Timer4_Timer(); };
    Timer5.Tick = [this] { Timer5_Timer(); };
    Timer6.Tick = [this] { Timer6_Timer(); };
    Timer7.Tick = [this] { Timer7_Timer(); };
    Timer8.Tick = [this] { Timer8_Timer(); };

    Text3.Change = [this] { Text3_Change(); };
    Text5.FileDrop = [this](const DroppedFiles& data) { Text5_OLEDragDrop(data); };
    i4.Click = [this] { i4_Click(); };
    Label10.Click = [this] { Label10_Click(); };

    iButton6.Click = [this] { iButton6_Click(); };
    iButton7.Click = [this] { iButton7_Click(); };
    iButton8.Click = [this] { iButton8_Click(); };

    Text1.Change = [this] { Text1_Change(); };
    Text2.Change = [this] { Text2_Change(); };
    Text1.MouseDown = [this](MouseButton button) { Text1_MouseDown(button); };
    Text2.MouseDown = [this](MouseButton button) { Text2_MouseDown(button); };
    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    PanelStep = 800;
    CoverStep = 300;
    RecoveryShown = std::u16string(u"0");
    // The unlock row of the locked mode starts hidden.
    Text6.SetVisible(false);
    Text7.SetVisible(false);
    Label13.SetVisible(false);
    iButton10.SetVisible(false);
    iButton11.SetVisible(false);
    iButton12.SetEnabled(false);
}

void Form1::Form_Activate() {
    // Once locking has hidden the password fields, Text1 holds the password
    // the lock was made with. Refilling it then could only change it, and only
    // when the store refused that lock's save: the user's new password would
    // silently give way to an older one.
    if (Text1.Visible()) {
        Refill(toolkit_, Text1, u"text1");
        Refill(toolkit_, Text2, u"text2");
    }
    if (auto path = toolkit_.ProgramFile(u"logo.jpg")) {
        if (auto logo = toolkit_.LoadPicture(*path, PictureUse::TopLeft(100, 100))) Image1.SetPicture(*logo);
    }
    Image1.SetHeight(1500);
    Image1.SetWidth(1500);
}

// A lock ends only with the process: while one is in force, a close request
// of the user (Alt+F4, the taskbar) is refused.
bool Form1::Form_QueryUnload() { return !program_.LockWindowExists(); }

// The window has no maximise box and no sizing frame. While a lock is in
// force it stays where it is, as it is: no minimising (the desktop would be
// one click away), no window menu, no move but its own background drag.
bool Form1::Form_FrameRequest(FrameRequest request) {
    if (program_.LockWindowExists()) return false;
    return request != FrameRequest::Maximize && request != FrameRequest::Size;
}

void Form1::Form_Unload() { program_.keyboardFilter().Remove(); }

void Form1::Form_MouseDown(MouseButton) { window_->BeginCaptionDrag(); }

void Form1::Timer1_Timer() {
    KeepShown();
    Form2* lock = program_.LockWindowExists() ? &program_.LockWindow() : nullptr;
    if (lock) lock->KeepCovering();
    if (const auto rect = OwnPixelGeometry(*window_, toolkit_)) window_->SetWindowPos(InsertAfter::Topmost, *rect);
    // The curtain stays right below, above every topmost window another
    // program opens later, until the hidden state's "解锁" takes it out of
    // the band.
    if (lock && lock->InTopmostBand) lock->window().PlaceBelow(*window_);
}

// The tick runs only while the window is meant to be on the screen at its
// place: whatever minimised, maximised or hid it (a shell shortcut, another
// program) is undone here.
void Form1::KeepShown() {
    if (!window_->Visible()) window_->Show();
    if (window_->State() != WindowState::Normal) window_->SetState(WindowState::Normal);
}

}  // namespace quorvel
