// The "什么是NS码？" link of the settings page: opens the help file beside the
// program in the text editor.
#include "app/form1.h"

namespace quorvel {

void Form1::Label10_Click() {
    // A missing directory, a missing file and an editor that does not start
    // all end in the same message.
    if (const auto directory = toolkit_.ProgramDirectory()) {
        const std::u16string path = *directory + u"\\" + u"NS码.txt";
        if (toolkit_.FileExists(path) && toolkit_.RunCommand(u"notepad.exe " + path, ShowStyle::NormalFocus)) return;
    }
    toolkit_.MsgBox(u"亲,NS码.txt文件找不到哦！", MsgBoxStyle::Critical, u"温馨提示");
}

}  // namespace quorvel
