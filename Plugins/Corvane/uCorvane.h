// uCorvane: TfrmCorvane, the verification dialog.
//
// A fixed-size modal dialog (layout: the form resource TFRMCORVANE) where the user enters the
// LoTW account and the activity dates, starts a verification with "Verify", follows its progress
// and leaves with "Close" (or Esc, or the close box; modal result mrCancel). The opener sets the
// context fields after construction and before ShowModal. The display operations (CheckActions,
// ShowProgress, MsgProgress) are how a run reports to the user; ShowProgress and MsgProgress let
// pending window messages run, so the dialog's handlers may run inside them. The unit-level
// RunFlag is shared by every dialog. User-interface thread only.
#pragma once

#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/Plugins/InterfacePtr.h"
#include "PluginAPI/Plugins/PluginForm.h"
#include "Toolkit/Controls.h"

#include <string>
#include <string_view>

// Set while a verification run is in progress and after one that succeeded; cleared at each
// activation and after a failed run. While it is set "Verify" stays disabled.
extern bool RunFlag;

// The password character of a masked password field.
inline constexpr char16_t PasswordBullet = u'\u2022';

class TfrmCorvane : public TForm {
public:
    // Builds the dialog from its layout, wires every event to its handler, then runs FormCreate.
    explicit TfrmCorvane(ICore* core);

    // Context, set by the opener.
    TInterfacePtr<IHostKernel> FHostKernel;
    TInterfacePtr<IHostServer> FHostServer;
    std::u16string FSettingsPath;
    std::u16string FSettingsSection;
    std::u16string FResource;
    std::u16string FOperatorCall;

    // "Verify" is enabled exactly when RunFlag is clear and login and password are non-blank
    // (blank: only characters of code 32 or lower). The password shows plainly while
    // "..... visible" is ticked, else as bullets.
    void CheckActions();
    // Shows `fraction` (0 to 1) as a whole percentage, truncated, in the progress pane, then
    // lets pending messages run. Values outside 0 to 1 show as 0 or 100.
    void ShowProgress(long double fraction);
    // Appends 3 x `level` blanks (none for a level of 0 or less) and `text` to the progress log,
    // then CR LF when `newLine`; scrolls the last line into view; lets pending messages run.
    void MsgProgress(int level, std::u16string_view text, bool newLine);

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
};
