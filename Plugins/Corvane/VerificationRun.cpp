#include "Plugins/Corvane/VerificationRun.h"

#include "Platform/Files.h"
#include "Platform/System.h"
#include "Plugins/Corvane/HostCalls.h"

namespace {

std::u16string ChangeFileExt(std::u16string_view name, std::u16string_view extension) {
    const std::size_t dot = name.find_last_of(u".\\/:");
    if (dot != std::u16string_view::npos && name[dot] == u'.')
        name = name.substr(0, dot);
    return std::u16string(name) + std::u16string(extension);
}

std::u16string JoinLines(const TStringList& lines) {
    std::u16string text;
    for (const std::u16string& line : lines)
        text += line + u"\r\n";
    return text;
}

} // namespace

std::u16string ErrorLogPath(std::u16string_view pluginName, std::u16string_view downloadFolder) {
    return std::u16string(downloadFolder) + u"\\" + ChangeFileExt(pluginName, u".err");
}

std::u16string RunSummary(int recordCount, const TReconcileCounters& counters) {
    std::u16string summary = u"All:" + IntToStr(recordCount);
    if (counters.Updated > 0)
        summary += u", Upd:" + IntToStr(counters.Updated);
    if (counters.Ignored > 0)
        summary += u", Ign:" + IntToStr(counters.Ignored);
    if (counters.Errors > 0)
        summary += u", Err:" + IntToStr(counters.Errors);
    return summary;
}

TReportReader::TReportReader()
    : FSplitter([this](std::u16string_view record) { TakeRecord(record); }) {}

void TReportReader::AddLine(std::u16string_view line) {
    ++FLineCount;
    FSplitter.Add(line);
}

void TReportReader::ReadHeader() {
    FHeaderRead = true;
    try {
        const std::u16string header = JoinLines(FSplitter.HeaderLines());
        const std::u16string lastUpload = GetAdifField(u"APP_LoTW_LASTQSORX", 20, header);
        if (!IsBlank(lastUpload))
            FCheck.LastUpload = ParseReportDateTime(lastUpload);
        FCheck.RecordCount = StrToInt(GetAdifField(u"APP_LoTW_NUMREC", 7, header));
    } catch (...) {
        FHeaderError = std::current_exception();
    }
}

void TReportReader::TakeRecord(std::u16string_view record) {
    if (!FHeaderRead)
        ReadHeader();
    const std::size_t index = FRecordsHeld++;
    if (FHeaderError || FRecordError || index >= static_cast<std::size_t>(FCheck.RecordCount))
        return;
    try {
        FCheck.Records.push_back(ReadReportRecord(record));
    } catch (...) {
        FRecordError = std::current_exception();
    }
}

TReportCheck TReportReader::Finish() {
    FSplitter.Finish();
    if (!FHeaderRead)
        ReadHeader();
    if (FHeaderError)
        std::rethrow_exception(FHeaderError);
    if (FCheck.RecordCount < 1) {
        FCheck.Failure = u"* Error: No ADIF records received";
    } else if (static_cast<std::size_t>(FCheck.RecordCount) != FRecordsHeld) {
        FCheck.Failure = u"* Error: Report announces " + IntToStr(FCheck.RecordCount) +
                         u" records but holds " + IntToStr(static_cast<std::int64_t>(FRecordsHeld));
    } else if (FRecordError) {
        std::rethrow_exception(FRecordError);
    }
    if (!FCheck.Failure.empty())
        FCheck.Records.clear();
    return std::move(FCheck);
}

TVerificationRun::TVerificationRun(TVerificationView& view, THttpTransportFactory createTransport)
    : FView(view), FCreateTransport(std::move(createTransport)) {}

bool TVerificationRun::Execute() {
    IHostKernel& kernel = FView.HostKernel();
    IHostServer& server = FView.HostServer();
    const std::u16string pluginName = GetHostValue(kernel, u"PLUGIN.NAME");
    const std::u16string errorLogPath = ErrorLogPath(pluginName, GetHostValue(kernel, u"DOWNLOAD"));
    if (Platform::FileExists(errorLogPath))
        (void)Platform::RemoveFile(
            errorLogPath); // a log that cannot be deleted is no reason to stop
    const std::u16string logKey = GetHostValue(kernel, u"LOG.TABLE");

    TQueryHandle query(server);
    const std::optional<std::u16string> summary = Process(logKey, query.Get(), errorLogPath);
    query.Free();
    FView.ShowProgress(0);

    if (summary) {
        WriteHostLog(kernel, u"Exec: " + FView.Caption() + u"; " + *summary);
        ExecuteHostCommand(kernel, u"REFRESH", u"0");
    } else {
        WriteHostLog(kernel, u"Exec: " + FView.Caption() + u" failed.");
    }
    return summary.has_value();
}

std::optional<std::u16string> TVerificationRun::Process(const std::u16string& logKey, LONG query,
                                                        const std::u16string& errorLogPath) {
    // The date fields are read once, so that the window cleared is the window downloaded.
    const TDateFieldValue from = FView.FromField();
    const TDateFieldValue until = FView.UntilField();
    const std::u16string resource = FView.Resource();
    const std::u16string address = RequestAddress(resource, FView.LoginText(), FView.PasswordText(),
                                                  FView.OperatorCall(), from, until);
    const std::uint32_t startTick = Platform::TickCount();
    FView.MsgProgress(0, u"* Use: " + resource, true);
    FView.ProcessMessages();

    std::optional<std::string> body = FetchInbox(FView, FCreateTransport, address);
    if (!body) {
        ShowHostMessage(FView.HostKernel(), u"Resource open error: " + resource, u"Error");
        return std::nullopt;
    }
    // The service answers a refused login with a web page.
    if (BodyTextHolds(*body, "<HTML>")) {
        FView.MsgProgress(
            0, u"* Authorization failed: " + FView.LoginText() + u"/" + FView.PasswordText(), true);
        return std::nullopt;
    }
    TReportReader reader;
    ForEachBodyLine(*body, [&reader](std::u16string_view line) { reader.AddLine(line); });
    body.reset();
    // The split finds neither header nor record only when no line came.
    if (reader.LineCount() == 0) {
        FView.MsgProgress(0, u"* Error: Invalid data format received", true);
        return std::nullopt;
    }

    const TReportCheck report = reader.Finish();
    TReconciliation reconciliation(FView.HostServer(), logKey, query, errorLogPath);
    if (report.Failure.empty()) {
        reconciliation.CheckConfirmationDates(report.Records);
        reconciliation.ClearMarks(FView, from, until);
    }
    if (report.LastUpload)
        FView.MsgProgress(
            1, u"Most recent QSO uploaded at " + FormatUserDateTime(*report.LastUpload), true);
    if (!report.Failure.empty()) {
        FView.MsgProgress(0, report.Failure, true);
        return std::nullopt;
    }
    FView.MsgProgress(1,
                      u"Received " + IntToStr(static_cast<std::int64_t>(reader.LineCount())) +
                          u" lines (" + IntToStr(report.RecordCount) + u" records) from inbox",
                      true);

    const double passes = report.RecordCount + 1.0;
    for (std::size_t i = 0; i < report.Records.size(); ++i) {
        reconciliation.ReconcileRecord(report.Records[i]);
        FView.ShowProgress(static_cast<double>(i + 1) / passes);
    }
    FView.ShowProgress(1);
    const std::u16string elapsed = FormatElapsed(Platform::TickCount() - startTick);
    const std::u16string summary = RunSummary(report.RecordCount, reconciliation.Counters());
    FView.MsgProgress(0, u"* Done. " + summary + u" (" + elapsed + u")", false);
    return summary + u" (" + elapsed + u")";
}
