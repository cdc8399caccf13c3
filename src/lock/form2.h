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
    Button& iButton1;
    Image& Image1;
    Timer& Timer1;
};

}  // namespace quorvel
