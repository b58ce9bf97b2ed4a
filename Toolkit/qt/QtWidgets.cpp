#include "Toolkit/qt/QtWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>

namespace Toolkit::QtBackend {

QColor SystemColor(TColor color) {
    const QPalette palette = QApplication::palette();
    switch (color) {
    case TColor::WindowText:
        return palette.color(QPalette::WindowText);
    case TColor::Window:
        return palette.color(QPalette::Base);
    case TColor::GrayText:
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case TColor::ActiveCaption:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case TColor::BtnFace:
    case TColor::Default:
        break;
    }
    return palette.color(QPalette::Window);
}

TFormWindow::TFormWindow(std::function<void()> onCloseRequest, std::function<void()> onEscape,
                         std::function<void()> onEnter)
    : FOnCloseRequest(std::move(onCloseRequest)), FOnEscape(std::move(onEscape)),
      FOnEnter(std::move(onEnter)) {}

void TFormWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    FOnCloseRequest();
}

void TFormWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Escape) {
        FOnEscape();
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        FOnEnter();
        return;
    }
    QWidget::keyPressEvent(event);
}

TUnderlineGroup::TUnderlineGroup(QWidget* parent, bool boldCaption)
    : QWidget(parent), FBoldCaption(boldCaption) {}

void TUnderlineGroup::SetCaption(const QString& caption) {
    FCaption = caption;
    update();
}

void TUnderlineGroup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont captionFont = font();
    captionFont.setBold(FBoldCaption);
    painter.setFont(captionFont);
    const QFontMetrics metrics(captionFont);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(0, metrics.ascent(), FCaption);
    // An etched line: shadow over light, like a sunken rule.
    const int y = metrics.height() + 1;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, y, width() - 1, y);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, y + 1, width() - 1, y + 1);
}

TSegmentBar::TSegmentBar(QWidget* parent, int segments, QColor color)
    : QFrame(parent), FSegments(std::max(1, segments)), FColor(color) {}

void TSegmentBar::SetPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == FPercent)
        return;
    FPercent = percent;
    update();
}

void TSegmentBar::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(2, 2, -2, -2);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    constexpr int gap = 1;
    const int filled = FPercent * FSegments / 100;
    for (int i = 0; i < filled; ++i) {
        const int left = area.left() + i * area.width() / FSegments;
        const int right = area.left() + (i + 1) * area.width() / FSegments - gap;
        painter.fillRect(QRect(QPoint(left, area.top()), QPoint(right - 1, area.bottom())), FColor);
    }
}

TDateEdit::TDateEdit(QWidget* parent) : QDateEdit(parent) {
    setMinimumDate(FirstDate());
    // Blank, yet not empty: an empty special text would not be used at all.
    setSpecialValueText(QStringLiteral(" "));
    SetEmpty();
}

QDate TDateEdit::FirstDate() {
    return QDate(100, 1, 1);
}

void TDateEdit::mousePressEvent(QMouseEvent* event) {
    if (IsEmpty() && isEnabled())
        setDate(QDate::currentDate());
    QDateEdit::mousePressEvent(event);
}

int TPasswordStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    if (hint == SH_LineEdit_PasswordCharacter)
        return FPasswordChar;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace Toolkit::QtBackend
