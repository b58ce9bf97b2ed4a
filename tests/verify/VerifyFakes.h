// VerifyFakes: a recording host, dialog view and transport for the verification tests.
//
// Everything the engine does that the outside can see lands, in order, in one event list of
// UTF-8 lines, so that a test can compare whole sequences:
//   "Msg 1 Clear ..."        MsgProgress (level, text; a trailing " /" means no line end)
//   "Status Trying ..."      status pane text
//   "Progress 0.5"           progress bar
//   "OpenQuery SELECT ..."   IHostServer calls (RecordExists, OpenQuery, ExecuteSQL, CloseQuery,
//                            FreeQuery, CreateQuery)
//   "WriteLog ...", "ShowMessage <text> | <caption>", "ExecuteCommand <command> <parameter>"
// The logbook answers from rules a test sets: which match conditions find a QSO, which QSOs
// are already marked, which statements execute, and the count of the clear window.
#pragma once

#include "Platform/Locale.h"
#include "Plugins/Corvane/Download.h"
#include "Plugins/Corvane/VerificationView.h"
#include "tests/support/FakeHost.h"
#include "tests/support/Text.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

using TEvents = std::vector<std::string>;

// A date as the user reads it (the locale's short date format; "06/30/18" in the C locale), and
// bytes in the system's ANSI code page as UTF-8 (the same bytes on POSIX).
inline std::string ShortDate(int year, unsigned month, unsigned day) {
    return U8(Platform::FormatShortDate(year, month, day));
}
inline std::string AnsiAsUtf8(std::string_view bytes) {
    return U8(Platform::FromAnsiCodePage(bytes));
}

// The host's kernel and SQL service, recording into `events`.
class TRecordingHost {
public:
    explicit TRecordingHost(TEvents& events);

    // A QSO matches a record when this returns true for the match condition.
    std::function<bool(const std::string& condition)> FMatches = [](const std::string&) {
        return true;
    };
    // The matching QSO's LOTWSENT (nullopt: the host reports no value).
    std::function<std::optional<bool>(const std::string& condition)> FMarked =
        [](const std::string&) {
            return std::optional<bool>(false);
        };
    // Whether the host executes a statement.
    std::function<bool(const std::string& statement)> FExecutes = [](const std::string&) {
        return true;
    };
    // COUNT(*) of the clear window (nullopt: no valid value).
    std::optional<LONG> FWindowCount = 7;
    static constexpr LONG QueryHandle = 42;

    testing::NiceMock<TFakeHostKernel> FKernel;
    testing::NiceMock<TFakeHostServer> FServer;

private:
    TEvents& FEvents;
};

// A date field as the dialog shows it: "" for an empty field.
TDateFieldValue DateField(int year, unsigned month, unsigned day);
TDateFieldValue EmptyDateField();

// The dialog as the run sees it.
class TFakeView : public TVerificationView {
public:
    TFakeView(TRecordingHost& host, TEvents& events) : FHost(host), FEvents(events) {}

    IHostKernel& HostKernel() override { return FHost.FKernel; }
    IHostServer& HostServer() override { return FHost.FServer; }
    std::u16string Resource() const override { return FResource; }
    std::u16string OperatorCall() const override { return FOperatorCall; }
    std::u16string LoginText() const override { return FLogin; }
    std::u16string PasswordText() const override { return FPassword; }
    TDateFieldValue FromField() const override { return FFrom; }
    TDateFieldValue UntilField() const override { return FUntil; }
    std::u16string Caption() const override { return u"Verify logbook with LotW user inbox"; }

    void MsgProgress(int level, std::u16string_view text, bool newLine) override;
    void ShowProgress(double fraction) override;
    void SetStatusText(std::u16string_view text) override;
    void ProcessMessages() override {}

    std::u16string FResource = u"https://lotw.example/lotwuser/lotwreport.adi";
    std::u16string FOperatorCall = u"DL1ABC";
    std::u16string FLogin = u"dl1abc";
    std::u16string FPassword = u"secret";
    TDateFieldValue FFrom = DateField(2018, 1, 2);
    TDateFieldValue FUntil = DateField(2018, 7, 4);
    // The progress log as the memo would hold it.
    std::string FMemo;
    std::string FStatusText;

private:
    TRecordingHost& FHost;
    TEvents& FEvents;
};

// A transport that answers every GET with one prepared response and remembers what it was
// asked; `Factory()` hands out such transports.
struct TFakeNetwork {
    THttpResponse FResponse{true, ""};
    // When set, Get raises this instead of answering.
    bool FThrows = false;
    std::vector<std::string> FAddresses;
    std::vector<std::string> FApplicationFolders;
    int FLiveTransports = 0;

    THttpTransportFactory Factory();
};

// ADIF text: "<NAME:len>value".
std::string Field(std::string_view name, std::string_view value);

// A record line for CALL, BAND, MODE, QSO_DATE, TIME_ON plus `extra` fields, ended by <eor>.
std::string Record(std::string_view call, std::string_view band, std::string_view mode,
                   std::string_view date, std::string_view time, std::string_view extra = "");

// A report body: the usual free text, the header fields given, <eoh>, then the records; CR LF.
std::string Report(std::string_view headerFields, const std::vector<std::string>& records);
