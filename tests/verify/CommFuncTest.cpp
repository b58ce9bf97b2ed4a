// The conversions behind the report's numbers, dates and times.
#include "Base/Exceptions.h"
#include "Plugins/Corvane/uCommFunc.h"
#include "tests/verify/VerifyFakes.h"

#include <gtest/gtest.h>

using namespace std::chrono;

TEST(StrToInt, AcceptsDecimalIntegersOnly) {
    EXPECT_EQ(StrToInt(u"120"), 120);
    EXPECT_EQ(StrToInt(u"  -7"), -7);
    EXPECT_EQ(StrToInt(u"2147483647"), 2147483647);
    EXPECT_EQ(StrToInt(u"-2147483648"), -2147483647 - 1);
    for (const char16_t* bad :
         {u"", u" ", u"12a", u"1 ", u"+", u"2147483648", u"99999999999999999999"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << U8(bad);
}

TEST(ParseReportDateTime, ReadsTheServicesTimestamps) {
    const TDateTime expected = sys_days{2018y / 7 / 4} + 12h + 34min + 56s;
    EXPECT_EQ(ParseReportDateTime(u"2018-07-04 12:34:56"), expected);
    EXPECT_EQ(ParseReportDateTime(u" 2018-7-4 12:34:56 "), expected);
    EXPECT_EQ(ParseReportDateTime(u"2018-07-04 12:34"), expected - 56s);
    EXPECT_EQ(ParseReportDateTime(u"2018-07-04"), sys_days{2018y / 7 / 4});
    for (const char16_t* bad : {u"04.07.2018 12:34", u"2018-02-30 00:00:00", u"2018-07-04 24:00:00",
                                u"2018-07-04T12:34:56", u"2018-07-04 12", u"yesterday"}) {
        try {
            ParseReportDateTime(bad);
            ADD_FAILURE() << "accepted " << U8(bad);
        } catch (const EConvertError& e) {
            EXPECT_EQ(U8(e.Message()), "'" + U8(bad) + "' is not a valid date and time");
        }
    }
}

TEST(FormatElapsed, IsATimeOfDayThatWrapsAtMidnight) {
    EXPECT_EQ(U8(FormatElapsed(42'999)), "00:00:42");
    EXPECT_EQ(U8(FormatElapsed(3'723'000)), "01:02:03");
    EXPECT_EQ(U8(FormatElapsed(25 * 3'600'000u + 1000)), "01:00:01");
}

TEST(EncodeDate, RejectsDatesThatDoNotExist) {
    EXPECT_EQ(EncodeDate(2016, 2, 29), 2016y / 2 / 29);
    EXPECT_THROW(EncodeDate(2018, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2018, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDateTime(2018y / 1 / 1, 12, 60, 0), EConvertError);
}

TEST(SqlText, QuotesDoubleInnerQuotesAndListsJoinWithCommas) {
    const std::pair<std::u16string, std::string> quoted[] = {
        {u"", "''"}, {u"DL1ABC", "'DL1ABC'"}, {u"O'Brien", "'O''Brien'"}, {u"''x'", "'''''x'''"}};
    for (const auto& [text, expected] : quoted)
        EXPECT_EQ(U8(QuotedStr(text)), expected) << U8(text);

    std::u16string list;
    for (const char16_t* item : {u"IOTA='EU-005'", u"", u"LOTWSENT=TRUE"})
        AppendListItem(list, item);
    EXPECT_EQ(U8(list), "IOTA='EU-005',,LOTWSENT=TRUE");

    EXPECT_TRUE(IsBlank(u" \t\r\n"));
    EXPECT_TRUE(IsBlank(u""));
    EXPECT_FALSE(IsBlank(u"  x  "));
    EXPECT_EQ(U8(FormatSqlDateTime(sys_days{2018y / 7 / 4} + 9h + 5min + 59s)), "2018-07-04 09:05");
}
