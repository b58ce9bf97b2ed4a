#include "Plugins/Corvane/uCorvane.h"

#include "Plugins/Corvane/uCorvaneLayout.h"
#include "Toolkit/Application.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

bool RunFlag = false;

namespace {

// True when `text` holds nothing but characters of code 32 or lower.
bool IsBlankText(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 32; });
}

} // namespace

TfrmCorvane::TfrmCorvane(ICore* core)
    : TForm(core, TFRMCORVANE), edLogin(Control<Toolkit::TEdit>(u"edLogin")),
      edPassword(Control<Toolkit::TEdit>(u"edPassword")),
      cbVisiblePwd(Control<Toolkit::TCheckBox>(u"cbVisiblePwd")),
      dtLogFrom(Control<Toolkit::TDateField>(u"dtLogFrom")),
      dtLogUntil(Control<Toolkit::TDateField>(u"dtLogUntil")),
      lbAcct(Control<Toolkit::TLabel>(u"lbAcct")), lbLog(Control<Toolkit::TLabel>(u"lbLog")),
      grSrvAcc(Control<Toolkit::TGroup>(u"grSrvAcc")),
      grActDates(Control<Toolkit::TGroup>(u"grActDates")),
      mProgress(Control<Toolkit::TMemo>(u"mProgress")),
      psInfo(Control<Toolkit::TStatusPane>(u"psInfo")),
      psProgress(Control<Toolkit::TProgressPane>(u"psProgress")),
      dbtUpdateOk(Control<Toolkit::TButton>(u"dbtUpdateOk")),
      dbtUpdateCancel(Control<Toolkit::TButton>(u"dbtUpdateCancel")) {
    dbtUpdateOk.SetOnClick([this] { dbtUpdateClickOk(); });
    dbtUpdateCancel.SetOnClick([this] { dbtUpdateClickCancel(); });
    edLogin.SetOnChange([this] { edLoginChange(); });
    edPassword.SetOnChange([this] { edPasswordChange(); });
    cbVisiblePwd.SetOnClick([this] { cbVisiblePwdClick(); });
    edPassword.SetPasswordChar(PasswordBullet);
    FormCreate();
}

void TfrmCorvane::CheckActions() {
    // The login is looked at only when no run holds the flag, the password only when the
    // login passed.
    const bool canVerify =
        !RunFlag && !IsBlankText(edLogin.Text()) && !IsBlankText(edPassword.Text());
    dbtUpdateOk.SetEnabled(canVerify);
    edPassword.SetPasswordChar(cbVisiblePwd.Checked() ? u'\0' : PasswordBullet);
    edPassword.Repaint();
}

void TfrmCorvane::ShowProgress(long double fraction) {
    // A fraction outside 0 to 1 (or no number at all) would not fit the pane's percentage.
    const long double percent = std::trunc(fraction * 100.0L);
    const auto shown =
        static_cast<std::uint16_t>(std::isnan(percent) ? 0.0L : std::clamp(percent, 0.0L, 100.0L));
    psProgress.SetPercent(shown);
    Toolkit::Application().ProcessMessages();
}

void TfrmCorvane::MsgProgress(int level, std::u16string_view text, bool newLine) {
    std::u16string log = mProgress.Text();
    if (level > 0)
        log.append(static_cast<std::size_t>(level) * 3, u' ');
    log += text;
    mProgress.SetText(log);
    if (newLine)
        mProgress.SetText(mProgress.Text() + u"\r\n");
    mProgress.LineScroll(0, mProgress.LineCount() - 1);
    Toolkit::Application().ProcessMessages();
}

void TfrmCorvane::DoActivate() {
    FormActivate();
}

void TfrmCorvane::DoClose(Toolkit::TCloseAction& action) {
    FormClose(action);
}

void TfrmCorvane::FormCreate() {}

void TfrmCorvane::FormActivate() {}

void TfrmCorvane::FormClose(Toolkit::TCloseAction&) {}

void TfrmCorvane::dbtUpdateClickOk() {}

void TfrmCorvane::dbtUpdateClickCancel() {
    Close();
}

void TfrmCorvane::edLoginChange() {
    CheckActions();
}

void TfrmCorvane::edPasswordChange() {
    CheckActions();
}

void TfrmCorvane::cbVisiblePwdClick() {
    CheckActions();
}
