// ADIF import: the fields taken, the files real logging programs write, and records that
// cannot be read skipped one by one with their reason.
#include "Host/AdifImport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace RefHost {
namespace {

std::string Sample(const std::string& name) {
    std::ifstream file(std::string(ADIF_SAMPLES) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(AdifImport, ReadsTheQsoFieldsAndKeepsTheOthers) {
    const auto read =
        ReadAdifQsos("\xEF\xBB\xBFLog of N0CALL <adif_ver:5>3.1.0\r\n<eoh>\r\n"
                     "<call:6>dl1abc<band:3>20m<mode:3>ssb<qso_date:8>20180630<time_on:6>123456"
                     "<IOTA:6>EU-005<GRIDSQUARE:4>JO01<LOTW_QSL_SENT:1>y<LOTW_QSL_RCVD:1>V"
                     "<LOTW_QSLRDATE:8:D>20180704<COMMENT:7>a <b> c<app_x_id:2:N>17<eor>\r\n"
                     "<CALL:4>K1AB <BAND:3>40M <QSO_DATE:8>20180101 <TIME_ON:4>0930 <EOR>",
                     u"Main", "log.adi");
    EXPECT_TRUE(read.Skipped.empty());
    ASSERT_EQ(read.Qsos.size(), 2u);
    const auto& first = read.Qsos[0];
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
    EXPECT_EQ(first.OtherFields, u"<COMMENT:7>a <b> c<APP_X_ID:2:N>17");
    EXPECT_EQ(read.Qsos[1].QsoDate, (TLogDateTime{2018, 1, 1, 9, 30, 0}));
    EXPECT_EQ(read.Qsos[1].Mode, u"");
    EXPECT_FALSE(read.Qsos[1].LotwSent);
    EXPECT_FALSE(read.Qsos[1].LotwRcvdDate.has_value());
}

// Each bad record stands between two good ones: only it is skipped, with its reason.
TEST(AdifImport, SkipsEachRecordItCannotReadWithItsReason) {
    const std::string good = "<CALL:4>K1AB<BAND:3>40M<MODE:2>CW<QSO_DATE:8>20180101<TIME_ON:4>"
                             "0930<EOR>\n";
    const std::pair<std::string, std::string> bad[] = {
        {"<BAND:3>40M<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>",
         "(no call sign) skipped: it has no CALL"},
        {"<CALL:4>N0XX<BAND:3>40M<TIME_ON:4>0930<EOR>", "(N0XX) skipped: it has no QSO_DATE"},
        {"<CALL:4>N0XX<BAND:3>40M<QSO_DATE:8>20180101<EOR>", "it has no TIME_ON"},
        {"<CALL:4>N0XX<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>", "it has neither BAND nor FREQ"},
        {"<CALL:4>N0XX<FREQ:3>abc<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>", "FREQ abc is in no"},
        {"<CALL:4>N0XX<BAND:3>40M<QSO_DATE:8>20180230<TIME_ON:4>0930<EOR>",
         "QSO_DATE 20180230 is no date"},
        {"<CALL:4>N0XX<BAND:3>40M<QSO_DATE:8>20180101<TIME_ON:4>2460<EOR>",
         "TIME_ON 2460 is no time"},
        {"<CALL:4>N0XX<BAND:3>40M<QSO_DATE:8>20180101<TIME_ON:3>093<EOR>",
         "TIME_ON 093 is no time"},
        {"<CALL:4>N0XX<BAND:3>40M<QSO_DATE:8>20180101<TIME_ON:4>0930<LOTW_QSLRDATE:8>2018070X<EOR>",
         "LOTW_QSLRDATE 2018070X is no date"},
        {"<CALL:4>N0XX<BAND:x>40M<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>", "no valid length"},
        {"<CALL:4>N0XX<BAND>40M<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>", "<BAND> has no length"},
        {"<CALL:4>N0XX< BAND:3>40M<QSO_DATE:8>20180101<TIME_ON:4>0930<EOR>", "a stray \"<\""},
    };
    for (const auto& [record, reason] : bad) {
        const auto read = ReadAdifQsos(good + record + "\n" + good, u"Main", "bad.adi");
        EXPECT_EQ(read.Qsos.size(), 2u) << record;
        ASSERT_EQ(read.Skipped.size(), 1u) << record;
        EXPECT_TRUE(read.Skipped[0].starts_with("bad.adi: record 2 (")) << read.Skipped[0];
        EXPECT_NE(read.Skipped[0].find(reason), std::string::npos) << read.Skipped[0];
    }
    // A broken end keeps the records before it.
    for (const std::string end : {"<CALL:4>N0XX<BAND:3>40M", "<CALL:20>N0XX", "<CALL:4>N0XX<EOR"}) {
        const auto read = ReadAdifQsos(good + end, u"Main", "bad.adi");
        EXPECT_EQ(read.Qsos.size(), 1u) << end;
        EXPECT_EQ(read.Skipped.size(), 1u) << end;
    }
    EXPECT_THROW(ReadAdifQsos("a header without its end " + good, u"Main", "bad.adi"),
                 EAdifImportError);
}

TEST(AdifImport, BandComesFromTheFrequencyByTheBandPlan) {
    const std::pair<double, const char16_t*> cases[] = {
        {0.136, u"2190M"}, {1.8, u"160M"},  {3.573, u"80M"}, {7.0125, u"40M"}, {14.35, u"20M"},
        {28.074, u"10M"},  {50.313, u"6M"}, {145.5, u"2M"},  {432.1, u"70CM"}, {10368.0, u"3CM"},
    };
    for (const auto& [megahertz, band] : cases)
        EXPECT_EQ(BandOfFrequency(megahertz), std::u16string(band)) << megahertz;
    for (double outside : {0.0, 14.351, 99.999, 1e9})
        EXPECT_FALSE(BandOfFrequency(outside).has_value()) << outside;
}

// Files in the styles logging programs write (see tests/host/samples).
TEST(AdifImport, ReadsTheSampleLogs) {
    const auto text = ReadAdifQsos(Sample("text-header.adi"), u"Main", "text-header.adi");
    ASSERT_EQ(text.Qsos.size(), 3u);
    EXPECT_EQ(text.Qsos[2].OtherFields, u"<COMMENT:15>tnx for <3 qsos");
    EXPECT_EQ(text.Skipped, std::vector<std::string>{
                                "text-header.adi: record 3 (F5AA) skipped: it has no QSO_DATE"});

    const auto tags = ReadAdifQsos(Sample("tag-header.adi"), u"Main", "tag-header.adi");
    ASSERT_EQ(tags.Qsos.size(), 2u);
    EXPECT_TRUE(tags.Skipped.empty());
    EXPECT_EQ(tags.Qsos[0].Call, u"G4ABC");
    EXPECT_EQ(tags.Qsos[0].QsoDate, (TLogDateTime{2023, 2, 28, 23, 59, 59}));
    EXPECT_EQ(tags.Qsos[0].Band, u"2M");
    EXPECT_TRUE(tags.Qsos[0].LotwSent && tags.Qsos[0].LotwRcvd);
    EXPECT_EQ(tags.Qsos[0].OtherFields, u"<FREQ:7:n>145.500");
    EXPECT_EQ(tags.Qsos[1].Call, u"ON4XYZ");
    EXPECT_EQ(tags.Qsos[1].GridSquare, u"JO20aa");

    const auto latin = ReadAdifQsos(Sample("freq-no-band.adi"), u"Main", "freq-no-band.adi");
    ASSERT_EQ(latin.Qsos.size(), 2u);
    EXPECT_EQ(latin.Qsos[0].Band, u"40M");
    EXPECT_EQ(latin.Qsos[0].OtherFields,
              u"<FREQ:6>7.0125<NAME:7>J\u00f6rgen<QTH:9>G\u00f6teborg<APP_LOGGER_QSO_ID:4:N>1234");
    EXPECT_EQ(latin.Qsos[1].Band, u"10M");
    EXPECT_EQ(latin.Skipped,
              (std::vector<std::string>{
                  "freq-no-band.adi: record 3 (N0XX) skipped: FREQ 99.999 is in no amateur band",
                  "freq-no-band.adi: record 4 (N0YY) skipped: it has neither BAND nor FREQ"}));

    const auto utf8 = ReadAdifQsos(Sample("utf8-characters.adi"), u"Main", "utf8-characters.adi");
    ASSERT_EQ(utf8.Qsos.size(), 2u);
    EXPECT_EQ(utf8.Qsos[0].OtherFields, u"<NAME:6>J\u00e4rvi<QTH:8>Helsinki");
    EXPECT_EQ(utf8.Qsos[1].OtherFields, u"<NAME:7>J\u00fcrgen");
}

} // namespace
} // namespace RefHost
