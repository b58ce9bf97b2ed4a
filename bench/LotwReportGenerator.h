// LotwReportGenerator: synthetic LoTW reports for benchmarks, written the way the service
// writes them. A free-text header with PROGRAMID, APP_LoTW_LASTQSORX and APP_LoTW_NUMREC and a
// lower-case <eoh>, then one record after another, each after an empty line, one field a line,
// closed by a lower-case <eor>. Lines end with CR LF. About half of the records are confirmed
// and carry QSLRDATE and GRIDSQUARE; some of those carry IOTA. The same count and seed always
// give the same text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A report of `recordCount` records, as the bytes the service sends (ASCII).
std::string GenerateLotwReport(std::size_t recordCount, std::uint32_t seed = 1);
