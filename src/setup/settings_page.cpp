// The settings page: the opacity field that keeps itself within 0..255, the
// picture field that takes a dropped .bmp or .jpg file, the refill from the
// settings store when the page opens, and the save behind the NS码 rule.
#include "app/form1.h"
#include "app/settings.h"
#include "lock/nc_code.h"

namespace quorvel {
namespace {

// The NS码 the page accepts: exactly four characters worth more than 1000,
// and a value some NC码 can fit, so that recovery stays possible (values
// beyond 32 bits, such as "3e09", read as more than 1000 but no NC码 derives
// to them).
bool NsCodeAccepted(std::u16string_view ns) {
    return ns.size() == 4 && LeadingNumber(ns) > 1000 && std::holds_alternative<int32_t>(NcTargetOf(ns));
}

}  // namespace

// The opacity rule. Each correction changes the field and so re-runs this
// rule at once, nested; the nested pass finds "255" or "0" and stops there. A
// text that does not read as a number fails the test, which counts as passed.
void Form1::Text3_Change() {
    const NumberFormat format = toolkit_.UserNumberFormat();
    const auto value = StrictNumber(Text3.Text(), format);
    if (!value || *value > 255) Text3.SetText(u"255");
    const auto corrected = StrictNumber(Text3.Text(), format);
    if (!corrected || *corrected < 0) Text3.SetText(u"0");
}

void Form1::Text5_OLEDragDrop(const DroppedFiles& data) {
    std::u16string_view name;
    if (data && !data->empty()) name = data->front();
    const std::u16string_view extension = name.size() > 4 ? name.substr(name.size() - 4) : name;
    if (extension == u".bmp") {
        Text5.SetText(name);
    } else if (extension == u".jpg") {
        Text5.SetText(name);
    } else {
        toolkit_.MsgBox(u"图片格式错误！暂时支持图片格式：*.jpg|*.bmp", MsgBoxStyle::Critical, u"温馨提示");
    }
}

void Form1::RefillSettings() {
    Refill(toolkit_, Text3, u"text3");
    Refill(toolkit_, Text4, u"text4");
    Refill(toolkit_, Text5, u"text5");
}

void Form1::i4_Click() {
    if (!NsCodeAccepted(Text4.Text())) {
        toolkit_.MsgBox(u"为了能够找回密码,您必须正确设置NS码！", MsgBoxStyle::Critical, u"NS码设置错误！");
        return;
    }
    // The slide's first tick comes only after this handler has returned, so
    // the three entries are written before the page moves.
    Timer7.SetEnabled(true);
    Save(toolkit_, Text3, u"text3");
    Save(toolkit_, Text4, u"text4");
    Save(toolkit_, Text5, u"text5");
}

}  // namespace quorvel
