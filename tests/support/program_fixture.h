// A running program on the test double: the setup window created, loaded and
// shown, as the program's entry leaves it.
#pragma once

#include <gtest/gtest.h>

#include "app/form1.h"
#include "app/program.h"
#include "lock/form2.h"
#include "support/fake_toolkit.h"

namespace quorvel::testing {

class ProgramTest : public ::testing::Test {
protected:
    // Stored entries, files and pictures are set before Start().
    void Start() {
        program.Start();
        form1 = &program.SetupWindow();
    }
    FakeWindow& Window1() { return static_cast<FakeWindow&>(form1->window()); }
    // Touching the lock window creates it: call this only once it should exist.
    FakeWindow& Window2() { return static_cast<FakeWindow&>(program.LockWindow().window()); }
    FakeTextBox& Box(std::string_view name) { return Window1().FakeTextBoxNamed(name); }
    FakeButton& Btn(std::string_view name) { return Window1().FakeButtonNamed(name); }
    FakeLabel& Lbl(std::string_view name, int index = -1) { return Window1().FakeLabelNamed(name, index); }
    FakeButton& LockButton() { return Window2().FakeButtonNamed("iButton1"); }
    static Picture MakePicture(int w, int h, uint32_t colour = 0xFF336699) {
        return std::make_shared<Bitmap>(w, h, colour);
    }

    // The user types the password twice and presses the lock button.
    void LockWith(std::u16string_view password) {
        Box("Text1").UserType(password);
        Box("Text2").UserType(password);
        Btn("iButton3").UserClick();
    }

    // The front one of the four footer buttons that share one place.
    std::string FrontOfStack() {
        for (const std::string& name : Window1().StackOf("", true))
            if (name == "i1" || name == "i2" || name == "i3" || name == "i4") return name;
        return {};
    }

    FakeToolkit toolkit;
    Program program{toolkit};
    Form1* form1 = nullptr;
};

}  // namespace quorvel::testing
