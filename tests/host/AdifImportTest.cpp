// ADIF import: the fields taken, the normalisation, and malformed files rejected whole.
#include "Host/AdifImport.h"

#include <gtest/gtest.h>

namespace RefHost {
namespace {

TEST(AdifImport, ReadsTheQsoFields) {
    const auto qsos = ReadAdifQsos(
        "\xEF\xBB\xBFLog of N0CALL <adif_ver:5>3.1.0\r\n<eoh>\r\n"
        "<call:6>dl1abc<band:3>20m<mode:3>ssb<qso_date:8>20180630<time_on:6>123456"
        "<IOTA:6>EU-005<GRIDSQUARE:4>JO01<LOTW_QSL_SENT:1>y<LOTW_QSL_RCVD:1>V"
        "<LOTW_QSLRDATE:8:D>20180704<COMMENT:7>a <b> c<eor>\r\n"
        "<CALL:4>K1AB <BAND:3>40M <MODE:2>CW <QSO_DATE:8>20180101 <TIME_ON:4>0930 <EOR>",
        u"Main", "log.adi");
    ASSERT_EQ(qsos.size(), 2u);
    const auto& first = qsos[0];
    EXPECT_EQ(first.LogName, u"Main");
    EXPECT_EQ(first.Call, u"DL1ABC");
    EXPECT_EQ(first.Band, u"20M");
    EXPECT_EQ(first.Mode, u"SSB");
    EXPECT_EQ(first.QsoDate, (TLogDateTime{2018, 6, 30, 12, 34, 56}));
    EXPECT_EQ(first.Iota, u"EU-005");
    EXPECT_EQ(first.GridSquare, u"JO01");
    EXPECT_TRUE(first.LotwSent);
    EXPECT_TRUE(first.LotwRcvd);
    EXPECT_EQ(first.LotwRcvdDate, (TLogDateTime{2018, 7, 4, 0, 0, 0}));
    EXPECT_EQ(qsos[1].QsoDate, (TLogDateTime{2018, 1, 1, 9, 30, 0}));
    EXPECT_FALSE(qsos[1].LotwSent);
    EXPECT_FALSE(qsos[1].LotwRcvdDate.has_value());
}

TEST(AdifImport, RejectsMalformedFilesWithTheirPlace) {
    const std::string qso = "<CALL:4>K1AB<BAND:3>40M<MODE:2>CW<QSO_DATE:8>20180101<TIME_ON:4>0930";
    const std::pair<std::string, std::string> bad[] = {
        {"header without end " + qso + "<EOR>", "no <EOH>"},
        {qso, "no <EOR>"},
        {qso + "<EOR><CALL:20>K1", "record 2: the field CALL runs past the end"},
        {"<CALL:x>K1<EOR>", "no valid length"},
        {"<CALL:4>K1AB<BAND>40M<EOR>", "has no length"},
        {"<CALL:4>K1AB<BAND:3>40M<EOR", "not closed"},
        {"<BAND:3>40M<MODE:2>CW<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>", "CALL is missing"},
        {"<CALL:4>K1AB<BAND:3>40M<MODE:2>CW<QSO_DATE:8>20180230<TIME_ON:4>0930<EOR>",
         "are no date and time"},
        {"<CALL:4>K1AB<BAND:3>40M<MODE:2>CW<QSO_DATE:8>20180101<TIME_ON:3>093<EOR>",
         "are no date and time"},
        {qso + "<LOTW_QSLRDATE:8>2018070X<EOR>", "LOTW_QSLRDATE"},
    };
    for (const auto& [text, expected] : bad) {
        try {
            ReadAdifQsos(text, u"Main", "bad.adi");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const EAdifImportError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
            EXPECT_TRUE(std::string(e.what()).starts_with("bad.adi: ")) << e.what();
        }
    }
}

} // namespace
} // namespace RefHost
