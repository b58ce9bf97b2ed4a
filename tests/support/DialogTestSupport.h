// DialogTestSupport: driving toolkit forms in tests, on Qt's offscreen platform.
//
// Modal displays run their own message loop, so a test hands ShowModalWhile what to do once the
// form is shown and activated; a watchdog ends a display that a broken close would leave open.
// RunLater queues work for the event loop, behind the events already waiting. TRecordedErrors
// (RecordedErrors.h) replaces the error message box for the fixture's lifetime.
#pragma once

#include "Platform/qt/WindowHandle.h"
#include "RecordedErrors.h"
#include "Toolkit/Application.h"
#include "Toolkit/Form.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// The modal result the watchdog ends a display with.
inline constexpr Toolkit::TModalResult WatchdogResult = 99;

// The top-level widget of `form`.
inline QWidget* FormWidget(const Toolkit::TForm& form) {
    QWindow* window = Platform::WindowOfHandle(form.Handle());
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowHandle() == window)
            return widget;
    return nullptr;
}

// The widget named `name` in `form`.
template <class TWidget> TWidget* FindWidget(const Toolkit::TForm& form, const char* name) {
    return FormWidget(form)->findChild<TWidget*>(QString::fromLatin1(name));
}

// Runs `work` from the event loop once the events waiting now have been handled.
inline void RunLater(std::function<void()> work) {
    QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
}

// Shows `form` modally; `whileShown` runs inside the display once the form is activated.
inline Toolkit::TModalResult ShowModalWhile(Toolkit::TForm& form,
                                            std::function<void()> whileShown) {
    Toolkit::Application();
    QTimer::singleShot(0, [&form, whileShown = std::move(whileShown)] {
        // The activation notification is queued by the display itself; let it run first.
        Toolkit::Application().ProcessMessages();
        whileShown();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&form] { form.SetModalResult(WatchdogResult); });
    watchdog.start(5000);
    return form.ShowModal();
}
