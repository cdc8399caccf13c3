// The cost of the decisions that run most often: the keyboard filter for
// every key event of the desktop, the two readings of a number, and a skinned
// button's redraw of its look (each hover, press and release).
#include <benchmark/benchmark.h>

#include "base/numbers.h"
#include "lock/keyboard_filter.h"
#include "widgets/ibutton/ibutton.h"

namespace quorvel {
namespace {

void KeyboardFilterDecision(benchmark::State& state) {
    // A mix of swallowed and passed keys, downs and ups, as typing produces.
    const KeyEvent events[] = {{162, true, false}, {65, false, false}, {163, true, false},
                               {16, false, false}, {32, true, false},  {18, false, true}};
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FilterKeyEvent(events[i % 6]));
        ++i;
    }
}
BENCHMARK(KeyboardFilterDecision);

void LeadingNumberOfAnNcCode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(LeadingNumber(u" 12 345 678 9x"));
}
BENCHMARK(LeadingNumberOfAnNcCode);

void StrictNumberOfAnOpacity(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(StrictNumber(u"128"));
}
BENCHMARK(StrictNumberOfAnOpacity);

// A button window that draws nowhere: what remains is the button's own work
// for a redraw (choosing the frame, placing the caption) and the calls it
// makes, without the cost of any platform's drawing.
class NullButtonHost final : public IButtonHost {
public:
    intptr_t Hwnd() const override { return 1; }
    intptr_t Hdc() const override { return 2; }
    ScreenPoint CursorPos() const override { return {}; }
    intptr_t WindowFromPoint(ScreenPoint) const override { return 3; }
    bool Showing() const override { return true; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    void SetWidth(Twips width) override { width_ = width; }
    void SetHeight(Twips height) override { height_ = height; }
    void StartTimer1() override {}
    void StopTimer1() override {}
    float TwipsPerPixelX() const override { return 15; }
    float TwipsPerPixelY() const override { return 15; }
    void Clear(Colour background) override { benchmark::DoNotOptimize(background); }
    void PaintPicture(const Picture& picture, Twips x, Twips, Twips, Twips) override {
        benchmark::DoNotOptimize(picture.get());
        benchmark::DoNotOptimize(x);
    }
    Twips TextWidth(std::u16string_view text, const ButtonFont&) override {
        return static_cast<Twips>(text.size()) * 180;
    }
    Twips TextHeight(std::u16string_view, const ButtonFont&) override { return 180; }
    void Print(std::u16string_view text, Twips x, Twips y, const ButtonFont&, Colour) override {
        benchmark::DoNotOptimize(text.data());
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
    }
    void DrawFocusRect(const FocusRect&) override {}
    Picture Image() const override { return nullptr; }
    void SetMaskPicture(const Picture&) override {}
    void SetMaskToImage() override {}
    void SetBackStyle(int16_t) override {}
    void SetDrawMode(int16_t) override {}
    void PropertyChanged(std::string_view) override {}

private:
    bool enabled_ = true;
    Twips width_ = 1050;
    Twips height_ = 390;
};

// The footer buttons' stored form: a five-frame strip of 70 x 26 pixels and
// a caption.
void ButtonRedrawOnANullHost(benchmark::State& state) {
    NullButtonHost host;
    IButton button(host);
    const Picture strip = MakePicture(Bitmap(350, 26));
    const PropertyBag bag = PropertyBag::Parse(
        "_extentx=1852\n_extenty=688\nbackpicture=@strip\ncaption=关于\ncfont=宋体,9,400,0,0,0,134\n"
        "cdrawmode=13\ncforecolor=0x80000012\n");
    button.ReadProperties(bag, [&strip](std::string_view) { return strip; });
    button.OnShow();
    int32_t action = ActionNormal;
    for (auto _ : state) {
        // Normal, hover, down, normal: the looks of one click.
        action = (action + 1) % 3;
        benchmark::DoNotOptimize(button.cMouseAction(action, true));
    }
}
BENCHMARK(ButtonRedrawOnANullHost);

}  // namespace
}  // namespace quorvel

BENCHMARK_MAIN();
