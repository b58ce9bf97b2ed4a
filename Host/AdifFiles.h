// AdifFiles: ADIF log files in and out of the logbook, as the command line and the window offer
// them.
//
// Import reads every file before it adds anything, then adds all their QSOs in one transaction
// (AdifImport.h says which records are skipped and why). Export writes a log to a file that is
// replaced only once the whole text is written. One thread at a time per logbook.
#pragma once

#include "Host/Logbook.h"

#include <string>
#include <vector>

namespace RefHost {

struct TImportSummary {
    std::size_t Read = 0;             // QSOs the files hold
    std::size_t Added = 0;            // of them, those not yet in the log
    std::vector<std::string> Skipped; // one line for each record skipped
};

// Adds the QSOs of the ADIF files at `paths` to the log `logName`. Throws EAdifImportError when
// a file cannot be read at all (nothing is added then), and the logbook's EHostError.
TImportSummary ImportAdifFiles(TLogbook& logbook, const std::u16string& logName,
                               const std::vector<std::string>& paths);

// Writes the log `logName` to the file at `path` (UTF-8); returns how many QSOs it holds.
// Throws EHostError (class "EHostError") when the file cannot be written, and the logbook's
// EHostError; the file at `path` is then as it was.
std::size_t ExportAdifFile(TLogbook& logbook, const std::u16string& logName,
                           const std::string& path);

} // namespace RefHost
