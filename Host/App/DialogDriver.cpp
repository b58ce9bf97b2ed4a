#include "Host/App/DialogDriver.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <iostream>
#include <unistd.h>

namespace RefHost {

namespace {

template <class TWidget> TWidget* Child(QWidget& dialog, const char* name) {
    return dialog.findChild<TWidget*>(QString::fromLatin1(name));
}

QPushButton* Button(QWidget& dialog, const QString& caption) {
    for (auto* button : dialog.findChildren<QPushButton*>())
        if (button->text().remove(QLatin1Char('&')) == caption)
            return button;
    return nullptr;
}

} // namespace

TDialogDriver::TDialogDriver(TDialogScript script, TDialogHooks hooks)
    : FScript(std::move(script)), FHooks(std::move(hooks)), FTerminal(isatty(STDERR_FILENO) != 0) {
    FPoll.setInterval(20);
    FWatch.setInterval(100);
    connect(&FPoll, &QTimer::timeout, this, [this] { Poll(); });
    connect(&FWatch, &QTimer::timeout, this, [this] { Watch(); });
}

void TDialogDriver::Arm() {
    FPoll.start();
    FWatch.start();
}

void TDialogDriver::Disarm() {
    FPoll.stop();
    FWatch.stop();
}

void TDialogDriver::Poll() {
    if (FDialogSeen)
        return;
    for (auto* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->findChild<QLineEdit*>(QStringLiteral("edLogin"))) {
            FDialogSeen = true;
            FPoll.stop();
            Drive(*window);
            return;
        }
    }
}

void TDialogDriver::Drive(QWidget& dialog) {
    auto* login = Child<QLineEdit>(dialog, "edLogin");
    auto* password = Child<QLineEdit>(dialog, "edPassword");
    if (password == nullptr) {
        FProblem = QStringLiteral("the dialog has no edPassword");
        return;
    }
    login->setText(FScript.Login);
    password->setText(FScript.Password);
    auto setDate = [&](const char* name, const std::optional<QDate>& date, bool empty) {
        auto* field = Child<QDateEdit>(dialog, name);
        if (field == nullptr) {
            FProblem = QStringLiteral("the dialog has no %1").arg(QLatin1String(name));
            return;
        }
        if (empty)
            field->setDate(field->minimumDate());
        else if (date)
            field->setDate(*date);
    };
    setDate("dtLogFrom", FScript.From, FScript.EmptyFrom);
    setDate("dtLogUntil", FScript.Until, FScript.EmptyUntil);

    QPushButton* verify = Button(dialog, QStringLiteral("Verify"));
    if (verify == nullptr || !verify->isEnabled()) {
        FProblem = verify ? QStringLiteral("\"Verify\" is disabled")
                          : QStringLiteral("the dialog has no \"Verify\" button");
    }
    for (int run = 1; run <= FScript.Runs && verify != nullptr && verify->isEnabled(); ++run) {
        if (FHooks.BeforeRun)
            FHooks.BeforeRun(run);
        FVerifyPressed = true;
        const auto pressed = std::chrono::steady_clock::now();
        verify->click(); // returns when the run has ended
        if (run == 1)
            FRunTime = std::chrono::steady_clock::now() - pressed;
        DrawProgress(true);
        if (auto* memo = Child<QPlainTextEdit>(dialog, "mProgress"))
            FProgressLog += memo->toPlainText() + QLatin1Char('\n');
        if (FHooks.AfterRun)
            FHooks.AfterRun(run);
    }
    if (!FScript.ScreenshotPath.isEmpty() && !dialog.grab().save(FScript.ScreenshotPath))
        std::cerr << "refhost: cannot write the screenshot " << FScript.ScreenshotPath.toStdString()
                  << std::endl;
    if (QPushButton* close = Button(dialog, QStringLiteral("Close")))
        close->click();
    else
        dialog.close();
}

void TDialogDriver::Watch() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        std::cout << "message: " << box->windowTitle().toStdString() << ": "
                  << box->text().toStdString() << std::endl;
        box->accept();
    }
    if (FVerifyPressed)
        DrawProgress(false);
}

void TDialogDriver::DrawProgress(bool done) {
    if (!FTerminal || !FHooks.Progress)
        return;
    const int records = FHooks.Progress();
    if (done) {
        std::cerr << "\r\033[K" << std::flush;
        return;
    }
    std::cerr << "\rverifying: " << records << " records" << std::flush;
}

} // namespace RefHost
