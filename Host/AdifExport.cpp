#include "Host/AdifExport.h"

#include "Platform/Locale.h"

#include <cstdio>

namespace RefHost {

namespace {

constexpr std::string_view ProgramId = "refhost";
constexpr std::string_view AdifVersion = "3.1.4";

std::u16string Digits(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return Platform::Utf8ToUtf16(text);
}

std::u16string AdifDate(const TLogDateTime& date) {
    return Digits(date.Year, 4) + Digits(date.Month, 2) + Digits(date.Day, 2);
}

} // namespace

std::u16string AdifField(std::string_view name, std::u16string_view value, std::string_view type) {
    std::string tag =
        "<" + std::string(name) + ":" + std::to_string(Platform::Utf16ToUtf8(value).size());
    if (!type.empty())
        tag += ":" + std::string(type);
    return Platform::Utf8ToUtf16(tag + ">") + std::u16string(value);
}

TAdifWriter::TAdifWriter(std::ostream& out) : FOut(out) {
    const std::u16string header =
        u"ADIF export of refhost " + Platform::Utf8ToUtf16(REFHOST_VERSION) + u"\r\n" +
        AdifField("ADIF_VER", Platform::Utf8ToUtf16(AdifVersion)) + u"\r\n" +
        AdifField("PROGRAMID", Platform::Utf8ToUtf16(ProgramId)) + u"\r\n" +
        AdifField("PROGRAMVERSION", Platform::Utf8ToUtf16(REFHOST_VERSION)) + u"\r\n<EOH>\r\n";
    FOut << Platform::Utf16ToUtf8(header);
}

void TAdifWriter::Write(const TQsoRecord& qso) {
    std::u16string record;
    auto add = [&record](std::string_view name, std::u16string_view value) {
        if (!value.empty())
            record += AdifField(name, value) + u" ";
    };
    add("CALL", qso.Call);
    add("QSO_DATE", AdifDate(qso.QsoDate));
    add("TIME_ON", Digits(qso.QsoDate.Hour, 2) + Digits(qso.QsoDate.Minute, 2) +
                       Digits(qso.QsoDate.Second, 2));
    add("BAND", qso.Band);
    add("MODE", qso.Mode);
    add("IOTA", qso.Iota);
    add("GRIDSQUARE", qso.GridSquare);
    if (qso.LotwSent)
        add("LOTW_QSL_SENT", u"Y");
    if (qso.LotwRcvd)
        add("LOTW_QSL_RCVD", u"Y");
    if (qso.LotwRcvdDate)
        add("LOTW_QSLRDATE", AdifDate(*qso.LotwRcvdDate));
    if (!qso.OtherFields.empty())
        record += qso.OtherFields + u" ";
    FOut << Platform::Utf16ToUtf8(record) << "<EOR>\r\n";
}

} // namespace RefHost
