// Unlocking and recovery in the locked mode: the password, the switch to the
// NC码 entry, the NC码 check, and hiding the setup window behind the lock
// window. A successful unlock ends the process at once: no window unloads and
// nothing is stored.
#include "app/form1.h"
#include "app/program.h"
#include "lock/form2.h"
#include "lock/nc_code.h"

namespace quorvel {

void Form1::iButton10_Click() {
    if (Text6.Text() == Text1.Text()) {
        toolkit_.EndProcess();
        return;
    }
    toolkit_.MsgBox(u"对不起,定义密码错误！", MsgBoxStyle::Critical, u"请输入正确的密码！");
}

// Switches between the password entry and the NC码 entry; each keeps its text
// while hidden.
void Form1::Label13_Click() {
    const auto shown = StrictNumber(RecoveryShown, toolkit_.UserNumberFormat());
    if (!shown || *shown == 0) {
        RecoveryShown = u"1";
        iButton10.SendToBack();
        iButton11.BringToFront();
        Text6.SetVisible(false);
        Text7.SetVisible(true);
    } else {
        RecoveryShown = u"0";
        iButton10.BringToFront();
        iButton11.SendToBack();
        Text6.SetVisible(true);
        Text7.SetVisible(false);
    }
}

void Form1::iButton11_Click() {
    if (NcCodeFits(Text7.Text(), Text4.Text())) {
        toolkit_.EndProcess();
        return;
    }
    toolkit_.MsgBox(u"对不起,NC码验证失败！", MsgBoxStyle::Critical, u"请输入正确的NC码！");
}

// The hidden state: only the lock window stays, with its own "解锁" button and
// keep-on-top tick, and the keyboard filter is off for the rest of the lock.
void Form1::iButton12_Click() {
    Timer1.SetEnabled(false);
    window_->Hide();
    Form2& lock = program_.LockWindow();
    lock.window().Show();
    lock.iButton1.SetVisible(true);
    lock.Timer1.SetEnabled(true);
    program_.keyboardFilter().Remove();
}

}  // namespace quorvel
