// uCorvane: TfrmCorvane, the verification dialog.
//
// A fixed-size modal dialog (layout: the form resource TFRMCORVANE) where the user enters the
// LoTW account and the activity dates, starts a verification with "Verify", follows its progress
// and leaves with "Close" (or Esc, or the close box; modal result mrCancel). The opener hands
// over its context (TDialogContext) at construction. The display operations (CheckActions,
// ShowProgress, MsgProgress) are how a run reports to the user; ShowProgress and MsgProgress let
// pending window messages run, so the dialog's handlers may run inside them. The run flag
// (RunFlagSet) is shared by every dialog. User-interface thread only.
//
// Activation fills the dialog from the settings file (the context's section of its INI file:
// "Login", "Password", "Resource") and from the open log (its name, its first and last QSO
// dates). "Verify" refuses an https run when the TLS library files are missing from the host's
// application folder, else runs RunVerification under the busy pointer with the run flag set;
// the flag then holds the run's result (cleared when the run raised, and the error goes on to
// the toolkit's message box). Closing while the run flag is set writes "Resource", "Login" and
// "Password" back; a settings file that cannot be written is reported and the dialog closes all
// the same. Every host call's status is checked; a failure raises.
#pragma once

#include "Platform/IniFile.h"
#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/Plugins/InterfacePtr.h"
#include "PluginForm/PluginForm.h"
#include "Plugins/Corvane/VerificationView.h"
#include "Toolkit/Controls.h"

#include <optional>
#include <string>
#include <string_view>

// The run flag, one for the plug-in and shared by every dialog: set while a verification run
// is in progress and after one that succeeded; cleared at each activation and after a failed
// run. While it is set "Verify" stays disabled and closing saves the settings.
bool RunFlagSet();
void SetRunFlag(bool set);

// The password character of a masked password field.
inline constexpr char16_t PasswordBullet = u'\u2022';

// The LoTW report service: the opener's address, and activation's when the settings file
// names none.
inline constexpr std::u16string_view DefaultResource =
    u"https://lotw.arrl.org/lotwuser/lotwreport.adi";

// A settings store that opens its file only at its first use (the first activation), so that
// building the dialog touches no file.
class TSettingsStore {
public:
    // The store will open the INI file at `path` at its first use (the path rules of TIniFile
    // apply).
    void Configure(std::u16string path);
    // The store's INI file, opened at the first call.
    Platform::TIniFile& File();

private:
    std::u16string FPath;
    std::optional<Platform::TIniFile> FFile;
};

// What the opener hands the dialog: the host's services, where the settings live, the report
// service's address until the settings name one, and the operator's call sign.
struct TDialogContext {
    TInterfacePtr<IHostKernel> HostKernel;
    TInterfacePtr<IHostServer> HostServer;
    std::u16string SettingsPath;
    std::u16string SettingsSection;
    std::u16string Resource = std::u16string(DefaultResource);
    std::u16string OperatorCall;
};

class TfrmCorvane : public TForm, public TVerificationView {
public:
    // Builds the dialog from its layout with the opener's context, wires every event to its
    // handler, then runs FormCreate.
    TfrmCorvane(ICore* core, TDialogContext context);

    // "Verify" is enabled exactly when the run flag is clear and login and password are non-blank
    // (blank: only characters of code 32 or lower). The password shows plainly while
    // "..... visible" is ticked, else as bullets.
    void CheckActions();
    // Shows `fraction` (0 to 1) as a whole percentage, truncated, in the progress pane, then
    // lets pending messages run: always at 0 and 1 and beyond, at the toolkit's message
    // interval in between. Values outside 0 to 1 show as 0 or 100.
    void ShowProgress(long double fraction);
    void ShowProgress(double fraction) override;
    // Appends 3 x `level` blanks (none for a level of 0 or less) and `text` to the progress log,
    // then CR LF when `newLine`; scrolls the last line into view; lets pending messages run.
    void MsgProgress(int level, std::u16string_view text, bool newLine) override;

    // One whole verification with the platform's HTTP transport: true when the records were
    // processed, false after an orderly failure; host and file failures raise.
    bool RunVerification();

    // The run's view of the dialog. The host services raise EInvalidOperation when the opener
    // handed none over. Resource is the address in use: the context's until activation reads
    // the settings. A date field's text is the user's short date, or empty.
    IHostKernel& HostKernel() override;
    IHostServer& HostServer() override;
    std::u16string Resource() const override { return FContext.Resource; }
    std::u16string OperatorCall() const override { return FContext.OperatorCall; }
    std::u16string LoginText() const override { return edLogin.Text(); }
    std::u16string PasswordText() const override { return edPassword.Text(); }
    TDateFieldValue FromField() const override;
    TDateFieldValue UntilField() const override;
    std::u16string Caption() const override { return TForm::Caption(); }
    void SetStatusText(std::u16string_view text) override;
    void ProcessMessages() override;

    // Controls.
    Toolkit::TEdit& edLogin;
    Toolkit::TEdit& edPassword;
    Toolkit::TCheckBox& cbVisiblePwd;
    Toolkit::TDateField& dtLogFrom;
    Toolkit::TDateField& dtLogUntil;
    Toolkit::TLabel& lbAcct;
    Toolkit::TLabel& lbLog;
    Toolkit::TGroup& grSrvAcc;
    Toolkit::TGroup& grActDates;
    Toolkit::TMemo& mProgress;
    Toolkit::TStatusPane& psInfo;
    Toolkit::TProgressPane& psProgress;
    Toolkit::TButton& dbtUpdateOk;
    Toolkit::TButton& dbtUpdateCancel;
    // The settings file: configured by FormCreate, opened at the first activation.
    TSettingsStore iniVerify;

    // Event handlers.
    void FormCreate();
    void FormActivate();
    void FormClose(Toolkit::TCloseAction& action);
    void dbtUpdateClickOk();
    void dbtUpdateClickCancel();
    void edLoginChange();
    void edPasswordChange();
    void cbVisiblePwdClick();

protected:
    void DoActivate() override;
    void DoClose(Toolkit::TCloseAction& action) override;

private:
    TDialogContext FContext;

    // Steps of activation: the stored account and address; the log's first and last QSO dates.
    void LoadSettings();
    void LoadLogDates();
    // True unless the address is an https one and a TLS library file is missing from
    // `applicationFolder`.
    bool TlsLibrariesPresent(std::u16string_view applicationFolder) const;
    // Writes one key of the settings section; a failure raises EInOutError.
    void WriteSetting(std::u16string_view key, std::u16string_view value);
};
