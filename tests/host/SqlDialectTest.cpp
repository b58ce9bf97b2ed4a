// The dialect translator: every literal form, statement shape and rejection.
#include "Host/SqlDialect.h"
#include "Host/HostError.h"

#include <gtest/gtest.h>

namespace RefHost {
namespace {

struct TTranslation {
    std::u16string Dialect;
    std::u16string Sql;
    std::vector<TSqlValue> Parameters;
};

class SqlDialectTranslates : public testing::TestWithParam<TTranslation> {};

TEST_P(SqlDialectTranslates, ToSqliteWithBoundLiterals) {
    const auto& c = GetParam();
    const auto translated = TranslateStatement(c.Dialect);
    EXPECT_EQ(translated.Sql, c.Sql);
    EXPECT_EQ(translated.Parameters, c.Parameters);
}

using I = std::int64_t;

INSTANTIATE_TEST_SUITE_P(
    Literals, SqlDialectTranslates,
    testing::Values(
        // Date alone is midnight; hh:mm gains :00; seconds are kept.
        TTranslation{u"SELECT * FROM LOGS WHERE QSODATE<#2018-07-05#",
                     u"SELECT * FROM LOGS WHERE QSODATE<?",
                     {u"2018-07-05 00:00:00"}},
        TTranslation{u"SELECT * FROM LOGS WHERE #2018-06-30 12:33#<=QSODATE",
                     u"SELECT * FROM LOGS WHERE ?<=QSODATE",
                     {u"2018-06-30 12:33:00"}},
        TTranslation{u"SELECT * FROM LOGS WHERE QSODATE=#2016-02-29 23:59:58#",
                     u"SELECT * FROM LOGS WHERE QSODATE=?",
                     {u"2016-02-29 23:59:58"}},
        // Quotes doubled inside a text come out single; # inside text is plain text.
        TTranslation{u"SELECT * FROM LOGS WHERE LOGNAME='O''Brien''s #1#'",
                     u"SELECT * FROM LOGS WHERE LOGNAME=?",
                     {u"O'Brien's #1#"}},
        TTranslation{
            u"SELECT * FROM LOGS WHERE LOGNAME=''", u"SELECT * FROM LOGS WHERE LOGNAME=?", {u""}},
        TTranslation{u"UPDATE LOGS SET LOTWSENT=true,LOTWRCVD=FALSE,IOTA=NULL WHERE ID>=-12",
                     u"UPDATE LOGS SET LOTWSENT=?,LOTWRCVD=?,IOTA=? WHERE ID>=?",
                     {I{1}, I{0}, std::monostate{}, I{-12}}},
        TTranslation{u"select count(*) as cnt from LOGS where 2.5<>ID",
                     u"SELECT COUNT(*) AS cnt FROM LOGS WHERE ?<>ID",
                     {2.5}},
        // The statements a verification sends.
        TTranslation{u"SELECT COUNT(*) AS CNT FROM LOGS WHERE LOGNAME='Main' AND "
                     u"#2018-01-01#<QSODATE AND QSODATE<#2018-07-05#",
                     u"SELECT COUNT(*) AS CNT FROM LOGS WHERE LOGNAME=? AND ?<QSODATE AND "
                     u"QSODATE<?",
                     {u"Main", u"2018-01-01 00:00:00", u"2018-07-05 00:00:00"}},
        TTranslation{u"SELECT MIN(QSODATE) AS MINDATE, MAX(QSODATE) AS MAXDATE FROM LOGS "
                     u"ORDER BY QSODATE DESC, ID",
                     u"SELECT MIN(QSODATE) AS MINDATE,MAX(QSODATE) AS MAXDATE FROM LOGS ORDER BY "
                     u"QSODATE DESC,ID",
                     {}},
        TTranslation{u"UPDATE LOGS SET IOTA='EU-005',GRIDSQUARE='JO01',"
                     u"LOTWRCVDDATE=#2018-07-04#,LOTWRCVD=TRUE,LOTWSENT=TRUE WHERE "
                     u"OMCALL='N0CALL' AND QSOBAND='20M' AND QSOMODE='SSB' AND "
                     u"#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35# AND "
                     u"LOGNAME='Main'",
                     u"UPDATE LOGS SET IOTA=?,GRIDSQUARE=?,LOTWRCVDDATE=?,LOTWRCVD=?,LOTWSENT=? "
                     u"WHERE OMCALL=? AND QSOBAND=? AND QSOMODE=? AND ?<=QSODATE AND "
                     u"QSODATE<=? AND LOGNAME=?",
                     {u"EU-005", u"JO01", u"2018-07-04 00:00:00", I{1}, I{1}, u"N0CALL", u"20M",
                      u"SSB", u"2018-06-30 12:33:00", u"2018-06-30 12:35:00", u"Main"}}));

TEST(SqlDialect, ExistsTestWrapsTheCondition) {
    const auto translated =
        TranslateExistsTest(u"LOGS", u"OMCALL='K1''X' AND QSODATE<=#2018-06-30 12:35#");
    EXPECT_EQ(translated.Sql, u"SELECT 1 FROM LOGS WHERE OMCALL=? AND QSODATE<=? LIMIT 1");
    EXPECT_EQ(translated.Parameters, (std::vector<TSqlValue>{u"K1'X", u"2018-06-30 12:35:00"}));
}

TEST(SqlDialect, RejectsWhatIsOutsideTheDialect) {
    const std::u16string outside[] = {
        u"DELETE FROM LOGS",
        u"SELECT * FROM LOGS; DROP TABLE LOGS",
        u"SELECT * FROM LOGS WHERE A=1 OR B=2",
        u"SELECT * FROM LOGS WHERE A=1 -- comment",
        u"SELECT * FROM LOGS WHERE LOGNAME='open",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-07-05",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-30#",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-7-5#",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-07-05 24:00#",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-07-05T12:00#",
        u"SELECT * FROM LOGS WHERE IOTA=NULL",
        u"SELECT * FROM LOGS WHERE (A=1)",
        u"SELECT * FROM (SELECT * FROM LOGS)",
        u"UPDATE LOGS SET A=B",
        u"UPDATE LOGS SET A=1 WHERE",
        u"SELECT FROM LOGS",
        u"",
    };
    for (const auto& statement : outside) {
        try {
            TranslateStatement(statement);
            ADD_FAILURE() << "accepted: " << std::string(statement.begin(), statement.end());
        } catch (const EHostError& e) {
            EXPECT_EQ(e.ClassName(), "EDatabaseError");
            EXPECT_NE(std::string(e.what()).find("dialect"), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(TranslateExistsTest(u"LOGS WHERE 1=1 OR", u"A=1"), EHostError);
    EXPECT_THROW(TranslateExistsTest(u"LOGS", u"A=1 LIMIT 5"), EHostError);
}

// The translator with a memory of shapes gives what the full translation gives, on its first
// sight of a shape and on every later one.
void ExpectSameAsFullTranslation(TSqlTranslator& translator, const std::u16string& statement) {
    const auto full = TranslateStatement(statement);
    const auto remembered = translator.Statement(statement);
    EXPECT_EQ(remembered.Kind, full.Kind);
    EXPECT_EQ(remembered.Sql, full.Sql);
    EXPECT_EQ(remembered.Parameters, full.Parameters)
        << std::string(statement.begin(), statement.end());
}

TEST(SqlTranslator, AShapeSeenBeforeBindsItsNewLiteralsAsTheFullTranslation) {
    // Each pair: a statement, then one of the same shape with other literals.
    const std::pair<std::u16string, std::u16string> sameShape[] = {
        {u"SELECT * FROM LOGS WHERE LOGNAME='Main' AND QSODATE<#2018-07-05#",
         u"SELECT * FROM LOGS WHERE LOGNAME='O''Brien''s #1#' AND QSODATE<#2016-02-29 23:59:58#"},
        {u"SELECT * FROM LOGS WHERE LOGNAME='' AND ID>5",
         u"SELECT * FROM LOGS WHERE LOGNAME='''' AND ID>-2.5"},
        {u"SELECT * FROM LOGS WHERE LOGNAME='a # b' AND #2018-01-01#<QSODATE",
         u"SELECT * FROM LOGS WHERE LOGNAME='TRUE AND ID=5 \x01n' AND #2018-01-01 00:01#<QSODATE"},
        {u"UPDATE LOGS SET LOTWSENT=TRUE,IOTA=NULL,GRIDSQUARE='JO01' WHERE ID=1",
         u"UPDATE LOGS SET LOTWSENT=TRUE,IOTA=NULL,GRIDSQUARE='' WHERE ID=123456789012"},
        {u"select count(*) as cnt from LOGS where 2.5<>ID and ID1=7",
         u"select count(*) as cnt from LOGS where 3<>ID and ID1=-7"},
    };
    for (const auto& [first, second] : sameShape) {
        TSqlTranslator translator;
        ExpectSameAsFullTranslation(translator, first);
        ExpectSameAsFullTranslation(translator, second);
        ExpectSameAsFullTranslation(translator, first);
        EXPECT_EQ(translator.Shapes(), 1u) << std::string(second.begin(), second.end());
    }

    TSqlTranslator translator;
    for (const auto* condition : {u"OMCALL='K1''X' AND QSODATE<=#2018-06-30 12:35#",
                                  u"OMCALL='' AND QSODATE<=#2020-01-01#"}) {
        const auto full = TranslateExistsTest(u"LOGS", condition);
        const auto remembered = translator.ExistsTest(u"LOGS", condition);
        EXPECT_EQ(remembered.Sql, full.Sql);
        EXPECT_EQ(remembered.Parameters, full.Parameters);
    }
    EXPECT_EQ(translator.Shapes(), 1u);
}

TEST(SqlTranslator, StatementsThatDifferOutsideTheirLiteralsAreOtherShapes) {
    const std::u16string statements[] = {
        u"UPDATE LOGS SET LOTWSENT=TRUE WHERE ID=1",
        u"UPDATE LOGS SET LOTWSENT=FALSE WHERE ID=1",  // a constant word
        u"UPDATE LOGS SET LOTWRCVD=TRUE WHERE ID=1",   // a column
        u"UPDATE LOGS SET LOTWSENT=TRUE WHERE ID='1'", // text, not a number
        u"UPDATE LOGS SET LOTWSENT=TRUE WHERE ID>=1",  // an operator
        u"UPDATE LOGS SET LOTWSENT=TRUE WHERE ID=#2018-01-01#",
        u"SELECT * FROM LOGS ORDER BY ID ASC",
        u"SELECT * FROM LOGS ORDER BY ID DESC",
        u"SELECT * FROM LOGS2 ORDER BY ID DESC",
    };
    TSqlTranslator translator;
    for (const auto& statement : statements)
        ExpectSameAsFullTranslation(translator, statement);
    EXPECT_EQ(translator.Shapes(), std::size(statements));

    const auto inLogs = translator.ExistsTest(u"LOGS", u"ID=1");
    const auto inOther = translator.ExistsTest(u"OTHER", u"ID=1");
    EXPECT_EQ(inOther.Sql, u"SELECT 1 FROM OTHER WHERE ID=? LIMIT 1");
    EXPECT_NE(inLogs.Sql, inOther.Sql);
}

TEST(SqlTranslator, ALiteralOfAKnownShapeIsRefusedWithTheFullTranslationsMessage) {
    const std::u16string refused[] = {
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-30# AND ID=1",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-01# AND ID=1.2.3",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-01# AND ID=99999999999999999999",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-01# AND ID=1 OR",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-01# AND ID=1ABC",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-01# AND ID='1",
        u"SELECT * FROM LOGS WHERE QSODATE<#2018-02-01# AND ID=\x01n",
    };
    TSqlTranslator translator;
    translator.Statement(u"SELECT * FROM LOGS WHERE QSODATE<#2018-01-01# AND ID=5");
    for (const auto& statement : refused) {
        std::string expected;
        try {
            TranslateStatement(statement);
        } catch (const EHostError& e) {
            expected = e.what();
        }
        ASSERT_FALSE(expected.empty());
        try {
            translator.Statement(statement);
            ADD_FAILURE() << "accepted: " << expected;
        } catch (const EHostError& e) {
            EXPECT_EQ(e.what(), expected);
        }
    }
    EXPECT_THROW(translator.ExistsTest(u"SELECT", u"ID=1"), EHostError);
    EXPECT_THROW(translator.ExistsTest(u"LOGS WHERE 1=1 OR", u"ID=1"), EHostError);
}

TEST(SqlTranslator, ForgetsItsShapesBeyondItsCapacity) {
    TSqlTranslator translator(2);
    for (const auto* statement : {u"SELECT * FROM A WHERE ID=1", u"SELECT * FROM B WHERE ID=1",
                                  u"SELECT * FROM C WHERE ID=1", u"SELECT * FROM A WHERE ID=2"})
        ExpectSameAsFullTranslation(translator, statement);
    EXPECT_LE(translator.Shapes(), 2u);
}

} // namespace
} // namespace RefHost
