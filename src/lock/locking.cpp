// Locking: the lock button switches the setup window into its locked mode,
// brings up the lock window (topmost, keyboard filter on) and stores the
// password pair.
#include "app/form1.h"
#include "app/program.h"
#include "app/settings.h"
#include "lock/form2.h"

namespace quorvel {

void Form1::iButton3_Click() {
    // The flag records whether the two entries matched at their last change;
    // empty (neither changed yet) counts as a mismatch.
    const auto matched = StrictNumber(MatchFlag, toolkit_.UserNumberFormat());
    if (!matched || *matched != 1) {
        toolkit_.MsgBox(u"两次密码不正确,请重新输入！", MsgBoxStyle::Critical, u"温馨提示");
        return;
    }
    // A lock the desktop cannot hold is worse than none: nothing changes.
    if (!toolkit_.BeginLock()) return;

    Timer1.SetEnabled(true);
    Timer8.SetEnabled(true);

    Text1.SetVisible(false);
    Text2.SetVisible(false);
    Text6.SetVisible(true);
    Label2.SetVisible(false);
    Label3.SetVisible(false);
    Label13.SetVisible(true);
    iButton3.SetVisible(false);
    iButton4.SetVisible(false);
    iButton10.SetVisible(true);
    iButton11.SetVisible(true);
    iButton12.SetEnabled(true);
    iButton1.SetEnabled(false);
    iButton2.SetEnabled(false);
    // Locking hides the settings page's open button; a page already on its
    // way in must not become a way to edit the NS码 under a lock either.
    Picture2.SetEnabled(false);

    // The first touch creates the lock window: its Load puts it in the
    // topmost band and installs the keyboard filter.
    Form2& lock = program_.LockWindow();
    lock.iButton1.SetVisible(false);
    lock.window().Show();

    Save(toolkit_, Text1, u"text1");
    Save(toolkit_, Text2, u"text2");
}

}  // namespace quorvel
