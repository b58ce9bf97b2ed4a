// Win32Controls: the toolkit's controls realised with Win32 windows. Internal to the Win32
// backend.
//
// Every control is one child window. Input kinds are the system's and the common controls'
// (EDIT, BUTTON, the date and time picker); the kinds the system has no window for (panels,
// groups, status panes, the progress pane, pictures) are windows of the backend's own pane
// class that the control paints. A window's GWLP_USERDATA addresses its TWindowPart, through
// which its parent hands on notifications, colour requests and paint requests. A control refers
// to its window, which the form's window owns; the form destroys its controls after its window.
// Events run through the owning form's RunHandler.
#pragma once

#include "Toolkit/Controls.h"
#include "Toolkit/Form.h"
#include "Toolkit/Layout.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Toolkit::Win32Backend {

// The text as the system's wide-character API takes it.
inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
// A window's text.
std::u16string WindowText(HWND window);

// The system colour `color` names.
COLORREF SystemColor(TColor color);
HBRUSH SystemBrush(TColor color);

// What a control's window reports to the control.
class TWindowPart {
public:
    TWindowPart(const TWindowPart&) = delete;
    TWindowPart& operator=(const TWindowPart&) = delete;
    virtual ~TWindowPart() = default;

    // The part whose window is `window`, or null for a window of no control.
    static TWindowPart* Of(HWND window);

    // A WM_COMMAND notification the window sent its parent.
    virtual void Command(UINT code) { (void)code; }
    // Prepares `dc` for the window's text and background (WM_CTLCOLOR...); the brush to paint
    // the background with, or null for the window's own colours.
    virtual HBRUSH Colors(HDC dc) const;
    // Paints the client area of a pane-class window into `dc`.
    virtual void Paint(HDC dc, const RECT& client) const { (void)dc, (void)client; }
    // Gives the window its font.
    void SetFont(HFONT font);

protected:
    // `textColor` and `background` are the colours the control shows, inherited ones included.
    TWindowPart(HWND window, TColor textColor, TColor background);
    HWND Window() const { return FWindow; }
    TColor TextColor() const { return FTextColor; }
    TColor Background() const { return FBackground; }
    HFONT Font() const { return FFont; }
    // Fills `client` with the background and draws `frame` along its edge; the rectangle left
    // inside the frame.
    RECT PaintFrame(HDC dc, const RECT& client, TFrame frame) const;

private:
    HWND FWindow;
    TColor FTextColor;
    TColor FBackground;
    HFONT FFont = nullptr;
};

// What every control does the same way over its window.
template <class TBase> class TWin32Control : public TBase, public TWindowPart {
public:
    TWin32Control(std::u16string name, HWND window, TForm& form, TColor textColor,
                  TColor background)
        : TBase(std::move(name)), TWindowPart(window, textColor, background), FForm(form) {}

    TRect BoundsRect() const override {
        RECT place;
        GetWindowRect(Window(), &place);
        MapWindowPoints(HWND_DESKTOP, GetParent(Window()), reinterpret_cast<POINT*>(&place), 2);
        return {place.left, place.top, place.right - place.left, place.bottom - place.top};
    }
    bool Enabled() const override { return IsWindowEnabled(Window()) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(Window(), enabled ? TRUE : FALSE); }
    bool Visible() const override {
        return (GetWindowLongW(Window(), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    void SetVisible(bool visible) override { ShowWindow(Window(), visible ? SW_SHOW : SW_HIDE); }
    void Repaint() override {
        RedrawWindow(Window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

protected:
    TForm& Form() const { return FForm; }

private:
    TForm& FForm;
};

// A control whose caption is its window text.
template <class TBase> class TWin32CaptionControl : public TWin32Control<TBase> {
public:
    using TWin32Control<TBase>::TWin32Control;
    std::u16string Caption() const override { return WindowText(this->Window()); }
    void SetCaption(std::u16string_view caption) override {
        SetWindowTextW(this->Window(), Wide(std::u16string(caption)));
        InvalidateRect(this->Window(), nullptr, TRUE);
    }
};

class TWin32Label final : public TWin32CaptionControl<TLabel> {
public:
    // `autoSize`: the width follows the caption; `anchorRight`: the right edge stays put.
    TWin32Label(std::u16string name, HWND window, TForm& form, TColor textColor, TColor background,
                bool autoSize, bool anchorRight);
    void SetCaption(std::u16string_view caption) override;

private:
    bool FAutoSize;
    bool FAnchorRight;
};

class TWin32Panel final : public TWin32Control<TPanel> {
public:
    TWin32Panel(std::u16string name, HWND window, TForm& form, TColor textColor, TColor background,
                TFrame frame);
    void Paint(HDC dc, const RECT& client) const override;

private:
    TFrame FFrame;
};

// A group in the underline style: its caption (bold when the layout says so) with an etched
// line under it across the group's width, and no frame.
class TWin32Group final : public TWin32CaptionControl<TGroup> {
public:
    TWin32Group(std::u16string name, HWND window, TForm& form, TColor textColor, TColor background,
                HFONT captionFont);
    void Paint(HDC dc, const RECT& client) const override;

private:
    HFONT FCaptionFont;
};

class TWin32StatusPane final : public TWin32CaptionControl<TStatusPane> {
public:
    TWin32StatusPane(std::u16string name, HWND window, TForm& form, TColor textColor,
                     TColor background, TFrame frame);
    void Paint(HDC dc, const RECT& client) const override;

private:
    TFrame FFrame;
};

// A status pane that shows a percentage as a row of segments in one colour, inside its frame.
class TWin32ProgressPane final : public TWin32Control<TProgressPane> {
public:
    TWin32ProgressPane(std::u16string name, HWND window, TForm& form, TColor textColor,
                       TColor background, TFrame frame, int segments, TColor barColor);
    std::uint16_t Percent() const override { return FPercent; }
    void SetPercent(std::uint16_t percent) override;
    void Paint(HDC dc, const RECT& client) const override;

private:
    TFrame FFrame;
    int FSegments;
    TColor FBarColor;
    std::uint16_t FPercent = 0;
};

// An image centred in the control, blended over the background by its alpha channel.
class TWin32Picture final : public TWin32Control<TPicture> {
public:
    // `image` is a 32-bit top-down bitmap with premultiplied alpha, or null; the control owns it.
    TWin32Picture(std::u16string name, HWND window, TForm& form, TColor textColor,
                  TColor background, HBITMAP image);
    ~TWin32Picture() override;
    void Paint(HDC dc, const RECT& client) const override;

private:
    HBITMAP FImage;
};

class TWin32Button final : public TWin32CaptionControl<TButton> {
public:
    TWin32Button(std::u16string name, HWND window, TForm& form, TColor textColor, TColor background,
                 TModalResult modalResult);
    void SetOnClick(TNotifyEvent handler) override { FOnClick = std::move(handler); }
    void Click() override;
    void Command(UINT code) override;

private:
    void Clicked();

    TModalResult FModalResult;
    TNotifyEvent FOnClick;
};

class TWin32CheckBox final : public TWin32CaptionControl<TCheckBox> {
public:
    using TWin32CaptionControl::TWin32CaptionControl;
    bool Checked() const override;
    void SetChecked(bool checked) override;
    void SetOnClick(TNotifyEvent handler) override { FOnClick = std::move(handler); }
    void Command(UINT code) override;

private:
    TNotifyEvent FOnClick;
};

// The change event comes from the window's EN_CHANGE for typing, and from SetText itself (the
// window's own notification is held back there), so that a text set to what the field holds
// changes nothing.
class TWin32Edit final : public TWin32Control<TEdit> {
public:
    using TWin32Control::TWin32Control;
    std::u16string Text() const override { return WindowText(Window()); }
    void SetText(std::u16string_view text) override;
    char16_t PasswordChar() const override;
    void SetPasswordChar(char16_t passwordChar) override;
    void SetOnChange(TNotifyEvent handler) override { FOnChange = std::move(handler); }
    void Command(UINT code) override;

private:
    TNotifyEvent FOnChange;
    bool FSettingText = false;
};

// A date and time picker showing the user's short date, with a tick box that empties it.
class TWin32DateField final : public TWin32Control<TDateField> {
public:
    using TWin32Control::TWin32Control;
    std::optional<TDate> Date() const override;
    void SetDate(std::optional<TDate> date) override;
};

// A multi-line EDIT: it keeps its text with CR LF line breaks and scrolls with EM_LINESCROLL.
class TWin32Memo final : public TWin32Control<TMemo> {
public:
    using TWin32Control::TWin32Control;
    std::u16string Text() const override { return WindowText(Window()); }
    void SetText(std::u16string_view text) override;
    int LineCount() const override;
    int TopLine() const override;
    void LineScroll(int columns, int lines) override;
};

} // namespace Toolkit::Win32Backend
