// Reconciliation: brings the open log's rows of table LOGS into line with the LoTW report.
//
// The clear step removes the uploaded mark (LOTWSENT) from every QSO of the date window; the
// record step matches one report record to a QSO by call, band, mode and a +-60 second window,
// sets the mark again and copies the confirmation, IOTA reference and grid square. Records that
// find no QSO, or whose update the host refuses, go to the error log file and count as errors.
// All work goes through the host's SQL service on one query handle owned by the caller.
// User-interface thread only.
#pragma once

#include "Platform/Files.h"
#include "Platform/SysString.h"
#include "PluginAPI/HostInterfaces.h"
#include "Plugins/Corvane/VerificationView.h"
#include "Plugins/Corvane/uCommFunc.h"

#include <chrono>
#include <deque>
#include <exception>
#include <string>
#include <string_view>

// One report record's fields, read from its record string and converted.
struct TReportRecord {
    std::u16string Call;
    std::u16string Band;
    std::u16string Mode;
    std::u16string Iota;
    std::u16string GridSquare;
    TDateTime QsoTime;
    // QSL_RCVD begins with "Y" or "y"; ConfirmationDate is then the QSLRDATE, unless that is
    // no real date: ConfirmationDateError then holds the conversion error, which the record
    // step raises only when the record matches a QSO.
    bool Confirmed = false;
    std::chrono::year_month_day ConfirmationDate;
    std::exception_ptr ConfirmationDateError;

    // A record with a blank call sign is left alone.
    bool Skipped() const { return IsBlank(Call); }
};

// Reads the fields of a record string. Raises EConvertError for a QSO_DATE or TIME_ON that is
// no real date and time and for a declared field length beyond 32 bits; keeps the error of a
// bad QSLRDATE of a confirmed record that is not skipped. When a field's conversion fails,
// `failedField` (if given) receives its name first.
TReportRecord ReadReportRecord(std::u16string_view record, std::u16string* failedField = nullptr);

// The clear step's condition: "WHERE LOGNAME=<key>" and the bounds of the non-blank date fields.
std::u16string ClearCondition(std::u16string_view logKey, const TDateFieldValue& from,
                              const TDateFieldValue& until);

// The record step's match condition (without WHERE).
std::u16string MatchCondition(const TReportRecord& record, std::u16string_view logKey);

// Appends `line` plus CR LF in the ANSI code page to the error log `log`, creating its file when
// missing. Raises EInOutError when that fails.
void AppendErrorLog(Platform::TAnsiLineFile& log, std::u16string_view line);

struct TReconcileCounters {
    int Updated = 0; // update statements the host executed
    int Ignored = 0; // records whose QSO was already marked
    int Errors = 0;  // records without a QSO, or whose update the host refused
};

class TReconciliation {
public:
    // `query` is an open-able host query handle that stays the caller's.
    TReconciliation(IHostServer& server, std::u16string logKey, LONG query,
                    std::u16string errorLogPath);

    // Clears LOTWSENT in the window of the date fields and reports the count of QSOs there.
    void ClearMarks(TVerificationView& view, const TDateFieldValue& from,
                    const TDateFieldValue& until);

    // Raises the QSLRDATE conversion error of the first record that the record step would
    // raise it for: a confirmed record with a bad QSLRDATE that matches a QSO. Only reads,
    // so that such a report is refused before the log is touched. `badIndex` (if given)
    // receives that record's index first.
    void CheckConfirmationDates(const std::deque<TReportRecord>& records,
                                std::size_t* badIndex = nullptr);

    // Reconciles one record (nothing for a skipped one) and updates the counters. Raises the
    // record's QSLRDATE conversion error when it matches a QSO.
    void ReconcileRecord(const TReportRecord& record);

    const TReconcileCounters& Counters() const { return FCounters; }

private:
    // FSetList becomes the SET list for the QSO that FCondition matches; counts the QSO as
    // ignored when it is already marked.
    void FillSetList(const TReportRecord& record);
    // FCondition becomes the record's match condition; true when a QSO matches it.
    bool FindQso(const TReportRecord& record);

    IHostServer& FServer;
    std::u16string FLogKey;
    LONG FQuery;
    // Opened at the first failure, kept open for the next ones.
    Platform::TAnsiLineFile FErrorLog;
    TReconcileCounters FCounters;
    // The record step's texts: the names it passes to the host, the match condition, the SET
    // list and a statement. Kept from record to record so that their memory is reused.
    const TSysString FLogsTable{u"LOGS"};
    const TSysString FSentColumn{u"LOTWSENT"};
    std::u16string FCondition;
    std::u16string FSetList;
    std::u16string FSql;
};
