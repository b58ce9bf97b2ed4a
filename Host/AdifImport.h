// AdifImport: QSOs from an ADIF (.adi) log file, for adding to the logbook.
//
// The file is a free-text header ended by <EOH> (absent when the file starts with "<"), then
// records of fields <NAME:LENGTH[:TYPE]>DATA, each record ended by <EOR>; names are
// case-insensitive and LENGTH counts bytes. A record gives one QSO from CALL, BAND, MODE,
// QSO_DATE (YYYYMMDD) and TIME_ON (HHMM or HHMMSS), all required, and the optional IOTA,
// GRIDSQUARE, LOTW_QSL_SENT ("Y": uploaded), LOTW_QSL_RCVD ("Y" or "V": confirmed) and
// LOTW_QSLRDATE (YYYYMMDD). Call sign, band and mode are stored in upper case, as the LoTW
// report writes them. Anything malformed (a broken tag, a field running past the end, a
// missing required field, a date that does not exist, fields after the last <EOR>) throws
// EAdifImportError naming the source, the record and the problem; nothing is returned then.
// Pure functions; thread-safe.
#pragma once

#include "Host/Logbook.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace RefHost {

class EAdifImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The QSOs of ADIF `text` (UTF-8, an optional byte-order mark), for the log `logName`;
// `source` names the text in messages.
std::vector<TQsoRecord> ReadAdifQsos(std::string_view text, const std::u16string& logName,
                                     const std::string& source);

} // namespace RefHost
