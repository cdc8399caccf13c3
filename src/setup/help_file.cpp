// The "什么是NS码？" link of the settings page: opens the help file beside the
// program for the user to read.
#include "app/form1.h"

namespace quorvel {

void Form1::Label10_Click() {
    // A program folder it cannot tell, a missing file and a viewer that does
    // not start all end in the same message.
    if (const auto path = toolkit_.ProgramFile(u"NS码.txt")) {
        if (toolkit_.FileExists(*path) && toolkit_.OpenTextFile(*path)) return;
    }
    toolkit_.MsgBox(u"亲,NS码.txt文件找不到哦！", MsgBoxStyle::Critical, u"温馨提示");
}

}  // namespace quorvel
