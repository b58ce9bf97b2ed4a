// DialogDriver: acts as the user in the verification dialog, for the verify command.
//
// Armed before the menu command runs, it waits (polling the widget tree on a timer, since the
// dialog runs its own modal loop) for a window holding the edit "edLogin". Then it types the
// login and password into "edLogin" and "edPassword", sets or empties the date fields
// "dtLogFrom" and "dtLogUntil" as asked, presses "Verify" (which returns when the run ends)
// and takes the progress log's text ("mProgress"); it presses "Verify" again, up to the
// script's number of runs, while the button stays enabled (as after a failed run). Last it
// takes a screenshot if asked, and presses "Close". Meanwhile a watch timer answers message
// boxes (printing "message: CAPTION: TEXT") and draws the run's progress on standard error when
// that is a terminal. The time "Verify" took (the whole first run) is kept. Host thread only.
#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace RefHost {

struct TDialogScript {
    QString Login;
    QString Password;
    std::optional<QDate> From;
    std::optional<QDate> Until;
    bool EmptyFrom = false;
    bool EmptyUntil = false;
    QString ScreenshotPath;
    int Runs = 1;
};

struct TDialogHooks {
    // The records done so far (for the terminal progress bar).
    std::function<int()> Progress;
    // Called before "Verify" is pressed and after each run, with the run's number (from 1).
    std::function<void(int run)> BeforeRun;
    std::function<void(int run)> AfterRun;
};

class TDialogDriver : public QObject {
public:
    TDialogDriver(TDialogScript script, TDialogHooks hooks);

    void Arm();
    void Disarm();

    bool DialogSeen() const { return FDialogSeen; }
    bool VerifyPressed() const { return FVerifyPressed; }
    // The progress logs of the runs, one after the other, each ended by a line break.
    const QString& ProgressLog() const { return FProgressLog; }
    // The time the first run took.
    std::chrono::duration<double> RunTime() const { return FRunTime; }
    // What went wrong while driving the dialog (empty when nothing did).
    const QString& Problem() const { return FProblem; }

private:
    void Poll();
    void Watch();
    void Drive(QWidget& dialog);
    void DrawProgress(bool done);

    TDialogScript FScript;
    TDialogHooks FHooks;
    QTimer FPoll;
    QTimer FWatch;
    bool FDialogSeen = false;
    bool FVerifyPressed = false;
    bool FTerminal = false;
    QString FProgressLog;
    std::chrono::duration<double> FRunTime{};
    QString FProblem;
};

} // namespace RefHost
