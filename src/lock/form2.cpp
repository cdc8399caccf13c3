// The lock window's life cycle: topmost placement and the keyboard filter at
// load, the image fitted to the client area on every resize, the filter
// removed at unload.
#include "lock/form2.h"

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
    window_->Unloaded = [this] { Form_Unload(); };
    Form_Load();
}

Form2::~Form2() = default;

void Form2::Form_Load() {
    const auto rect = WindowPixelGeometry(window_->Left(), window_->Top(), window_->Width(), window_->Height(),
                                          toolkit_.TwipsPerPixelX(), toolkit_.TwipsPerPixelY());
    if (rect) window_->SetWindowPos(InsertAfter::Topmost, *rect);
    program_.keyboardFilter().Install();
}

void Form2::Form_Resize() {
    Image1.SetTop(0);
    Image1.SetLeft(0);
    Image1.SetHeight(window_->ScaleHeight());
    Image1.SetWidth(window_->ScaleWidth());
}

void Form2::Form_Unload() { program_.keyboardFilter().Remove(); }

}  // namespace quorvel
