// Controls: the controls of a form as plug-in code sees them.
//
// A form owns its controls; references to them are valid as long as the form lives. Each kind
// is an abstract class here and is realised by the toolkit backend. Event callbacks run as
// event handlers of the owning form (see TForm::RunHandler): an exception that escapes one is
// shown to the user and the form stays open. User-interface thread only.
#pragma once

#include "Toolkit/Types.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace Toolkit {

// A parameterless event: text changed, clicked.
using TNotifyEvent = std::function<void()>;

class TControl {
public:
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;
    virtual ~TControl() = default;

    const std::u16string& Name() const { return FName; }
    // The place relative to the parent, as realised.
    virtual TRect BoundsRect() const = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Whether the control itself is set to be shown (independently of its parents).
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Paints the control now.
    virtual void Repaint() = 0;

protected:
    explicit TControl(std::u16string name) : FName(std::move(name)) {}

private:
    std::u16string FName;
};

// A control with a caption: labels, buttons, check boxes, groups, status panes.
class TCaptionControl : public TControl {
public:
    virtual std::u16string Caption() const = 0;
    virtual void SetCaption(std::u16string_view caption) = 0;

protected:
    using TControl::TControl;
};

class TLabel : public TCaptionControl {
protected:
    using TCaptionControl::TCaptionControl;
};

class TPanel : public TControl {
protected:
    using TControl::TControl;
};

class TGroup : public TCaptionControl {
protected:
    using TCaptionControl::TCaptionControl;
};

class TStatusPane : public TCaptionControl {
protected:
    using TCaptionControl::TCaptionControl;
};

class TButton : public TCaptionControl {
public:
    // Runs when the button is pressed, after a nonzero modal result has been given to the form.
    virtual void SetOnClick(TNotifyEvent handler) = 0;
    // Presses the button as the user would (nothing when it is disabled or hidden).
    virtual void Click() = 0;

protected:
    using TCaptionControl::TCaptionControl;
};

class TCheckBox : public TCaptionControl {
public:
    virtual bool Checked() const = 0;
    // Changing the state fires the click event, as a click by the user does.
    virtual void SetChecked(bool checked) = 0;
    virtual void SetOnClick(TNotifyEvent handler) = 0;

protected:
    using TCaptionControl::TCaptionControl;
};

class TEdit : public TControl {
public:
    virtual std::u16string Text() const = 0;
    // Fires the change event when the text differs from what the field holds.
    virtual void SetText(std::u16string_view text) = 0;
    // The character shown for each character of the text; 0 shows the text plainly.
    virtual char16_t PasswordChar() const = 0;
    virtual void SetPasswordChar(char16_t passwordChar) = 0;
    // Runs whenever the text changes, by typing or by SetText.
    virtual void SetOnChange(TNotifyEvent handler) = 0;

protected:
    using TControl::TControl;
};

class TDateField : public TControl {
public:
    // The date shown; nothing when the field is empty.
    virtual std::optional<TDate> Date() const = 0;
    // Shows `date`, or empties the field. An invalid date raises EConvertError with
    // "Invalid argument to date encode" and leaves the field as it was.
    virtual void SetDate(std::optional<TDate> date) = 0;

protected:
    using TControl::TControl;
};

// Multi-line text. Text() joins the lines with CR LF; SetText accepts CR LF, CR or LF.
class TMemo : public TControl {
public:
    virtual std::u16string Text() const = 0;
    virtual void SetText(std::u16string_view text) = 0;
    // The number of lines as a list of lines counts them: a final line break does not start
    // another line, and the empty text has none.
    virtual int LineCount() const = 0;
    // The index of the first line in view.
    virtual int TopLine() const = 0;
    // Scrolls by `columns` characters and `lines` lines from the current view, as far as the
    // text allows.
    virtual void LineScroll(int columns, int lines) = 0;

protected:
    using TControl::TControl;
};

class TProgressPane : public TControl {
public:
    virtual std::uint16_t Percent() const = 0;
    // Shows `percent` (clamped to 100); repaints when the value changes.
    virtual void SetPercent(std::uint16_t percent) = 0;

protected:
    using TControl::TControl;
};

class TPicture : public TControl {
protected:
    using TControl::TControl;
};

} // namespace Toolkit
