// AdifExport: a log as ADIF (.adi) text, the form the logging programs read back.
//
// The text is UTF-8 with CR LF line ends: a header line naming the program, then the tags
// ADIF_VER, PROGRAMID and PROGRAMVERSION and <EOH>, then one line per QSO ended by <EOR>. A
// record holds CALL, QSO_DATE, TIME_ON (HHMMSS), BAND and, when they have a value, MODE, IOTA,
// GRIDSQUARE, LOTW_QSL_SENT ("Y" when uploaded), LOTW_QSL_RCVD ("Y" when confirmed) and
// LOTW_QSLRDATE, followed by the QSO's other fields as the import kept them. Field lengths
// count UTF-8 bytes, as the import reads them. One thread at a time per writer.
#pragma once

#include "Host/Logbook.h"

#include <ostream>
#include <string>
#include <string_view>

namespace RefHost {

// The ADIF field "<NAME:LENGTH[:TYPE]>VALUE", LENGTH being the value's UTF-8 byte count.
std::u16string AdifField(std::string_view name, std::u16string_view value,
                         std::string_view type = {});

class TAdifWriter {
public:
    // Writes the header to `out`, which must outlive the writer.
    explicit TAdifWriter(std::ostream& out);

    // Writes one record.
    void Write(const TQsoRecord& qso);

private:
    std::ostream& FOut;
};
} // namespace RefHost
