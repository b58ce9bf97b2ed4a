#include "Plugins/Corvane/uCorvane.h"

#include "Base/Exceptions.h"
#include "Platform/Files.h"
#include "Platform/Locale.h"
#include "Plugins/Corvane/HostCalls.h"
#include "Plugins/Corvane/HttpTransport.h"
#include "Plugins/Corvane/VerificationRun.h"
#include "Plugins/Corvane/uCommFunc.h"
#include "Plugins/Corvane/uCorvaneLayout.h"
#include "Toolkit/Application.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

namespace {

bool RunFlag = false;

} // namespace

bool RunFlagSet() {
    return RunFlag;
}

void SetRunFlag(bool set) {
    RunFlag = set;
}

namespace {

constexpr std::u16string_view kLoginKey = u"Login";
constexpr std::u16string_view kPasswordKey = u"Password";
constexpr std::u16string_view kResourceKey = u"Resource";

// The hourglass over every window of the plug-in for the life of the object.
class TBusyPointer {
public:
    TBusyPointer() { Toolkit::Application().SetCursor(Toolkit::TCursor::HourGlass); }
    ~TBusyPointer() { Toolkit::Application().SetCursor(Toolkit::TCursor::Default); }
    TBusyPointer(const TBusyPointer&) = delete;
    TBusyPointer& operator=(const TBusyPointer&) = delete;
};

// The date the host reports for a field, or none when the field holds no value. A date that
// is not a real calendar date is refused by the date field that receives it.
std::optional<Toolkit::TDate> QueryDate(IHostServer& server, LONG query,
                                        std::u16string_view column) {
    const std::optional<THostDateTime> value = GetDateTimeField(server, query, column);
    if (!value)
        return std::nullopt;
    return Toolkit::TDate{value->Year, value->Month, value->Day};
}

TDateFieldValue DateFieldValue(const Toolkit::TDateField& field) {
    const std::optional<Toolkit::TDate> date = field.Date();
    if (!date)
        return {};
    const auto month = static_cast<unsigned>(date->Month);
    const auto day = static_cast<unsigned>(date->Day);
    return {Platform::FormatShortDate(date->Year, month, day),
            std::chrono::year_month_day{std::chrono::year{date->Year}, std::chrono::month{month},
                                        std::chrono::day{day}}};
}

std::u16string MissingTlsLibrariesText(std::u16string_view applicationFolder,
                                       std::u16string_view applicationName) {
    return u"Not found libraries for secure web connection:\r\n"
           u"please put libeay32.dll and ssleay32.dll in application folder\r\n"
           u"\"" +
           std::u16string(applicationFolder) + u"\"\r\nand restart " +
           std::u16string(applicationName) + u" application.";
}

} // namespace

void TSettingsStore::Configure(std::u16string path) {
    FPath = std::move(path);
    FFile.reset();
}

Platform::TIniFile& TSettingsStore::File() {
    if (!FFile)
        FFile.emplace(FPath);
    return *FFile;
}

TfrmCorvane::TfrmCorvane(ICore* core, TDialogContext context)
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
      dbtUpdateCancel(Control<Toolkit::TButton>(u"dbtUpdateCancel")), FContext(std::move(context)) {
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
    const bool canVerify = !RunFlag && !IsBlank(edLogin.Text()) && !IsBlank(edPassword.Text());
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
    // A run moves the bar once per record, thousands of times a second: in between its ends
    // the messages run at the toolkit's interval, which still repaints the bar and answers
    // clicks many times a second. The ends (0 and 1) always let them run, so the bar's last
    // state shows at once.
    if (fraction > 0 && fraction < 1)
        Toolkit::Application().ProcessMessagesAtInterval();
    else
        Toolkit::Application().ProcessMessages();
}

void TfrmCorvane::ShowProgress(double fraction) {
    ShowProgress(static_cast<long double>(fraction));
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

bool TfrmCorvane::RunVerification() {
    return TVerificationRun(*this, CreateHttpTransport).Execute();
}

IHostKernel& TfrmCorvane::HostKernel() {
    if (!FContext.HostKernel)
        throw EInvalidOperation(u"The dialog has no host kernel.");
    return *FContext.HostKernel.Get();
}

IHostServer& TfrmCorvane::HostServer() {
    if (!FContext.HostServer)
        throw EInvalidOperation(u"The dialog has no host server.");
    return *FContext.HostServer.Get();
}

TDateFieldValue TfrmCorvane::FromField() const {
    return DateFieldValue(dtLogFrom);
}

TDateFieldValue TfrmCorvane::UntilField() const {
    return DateFieldValue(dtLogUntil);
}

void TfrmCorvane::SetStatusText(std::u16string_view text) {
    psInfo.SetCaption(text);
}

void TfrmCorvane::ProcessMessages() {
    Toolkit::Application().ProcessMessages();
}

void TfrmCorvane::FormCreate() {
    // The store opens the file at the first activation.
    iniVerify.Configure(FContext.SettingsPath);
}

void TfrmCorvane::FormActivate() {
    mProgress.SetText(u"");
    LoadSettings();
    grSrvAcc.SetCaption(u"ARRL LotW user account");
    lbAcct.SetCaption(FContext.OperatorCall);
    grActDates.SetCaption(u"Activity dates");
    lbLog.SetCaption(GetHostValue(HostKernel(), u"LOG.NAME"));
    LoadLogDates();
    RunFlag = false;
    psInfo.SetCaption(u"");
    ShowProgress(0.0L);
    CheckActions();
}

void TfrmCorvane::LoadSettings() {
    Platform::TIniFile& settings = iniVerify.File();
    // A key that is present but empty gives the empty text, not the default.
    edLogin.SetText(settings.ReadString(FContext.SettingsSection, kLoginKey, u""));
    edPassword.SetText(settings.ReadString(FContext.SettingsSection, kPasswordKey, u""));
    FContext.Resource =
        settings.ReadString(FContext.SettingsSection, kResourceKey, DefaultResource);
}

void TfrmCorvane::LoadLogDates() {
    IHostServer& server = HostServer();
    const std::u16string logKey = QuotedStr(GetHostValue(HostKernel(), u"LOG.TABLE"));
    TQueryHandle query(server);
    OpenQuery(server, query.Get(),
              u"SELECT MIN(QSODATE) AS MINDATE FROM LOGS WHERE LOGNAME=" + logKey);
    dtLogFrom.SetDate(QueryDate(server, query.Get(), u"MINDATE"));
    CloseQuery(server, query.Get());
    OpenQuery(server, query.Get(),
              u"SELECT MAX(QSODATE) AS MAXDATE FROM LOGS WHERE LOGNAME=" + logKey);
    dtLogUntil.SetDate(QueryDate(server, query.Get(), u"MAXDATE"));
    // The second query is released with the handle.
    query.Free();
}

void TfrmCorvane::FormClose(Toolkit::TCloseAction&) {
    if (!RunFlag)
        return;
    try {
        WriteSetting(kResourceKey, FContext.Resource);
        WriteSetting(kLoginKey, edLogin.Text());
        WriteSetting(kPasswordKey, edPassword.Text());
    } catch (...) {
        // Reported, and the dialog closes all the same: a settings file that can never be
        // written must not keep the user from leaving.
        Toolkit::Application().HandleException(std::current_exception());
    }
}

void TfrmCorvane::WriteSetting(std::u16string_view key, std::u16string_view value) {
    Platform::TIniFile& settings = iniVerify.File();
    if (const int error = settings.WriteString(FContext.SettingsSection, key, value))
        throw EInOutError(u"Cannot write the settings file \"" + settings.FileName() + u"\": " +
                          Platform::FileErrorText(error));
}

bool TfrmCorvane::TlsLibrariesPresent(std::u16string_view applicationFolder) const {
    if (UpperCaseAscii(FContext.Resource).find(u"HTTPS://") == std::u16string::npos)
        return true;
    const std::u16string folder(applicationFolder);
    return Platform::FileExists(folder + u"\\libeay32.dll") &&
           Platform::FileExists(folder + u"\\ssleay32.dll");
}

void TfrmCorvane::dbtUpdateClickOk() {
    IHostKernel& kernel = HostKernel();
    const std::u16string applicationFolder = GetHostValue(kernel, u"APPPATH");
    const std::u16string applicationName = GetHostValue(kernel, u"APPNAME");
    if (!TlsLibrariesPresent(applicationFolder)) {
        ShowHostMessage(kernel, MissingTlsLibrariesText(applicationFolder, applicationName),
                        u"OpenSSL components needed");
        return;
    }
    const TBusyPointer busy;
    mProgress.SetText(u"");
    RunFlag = true;
    CheckActions();
    try {
        RunFlag = RunVerification();
    } catch (...) {
        RunFlag = false;
        CheckActions();
        throw;
    }
    CheckActions();
}

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
