// LotwReport: LoTW reports written the way the service writes them, for the demo, the end-to-end
// tests and the benchmarks.
//
// A report is a free-text header (title, generation time, owner, the query) with PROGRAMID,
// APP_LoTW_LASTQSORX and APP_LoTW_NUMREC and a lower-case <eoh>; then one record after another,
// each after an empty line, one field a line, closed by a lower-case <eor>. Lines end with
// CR LF. A record carries the owner's call, CALL, BAND, FREQ, MODE, APP_LoTW_MODEGROUP,
// QSO_DATE, TIME_ON, APP_LoTW_QSO_TIMESTAMP and QSL_RCVD; a confirmed one adds QSLRDATE, and
// GRIDSQUARE and IOTA when it has them. Pure functions; the same input gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SampleData {

struct TReportHeader {
    std::string OwnCall = "DL1ABC";
    std::string GeneratedAt = "2024-01-31 10:00:00"; // "YYYY-MM-DD HH:MM:SS"
    std::string StartDate = "2000-01-01";            // the query's dates, "YYYY-MM-DD"
    std::string EndDate = "2024-01-31";
    std::string LastQsoRx = "2024-01-31 09:59:00"; // APP_LoTW_LASTQSORX; left out when empty
    // APP_LoTW_NUMREC; the number of records when not given.
    std::optional<std::string> RecordCount;
};

struct TReportRecord {
    std::string Call;
    std::string Band;    // e.g. "20M"; FREQ is written for the bands of the sample tables
    std::string Mode;    // e.g. "FT8"; APP_LoTW_MODEGROUP likewise
    std::string QsoDate; // "YYYYMMDD"
    std::string TimeOn;  // "HHMMSS"
    bool Confirmed = false;
    std::string QslRDate; // "YYYYMMDD", written when confirmed
    std::string GridSquare;
    std::string Iota;
};

// The report's bytes (ASCII).
std::string WriteLotwReport(const TReportHeader& header, const std::vector<TReportRecord>& records);

// A report of `recordCount` random records, for benchmarks of the reader: about half of them
// confirmed with QSLRDATE and GRIDSQUARE, a quarter of those with IOTA.
std::string GenerateLotwReport(std::size_t recordCount, std::uint32_t seed = 1);

} // namespace SampleData
