// The whole run against a recording host: messages, statements, summary, journal, failures.
#include "Plugins/Corvane/VerificationRun.h"
#include "Base/Exceptions.h"
#include "tests/support/TempDir.h"
#include "tests/verify/VerifyFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

const std::string Window = "WHERE LOGNAME='Main' AND #2018-01-01#<QSODATE AND QSODATE<#2018-07-05#";
const std::string Header =
    Field("PROGRAMID", "LoTW") + Field("APP_LoTW_LASTQSORX", "2018-07-04 12:34:56");

std::string NumRec(int count) {
    return Field("APP_LoTW_NUMREC", std::to_string(count));
}

class VerificationRunTest : public testing::Test {
protected:
    VerificationRunTest() { FHost.FKernel.FValues[u"DOWNLOAD"] = U16(FDir.Path().string()); }

    bool Run(const std::string& body) {
        FNetwork.FResponse = {true, body};
        return TVerificationRun(FView, FNetwork.Factory()).Execute();
    }
    std::string ErrorLogPath() const { return FDir.File("Corvane.err"); }
    bool Sent(std::string_view prefix) const {
        return std::any_of(FEvents.begin(), FEvents.end(),
                           [&](const std::string& event) { return event.starts_with(prefix); });
    }
    // The events after the download, up to (without) the closing FreeQuery.
    TEvents Middle() const {
        auto begin = std::find(FEvents.begin(), FEvents.end(), "Status ");
        auto end = std::find(FEvents.begin(), FEvents.end(), "FreeQuery 42");
        return begin < end ? TEvents(begin + 1, end) : TEvents{};
    }

    TEvents FEvents;
    TRecordingHost FHost{FEvents};
    TFakeView FView{FHost, FEvents};
    TFakeNetwork FNetwork;
    TTempDir FDir;
};

TEST_F(VerificationRunTest, SuccessfulRunReportsEveryStep) {
    std::ofstream(ErrorLogPath()) << "the previous run's failures\r\n";
    FHost.FMatches = [](const std::string& condition) {
        return condition.find("'W1AW'") == std::string::npos;
    };
    const std::string body =
        Report(Header + NumRec(2), {Record("K1A", "40M", "CW", "20180630", "123456"),
                                    Record("W1AW", "20M", "FT8", "20180701", "080000")});
    ASSERT_TRUE(Run(body));

    const std::string match = "OMCALL='K1A' AND QSOBAND='40M' AND QSOMODE='CW' AND "
                              "#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35# AND "
                              "LOGNAME='Main'";
    const std::string w1aw = "OMCALL='W1AW' AND QSOBAND='20M' AND QSOMODE='FT8' AND "
                             "#2018-07-01 07:59#<=QSODATE AND QSODATE<=#2018-07-01 08:01# AND "
                             "LOGNAME='Main'";
    EXPECT_EQ(
        FEvents,
        (TEvents{
            "CreateQuery",
            "Msg 0 * Use: https://lotw.example/lotwuser/lotwreport.adi",
            "Status Trying to load data...",
            "Status ",
            "OpenQuery SELECT COUNT(*) AS CNT FROM LOGS " + Window,
            "ExecuteSQL UPDATE LOGS SET LOTWSENT=FALSE " + Window,
            "Msg 1 Clear \"LotW/S\" mark for 7 records in logbook",
            "CloseQuery",
            "Msg 1 Most recent QSO uploaded at " + ShortDate(2018, 7, 4) + " 12:34",
            "Msg 1 Received 6 lines (2 records) from inbox",
            "RecordExists LOGS " + match,
            "OpenQuery SELECT LOTWSENT FROM LOGS WHERE " + match,
            "CloseQuery",
            "ExecuteSQL UPDATE LOGS SET LOTWSENT=TRUE WHERE " + match,
            "Progress 0.333333",
            "RecordExists LOGS " + w1aw,
            "Progress 0.666667",
            "Progress 1",
            "Msg 0 * Done. All:2, Upd:1, Err:1 (00:00:00) /",
            "FreeQuery 42",
            "Progress 0",
            "WriteLog Exec: Verify logbook with LotW user inbox; All:2, Upd:1, Err:1 (00:00:00)",
            "ExecuteCommand REFRESH 0",
        }));
    EXPECT_TRUE(FView.FMemo.ends_with("(00:00:00)")) << "the last line stays open";
    std::ifstream log(ErrorLogPath(), std::ios::binary);
    const std::string logText{std::istreambuf_iterator<char>(log), {}};
    EXPECT_EQ(logText, "W1AW\t- " + ShortDate(2018, 7, 1) + " 08:00 20M FT8\r\n");
    EXPECT_EQ(FNetwork.FAddresses,
              std::vector<std::string>{"https://lotw.example/lotwuser/lotwreport.adi?login=dl1abc"
                                       "&password=secret&qso_query=1&qso_qsl=no&qso_qsldetail=yes"
                                       "&qso_owncall=DL1ABC&qso_startdate=2018-01-02"
                                       "&qso_enddate=2018-07-04"});
}

TEST(RunSummary, ListsOnlyCountersAboveZero) {
    EXPECT_EQ(U8(RunSummary(120, {117, 0, 3})), "All:120, Upd:117, Err:3");
    EXPECT_EQ(U8(RunSummary(5, {0, 0, 0})), "All:5");
    EXPECT_EQ(U8(RunSummary(4, {1, 2, 3})), "All:4, Upd:1, Ign:2, Err:3");
}

TEST(ErrorLogPath, ReplacesTheExtensionOfTheFileName) {
    EXPECT_EQ(U8(ErrorLogPath(u"Corvane.ext", u"C:\\Dl")), "C:\\Dl\\Corvane.err");
    EXPECT_EQ(U8(ErrorLogPath(u"Corvane", u"C:\\Dl")), "C:\\Dl\\Corvane.err");
    EXPECT_EQ(U8(ErrorLogPath(u"v1.2\\Corvane", u"D")), "D\\v1.2\\Corvane.err");
}

TEST_F(VerificationRunTest, SkippedRecordsCountOnlyInAll) {
    ASSERT_TRUE(Run(Report(NumRec(1), {Record("", "40M", "CW", "20180630", "123456")})));
    EXPECT_TRUE(Sent("WriteLog Exec: Verify logbook with LotW user inbox; All:1 ("));
    EXPECT_FALSE(Sent("Msg 1 Most recent")) << "no upload date in this header";
}

// Orderly failures: false, the query freed, the bar emptied, the "failed." journal line,
// no refresh, and the logbook untouched.
TEST_F(VerificationRunTest, OrderlyFailures) {
    struct TCase {
        const char* name;
        THttpResponse response;
        TEvents middle; // what the run shows after the download
    };
    const std::string record = Record("K1A", "40M", "CW", "20180630", "123456");
    const std::string badRecord = Record("K2B", "40M", "CW", "20180631", "123456");
    const TCase cases[] = {
        {"web page",
         {true, "<HTML><body>Username/password incorrect</body>\r\n"},
         {"Msg 0 * Authorization failed: dl1abc/secret"}},
        {"empty body", {true, ""}, {"Msg 0 * Error: Invalid data format received"}},
        {"no records announced",
         {true, Report(Header + NumRec(0), {record})},
         {"Msg 1 Most recent QSO uploaded at " + ShortDate(2018, 7, 4) + " 12:34",
          "Msg 0 * Error: No ADIF records received"}},
        {"more announced than held",
         {true, Report(NumRec(3), {record, record})},
         {"Msg 0 * Error: Report announces 3 records but holds 2"}},
        // The whole report is known before a bad value counts.
        {"web page after a bad record",
         {true, Report(NumRec(1), {badRecord}) + "<HTML>\r\n"},
         {"Msg 0 * Authorization failed: dl1abc/secret"}},
        {"more announced than held, one of them bad",
         {true, Report(NumRec(3), {badRecord, record})},
         {"Msg 0 * Error: Report announces 3 records but holds 2"}},
        // Processing only the first would clear the marks of the others for good.
        {"fewer announced than held",
         {true, Report(NumRec(1), {record, badRecord})},
         {"Msg 0 * Error: Report announces 1 records but holds 2"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        FEvents.clear();
        FNetwork.FResponse = c.response;
        EXPECT_FALSE(TVerificationRun(FView, FNetwork.Factory()).Execute());
        EXPECT_EQ(Middle(), c.middle);
        EXPECT_EQ(TEvents(FEvents.end() - 3, FEvents.end()),
                  (TEvents{"FreeQuery 42", "Progress 0",
                           "WriteLog Exec: Verify logbook with LotW user inbox failed."}));
    }
}

TEST_F(VerificationRunTest, LowerCaseWebPageIsTakenForAReport) {
    // Split as a report without a record count, it fails to convert.
    EXPECT_THROW(Run("<html><body>maintenance</body></html>\r\n"), EConvertError);
    EXPECT_FALSE(Sent("Msg 0 * Authorization failed"));
}

TEST_F(VerificationRunTest, NoResponseIsAResourceOpenError) {
    FNetwork.FResponse = {false, ""};
    EXPECT_FALSE(TVerificationRun(FView, FNetwork.Factory()).Execute());
    EXPECT_EQ(Middle(), (TEvents{"ShowMessage Resource open error: "
                                 "https://lotw.example/lotwuser/lotwreport.adi | Error"}));
}

// A report that does not convert raises before any mark is cleared.
TEST_F(VerificationRunTest, BadReportRaisesWithTheLogUntouched) {
    const std::string good = Record("K1A", "40M", "CW", "20180630", "123456");
    const std::string bodies[] = {
        Report(Field("PROGRAMID", "LoTW"), {good}),                           // no NUMREC
        Report(Field("APP_LoTW_NUMREC", "2x"), {good}),                       // NUMREC no number
        Report(Field("APP_LoTW_LASTQSORX", "yesterday") + NumRec(1), {good}), // bad upload time
        Report(NumRec(2), {good, Record("K2B", "40M", "CW", "20180631", "123456")}),
    };
    for (const std::string& body : bodies) {
        FEvents.clear();
        EXPECT_THROW(Run(body), EConvertError) << body;
        EXPECT_FALSE(Sent("ExecuteSQL")) << body;
        EXPECT_FALSE(Sent("WriteLog"));
        EXPECT_EQ(FEvents.back(), "FreeQuery 42") << "the query is freed on the way out";
    }
}

// A confirmed record whose QSLRDATE is no date fails the run only when it matches a QSO, and
// then before the log is touched; unmatched, it is an error of the summary like any other.
TEST_F(VerificationRunTest, BadConfirmationDateMattersOnlyForAMatchedRecord) {
    const std::string confirmed = Record("K2B", "40M", "CW", "20180630", "123456",
                                         Field("QSL_RCVD", "Y") + Field("QSLRDATE", "2018"));
    const std::string body =
        Report(NumRec(2), {Record("K1A", "40M", "CW", "20180630", "123456"), confirmed});
    FHost.FMatches = [](const std::string& condition) {
        return condition.find("'K2B'") == std::string::npos;
    };
    ASSERT_TRUE(Run(body));
    EXPECT_TRUE(Sent("WriteLog Exec: Verify logbook with LotW user inbox; All:2, Upd:1, Err:1 ("));
    std::ifstream log(ErrorLogPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(log), {}),
              "K2B\t- " + ShortDate(2018, 6, 30) + " 12:34 40M CW\r\n");

    FEvents.clear();
    FHost.FMatches = [](const std::string&) {
        return true;
    };
    EXPECT_THROW(Run(body), EConvertError);
    EXPECT_EQ(Middle(), (TEvents{"RecordExists LOGS OMCALL='K2B' AND QSOBAND='40M' AND "
                                 "QSOMODE='CW' AND #2018-06-30 12:33#<=QSODATE AND "
                                 "QSODATE<=#2018-06-30 12:35# AND LOGNAME='Main'"}));
}

TEST_F(VerificationRunTest, HostFailureMidRunStillFreesTheQuery) {
    ON_CALL(FHost.FServer, RecordExists).WillByDefault(testing::Return(E_FAIL));
    EXPECT_THROW(Run(Report(NumRec(1), {Record("K1A", "40M", "CW", "20180630", "123456")})),
                 Exception);
    EXPECT_EQ(FEvents.back(), "FreeQuery 42");
    EXPECT_FALSE(Sent("WriteLog"));
}

} // namespace
