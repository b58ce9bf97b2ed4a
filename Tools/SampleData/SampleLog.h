// SampleLog: a sample logbook and the LoTW report that goes with it, with what a verification
// over the log's whole date range must leave in the logbook.
//
// The QSOs are spread over the date range, one in each equal slice of it and at least two
// minutes apart, with varied call signs, bands and modes; some are already marked as uploaded.
// The report lists most of them, each a few seconds (0 to 5) after the logged time so that it
// matches; of the listed, some are confirmed with QSLRDATE and GRIDSQUARE, a quarter of those
// with IOTA. A few more records name calls the log does not hold and so find no QSO. Records
// are in time order. The same options always give the same sample. Pure functions.
#pragma once

#include "Tools/SampleData/LotwReport.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SampleData {

struct TSampleOptions {
    std::size_t Qsos = 300;
    std::uint32_t Seed = 1;
    std::chrono::sys_days From{std::chrono::year{2024} / 1 / 1};
    std::chrono::sys_days Until{std::chrono::year{2024} / 6 / 30};
    unsigned ListedPercent = 85;    // of the QSOs, listed in the report
    unsigned ConfirmedPercent = 40; // of the listed, confirmed
    unsigned MarkedPercent = 60;    // of the QSOs, marked as uploaded in the log before the run
    // Records that find no QSO; by default one for every 50 QSOs, at least 3.
    std::optional<std::size_t> Unmatched;
    std::string OwnCall = "DL1ABC";
};

struct TSampleQso {
    std::string Call;
    std::string Band;
    std::string Mode;
    std::chrono::sys_seconds Time;
    bool MarkedBefore = false; // the log's uploaded mark before the run
    // What the report says of it, and so what the log holds after the run:
    bool Listed = false; // uploaded mark set
    bool Confirmed = false;
    std::string QslRDate; // "YYYYMMDD" when confirmed
    std::string GridSquare;
    std::string Iota;
};

struct TSampleLog {
    std::vector<TSampleQso> Qsos; // in time order
    TReportHeader Header;
    std::vector<TReportRecord> Records;
    std::size_t Listed = 0;    // records that match a QSO
    std::size_t Unmatched = 0; // records that find none
};

// Throws std::invalid_argument when the range is too short for the QSOs (less than four
// minutes a QSO) or a percentage is above 100.
TSampleLog GenerateSampleLog(const TSampleOptions& options);

// The logbook as an ADIF file (CALL, BAND, MODE, QSO_DATE, TIME_ON, LOTW_QSL_SENT).
std::string WriteLogbookAdif(const TSampleLog& sample);

// "YYYYMMDD" and "HHMMSS" of a moment.
std::string AdifDate(std::chrono::sys_seconds time);
std::string AdifTime(std::chrono::sys_seconds time);

} // namespace SampleData
