// The setup window (Form1): its fields and the handlers of its controls. The
// handlers are defined next to the behaviour they belong to: the window's own
// life cycle in app/, locking and recovery in lock/, the pages and fields in
// setup/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/toolkit.h"

namespace quorvel {

class Program;

class Form1 {
public:
    explicit Form1(Program& program);
    ~Form1();

    Window& window() { return *window_; }

    // Fields of the window besides its controls.
    int16_t PanelStep = 0;
    int16_t CoverStep = 0;
    std::u16string MatchFlag;
    std::u16string RecoveryShown;

private:
    // The window's own life cycle (app/form1.cpp).
    void Form_Load();
    void Form_Activate();
    bool Form_QueryUnload();
    bool Form_FrameRequest(FrameRequest request);
    void Form_Unload();
    void Form_MouseDown(MouseButton button);
    void Timer1_Timer();
    void KeepShown();

    // Locking, unlocking and recovery (lock/).
    void iButton3_Click();
    void iButton10_Click();
    void iButton11_Click();
    void iButton12_Click();
    void Label13_Click();

    // The pages and the window's own buttons (setup/panels.cpp).
    void iButton1_Click();
    void iButton2_Click();
    void iButton4_Click();
    void iButton5_Click();
    void i1_Click();
    void i2_Click();
    void i3_Click();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();
    void Timer6_Timer();
    void Timer7_Timer();
    void Timer8_Timer();

    // The settings page (setup/settings_page.cpp, setup/help_file.cpp).
    void Text3_Change();
    void Text5_OLEDragDrop(const DroppedFiles& data);
    void RefillSettings();
    void i4_Click();
    void Label10_Click();

    // The power page (setup/power.cpp).
    void iButton6_Click();
    void iButton7_Click();
    void iButton8_Click();

    // The password fields (setup/password_fields.cpp).
    void Text1_Change();
    void Text2_Change();
    void Text1_MouseDown(MouseButton button);
    void Text2_MouseDown(MouseButton button);
    void ComparePasswords();

    Program& program_;
    Toolkit& toolkit_;
    std::unique_ptr<Window> window_;

public:
    // The controls, by their designed names.
    TextBox &Text1, &Text2, &Text3, &Text4, &Text5, &Text6, &Text7;
    Label &Label2, &Label3, &Label10, &Label13;
    Image& Image1;
    Panel &Picture1, &Picture2, &Picture3, &Picture4;
    Button &iButton1, &iButton2, &iButton3, &iButton4, &iButton5, &iButton6, &iButton7, &iButton8;
    Button &iButton10, &iButton11, &iButton12, &i1, &i2, &i3, &i4;
    Timer &Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6, &Timer7, &Timer8;
};

}  // namespace quorvel
