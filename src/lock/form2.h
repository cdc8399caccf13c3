// The lock window (Form2): the translucent curtain over the screen while a
// lock is in force.
#pragma once

#include <memory>

#include "platform/toolkit.h"

namespace quorvel {

class Program;

class Form2 {
public:
    explicit Form2(Program& program);
    ~Form2();

    Window& window() { return *window_; }

    // Whether the window belongs in the topmost band: from its Load until its
    // "解锁" button leaves the hidden state. The setup window's tick keeps it
    // there, right below itself.
    bool InTopmostBand = false;
    // Puts the curtain back over its screen if anything minimised, restored
    // or hid it.
    void KeepCovering();

private:
    void Form_Load();
    void Form_Resize();
    void Form_Activate();
    bool Form_QueryUnload();
    bool Form_FrameRequest(FrameRequest request);
    void Form_Unload();
    void Timer1_Timer();
    void iButton1_Click();
    void PlaceInBand(InsertAfter where);

    Program& program_;
    Toolkit& toolkit_;
    std::unique_ptr<Window> window_;

public:
    // The controls, by their designed names, with what each is for the user.
    Button& iButton1;  // the hidden state's "解锁", which brings the setup window back
    Image& Image1;     // the background picture, stretched over the window
    Timer& Timer1;     // keep-on-top tick of the hidden state, 5 ms
};

}  // namespace quorvel
