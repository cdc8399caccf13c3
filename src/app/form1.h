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
    // The controls, by their designed names, with what each is for the user.
    TextBox& Text1;     // the password ("请定义密码：")
    TextBox& Text2;     // its confirmation ("请确认密码：")
    TextBox& Text3;     // settings page: the lock window's opacity, 0 to 255
    TextBox& Text4;     // settings page: the NS码
    TextBox& Text5;     // settings page: the background picture's path (files dropped on it)
    TextBox& Text6;     // locked mode: the password that unlocks
    TextBox& Text7;     // locked mode: the NC码 that unlocks, behind "忘记密码？"
    Label& Label2;      // the caption "请定义密码："
    Label& Label3;      // the caption "请确认密码："
    Label& Label10;     // settings page: the link "什么是NS码？" to the help file
    Label& Label13;     // locked mode: the link "忘记密码？" between password and NC码
    Image& Image1;      // the logo, inside the logo frame
    Panel& Picture1;    // the power page
    Panel& Picture2;    // the settings page
    Panel& Picture3;    // the about page
    Panel& Picture4;    // the logo frame, which slides aside at locking
    Button& iButton1;   // close the window
    Button& iButton2;   // minimise the window
    Button& iButton3;   // lock ("锁    屏")
    Button& iButton4;   // open the settings page (gear)
    Button& iButton5;   // open the power page
    Button& iButton6;   // power page: shut down
    Button& iButton7;   // power page: restart
    Button& iButton8;   // power page: log off
    Button& iButton10;  // locked mode: unlock with the password ("解锁")
    Button& iButton11;  // locked mode: unlock with the NC码 ("验证"), behind iButton10
    Button& iButton12;  // locked mode: hide the setup window, at the gear's place
    Button& i1;         // footer stack: "返回", closes the about page
    Button& i2;         // footer stack: "取消", closes the power page
    Button& i3;         // footer stack: "关于", opens the about page
    Button& i4;         // footer stack: "确定", saves and closes the settings page
    Timer& Timer1;      // keep-on-top tick of the locked mode, 5 ms
    Timer& Timer2;      // power page slides in
    Timer& Timer3;      // power page slides out
    Timer& Timer4;      // about page slides in
    Timer& Timer5;      // about page slides out
    Timer& Timer6;      // settings page slides in
    Timer& Timer7;      // settings page slides out
    Timer& Timer8;      // logo frame slides aside at locking
};

}  // namespace quorvel
