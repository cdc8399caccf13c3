// A hostile property bag read into a real skinned button, which is then
// shown, drawn in every look and put through the pointer, keys, focus, the
// poll timer and resizes, on a recording host whose text sizes grow with the
// font. Nothing may crash, leak or overflow; the button writes its nine
// properties back so that they read again as they were.
//
// Picture names the bag can reach: "strip" (a 350 x 26 frame strip), "WxH"
// (a plain picture of W x H pixels, up to 2^18 of them), "empty" (no pixels),
// "short" (350 x 26 with fewer pixels than that) and "negative" (a negative
// width).
#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "fuzz_support.h"
#include "support/ibutton_fake_host.h"
#include "widgets/ibutton/ibutton.h"
#include "widgets/ibutton/property_bag.h"

namespace {

using namespace quorvel;
using namespace quorvel::fuzz;

class ScaledTextHost : public testing::FakeButtonHost {
public:
    // 20 twips a point, a wide character twice a narrow one.
    Twips TextWidth(std::u16string_view text, const ButtonFont& font) override {
        Twips units = 0;
        for (char16_t c : text) units += c < 0x80 ? 0.5f : 1.0f;
        return units * font.points * 20;
    }
    Twips TextHeight(std::u16string_view, const ButtonFont& font) override { return font.points * 20; }
};

std::optional<int> SmallNumber(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 1 << 18)
        return std::nullopt;
    return value;
}

Picture PictureNamed(std::string_view name) {
    if (name == "strip") return testing::MakeStrip(350, 26);
    if (name == "empty") return MakePicture(Bitmap());
    if (name == "short") {
        Bitmap truncated(350, 26, 0xFF102030);
        truncated.pixels.resize(1000);
        return MakePicture(std::move(truncated));
    }
    if (name == "negative") {
        Bitmap odd;
        odd.width = -350;
        odd.height = 26;
        return MakePicture(std::move(odd));
    }
    const size_t x = name.find('x');
    if (x == std::string_view::npos) return nullptr;
    const auto w = SmallNumber(name.substr(0, x));
    const auto h = SmallNumber(name.substr(x + 1));
    if (!w || !h || static_cast<int64_t>(*w) * *h > 1 << 18) return nullptr;
    return MakePicture(Bitmap(*w, *h, 0xFF808080));
}

bool SameText(const std::u16string& read, const std::u16string& held) {
    // A lone surrogate has no UTF-8 form: it is written as U+FFFD.
    return read == Utf8ToUtf16(Utf16ToUtf8(held));
}

void Exercise(IButton& button, ScaledTextHost& host) {
    button.OnShow();
    for (int32_t action = ActionNormal; action <= ActionDisabled; ++action) button.cMouseAction(action, true);
    button.cMouseAction(-1, true);
    button.cMouseAction(std::numeric_limits<int32_t>::max(), false);
    host.PointerOver(true);
    button.OnMouseMove(0, 0, 10, 10);
    button.OnMouseDown(1, 0, 10, 10);
    button.Timer1_Timer();
    button.OnMouseUp(1, 0, 10, 10);
    button.OnClick();
    button.OnDblClick();
    button.OnFocusGained();
    button.OnKeyDown(13, 0);
    button.OnKeyDown(32, 0);
    button.OnKeyUp(32, 0);
    host.PointerOver(false);
    button.Timer1_Timer();
    button.OnFocusLost();
    button.SetValue(true);
    for (int32_t action = ActionNormal; action <= ActionDisabled; ++action) button.cMouseAction(action, true);
    // The window squeezed to nothing, then grown past any frame.
    host.width = 0;
    host.height = 0;
    button.OnResize();
    host.width = 3e9f;
    host.height = 3e9f;
    button.OnResize();
    host.twipsPerPixel = 0;
    button.OnFocusGained();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const PropertyBag bag = PropertyBag::Parse(text);

    std::vector<std::pair<Picture, std::string>> resolved;
    const PictureResolver resolve = [&resolved](std::string_view name) {
        Picture picture = PictureNamed(name);
        if (picture) resolved.emplace_back(picture, std::string(name));
        return picture;
    };
    const PictureNamer namer = [&resolved](const Picture& picture) -> std::optional<std::string> {
        for (const auto& [known, name] : resolved)
            if (known == picture) return name;
        return std::nullopt;
    };

    ScaledTextHost host;
    IButton button(host);
    host.Attach(button);
    std::vector<std::string> rejected;
    QUORVEL_REQUIRE(button.ReadProperties(bag, resolve, &rejected) == ButtonStatus::Ok, "reading the bag");
    static const std::vector<std::string_view> kKeys = {"BackPicture", "Enabled",    "cBackStyle", "Caption",  "Style",
                                                        "AutoSize",    "cForeColor", "cFont",      "cDrawMode"};
    for (const std::string& key : rejected)
        QUORVEL_REQUIRE(std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end(), "rejected key " + key);

    Exercise(button, host);
    for (const testing::DrawCall& call : host.calls) {
        if (call.kind == testing::DrawCall::Kind::Paint) QUORVEL_REQUIRE(call.picture != nullptr, "painted nothing");
        if (call.kind == testing::DrawCall::Kind::Print) QUORVEL_REQUIRE(call.text == button.Caption(), "caption");
    }
    if (button.FramesReady())
        QUORVEL_REQUIRE(button.Frames().Count() == static_cast<int64_t>(button.Style()) * 4 + 4, "frame count");

    // The nine properties as the button now holds them, written and read back.
    PropertyBag written = PropertyBag::Parse(text);
    std::vector<std::string> unwritten;
    QUORVEL_REQUIRE(button.WriteProperties(written, namer, &unwritten) == ButtonStatus::Ok, "writing the bag");
    QUORVEL_REQUIRE(unwritten.empty(), "a resolved picture has its name");
    const std::string serialized = written.Serialize();
    std::vector<std::string> rejectedAgain;
    const ButtonProperties again = ReadButtonProperties(PropertyBag::Parse(serialized), {}, resolve, rejectedAgain);
    const std::string detail = "written bag:\n" + serialized;
    QUORVEL_REQUIRE(rejectedAgain.empty(), detail + "rejected " + (rejectedAgain.empty() ? "" : rejectedAgain[0]));
    QUORVEL_REQUIRE((again.BackPicture == nullptr) == (button.BackPicture() == nullptr), detail);
    QUORVEL_REQUIRE(again.Enabled == host.Enabled(), detail);
    QUORVEL_REQUIRE(again.cBackStyle == button.cBackStyle(), detail);
    QUORVEL_REQUIRE(SameText(again.Caption, button.Caption()), detail);
    QUORVEL_REQUIRE(again.Style == button.Style(), detail);
    QUORVEL_REQUIRE(again.AutoSize == button.AutoSize(), detail);
    QUORVEL_REQUIRE(again.cForeColor == button.cForeColor(), detail);
    ButtonFont font = button.cFont();
    font.face = Utf8ToUtf16(Utf16ToUtf8(font.face));
    QUORVEL_REQUIRE(again.cFont == font, detail);
    QUORVEL_REQUIRE(again.cDrawMode == button.cDrawMode(), detail);
    return 0;
}
