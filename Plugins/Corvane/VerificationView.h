// VerificationView: what a verification run needs from the dialog that starts it.
//
// The dialog implements this view; the run (download, reconciliation, summary) talks to the
// user and reads the user's input only through it. Host interfaces are borrowed: the view keeps
// them alive for the run. Every call happens on the user-interface thread; MsgProgress,
// ShowProgress and ProcessMessages let pending window messages run, so the dialog stays
// responsive (and its fields may change) while the run lasts.
#pragma once

#include "PluginAPI/HostInterfaces.h"

#include <chrono>
#include <string>
#include <string_view>

// A date field that may be empty: its text as shown, and its date when the text is not blank.
struct TDateFieldValue {
    std::u16string Text;
    std::chrono::year_month_day Date;
};

class TVerificationView {
public:
    virtual ~TVerificationView() = default;

    // The run's context: the host's services, the report service address and the operator.
    virtual IHostKernel& HostKernel() = 0;
    virtual IHostServer& HostServer() = 0;
    virtual std::u16string Resource() const = 0;
    virtual std::u16string OperatorCall() const = 0;

    // The user's input: the account fields as typed, the date range fields, the caption.
    virtual std::u16string LoginText() const = 0;
    virtual std::u16string PasswordText() const = 0;
    // The password as its field shows it: one password character per character while the field
    // masks it, else as typed. Messages show the password only this way.
    virtual std::u16string PasswordShown() const = 0;
    virtual TDateFieldValue FromField() const = 0;
    virtual TDateFieldValue UntilField() const = 0;
    virtual std::u16string Caption() const = 0;

    // Appends 3 x `level` blanks and `text` to the progress log, then a line break when
    // `newLine`; scrolls to the end and lets pending messages run.
    virtual void MsgProgress(int level, std::u16string_view text, bool newLine) = 0;
    // Shows `fraction` (0 to 1) as a percentage and lets pending messages run; between the ends
    // a view may let them run only every few milliseconds.
    virtual void ShowProgress(double fraction) = 0;
    // Sets the text of the status pane.
    virtual void SetStatusText(std::u16string_view text) = 0;
    // Lets every pending window message run, then returns.
    virtual void ProcessMessages() = 0;
};
