// VerificationRun: one whole verification, as the Verify button starts it.
//
// Execute deletes the previous error log, downloads the LoTW report for the dialog's account
// and dates, rejects a web page as a refused login, splits and checks the report, clears the
// uploaded marks of the date window, reconciles every announced record with progress, and
// ends with the summary in the progress log, a journal line and the host's "REFRESH". The
// report is checked completely (header values, a record count equal to the records held,
// every field conversion, and a read-only match test for each confirmed record whose QSLRDATE
// is bad) before the log is touched, so a bad report changes nothing. Orderly failures return
// false; host failures and I/O errors on the error log raise, after the host query has been
// freed.
// Synchronous on the user-interface thread; pending messages run through the view.
#pragma once

#include "Plugins/Corvane/Download.h"
#include "Plugins/Corvane/Reconciliation.h"
#include "Plugins/Corvane/VerificationView.h"

#include <cstddef>
#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

// The error log's path: the download folder, a backslash, the plug-in's file name with ".err"
// in place of its extension.
std::u16string ErrorLogPath(std::u16string_view pluginName, std::u16string_view downloadFolder);

// "All:<records>" then ", Upd:", ", Ign:", ", Err:" for each counter above 0.
std::u16string RunSummary(int recordCount, const TReconcileCounters& counters);

// What a split report announces, checked before anything is changed.
struct TReportCheck {
    std::optional<TDateTime> LastUpload; // APP_LoTW_LASTQSORX, when present
    int RecordCount = 0;                 // APP_LoTW_NUMREC
    std::deque<TReportRecord> Records;   // the announced records, converted
    std::u16string Failure;              // the progress line of an orderly failure, or empty
};

// Reads a received report line by line as it is decoded: counts the lines, splits header and
// records as SplitAdif does, and converts each announced record as soon as
// it is complete, so that neither the lines nor the record strings are held. What goes wrong
// on the way is held back until Finish, which reports it as a reader of the whole report
// would: header values first, then the record count, then the records in order.
class TReportReader {
public:
    TReportReader();

    void AddLine(std::u16string_view line);

    std::size_t LineCount() const { return FLineCount; }

    // The header values and the announced records. A record count below 1 or other than the
    // records held is an orderly failure; a bad value raises EConvertError.
    TReportCheck Finish();

private:
    // Reads the header values once the header is complete.
    void ReadHeader();
    void TakeRecord(std::u16string_view record);

    TAdifSplitter FSplitter;
    std::size_t FLineCount = 0;
    bool FHeaderRead = false;
    std::size_t FRecordsHeld = 0;
    TReportCheck FCheck;
    // The first error of the header values, and of the announced records.
    std::exception_ptr FHeaderError;
    std::exception_ptr FRecordError;
};

class TVerificationRun {
public:
    TVerificationRun(TVerificationView& view, THttpTransportFactory createTransport);

    // True when the records were processed; false after an orderly failure.
    bool Execute();

private:
    // Steps from the request to the summary; the summary with elapsed time, or nullopt.
    std::optional<std::u16string> Process(const std::u16string& logKey, LONG query,
                                          const std::u16string& errorLogPath);

    TVerificationView& FView;
    THttpTransportFactory FCreateTransport;
};
