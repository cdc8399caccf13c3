// The setup window's own life cycle: load, activation, unload, dragging by
// the background and the keep-on-top tick.
#include "app/form1.h"

#include "app/program.h"
#include "app/settings.h"
#include "layouts/forms.h"

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
    window_->Unloaded = [this] { Form_Unload(); };
    window_->BackgroundMouseDown = [this](MouseButton button) { Form_MouseDown(button); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    iButton1.Click = [this] { iButton1_Click(); };
    iButton2.Click = [this] { iButton2_Click(); };
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
    Refill(toolkit_, Text1, u"text1");
    Refill(toolkit_, Text2, u"text2");
    if (auto dir = toolkit_.ProgramDirectory()) {
        if (auto logo = toolkit_.LoadPicture(*dir + u"\\logo.jpg")) Image1.SetPicture(*logo);
    }
    Image1.SetHeight(1500);
    Image1.SetWidth(1500);
}

void Form1::Form_Unload() { program_.keyboardFilter().Remove(); }

void Form1::Form_MouseDown(MouseButton) { window_->BeginCaptionDrag(); }

void Form1::Timer1_Timer() {
    const auto rect = WindowPixelGeometry(window_->Left(), window_->Top(), window_->Width(), window_->Height(),
                                          toolkit_.TwipsPerPixelX(), toolkit_.TwipsPerPixelY());
    if (rect) window_->SetWindowPos(InsertAfter::Topmost, *rect);
}

}  // namespace quorvel
