// Controls made later than their window. Under Wine every child window costs
// its share of the start, so a window makes at its first show only the
// controls to be seen then; the others (hidden ones, pages parked outside the
// window) once its first paint is on the screen, or as soon as anything asks
// one of them for more than whether it is visible or enabled. Until then a
// stand-in answers for each control, holding what the window's Load sets of
// those two; once the control is made, the stand-in passes every call on to
// it and its events back to the handlers.
#pragma once

#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/toolkit.h"
#include "platform/win32/controls.h"

namespace quorvel::win32 {

// Makes the controls still waiting, all of them at once (the form).
class ControlMaker {
public:
    virtual ~ControlMaker() = default;
    virtual void MakeWaitingControls() = 0;
    // Whether the stand-ins still hold what is set of them: only until the
    // window first shows; after that a control asked anything is made.
    virtual bool Holding() const = 0;
};

// What the window asks of a stand-in: whether its control is still to be
// made, the layout row to make it from (with what the stand-in holds), and to
// take it once it is made.
class StandIn {
public:
    virtual ~StandIn() = default;
    virtual bool Waiting() const = 0;
    virtual const layouts::ControlSpec& RowToMake() const = 0;
    virtual void Take(std::unique_ptr<Control> made) = 0;
};

template <typename Base>
class StandInControl : public Base, public NativeControl, public StandIn {
public:
    StandInControl(const layouts::ControlSpec& row, ControlMaker& maker) : row_(row), maker_(maker) {}

    bool Waiting() const override { return real_ == nullptr; }
    // The made control keeps this row, which lives as long as it does.
    const layouts::ControlSpec& RowToMake() const override { return row_; }
    void Take(std::unique_ptr<Control> made) override {
        made_ = std::move(made);
        real_ = dynamic_cast<Base*>(made_.get());
        PassEventsOn(*real_);
    }

    bool Visible() const override { return Held() ? row_.visible : Real().Visible(); }
    void SetVisible(bool visible) override {
        if (Held())
            row_.visible = visible;
        else
            Real().SetVisible(visible);
    }
    bool Enabled() const override { return Held() ? row_.enabled : Real().Enabled(); }
    void SetEnabled(bool enabled) override {
        if (Held())
            row_.enabled = enabled;
        else
            Real().SetEnabled(enabled);
    }
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
    // The tool tips and drop targets come after the first paint, when every
    // control is made; until then there is nothing to give them to.
    void AddToolTip() override {
        if (made_) win32::AddToolTip(*made_);
    }
    void AcceptDrops() override {
        if (made_) win32::AcceptDrops(*made_);
    }
    // No button window to show before the control is made: one made after
    // its window's show shows itself.
    ButtonHost* Host() override { return made_ ? ButtonHostOf(*made_) : nullptr; }
    DrawnControlBase* Drawn() override { return made_ ? DrawnOf(*made_) : nullptr; }

protected:
    bool Held() const { return !real_ && maker_.Holding(); }
    Base& Real() const {
        if (!real_) maker_.MakeWaitingControls();
        if (!real_) throw std::logic_error("a control made later could not be made");
        return *real_;
    }
    // The made control raises its events through the stand-in, whose events
    // the handlers set.
    virtual void PassEventsOn(Base& made) = 0;

private:
    layouts::ControlSpec row_;
    ControlMaker& maker_;
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

// A stand-in for the control of this row, made later by the maker.
std::unique_ptr<Control> MakeStandIn(const layouts::ControlSpec& row, ControlMaker& maker);

}  // namespace quorvel::win32
