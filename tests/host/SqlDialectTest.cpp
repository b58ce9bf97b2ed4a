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

} // namespace
} // namespace RefHost
