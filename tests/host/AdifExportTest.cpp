// ADIF export: the text written, and import, export and import again giving the same log.
#include "Host/AdifExport.h"
#include "Host/AdifFiles.h"
#include "Host/AdifImport.h"
#include "Host/HostError.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace RefHost {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<TQsoRecord> LogOf(TLogbook& logbook) {
    std::vector<TQsoRecord> qsos;
    logbook.ForEachQso(u"Main", [&qsos](const TQsoRecord& qso) { qsos.push_back(qso); });
    return qsos;
}

TEST(AdifExport, WritesHeaderAndOneRecordALine) {
    TQsoRecord qso;
    qso.Call = u"DL1ABC";
    qso.QsoDate = {2018, 6, 30, 12, 34, 5};
    qso.Band = u"20M";
    qso.Mode = u"SSB";
    qso.GridSquare = u"JO01";
    qso.LotwSent = true;
    qso.LotwRcvd = true;
    qso.LotwRcvdDate = TLogDateTime{2018, 7, 4, 0, 0, 0};
    qso.OtherFields = u"<NAME:5>J\u00fcrg<APP_X:1:N>1";
    std::ostringstream out;
    TAdifWriter writer(out);
    writer.Write(qso);
    qso.Mode.clear();
    qso.LotwSent = qso.LotwRcvd = false;
    qso.LotwRcvdDate.reset();
    qso.OtherFields.clear();
    writer.Write(qso);
    const std::string text = out.str();
    EXPECT_TRUE(text.starts_with("ADIF export of refhost ")) << text;
    EXPECT_NE(text.find("\r\n<ADIF_VER:5>3.1.4\r\n<PROGRAMID:7>refhost\r\n<PROGRAMVERSION:"),
              std::string::npos)
        << text;
    EXPECT_TRUE(text.ends_with(
        "<EOH>\r\n"
        "<CALL:6>DL1ABC <QSO_DATE:8>20180630 <TIME_ON:6>123405 <BAND:3>20M <MODE:3>SSB "
        "<GRIDSQUARE:4>JO01 <LOTW_QSL_SENT:1>Y <LOTW_QSL_RCVD:1>Y <LOTW_QSLRDATE:8>20180704 "
        "<NAME:5>J\xC3\xBCrg<APP_X:1:N>1 <EOR>\r\n"
        "<CALL:6>DL1ABC <QSO_DATE:8>20180630 <TIME_ON:6>123405 <BAND:3>20M <GRIDSQUARE:4>JO01 "
        "<EOR>\r\n"))
        << text;
}

TEST(AdifExport, ImportExportImportGivesTheSameLog) {
    for (const char* name :
         {"text-header.adi", "tag-header.adi", "freq-no-band.adi", "utf8-characters.adi"}) {
        TTempDir dir;
        const std::string sample = ReadFile(std::string(ADIF_SAMPLES) + "/" + name);
        TLogbook first(dir.File("first.sqlite"));
        first.AddQsos(ReadAdifQsos(sample, u"Main", name).Qsos);
        EXPECT_EQ(ExportAdifFile(first, u"Main", dir.File("out.adi")), LogOf(first).size());

        TLogbook second(dir.File("second.sqlite"));
        const auto again = ReadAdifQsos(ReadFile(dir.File("out.adi")), u"Main", "out.adi");
        EXPECT_TRUE(again.Skipped.empty()) << name;
        second.AddQsos(again.Qsos);
        EXPECT_FALSE(LogOf(first).empty()) << name;
        EXPECT_EQ(LogOf(first), LogOf(second)) << name;
    }
}

TEST(AdifExport, AFileThatCannotBeWrittenIsReported) {
    TTempDir dir;
    TLogbook logbook(dir.File("log.sqlite"));
    EXPECT_THROW(ExportAdifFile(logbook, u"Main", dir.File("missing/out.adi")), EHostError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing/out.adi.part")));
}

} // namespace
} // namespace RefHost
