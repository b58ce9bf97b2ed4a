// AdifImport: QSOs from an ADIF (.adi) log file, for adding to the logbook.
//
// The file may open with a header: free text (the file does not start with "<"), or tags such
// as <ADIF_VER:5>3.1.4; either ends at <EOH>. A file that starts with "<" and holds no <EOH>
// has no header. Then come records of fields <NAME:LENGTH[:TYPE]>DATA, each ended by <EOR>;
// names are case-insensitive, the type indicator is ignored, LENGTH counts bytes (in a UTF-8
// file a length that counts characters is recognised when the byte count would end the value
// inside a character or before other text), and text between fields is ignored. The text is
// UTF-8 when it is valid UTF-8 (an optional byte-order mark), else ISO 8859-1.
//
// A record gives one QSO when it has CALL, QSO_DATE (YYYYMMDD), TIME_ON (HHMM or HHMMSS) and
// BAND, or FREQ in MHz from which the band is taken by the amateur band plan. MODE, IOTA,
// GRIDSQUARE, LOTW_QSL_SENT ("Y": uploaded), LOTW_QSL_RCVD ("Y" or "V": confirmed) and
// LOTW_QSLRDATE (YYYYMMDD) fill their columns; every other field is kept as it stands, in
// OtherFields. Call sign, band and mode are stored in upper case, as the LoTW report writes
// them. A record that lacks what a QSO needs, holds a value that does not read (a date that
// does not exist, a frequency outside every band) or a broken tag is skipped whole, with a
// line that gives its number, its call sign and why. Only a file whose text cannot be read at
// all (a free-text header without <EOH>) throws EAdifImportError. Pure functions; thread-safe.
#pragma once

#include "Host/Logbook.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace RefHost {

class EAdifImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TAdifImport {
    std::vector<TQsoRecord> Qsos;
    // One line for each record skipped: "SOURCE: record N (CALL) skipped: REASON".
    std::vector<std::string> Skipped;
};

// The QSOs of ADIF `text` for the log `logName`; `source` names the text in messages.
TAdifImport ReadAdifQsos(std::string_view text, const std::u16string& logName,
                         const std::string& source);

// The amateur band ("20M") that holds `megahertz`, by the ADIF band plan; nothing outside
// every band.
std::optional<std::u16string> BandOfFrequency(double megahertz);

} // namespace RefHost
