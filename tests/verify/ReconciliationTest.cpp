// The clear step, the record step, their statements, counters and error log lines.
#include "Plugins/Corvane/Reconciliation.h"
#include "Base/Exceptions.h"
#include "tests/support/TempDir.h"
#include "tests/verify/VerifyFakes.h"

#include <gtest/gtest.h>

#include <fstream>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <sstream>

namespace {

#if defined(__SANITIZE_ADDRESS__)
struct TLeaksIgnored {
    TLeaksIgnored() { __lsan_disable(); }
    ~TLeaksIgnored() { __lsan_enable(); }
    TLeaksIgnored(const TLeaksIgnored&) = delete;
    TLeaksIgnored& operator=(const TLeaksIgnored&) = delete;
};
#else
struct TLeaksIgnored {};
#endif

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

class ReconciliationTest : public testing::Test {
protected:
    TReportRecord Read(const std::string& record) { return ReadReportRecord(U16(record)); }
    void Reconcile(const std::string& record) { FReconciliation.ReconcileRecord(Read(record)); }
    std::string ErrorLog() const { return ReadFile(FErrorLog); }
    // The events from ExecuteSQL on.
    std::vector<std::string> Updates() const {
        std::vector<std::string> updates;
        for (const std::string& event : FEvents)
            if (event.starts_with("ExecuteSQL "))
                updates.push_back(event.substr(11));
        return updates;
    }
    void ExpectCounters(int updated, int ignored, int errors) const {
        const TReconcileCounters& counters = FReconciliation.Counters();
        EXPECT_EQ(counters.Updated, updated);
        EXPECT_EQ(counters.Ignored, ignored);
        EXPECT_EQ(counters.Errors, errors);
    }

    TEvents FEvents;
    TRecordingHost FHost{FEvents};
    TFakeView FView{FHost, FEvents};
    TTempDir FDir;
    std::string FErrorLog = FDir.File("Corvane.err");
    TReconciliation FReconciliation{FHost.FServer, u"Main", TRecordingHost::QueryHandle,
                                    U16(FErrorLog)};
};

TEST_F(ReconciliationTest, ClearStepCountsThenClearsTheWindow) {
    FReconciliation.ClearMarks(FView, DateField(2018, 1, 2), DateField(2018, 7, 4));
    const std::string window =
        "WHERE LOGNAME='Main' AND #2018-01-01#<QSODATE AND QSODATE<#2018-07-05#";
    EXPECT_EQ(FEvents,
              (TEvents{"OpenQuery SELECT COUNT(*) AS CNT FROM LOGS " + window,
                       "ExecuteSQL UPDATE LOGS SET LOTWSENT=FALSE " + window,
                       "Msg 1 Clear \"LotW/S\" mark for 7 records in logbook", "CloseQuery"}));
}

TEST_F(ReconciliationTest, ClearConditionFollowsTheFilledFields) {
    struct TCase {
        std::u16string key;
        TDateFieldValue from, until;
        std::string expected;
    };
    const TCase cases[] = {
        {u"Main", EmptyDateField(), {u"  ", {}}, "WHERE LOGNAME='Main'"},
        {u"O'Brien's", EmptyDateField(), EmptyDateField(), "WHERE LOGNAME='O''Brien''s'"},
        {u"Main", DateField(2018, 3, 1), EmptyDateField(),
         "WHERE LOGNAME='Main' AND #2018-02-28#<QSODATE"},
        {u"Main", EmptyDateField(), DateField(2018, 12, 31),
         "WHERE LOGNAME='Main' AND QSODATE<#2019-01-01#"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(U8(ClearCondition(c.key, c.from, c.until)), c.expected);
}

TEST_F(ReconciliationTest, ClearStepWithoutCountOrExecution) {
    FHost.FWindowCount.reset();
    FReconciliation.ClearMarks(FView, EmptyDateField(), EmptyDateField());
    EXPECT_EQ(FEvents[2], "Msg 1 Clear \"LotW/S\" mark for selected records in logbook");

    FEvents.clear();
    FHost.FExecutes = [](const std::string&) {
        return false;
    };
    FReconciliation.ClearMarks(FView, EmptyDateField(), EmptyDateField());
    EXPECT_EQ(FEvents.size(), 3u) << "no message when the host refuses the clear";
    EXPECT_EQ(FEvents.back(), "CloseQuery");
}

TEST_F(ReconciliationTest, FullUpdateOfAnUnmarkedConfirmedQso) {
    Reconcile(Record("N0CALL", "20M", "SSB", "20180630", "123456",
                     Field("IOTA", "EU-005") + Field("GRIDSQUARE", "JO01") +
                         Field("QSL_RCVD", "Y") + Field("QSLRDATE", "20180704")));
    const std::string match = "OMCALL='N0CALL' AND QSOBAND='20M' AND QSOMODE='SSB' AND "
                              "#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35# AND "
                              "LOGNAME='Main'";
    EXPECT_EQ(FEvents, (TEvents{"RecordExists LOGS " + match,
                                "OpenQuery SELECT LOTWSENT FROM LOGS WHERE " + match, "CloseQuery",
                                "ExecuteSQL UPDATE LOGS SET IOTA='EU-005',GRIDSQUARE='JO01',"
                                "LOTWRCVDDATE=#2018-07-04#,LOTWRCVD=TRUE,LOTWSENT=TRUE WHERE " +
                                    match}));
    ExpectCounters(1, 0, 0);
}

TEST_F(ReconciliationTest, MatchWindowIsSixtySecondsCutToWholeMinutes) {
    struct TCase {
        const char* date;
        const char* time;
        const char* bounds;
    };
    const TCase cases[] = {
        // A QSO at 12:35:30 lies beyond the upper bound; one at 12:33:00 is on the lower one.
        {"20180630", "123456", "#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35#"},
        {"20180630", "123459", "#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35#"},
        {"20181231", "235930", "#2018-12-31 23:58#<=QSODATE AND QSODATE<=#2019-01-01 00:00#"},
        {"20180301", "000000", "#2018-02-28 23:59#<=QSODATE AND QSODATE<=#2018-03-01 00:01#"},
    };
    for (const TCase& c : cases) {
        const std::string condition =
            U8(MatchCondition(Read(Record("K1A", "40M", "CW", c.date, c.time)), u"Main"));
        EXPECT_NE(condition.find(c.bounds), std::string::npos) << condition;
    }
}

TEST_F(ReconciliationTest, ValuesAreQuotedAndTheCallCutToFifteen) {
    const std::string condition = U8(MatchCondition(
        Read(Record("AB1CDEFGHIJKLMNOPQ", "2m", "SS'B", "20180630", "123456")), u"O'K"));
    EXPECT_EQ(condition, "OMCALL='AB1CDEFGHIJKLMN' AND QSOBAND='2m' AND QSOMODE='SS''B' AND "
                         "#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35# AND "
                         "LOGNAME='O''K'");
}

TEST_F(ReconciliationTest, CountersFollowTheLogbook) {
    struct TCase {
        const char* name;
        std::string extra;
        std::optional<bool> marked;
        int updated, ignored;
        std::string set; // the SET list, empty when no update is sent
    };
    const TCase cases[] = {
        {"unmarked, no data", "", false, 1, 0, "LOTWSENT=TRUE"},
        {"marked, no data", "", true, 0, 1, ""},
        {"marked, IOTA", Field("IOTA", "EU-005"), true, 1, 1, "IOTA='EU-005'"},
        {"mark not valid counts as unmarked", "", std::nullopt, 1, 0, "LOTWSENT=TRUE"},
        {"blank IOTA and grid ignored", Field("IOTA", "  ") + Field("GRIDSQUARE", " "), true, 0, 1,
         ""},
        {"QSL_RCVD y", Field("QSL_RCVD", "y") + Field("QSLRDATE", "20180704"), true, 1, 1,
         "LOTWRCVDDATE=#2018-07-04#,LOTWRCVD=TRUE"},
        {"QSL_RCVD Yes read as Y", Field("QSL_RCVD", "Yes") + Field("QSLRDATE", "20180704"), true,
         1, 1, "LOTWRCVDDATE=#2018-07-04#,LOTWRCVD=TRUE"},
        {"QSL_RCVD N", Field("QSL_RCVD", "N") + Field("QSLRDATE", "20180704"), true, 0, 1, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        FEvents.clear();
        TReconciliation reconciliation(FHost.FServer, u"Main", TRecordingHost::QueryHandle,
                                       U16(FErrorLog));
        FHost.FMarked = [&](const std::string&) {
            return c.marked;
        };
        reconciliation.ReconcileRecord(
            Read(Record("K1A", "40M", "CW", "20180630", "123456", c.extra)));
        EXPECT_EQ(reconciliation.Counters().Updated, c.updated);
        EXPECT_EQ(reconciliation.Counters().Ignored, c.ignored);
        EXPECT_EQ(reconciliation.Counters().Errors, 0);
        const std::vector<std::string> updates = Updates();
        if (c.set.empty()) {
            EXPECT_TRUE(updates.empty());
        } else {
            ASSERT_EQ(updates.size(), 1u);
            EXPECT_TRUE(updates[0].starts_with("UPDATE LOGS SET " + c.set + " WHERE "))
                << updates[0];
        }
    }
    EXPECT_FALSE(std::filesystem::exists(FErrorLog));
}

TEST_F(ReconciliationTest, SecondRecordForOneQsoFindsItMarked) {
    bool marked = false;
    FHost.FMarked = [&](const std::string&) {
        return std::optional<bool>(marked);
    };
    FHost.FExecutes = [&](const std::string& statement) {
        marked = marked || statement.find("LOTWSENT=TRUE") != std::string::npos;
        return true;
    };
    Reconcile(Record("K1A", "40M", "CW", "20180630", "123456"));
    Reconcile(Record("K1A", "40M", "CW", "20180630", "123500", Field("GRIDSQUARE", "FN42")));
    ExpectCounters(2, 1, 0);
    ASSERT_EQ(Updates().size(), 2u);
    EXPECT_TRUE(Updates()[1].starts_with("UPDATE LOGS SET GRIDSQUARE='FN42' WHERE "));
}

TEST_F(ReconciliationTest, BlankCallIsSkippedButItsTimeMustConvert) {
    Reconcile(Record(" ", "40M", "CW", "20180630", "123456",
                     Field("QSL_RCVD", "Y") + Field("QSLRDATE", "bad")));
    EXPECT_TRUE(FEvents.empty());
    ExpectCounters(0, 0, 0);
    EXPECT_THROW(Read(Record("", "40M", "CW", "20180631", "123456")), EConvertError);
}

TEST_F(ReconciliationTest, BadFieldsAreConversionErrors) {
    const std::string bad[] = {
        Record("K1A", "40M", "CW", "201806", "123456"),   // day missing
        Record("K1A", "40M", "CW", "2018XX30", "123456"), // month not a number
        Record("K1A", "40M", "CW", "20180230", "123456"), // no such date
        Record("K1A", "40M", "CW", "20180630", "1234"),   // seconds missing
        Record("K1A", "40M", "CW", "20180630", "126000"), // no such time
        "<CALL:99999999999>K1A<eor>",                     // length beyond 32 bits
    };
    for (const std::string& record : bad)
        EXPECT_THROW(Read(record), EConvertError) << record;
}

// A bad QSLRDATE is raised by the record step only once the record has found its QSO.
TEST_F(ReconciliationTest, BadConfirmationDateIsRaisedOnlyForAMatch) {
    const std::string confirmed = Record("K1A", "40M", "CW", "20180630", "123456",
                                         Field("IOTA", "EU-005") + Field("QSL_RCVD", "Y"));
    FHost.FMatches = [](const std::string&) {
        return false;
    };
    Reconcile(confirmed);
    ExpectCounters(0, 0, 1);
    EXPECT_EQ(ErrorLog(), "K1A\t- " + ShortDate(2018, 6, 30) + " 12:34 40M CW\r\n");

    FHost.FMatches = [](const std::string&) {
        return true;
    };
    EXPECT_THROW(Reconcile(confirmed), EConvertError);
    EXPECT_THROW(FReconciliation.CheckConfirmationDates({Read(confirmed)}), EConvertError);
    FReconciliation.CheckConfirmationDates(
        {Read(Record("K1A", "40M", "CW", "20180630", "123456",
                     Field("QSL_RCVD", "Y") + Field("QSLRDATE", "20180704")))});
    EXPECT_TRUE(Updates().empty());
}

TEST_F(ReconciliationTest, FailuresGoToTheErrorLog) {
    FHost.FMatches = [](const std::string& condition) {
        return condition.find("'K1A'") != std::string::npos;
    };
    FHost.FExecutes = [](const std::string&) {
        return false;
    };
    Reconcile(Record("W1AW", "20M", "FT8", "20180630", "123456"));
    Reconcile(Record("K1A", "40M", "CW", "20180630", "010203"));
    ExpectCounters(0, 0, 2);
    const std::vector<std::string> updates = Updates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(ErrorLog(), "W1AW\t- " + ShortDate(2018, 6, 30) +
                              " 12:34 20M FT8\r\n"
                              "K1A\t> " +
                              updates[0] + "\r\n");
}

TEST_F(ReconciliationTest, UnwritableErrorLogIsAnInOutError) {
    FHost.FMatches = [](const std::string&) {
        return false;
    };
    TReconciliation reconciliation(FHost.FServer, u"Main", TRecordingHost::QueryHandle,
                                   U16(FDir.File("missing-folder\\Corvane.err")));
    EXPECT_THROW(
        reconciliation.ReconcileRecord(Read(Record("K1A", "40M", "CW", "20180630", "123456"))),
        EInOutError);
}

// Statements always write "hh:mm"; the user's own time separator is for the error log. The
// test builds a POSIX locale; on Windows the user's locale is the system's.
#if !defined(_WIN32)
TEST_F(ReconciliationTest, LocaleShapesTheErrorLogButNeverTheStatements) {
    const std::string locales = FDir.File("locales");
    std::filesystem::create_directories(locales);
    const std::string build =
        "localedef -i fi_FI -f UTF-8 " + locales + "/fi_FI.UTF-8 >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0)
        GTEST_SKIP() << "cannot build a test locale";
    setenv("LOCPATH", locales.c_str(), 1);
    setenv("LC_ALL", "fi_FI.UTF-8", 1);
    FHost.FMatches = [](const std::string&) {
        return false;
    };
    {
        // The C library keeps a little memory for every locale looked up through LOCPATH.
        [[maybe_unused]] TLeaksIgnored cLibraryLocaleCache;
        Reconcile(Record("K1A", "40M", "CW", "20180630", "123456"));
    }
    setenv("LC_ALL", "C", 1);
    unsetenv("LOCPATH");

    EXPECT_EQ(ErrorLog(), "K1A\t- 30.06.2018 12.34 40M CW\r\n");
    EXPECT_NE(FEvents[0].find("#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35#"),
              std::string::npos);
}
#endif

} // namespace
