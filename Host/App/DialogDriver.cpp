#include "Host/App/DialogDriver.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <iostream>

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
    : FScript(std::move(script)), FHooks(std::move(hooks)) {
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
    FMemo = Child<QPlainTextEdit>(dialog, "mProgress");
    for (int run = 1; run <= FScript.Runs && verify != nullptr && verify->isEnabled(); ++run) {
        if (FHooks.BeforeRun)
            FHooks.BeforeRun(run);
        FVerifyPressed = true;
        FLinesShown = 0;
        if (FHooks.Live)
            FHooks.Live->Start();
        const auto pressed = std::chrono::steady_clock::now();
        verify->click(); // returns when the run has ended
        if (run == 1)
            FRunTime = std::chrono::steady_clock::now() - pressed;
        FollowRun(true);
        if (FHooks.Live)
            FHooks.Live->Stop();
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
        Print("message: " + box->windowTitle().toStdString() + ": " + box->text().toStdString());
        box->accept();
    }
    if (FVerifyPressed)
        FollowRun(false);
}

void TDialogDriver::FollowRun(bool ended) {
    if (FHooks.Live == nullptr || FMemo == nullptr)
        return;
    if (FHooks.Progress)
        FHooks.Live->SetDone(FHooks.Progress());
    static const QRegularExpression total(QStringLiteral("\\((\\d+) records\\) from inbox"));
    const QStringList lines = FMemo->toPlainText().split(QLatin1Char('\n'));
    // The last line is complete once it has its line end, or once the run has ended.
    const qsizetype complete = ended && !lines.back().isEmpty() ? lines.size() : lines.size() - 1;
    for (; FLinesShown < complete; ++FLinesShown) {
        QString line = lines[FLinesShown];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (auto match = total.match(line); match.hasMatch())
            FHooks.Live->SetTotal(match.captured(1).toLong());
        FHooks.Live->Print(line.toStdString());
    }
}

void TDialogDriver::Print(const std::string& line) {
    if (FHooks.Live)
        FHooks.Live->Print(line);
    else
        std::cout << line << std::endl;
}

} // namespace RefHost
