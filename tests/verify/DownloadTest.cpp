// The report request address, body decoding and the download's status pane.
#include "Plugins/Corvane/Download.h"
#include "Base/Exceptions.h"
#include "tests/verify/VerifyFakes.h"

#include <gtest/gtest.h>

namespace {

const std::string Fixed = "&qso_query=1&qso_qsl=no&qso_qsldetail=yes";

TEST(RequestAddress, CarriesAccountCallAndTheFilledDates) {
    struct TCase {
        const char* name;
        std::u16string login, password, call;
        TDateFieldValue from, until;
        std::string expected;
    };
    const TCase cases[] = {
        {"both dates", u"dl1abc", u"pw", u"DL1ABC", DateField(2018, 1, 2), DateField(2018, 7, 4),
         "R?login=dl1abc&password=pw" + Fixed +
             "&qso_owncall=DL1ABC&qso_startdate=2018-01-02&qso_enddate=2018-07-04"},
        {"no dates",
         u"dl1abc",
         u"pw",
         u"DL1ABC",
         EmptyDateField(),
         {u" \t", {}},
         "R?login=dl1abc&password=pw" + Fixed + "&qso_owncall=DL1ABC"},
        {"only until", u"a", u"b", u"", EmptyDateField(), DateField(2018, 7, 4),
         "R?login=a&password=b" + Fixed + "&qso_owncall=&qso_enddate=2018-07-04"},
        {"reserved characters", u"a&b c", u"p#1+2=%", u"DL1ABC/P", EmptyDateField(),
         EmptyDateField(),
         "R?login=a%26b%20c&password=p%231%2B2%3D%25" + Fixed + "&qso_owncall=DL1ABC%2FP"},
        {"unreserved and non-ASCII", u"A-z.0_9~", u"\u00e4", u"", EmptyDateField(),
         EmptyDateField(), "R?login=A-z.0_9~&password=%C3%A4" + Fixed + "&qso_owncall="},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(U8(RequestAddress(u"R", c.login, c.password, c.call, c.from, c.until)),
                  c.expected)
            << c.name;
}

TEST(DecodeBody, SplitsLinesAndHonoursByteOrderMarks) {
    using Lines = std::vector<std::string>;
    struct TCase {
        const char* name;
        std::string body;
        Lines expected;
    };
    std::vector<TCase> cases = {
        {"empty", "", {}},
        {"CR LF, LF and lone CR", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"no empty last line", "a\r\n", {"a"}},
        {"empty lines inside kept", "a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
        {"lone CR at the end", "a\r", {"a"}},
        {"UTF-8 mark", "\xEF\xBB\xBF\xC3\xA4\r\nx", {"\xC3\xA4", "x"}},
        {"UTF-16 LE mark",
         std::string("\xFF\xFE"
                     "a\0\r\0\n\0\xE4\0",
                     10),
         {"a", "\xC3\xA4"}},
        {"UTF-16 BE mark", std::string("\xFE\xFF\0a\0\n\0b", 8), {"a", "b"}},
        {"UTF-16 odd length",
         std::string("\xFF\xFE"
                     "a\0b",
                     5),
         {"a\xEF\xBF\xBD"}},
        {"long lines, a break or a non-ASCII byte anywhere in eight",
         "0123456789abcdefg\r\n012345678\xC3\xA4"
         "abcdefgh\rxyz0123456789\n\n",
         {"0123456789abcdefg", "012345678" + AnsiAsUtf8("\xC3\xA4") + "abcdefgh", "xyz0123456789",
          ""}},
    };
    // Where the ANSI code page is UTF-8 (POSIX), broken sequences follow the project's rules.
    if (Platform::ToAnsiCodePage(u"\u00e4") == "\xC3\xA4")
        cases.push_back({"invalid UTF-8 replaced",
                         "a\xFF\xC3(\xE2\x82\r\nb",
                         {"a\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD", "b"}});
    for (const TCase& c : cases) {
        Lines lines;
        for (const std::u16string& line : DecodeBody(c.body))
            lines.push_back(U8(line));
        EXPECT_EQ(lines, c.expected) << c.name;
    }
}

TEST(BodyTextHolds, FindsTheTextInAnyEncodingButNotAcrossLines) {
    const std::pair<std::string, bool> cases[] = {
        {"<p>x</p>\r\n<HTML><body>", true},
        {"<html><body>", false},
        {"<HT\r\nML>", false},
        {"\xEF\xBB\xBF\xC3\xA4<HTML>", true},
        {std::string("\xFF\xFE<\0H\0T\0M\0L\0>\0", 14), true},
        {std::string("\xFE\xFF\0<\0H\0T\0M\0L\0\n\0>", 16), false},
    };
    for (const auto& [body, holds] : cases)
        EXPECT_EQ(BodyTextHolds(body, "<HTML>"), holds) << body;
}

class DownloadInboxTest : public testing::Test {
protected:
    TEvents FEvents;
    TRecordingHost FHost{FEvents};
    TFakeView FView{FHost, FEvents};
    TFakeNetwork FNetwork;
    TStringList FLines{u"old"};
};

TEST_F(DownloadInboxTest, ReceivedBodyReplacesTheLines) {
    FNetwork.FResponse = {true, "<eoh>\r\n<eor>\r\n"};
    EXPECT_TRUE(DownloadInbox(FView, FNetwork.Factory(), u"https://x/r?login=a", FLines));
    EXPECT_EQ(FLines, (TStringList{u"<eoh>", u"<eor>"}));
    EXPECT_EQ(FNetwork.FAddresses, std::vector<std::string>{"https://x/r?login=a"});
    EXPECT_EQ(FNetwork.FApplicationFolders, std::vector<std::string>{"C:\\Host"});
    EXPECT_EQ(FEvents, (TEvents{"Status Trying to load data...", "Status "}));
    EXPECT_EQ(FNetwork.FLiveTransports, 0);
}

TEST_F(DownloadInboxTest, EmptyBodyIsAResponseWithoutLines) {
    FNetwork.FResponse = {true, ""};
    EXPECT_TRUE(DownloadInbox(FView, FNetwork.Factory(), u"https://x/r", FLines));
    EXPECT_TRUE(FLines.empty());
}

TEST_F(DownloadInboxTest, NoResponseLeavesTheLinesAndClearsTheStatus) {
    FNetwork.FResponse = {false, ""};
    EXPECT_FALSE(DownloadInbox(FView, FNetwork.Factory(), u"https://x/r", FLines));
    EXPECT_EQ(FLines, TStringList{u"old"});
    EXPECT_EQ(FView.FStatusText, "");
    EXPECT_EQ(FNetwork.FLiveTransports, 0);
}

TEST_F(DownloadInboxTest, AnErrorStillClearsTheStatusAndReleasesTheTransport) {
    FNetwork.FThrows = true;
    EXPECT_THROW(DownloadInbox(FView, FNetwork.Factory(), u"https://x/r", FLines), EInOutError);
    EXPECT_EQ(FEvents, (TEvents{"Status Trying to load data...", "Status "}));
    EXPECT_EQ(FNetwork.FLiveTransports, 0);
}

} // namespace
