#include "Plugins/Corvane/Reconciliation.h"

#include "Base/Exceptions.h"
#include "Platform/Files.h"
#include "Plugins/Corvane/ADIF.h"
#include "Plugins/Corvane/HostCalls.h"

namespace {

using namespace std::chrono;
using namespace std::string_view_literals;

// The date written in characters 1-4 (year), 5-6 (month) and 7-8 (day) of `text`.
year_month_day ReadCompactDate(std::u16string_view text) {
    auto part = [&](std::size_t pos, std::size_t count) {
        return StrToInt(text.substr(std::min(pos, text.size()), count));
    };
    const std::int32_t year = part(0, 4);
    const std::int32_t month = part(4, 2);
    const std::int32_t day = part(6, 2);
    return EncodeDate(year, month, day);
}

// `day` at the time of day of TIME_ON (hhmmss).
TDateTime ReadQsoTime(const year_month_day& day, std::u16string_view time) {
    auto part = [&](std::size_t pos) {
        return StrToInt(time.substr(std::min(pos, time.size()), 2));
    };
    const std::int32_t hour = part(0);
    const std::int32_t minute = part(2);
    const std::int32_t second = part(4);
    return EncodeDateTime(day, hour, minute, second);
}

constexpr seconds MatchWindow{60};

void AppendMatchCondition(std::u16string& condition, const TReportRecord& record,
                          std::u16string_view logKey) {
    condition += u"OMCALL="sv;
    AppendQuotedStr(condition, record.Call);
    condition += u" AND QSOBAND="sv;
    AppendQuotedStr(condition, record.Band);
    condition += u" AND QSOMODE="sv;
    AppendQuotedStr(condition, record.Mode);
    condition += u" AND #"sv;
    AppendSqlDateTime(condition, record.QsoTime - MatchWindow);
    condition += u"#<=QSODATE AND QSODATE<=#"sv;
    AppendSqlDateTime(condition, record.QsoTime + MatchWindow);
    condition += u"# AND LOGNAME="sv;
    AppendQuotedStr(condition, logKey);
}

} // namespace

TReportRecord ReadReportRecord(std::u16string_view record, std::u16string* failedField) {
    // Runs one field's conversion; a failure names the field before it goes on.
    auto convert = [failedField](std::u16string_view field, auto&& conversion) {
        try {
            return conversion();
        } catch (...) {
            if (failedField != nullptr)
                *failedField = field;
            throw;
        }
    };
    std::u16string_view call, band, mode, qsoDate, timeOn, confirmationDate, iota, gridSquare,
        confirmed;
    const TAdifFieldRequest fields[] = {
        {u"CALL", 15, &call},         {u"BAND", 10, &band},
        {u"MODE", 12, &mode},         {u"QSO_DATE", 8, &qsoDate},
        {u"TIME_ON", 6, &timeOn},     {u"QSLRDATE", 8, &confirmationDate},
        {u"IOTA", 6, &iota},          {u"GRIDSQUARE", 8, &gridSquare},
        {u"QSL_RCVD", 1, &confirmed},
    };
    GetAdifFields(fields, record);
    TReportRecord result;
    result.Call = call;
    result.Band = band;
    result.Mode = mode;
    result.Iota = iota;
    result.GridSquare = gridSquare;
    result.Confirmed = UpperCaseAscii(confirmed) == u"Y";
    const year_month_day day = convert(u"QSO_DATE", [&] { return ReadCompactDate(qsoDate); });
    result.QsoTime = convert(u"TIME_ON", [&] { return ReadQsoTime(day, timeOn); });
    if (result.Confirmed && !result.Skipped()) {
        try {
            result.ConfirmationDate = ReadCompactDate(confirmationDate);
        } catch (const EConvertError&) {
            result.ConfirmationDateError = std::current_exception();
        }
    }
    return result;
}

std::u16string ClearCondition(std::u16string_view logKey, const TDateFieldValue& from,
                              const TDateFieldValue& until) {
    std::u16string condition = u"WHERE LOGNAME=" + QuotedStr(logKey);
    if (!IsBlank(from.Text))
        condition += u" AND #" + FormatIsoDate(sys_days{from.Date} - days{1}) + u"#<QSODATE";
    if (!IsBlank(until.Text))
        condition += u" AND QSODATE<#" + FormatIsoDate(sys_days{until.Date} + days{1}) + u"#";
    return condition;
}

std::u16string MatchCondition(const TReportRecord& record, std::u16string_view logKey) {
    std::u16string condition;
    AppendMatchCondition(condition, record, logKey);
    return condition;
}

void AppendErrorLog(Platform::TAnsiLineFile& log, std::u16string_view line) {
    if (const int error = log.Append(line))
        throw EInOutError(Platform::FileErrorText(error));
}

TReconciliation::TReconciliation(IHostServer& server, std::u16string logKey, LONG query,
                                 std::u16string errorLogPath)
    : FServer(server), FLogKey(std::move(logKey)), FQuery(query),
      FErrorLog(std::move(errorLogPath)) {}

void TReconciliation::ClearMarks(TVerificationView& view, const TDateFieldValue& from,
                                 const TDateFieldValue& until) {
    const std::u16string condition = ClearCondition(FLogKey, from, until);
    OpenQuery(FServer, FQuery, u"SELECT COUNT(*) AS CNT FROM LOGS " + condition);
    const std::optional<LONG> count = GetIntegerField(FServer, FQuery, u"CNT");
    const std::u16string countText = count ? IntToStr(*count) : u"selected";
    if (ExecuteSQL(FServer, u"UPDATE LOGS SET LOTWSENT=FALSE " + condition))
        view.MsgProgress(1, u"Clear \"LotW/S\" mark for " + countText + u" records in logbook",
                         true);
    CloseQuery(FServer, FQuery);
}

bool TReconciliation::FindQso(const TReportRecord& record) {
    FCondition.clear();
    AppendMatchCondition(FCondition, record, FLogKey);
    return RecordExists(FServer, FLogsTable, FCondition);
}

void TReconciliation::CheckConfirmationDates(const std::deque<TReportRecord>& records,
                                             std::size_t* badIndex) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].ConfirmationDateError && FindQso(records[i])) {
            if (badIndex != nullptr)
                *badIndex = i;
            std::rethrow_exception(records[i].ConfirmationDateError);
        }
    }
}

void TReconciliation::ReconcileRecord(const TReportRecord& record) {
    if (record.Skipped())
        return;
    if (!FindQso(record)) {
        ++FCounters.Errors;
        AppendErrorLog(FErrorLog, record.Call + u"\t- " + FormatUserDateTime(record.QsoTime) +
                                      u" " + record.Band + u" " + record.Mode);
        return;
    }
    FillSetList(record);
    if (FSetList.empty())
        return;
    FSql.assign(u"UPDATE LOGS SET "sv).append(FSetList).append(u" WHERE "sv).append(FCondition);
    if (ExecuteSQL(FServer, FSql)) {
        ++FCounters.Updated;
    } else {
        ++FCounters.Errors;
        AppendErrorLog(FErrorLog, record.Call + u"\t> " + FSql);
    }
}

void TReconciliation::FillSetList(const TReportRecord& record) {
    FSetList.clear();
    if (!IsBlank(record.Iota)) {
        AppendListItem(FSetList, u"IOTA="sv);
        AppendQuotedStr(FSetList, record.Iota);
    }
    if (!IsBlank(record.GridSquare)) {
        AppendListItem(FSetList, u"GRIDSQUARE="sv);
        AppendQuotedStr(FSetList, record.GridSquare);
    }
    if (record.Confirmed) {
        if (record.ConfirmationDateError)
            std::rethrow_exception(record.ConfirmationDateError);
        AppendListItem(FSetList, u"LOTWRCVDDATE=#"sv);
        AppendIsoDate(FSetList, record.ConfirmationDate);
        FSetList += u'#';
        AppendListItem(FSetList, u"LOTWRCVD=TRUE"sv);
    }
    FSql.assign(u"SELECT LOTWSENT FROM LOGS WHERE "sv).append(FCondition);
    OpenQuery(FServer, FQuery, FSql);
    const std::optional<bool> marked = GetBooleanField(FServer, FQuery, FSentColumn);
    if (marked.value_or(false))
        ++FCounters.Ignored;
    else
        AppendListItem(FSetList, u"LOTWSENT=TRUE"sv);
    CloseQuery(FServer, FQuery);
}
