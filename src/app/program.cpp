#include "app/program.h"

#include "app/form1.h"
#include "lock/form2.h"

namespace quorvel {

Program::Program(Toolkit& toolkit) : toolkit_(toolkit), filter_(toolkit) {}

Program::~Program() = default;

void Program::Start() { SetupWindow().window().Show(); }

Form1& Program::SetupWindow() {
    if (!form1_) form1_ = std::make_unique<Form1>(*this);
    return *form1_;
}

Form2& Program::LockWindow() {
    if (!form2_) form2_ = std::make_unique<Form2>(*this);
    return *form2_;
}

}  // namespace quorvel
