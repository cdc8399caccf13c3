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
    FakeWindow& Window2() { return static_cast<FakeWindow&>(program.LockWindow().window()); }
    FakeTextBox& Box(std::string_view name) { return Window1().FakeTextBoxNamed(name); }
    FakeButton& Btn(std::string_view name) { return Window1().FakeButtonNamed(name); }
    static Picture MakePicture(int w, int h, uint32_t colour = 0xFF336699) {
        return std::make_shared<Bitmap>(w, h, colour);
    }

    FakeToolkit toolkit;
    Program program{toolkit};
    Form1* form1 = nullptr;
};

}  // namespace quorvel::testing
