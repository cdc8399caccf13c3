// The program: its one entry creates and shows the setup window. The lock
// window comes into being the first time locking touches it and lives until
// the process ends.
#pragma once

#include <memory>

#include "lock/keyboard_filter.h"
#include "platform/toolkit.h"

namespace quorvel {

class Form1;
class Form2;

class Program {
public:
    explicit Program(Toolkit& toolkit);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Creates the setup window (its Load runs) and shows it.
    void Start();

    Toolkit& toolkit() { return toolkit_; }
    KeyboardFilter& keyboardFilter() { return filter_; }
    Form1& SetupWindow();
    // Touching the lock window creates and loads it, nested in the caller.
    Form2& LockWindow();
    bool LockWindowExists() const { return form2_ != nullptr; }

private:
    Toolkit& toolkit_;
    KeyboardFilter filter_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
};

}  // namespace quorvel
