// QtControls: the toolkit's controls realised with Qt widgets. Internal to the Qt backend.
//
// A control refers to its widget, which the form's window owns; the form destroys its controls
// before its window. Events run through the owning form's RunHandler.
#pragma once

#include "Toolkit/Controls.h"
#include "Toolkit/Form.h"
#include "Toolkit/qt/QtWidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

namespace Toolkit::QtBackend {

QString ToQString(std::u16string_view text);
std::u16string FromQString(const QString& text);

// What every control does the same way, over a widget of type TWidget.
template <class TBase, class TWidget> class TQtControl : public TBase {
public:
    TQtControl(std::u16string name, TWidget* widget, TForm& form)
        : TBase(std::move(name)), FWidget(widget), FForm(form) {}

    TRect BoundsRect() const override {
        const QRect place = FWidget->geometry();
        return {place.x(), place.y(), place.width(), place.height()};
    }
    bool Enabled() const override { return !FWidget->testAttribute(Qt::WA_ForceDisabled); }
    void SetEnabled(bool enabled) override { FWidget->setEnabled(enabled); }
    bool Visible() const override { return !FWidget->isHidden(); }
    void SetVisible(bool visible) override { FWidget->setVisible(visible); }
    void Repaint() override { FWidget->repaint(); }

    TWidget* Widget() const { return FWidget; }

protected:
    TForm& Form() const { return FForm; }

private:
    TWidget* FWidget;
    TForm& FForm;
};

class TQtLabel final : public TQtControl<TLabel, QLabel> {
public:
    // `autoSize`: the width follows the caption; `anchorRight`: the right edge stays put.
    TQtLabel(std::u16string name, QLabel* widget, TForm& form, bool autoSize, bool anchorRight);
    std::u16string Caption() const override;
    void SetCaption(std::u16string_view caption) override;

private:
    bool FAutoSize;
    bool FAnchorRight;
};

class TQtPanel final : public TQtControl<TPanel, QWidget> {
public:
    using TQtControl::TQtControl;
};

class TQtPicture final : public TQtControl<TPicture, QLabel> {
public:
    using TQtControl::TQtControl;
};

class TQtGroup final : public TQtControl<TGroup, TUnderlineGroup> {
public:
    using TQtControl::TQtControl;
    std::u16string Caption() const override;
    void SetCaption(std::u16string_view caption) override;
};

class TQtStatusPane final : public TQtControl<TStatusPane, QLabel> {
public:
    using TQtControl::TQtControl;
    std::u16string Caption() const override;
    void SetCaption(std::u16string_view caption) override;
};

class TQtButton final : public TQtControl<TButton, QPushButton> {
public:
    TQtButton(std::u16string name, QPushButton* widget, TForm& form, TModalResult modalResult);
    std::u16string Caption() const override;
    void SetCaption(std::u16string_view caption) override;
    void SetOnClick(TNotifyEvent handler) override { FOnClick = std::move(handler); }
    void Click() override;

private:
    TModalResult FModalResult;
    TNotifyEvent FOnClick;
};

class TQtCheckBox final : public TQtControl<TCheckBox, QCheckBox> {
public:
    TQtCheckBox(std::u16string name, QCheckBox* widget, TForm& form);
    std::u16string Caption() const override;
    void SetCaption(std::u16string_view caption) override;
    bool Checked() const override;
    void SetChecked(bool checked) override;
    void SetOnClick(TNotifyEvent handler) override { FOnClick = std::move(handler); }

private:
    TNotifyEvent FOnClick;
};

class TQtEdit final : public TQtControl<TEdit, QLineEdit> {
public:
    TQtEdit(std::u16string name, QLineEdit* widget, TForm& form);
    std::u16string Text() const override;
    void SetText(std::u16string_view text) override;
    char16_t PasswordChar() const override;
    void SetPasswordChar(char16_t passwordChar) override;
    void SetOnChange(TNotifyEvent handler) override { FOnChange = std::move(handler); }

private:
    TPasswordStyle* FStyle;
    TNotifyEvent FOnChange;
};

class TQtDateField final : public TQtControl<TDateField, TDateEdit> {
public:
    using TQtControl::TQtControl;
    std::optional<TDate> Date() const override;
    void SetDate(std::optional<TDate> date) override;
};

class TQtMemo final : public TQtControl<TMemo, QPlainTextEdit> {
public:
    using TQtControl::TQtControl;
    std::u16string Text() const override;
    void SetText(std::u16string_view text) override;
    int LineCount() const override;
    int TopLine() const override;
    void LineScroll(int columns, int lines) override;
};

class TQtProgressPane final : public TQtControl<TProgressPane, TSegmentBar> {
public:
    using TQtControl::TQtControl;
    std::uint16_t Percent() const override;
    void SetPercent(std::uint16_t percent) override;
};

} // namespace Toolkit::QtBackend
