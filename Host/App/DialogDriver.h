// DialogDriver: acts as the user in the verification dialog, for the verify command.
//
// Armed before the menu command runs, it waits (polling the widget tree on a timer, since the
// dialog runs its own modal loop) for a window holding the edit "edLogin". Then it types the
// login and password into "edLogin" and "edPassword", sets or empties the date fields
// "dtLogFrom" and "dtLogUntil" as asked, presses "Verify" (which returns when the run ends),
// takes the progress log's text ("mProgress") and, if asked, a screenshot, and presses
// "Close". Meanwhile a watch timer answers message boxes (printing "message: CAPTION: TEXT").
// Given a terminal's live line, the driver starts it when it presses "Verify", prints the
// progress log's lines there as they come, and keeps it told of the records' total (from the
// line "... (N records) from inbox") and of the records done. The time "Verify" took (the whole
// run) is kept. Host thread only.
#pragma once

#include "Host/App/TerminalProgress.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

class QPlainTextEdit;

namespace RefHost {

struct TDialogScript {
    QString Login;
    QString Password;
    std::optional<QDate> From;
    std::optional<QDate> Until;
    bool EmptyFrom = false;
    bool EmptyUntil = false;
    QString ScreenshotPath;
};

class TDialogDriver : public QObject {
public:
    // `recordsDone` gives the records done so far; `live` (null when the output is no
    // terminal) shows the run as it goes.
    TDialogDriver(TDialogScript script, std::function<int()> recordsDone, TTerminalProgress* live);

    void Arm();
    void Disarm();

    bool DialogSeen() const { return FDialogSeen; }
    bool VerifyPressed() const { return FVerifyPressed; }
    const QString& ProgressLog() const { return FProgressLog; }
    std::chrono::duration<double> RunTime() const { return FRunTime; }
    // What went wrong while driving the dialog (empty when nothing did).
    const QString& Problem() const { return FProblem; }
    // Whether the progress log's lines were printed on the terminal as they came.
    bool ProgressLogShown() const { return FLive != nullptr; }

private:
    void Poll();
    void Watch();
    void Drive(QWidget& dialog);
    // Passes what the run showed since the last call on to the live line.
    void FollowRun(bool ended);
    void Print(const std::string& line);

    TDialogScript FScript;
    std::function<int()> FRecordsDone;
    TTerminalProgress* FLive;
    QTimer FPoll;
    QTimer FWatch;
    bool FDialogSeen = false;
    bool FVerifyPressed = false;
    QPointer<QPlainTextEdit> FMemo;
    qsizetype FLinesShown = 0;
    QString FProgressLog;
    std::chrono::duration<double> FRunTime{};
    QString FProblem;
};

} // namespace RefHost
