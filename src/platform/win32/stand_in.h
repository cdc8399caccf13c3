// The controls of a page parked outside its window when the window is made.
// Their windows are made once the window's first paint is on the screen, or
// as soon as anything asks one of them for anything, whichever comes first:
// under Wine every child window costs its share of the start, and nothing can
// see a parked page until it slides in. Until then a stand-in answers for each
// control; once it is made, the stand-in passes every call on to it and its
// events back to the handlers.
#pragma once

#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/toolkit.h"
#include "platform/win32/controls.h"

namespace quorvel::win32 {

// Makes the parked pages of a window, all of them at once (the form).
class PageMaker {
public:
    virtual ~PageMaker() = default;
    virtual void MakeParkedPages() = 0;
};

// What the window asks of a stand-in: whether its control is still to be
// made, and to take it once it is.
class StandIn {
public:
    virtual ~StandIn() = default;
    virtual bool Waiting() const = 0;
    virtual void Take(std::unique_ptr<Control> made) = 0;
};

template <typename Base>
class StandInControl : public Base, public NativeControl, public StandIn {
public:
    explicit StandInControl(PageMaker& maker) : maker_(maker) {}

    bool Waiting() const override { return real_ == nullptr; }
    void Take(std::unique_ptr<Control> made) override {
        made_ = std::move(made);
        real_ = dynamic_cast<Base*>(made_.get());
        PassEventsOn(*real_);
    }

    bool Visible() const override { return Real().Visible(); }
    void SetVisible(bool visible) override { Real().SetVisible(visible); }
    bool Enabled() const override { return Real().Enabled(); }
    void SetEnabled(bool enabled) override { Real().SetEnabled(enabled); }
    Twips Left() const override { return Real().Left(); }
    Twips Top() const override { return Real().Top(); }
    Twips Width() const override { return Real().Width(); }
    Twips Height() const override { return Real().Height(); }
    void SetLeft(Twips v) override { Real().SetLeft(v); }
    void SetTop(Twips v) override { Real().SetTop(v); }
    void SetWidth(Twips v) override { Real().SetWidth(v); }
    void SetHeight(Twips v) override { Real().SetHeight(v); }
    void BringToFront() override { Real().BringToFront(); }
    void SendToBack() override { Real().SendToBack(); }

    HWND ChildWindow() const override { return ChildWindowOf(Real()); }
    // The tool tips and drop targets come after the first paint, when the
    // page is made; until then there is nothing to give them to.
    void AddToolTip() override {
        if (made_) win32::AddToolTip(*made_);
    }
    void AcceptDrops() override {
        if (made_) win32::AcceptDrops(*made_);
    }
    // No button window to show before the page is made: a page made later
    // shows its buttons itself.
    ButtonHost* Host() override { return made_ ? ButtonHostOf(*made_) : nullptr; }

protected:
    Base& Real() const {
        if (!real_) maker_.MakeParkedPages();
        if (!real_) throw std::logic_error("a control of a parked page could not be made");
        return *real_;
    }
    // The made control raises its events through the stand-in, whose events
    // the handlers set.
    virtual void PassEventsOn(Base& made) = 0;

private:
    PageMaker& maker_;
    std::unique_ptr<Control> made_;
    Base* real_ = nullptr;
};

class StandInTextBox final : public StandInControl<TextBox> {
public:
    using StandInControl::StandInControl;
    std::u16string Text() const override { return Real().Text(); }
    void SetText(std::u16string_view text) override { Real().SetText(text); }
    Colour ForeColor() const override { return Real().ForeColor(); }
    void SetForeColor(Colour colour) override { Real().SetForeColor(colour); }

private:
    void PassEventsOn(TextBox& made) override {
        made.Change = [this] {
            if (Change) Change();
        };
        made.MouseDown = [this](MouseButton button) {
            if (MouseDown) MouseDown(button);
        };
        made.FileDrop = [this](const DroppedFiles& files) {
            if (FileDrop) FileDrop(files);
        };
    }
};

class StandInLabel final : public StandInControl<Label> {
public:
    using StandInControl::StandInControl;
    std::u16string Caption() const override { return Real().Caption(); }

private:
    void PassEventsOn(Label& made) override {
        made.Click = [this] {
            if (Click) Click();
        };
    }
};

class StandInImage final : public StandInControl<Image> {
public:
    using StandInControl::StandInControl;
    const Picture& GetPicture() const override { return Real().GetPicture(); }
    void SetPicture(Picture picture) override { Real().SetPicture(std::move(picture)); }

private:
    void PassEventsOn(Image&) override {}
};

class StandInPanel final : public StandInControl<Panel> {
public:
    using StandInControl::StandInControl;

private:
    void PassEventsOn(Panel&) override {}
};

class StandInButton final : public StandInControl<Button> {
public:
    using StandInControl::StandInControl;

private:
    void PassEventsOn(Button& made) override {
        made.Click = [this] {
            if (Click) Click();
        };
    }
};

// A stand-in for a control of this kind, made later by the maker.
std::unique_ptr<Control> MakeStandIn(layouts::ControlKind kind, PageMaker& maker);

}  // namespace quorvel::win32
