// The logbook database running translated dialect statements on a real SQLite file.
#include "Host/Logbook.h"
#include "Host/HostError.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace RefHost {
namespace {

TQsoRecord Qso(std::u16string log, std::u16string call, TLogDateTime date, bool sent = false) {
    TQsoRecord qso;
    qso.LogName = std::move(log);
    qso.Call = std::move(call);
    qso.QsoDate = date;
    qso.Band = u"20M";
    qso.Mode = u"SSB";
    qso.LotwSent = sent;
    return qso;
}

class LogbookTest : public testing::Test {
protected:
    void SetUp() override {
        Log.AddQsos({
            Qso(u"Main", u"N0CALL", {2018, 6, 30, 12, 33, 0}, true),
            Qso(u"Main", u"N0CALL", {2018, 6, 30, 12, 35, 30}, true),
            Qso(u"Main", u"DL1ABC", {2018, 1, 1, 0, 0, 0}, true),
            Qso(u"Main", u"DL1ABC", {2018, 7, 5, 0, 0, 0}, true),
            Qso(u"O'Hara #2", u"G4XYZ", {2017, 3, 3, 3, 3, 3}, true),
        });
    }

    TResultSet Select(std::u16string_view sql) { return Log.Query(TranslateStatement(sql)); }
    std::int64_t Count(std::u16string_view condition) {
        auto rows = Select(u"SELECT COUNT(*) AS CNT FROM LOGS WHERE " + std::u16string(condition));
        return std::get<std::int64_t>(rows.Rows.at(0).at(0));
    }

    TTempDir Dir;
    TLogbook Log{Dir.File("log.sqlite")};
};

TEST_F(LogbookTest, DateWindowsCompareExactlyAtTheirBounds) {
    // Bounds are strict: midnight of 2018-01-01 and of 2018-07-05 are outside.
    EXPECT_EQ(Count(u"LOGNAME='Main' AND #2018-01-01#<QSODATE AND QSODATE<#2018-07-05#"), 2);
    // Minute bounds: 12:33:00 is inside [12:33, 12:35], 12:35:30 is not.
    EXPECT_EQ(Count(u"OMCALL='N0CALL' AND #2018-06-30 12:33#<=QSODATE AND "
                    u"QSODATE<=#2018-06-30 12:35#"),
              1);
    // A quote and a # inside the log key are plain characters of the text.
    EXPECT_EQ(Count(u"LOGNAME='O''Hara #2'"), 1);
}

TEST_F(LogbookTest, VerificationStatementsChangeTheLog) {
    const auto window = u" WHERE LOGNAME='Main' AND #2018-01-01#<QSODATE AND QSODATE<#2018-07-05#";
    EXPECT_EQ(
        Log.Execute(TranslateStatement(u"UPDATE LOGS SET LOTWSENT=FALSE" + std::u16string(window))),
        TExecuteResult::Executed);
    EXPECT_EQ(Count(u"LOTWSENT=TRUE"), 3); // the two on the bounds and the other log

    EXPECT_EQ(Log.Execute(TranslateStatement(
                  u"UPDATE LOGS SET IOTA='EU-005',GRIDSQUARE='JO01',LOTWRCVDDATE=#2018-07-04#,"
                  u"LOTWRCVD=TRUE,LOTWSENT=TRUE WHERE OMCALL='N0CALL' AND QSOBAND='20M' AND "
                  u"QSOMODE='SSB' AND #2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35# "
                  u"AND LOGNAME='Main'")),
              TExecuteResult::Executed);
    auto rows = Select(u"SELECT IOTA, GRIDSQUARE, LOTWRCVDDATE, LOTWRCVD, LOTWSENT FROM LOGS "
                       u"WHERE OMCALL='N0CALL' AND LOTWSENT=TRUE");
    ASSERT_EQ(rows.Rows.size(), 1u);
    EXPECT_EQ(rows.Rows[0], (std::vector<TSqlValue>{u"EU-005", u"JO01", u"2018-07-04 00:00:00",
                                                    std::int64_t{1}, std::int64_t{1}}));

    rows = Select(u"SELECT MIN(QSODATE) AS MINDATE, MAX(QSODATE) AS MAXDATE FROM LOGS WHERE "
                  u"LOGNAME='Main'");
    EXPECT_EQ(rows.Columns, (std::vector<std::u16string>{u"MINDATE", u"MAXDATE"}));
    EXPECT_EQ(rows.Rows.at(0),
              (std::vector<TSqlValue>{u"2018-01-01 00:00:00", u"2018-07-05 00:00:00"}));
}

TEST_F(LogbookTest, ReusedStatementsTakeTheirNewValues) {
    for (const auto& [call, expected] : {std::pair{u"N0CALL", 2}, {u"DL1ABC", 2}, {u"NONE", 0}})
        EXPECT_EQ(Count(u"OMCALL='" + std::u16string(call) + u"'"), expected);
}

TEST_F(LogbookTest, RuntimeRefusalIsNotExecutedAndChangesNothing) {
    std::string reason;
    EXPECT_EQ(Log.Execute(TranslateStatement(u"UPDATE LOGS SET OMCALL=NULL"), &reason),
              TExecuteResult::Refused);
    EXPECT_NE(reason.find("NOT NULL"), std::string::npos) << reason;
    EXPECT_EQ(Count(u"OMCALL='N0CALL'"), 2);
}

// A transaction reaches the file whole at its commit; rolled back or left open when the
// logbook closes, nothing of it does.
TEST_F(LogbookTest, TransactionsAreAllOrNothing) {
    const auto update = TranslateStatement(u"UPDATE LOGS SET IOTA='EU-005' WHERE LOGNAME='Main'");
    const auto count = TranslateStatement(u"SELECT COUNT(*) FROM LOGS WHERE IOTA='EU-005'");
    auto counted = [&](TLogbook& logbook) {
        return std::get<std::int64_t>(logbook.Query(count).Rows.at(0).at(0));
    };
    const std::pair<void (*)(TLogbook&), std::int64_t> ends[] = {
        {[](TLogbook& logbook) { logbook.Rollback(); }, 0},
        {[](TLogbook&) {}, 0}, // closed with the transaction open
        {[](TLogbook& logbook) { logbook.Commit(); }, 4},
    };
    for (const auto& [end, expected] : ends) {
        {
            TLogbook writer(Log.Path());
            writer.Begin();
            ASSERT_EQ(writer.Execute(update), TExecuteResult::Executed);
            EXPECT_EQ(counted(writer), 4) << "the writer sees its own pending updates";
            EXPECT_EQ(counted(Log), 0);
            end(writer);
        }
        EXPECT_EQ(counted(Log), expected);
    }
}

TEST_F(LogbookTest, DatabaseErrorsThrow) {
    EXPECT_THROW(Select(u"SELECT NOSUCH FROM LOGS"), EHostError);
    EXPECT_THROW(Select(u"SELECT * FROM NOSUCH"), EHostError);
    EXPECT_THROW(Log.Query(TranslateStatement(u"UPDATE LOGS SET IOTA=''")), EHostError);
    EXPECT_THROW(TLogbook(Dir.File("missing-dir/log.sqlite")), EHostError);
}

TEST_F(LogbookTest, ImportSkipsQsosAlreadyPresent) {
    EXPECT_EQ(Log.AddQsos({Qso(u"Main", u"N0CALL", {2018, 6, 30, 12, 33, 0}),
                           Qso(u"Main", u"N0CALL", {2018, 6, 30, 12, 34, 0})}),
              1u);
    TLogbook reopened(Log.Path());
    auto rows = reopened.Query(TranslateStatement(u"SELECT COUNT(*) FROM LOGS"));
    EXPECT_EQ(std::get<std::int64_t>(rows.Rows.at(0).at(0)), 6);
}

} // namespace
} // namespace RefHost
