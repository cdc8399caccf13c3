// The controls of a window on Win32, as the window and its containers see
// them: made from their layout rows; labels and images drawn and hit-tested by
// their container; text boxes, panels and buttons as child windows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "layouts/layout.h"
#include "platform/toolkit.h"

namespace quorvel::win32 {

class ButtonHost;
class Container;
class DrawnControlBase;
class FormWindow;

inline constexpr wchar_t kPanelClass[] = L"QuorvelPanel";

COLORREF ToColorRef(Colour c, Colour fallback);
// A control's key among its window's controls: "Label12(0)" for arrays.
std::string KeyOf(std::string_view name, int index);
RECT PixelRectOf(Twips left, Twips top, Twips width, Twips height, float tpp);

// What a window asks of each of its controls, whatever its kind; each kind
// answers for itself.
class NativeControl {
public:
    virtual ~NativeControl() = default;
    // The control's own window; none for labels and images.
    virtual HWND ChildWindow() const { return nullptr; }
    // Gives the control's tip, if it has one, to its window's tool tips.
    virtual void AddToolTip() {}
    // Lets a text box designed to take dropped files take them.
    virtual void AcceptDrops() {}
    // The skinned button's window, for buttons.
    virtual ButtonHost* Host() { return nullptr; }
    // What its container draws, for labels and images.
    virtual DrawnControlBase* Drawn() { return nullptr; }
};

// A label or an image: no window of its own; its container paints it beneath
// the child windows and hit-tests it for clicks and the hand cursor.
class DrawnControlBase {
public:
    DrawnControlBase(Container& container, const layouts::ControlSpec& row)
        : container_(container),
          row_(row),
          visible_(row.visible),
          enabled_(row.enabled),
          left_(row.left),
          top_(row.top),
          width_(row.width),
          height_(row.height) {}
    virtual ~DrawnControlBase() = default;
    virtual void Draw(HDC dc) = 0;
    virtual void Clicked() {}
    RECT Rect() const;
    bool Shown() const { return visible_; }
    // Whether drawing it puts anything on the screen (an image without a
    // picture does not).
    virtual bool Paints() const { return true; }
    // The picture an image stretches over its box, if it is one that does.
    virtual const Bitmap* StretchedPicture() const { return nullptr; }
    const layouts::ControlSpec& row() const { return row_; }

protected:
    void Invalidate();
    Container& container_;
    const layouts::ControlSpec& row_;
    bool visible_;
    bool enabled_;
    Twips left_, top_, width_, height_;
};

// A control of any kind but a timer; a panel also gives its inner container.
std::unique_ptr<Control> MakeControl(Container& container, const layouts::ControlSpec& row, Container** inner);
// A window timer of a form; one whose start failed is started again by
// Retry (the next tick of any timer of the program, or the next enable).
class FormTimer : public Timer {
public:
    virtual void Retry() = 0;
};
std::unique_ptr<FormTimer> MakeTimer(FormWindow& form, const layouts::ControlSpec& row);

// The native window of a child-window control (text box, panel, button);
// nullptr for drawn-only controls.
HWND ChildWindowOf(Control& control);
ButtonHost* ButtonHostOf(Control& control);
// A label's or an image's drawing; nullptr for the other kinds.
DrawnControlBase* DrawnOf(Control& control);
// Gives the control's tip, if it has one, to its window's tool tips.
void AddToolTip(Control& control);
// Lets a text box designed to take dropped files take them.
void AcceptDrops(Control& control);
bool IsTextBoxWindow(HWND hwnd);
// Outlines the shown text boxes of a container.
void FrameTextBoxes(HWND container, HDC dc, HBRUSH outline);
// For the container of a text box: its colours, and a change of its text.
HBRUSH TextBoxColours(HWND edit, HDC dc);
void TextBoxChanged(HWND edit);
// The window procedure of the panels' class.
WNDPROC PanelProcedure();

}  // namespace quorvel::win32
