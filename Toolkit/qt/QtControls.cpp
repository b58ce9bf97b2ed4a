#include "Toolkit/qt/QtControls.h"

#include "Base/Exceptions.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>

namespace Toolkit::QtBackend {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string FromQString(const QString& text) {
    return text.toStdU16String();
}

TQtLabel::TQtLabel(std::u16string name, QLabel* widget, TForm& form, bool autoSize,
                   bool anchorRight)
    : TQtControl(std::move(name), widget, form), FAutoSize(autoSize), FAnchorRight(anchorRight) {}

std::u16string TQtLabel::Caption() const {
    return FromQString(Widget()->text());
}

void TQtLabel::SetCaption(std::u16string_view caption) {
    QLabel* label = Widget();
    label->setText(ToQString(caption));
    if (!FAutoSize)
        return;
    QRect place = label->geometry();
    const int width = label->fontMetrics().horizontalAdvance(label->text());
    if (FAnchorRight)
        place.setLeft(place.right() + 1 - width);
    else
        place.setWidth(width);
    label->setGeometry(place);
}

std::u16string TQtGroup::Caption() const {
    return FromQString(Widget()->Caption());
}

void TQtGroup::SetCaption(std::u16string_view caption) {
    Widget()->SetCaption(ToQString(caption));
}

std::u16string TQtStatusPane::Caption() const {
    return FromQString(Widget()->text());
}

void TQtStatusPane::SetCaption(std::u16string_view caption) {
    Widget()->setText(ToQString(caption));
}

TQtButton::TQtButton(std::u16string name, QPushButton* widget, TForm& form,
                     TModalResult modalResult)
    : TQtControl(std::move(name), widget, form), FModalResult(modalResult) {
    QObject::connect(widget, &QPushButton::clicked, widget, [this] {
        Form().RunHandler([this] {
            if (FModalResult != mrNone)
                Form().SetModalResult(FModalResult);
            if (FOnClick)
                FOnClick();
        });
    });
}

std::u16string TQtButton::Caption() const {
    return FromQString(Widget()->text());
}

void TQtButton::SetCaption(std::u16string_view caption) {
    Widget()->setText(ToQString(caption));
}

void TQtButton::Click() {
    if (Widget()->isVisible() && Widget()->isEnabled())
        Widget()->click();
}

TQtCheckBox::TQtCheckBox(std::u16string name, QCheckBox* widget, TForm& form)
    : TQtControl(std::move(name), widget, form) {
    QObject::connect(widget, &QCheckBox::toggled, widget, [this] { Form().RunHandler(FOnClick); });
}

std::u16string TQtCheckBox::Caption() const {
    return FromQString(Widget()->text());
}

void TQtCheckBox::SetCaption(std::u16string_view caption) {
    Widget()->setText(ToQString(caption));
}

bool TQtCheckBox::Checked() const {
    return Widget()->isChecked();
}

void TQtCheckBox::SetChecked(bool checked) {
    Widget()->setChecked(checked);
}

TQtEdit::TQtEdit(std::u16string name, QLineEdit* widget, TForm& form)
    : TQtControl(std::move(name), widget, form), FStyle(new TPasswordStyle) {
    FStyle->setParent(widget);
    widget->setStyle(FStyle);
    QObject::connect(widget, &QLineEdit::textChanged, widget,
                     [this] { Form().RunHandler(FOnChange); });
}

std::u16string TQtEdit::Text() const {
    return FromQString(Widget()->text());
}

void TQtEdit::SetText(std::u16string_view text) {
    Widget()->setText(ToQString(text));
}

char16_t TQtEdit::PasswordChar() const {
    return Widget()->echoMode() == QLineEdit::Password ? FStyle->PasswordChar() : u'\0';
}

void TQtEdit::SetPasswordChar(char16_t passwordChar) {
    QLineEdit* edit = Widget();
    if (passwordChar == u'\0') {
        edit->setEchoMode(QLineEdit::Normal);
        return;
    }
    FStyle->SetPasswordChar(passwordChar);
    // The edit reads the character from its style when the style changes.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(edit, &styleChange);
    edit->setEchoMode(QLineEdit::Password);
}

std::optional<TDate> TQtDateField::Date() const {
    if (Widget()->IsEmpty())
        return std::nullopt;
    const QDate date = Widget()->date();
    return TDate{date.year(), date.month(), date.day()};
}

void TQtDateField::SetDate(std::optional<TDate> date) {
    if (!date) {
        Widget()->SetEmpty();
        return;
    }
    if (!date->IsValid())
        throw EConvertError(u"Invalid argument to date encode");
    const QDate shown(date->Year, date->Month, date->Day);
    if (shown <= TDateEdit::FirstDate())
        throw EConvertError(u"Date is before the earliest date the field can show");
    Widget()->setDate(shown);
}

std::u16string TQtMemo::Text() const {
    const std::u16string plain = FromQString(Widget()->toPlainText());
    std::u16string text;
    text.reserve(plain.size() + plain.size() / 16);
    for (char16_t c : plain) {
        if (c == u'\n')
            text += u'\r';
        text += c;
    }
    return text;
}

void TQtMemo::SetText(std::u16string_view text) {
    std::u16string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            plain += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            plain += text[i];
        }
    }
    Widget()->setPlainText(ToQString(plain));
}

int TQtMemo::LineCount() const {
    const QString text = Widget()->toPlainText();
    if (text.isEmpty())
        return 0;
    const auto breaks = static_cast<int>(text.count(QChar(u'\n')));
    return text.endsWith(QChar(u'\n')) ? breaks : breaks + 1;
}

int TQtMemo::TopLine() const {
    return Widget()->verticalScrollBar()->value();
}

void TQtMemo::LineScroll(int columns, int lines) {
    QScrollBar* vertical = Widget()->verticalScrollBar();
    vertical->setValue(vertical->value() + lines);
    QScrollBar* horizontal = Widget()->horizontalScrollBar();
    horizontal->setValue(horizontal->value() +
                         columns * Widget()->fontMetrics().averageCharWidth());
}

std::uint16_t TQtProgressPane::Percent() const {
    return static_cast<std::uint16_t>(Widget()->Percent());
}

void TQtProgressPane::SetPercent(std::uint16_t percent) {
    Widget()->SetPercent(percent);
}

} // namespace Toolkit::QtBackend
