// QtWidgets: the Qt widgets that realise the toolkit's window and the control kinds Qt has no
// ready widget for. Internal to the Qt backend.
#pragma once

#include "Toolkit/Types.h"

#include <QDateEdit>
#include <QFrame>
#include <QProxyStyle>
#include <QWidget>

#include <functional>

namespace Toolkit::QtBackend {

// The system colour `color` names, from the application's palette.
QColor SystemColor(TColor color);

// A form's top-level window. The close box and Esc do not close it directly: they ask the
// form, which decides (through its close handler) whether and when the window goes.
class TFormWindow : public QWidget {
public:
    TFormWindow(std::function<void()> onCloseRequest, std::function<void()> onEscape,
                std::function<void()> onEnter);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> FOnCloseRequest;
    std::function<void()> FOnEscape;
    std::function<void()> FOnEnter;
};

// A group drawn in the underline style: its caption in bold with a line under it across the
// group's width, and no frame.
class TUnderlineGroup : public QWidget {
public:
    TUnderlineGroup(QWidget* parent, bool boldCaption);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FCaption;
    bool FBoldCaption;
};

// A status pane that shows a percentage as a row of segments in one colour, inside a frame.
class TSegmentBar : public QFrame {
public:
    TSegmentBar(QWidget* parent, int segments, QColor color);
    int Percent() const { return FPercent; }
    void SetPercent(int percent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FSegments;
    QColor FColor;
    int FPercent = 0;
};

// A date field that may be empty: the empty state is the field's minimum, shown as blank. Opening
// the calendar of an empty field starts it at today.
class TDateEdit : public QDateEdit {
public:
    explicit TDateEdit(QWidget* parent);
    bool IsEmpty() const { return date() == minimumDate(); }
    void SetEmpty() { setDate(minimumDate()); }
    // The earliest date the field can show.
    static QDate FirstDate();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // Tab leaves the field, as in any other control, instead of stepping through its sections.
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

// The style of one edit: its password character is the one the control was given.
class TPasswordStyle : public QProxyStyle {
public:
    char16_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char16_t passwordChar) { FPasswordChar = passwordChar; }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

private:
    char16_t FPasswordChar = u'*';
};

} // namespace Toolkit::QtBackend
