// IHostServer as a plug-in calls it: query handles, field reads, failures with error information.
#include "Host/HostServer.h"

#include "Platform/ErrorInfo.h"
#include "Platform/Locale.h"
#include "Platform/SysString.h"
#include "PluginAPI/StatusCodes.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace RefHost {
namespace {

// The thread's error description, taken away as a plug-in would.
std::string TakeErrorDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr)
        return {};
    TSysString description;
    info->GetDescription(description.Out());
    info->Release();
    return Platform::Utf16ToUtf8(description.Text());
}

struct TRefusals : THostEvents {
    void StatementRefused(const std::u16string& statement, const std::string& reason) override {
        Refused.push_back(Platform::Utf16ToUtf8(statement) + " / " + reason);
    }
    std::vector<std::string> Refused;
};

class HostServerTest : public testing::Test {
protected:
    void SetUp() override {
        TQsoRecord qso;
        qso.LogName = u"Main";
        qso.Call = u"N0CALL";
        qso.Band = u"20M";
        qso.Mode = u"SSB";
        qso.QsoDate = {2018, 6, 30, 12, 34, 56};
        qso.LotwSent = true;
        Log.AddQsos({qso});
    }

    LONG NewQuery() {
        LONG handle = 0;
        EXPECT_EQ(Server.CreateQuery(&handle), S_OK);
        return handle;
    }
    HRESULT Open(LONG handle, std::u16string_view sql) {
        return Server.OpenQuery(handle, TSysString(sql).Get());
    }
    HRESULT Execute(std::u16string_view sql, LONG& executed) {
        return Server.ExecuteSQL(TSysString(sql).Get(), &executed);
    }

    TTempDir Dir;
    TLogbook Log{Dir.File("log.sqlite")};
    TFaultPlan Faults;
    TRefusals Events;
    THostCalls Calls{Faults, Events};
    THostServer Server{Log, Calls};
    const HRESULT DatabaseError = ClassErrorCode("EDatabaseError");
};

TEST_F(HostServerTest, OneHandleServesSeveralCyclesAndUpdatesWhileOpen) {
    const LONG handle = NewQuery();
    LONG value = 0, present = 0, executed = 0;
    ASSERT_EQ(Open(handle, u"SELECT COUNT(*) AS CNT FROM LOGS WHERE LOGNAME='Main'"), S_OK);
    ASSERT_EQ(Server.GetIntegerField(handle, TSysString(u"cnt").Get(), &value, &present), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_NE(present, 0);
    ASSERT_EQ(Execute(u"UPDATE LOGS SET LOTWSENT=FALSE WHERE LOGNAME='Main'", executed), S_OK);
    EXPECT_NE(executed, 0);
    ASSERT_EQ(Server.CloseQuery(handle), S_OK);

    ASSERT_EQ(Open(handle, u"SELECT LOTWSENT, LOTWRCVDDATE FROM LOGS WHERE OMCALL='N0CALL'"), S_OK);
    ASSERT_EQ(Server.GetBooleanField(handle, TSysString(u"LOTWSENT").Get(), &value, &present),
              S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_NE(present, 0);
    std::uint16_t y, mo, d, h, mi, s;
    ASSERT_EQ(Server.GetDateTimeField(handle, TSysString(u"LOTWRCVDDATE").Get(), &y, &mo, &d, &h,
                                      &mi, &s, &present),
              S_OK);
    EXPECT_EQ(present, 0) << "NULL is reported as absent";
    ASSERT_EQ(Server.CloseQuery(handle), S_OK);

    ASSERT_EQ(Open(handle, u"SELECT MAX(QSODATE) AS MAXDATE FROM LOGS WHERE LOGNAME='Main'"), S_OK);
    ASSERT_EQ(Server.GetDateTimeField(handle, TSysString(u"MAXDATE").Get(), &y, &mo, &d, &h, &mi,
                                      &s, &present),
              S_OK);
    EXPECT_NE(present, 0);
    EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s}), (std::vector<int>{2018, 6, 30, 12, 34, 56}));
    // FreeQuery ends the query that is still open.
    ASSERT_EQ(Server.FreeQuery(handle), S_OK);
    EXPECT_EQ(Server.OpenHandles(), 0u);
}

TEST_F(HostServerTest, EmptyResultsAndMissingLogsReportNoValue) {
    const LONG handle = NewQuery();
    LONG value = 7, present = 7;
    ASSERT_EQ(Open(handle, u"SELECT LOTWSENT FROM LOGS WHERE LOGNAME='Other'"), S_OK);
    ASSERT_EQ(Server.GetBooleanField(handle, TSysString(u"LOTWSENT").Get(), &value, &present),
              S_OK);
    EXPECT_EQ(present, 0);
    ASSERT_EQ(Open(handle, u"SELECT MIN(QSODATE) AS MINDATE FROM LOGS WHERE LOGNAME='Other'"),
              S_OK);
    std::uint16_t parts[6];
    ASSERT_EQ(Server.GetDateTimeField(handle, TSysString(u"MINDATE").Get(), &parts[0], &parts[1],
                                      &parts[2], &parts[3], &parts[4], &parts[5], &present),
              S_OK);
    EXPECT_EQ(present, 0);
    Server.FreeQuery(handle);
}

TEST_F(HostServerTest, RecordExistsFollowsTheCondition) {
    LONG exists = 0;
    const auto match = u"OMCALL='N0CALL' AND QSOBAND='20M' AND QSOMODE='SSB' AND "
                       u"#2018-06-30 12:33#<=QSODATE AND QSODATE<=#2018-06-30 12:35# AND "
                       u"LOGNAME='Main'";
    ASSERT_EQ(Server.RecordExists(TSysString(u"LOGS").Get(), TSysString(match).Get(), &exists),
              S_OK);
    EXPECT_NE(exists, 0);
    ASSERT_EQ(Server.RecordExists(
                  TSysString(u"LOGS").Get(),
                  TSysString(u"OMCALL='N0CALL' AND QSODATE<=#2018-06-30 12:34#").Get(), &exists),
              S_OK);
    EXPECT_EQ(exists, 0);
}

TEST_F(HostServerTest, FailuresCarryTheDatabaseErrorCodeAndADescription) {
    const LONG handle = NewQuery();
    LONG value = 0, present = 0, executed = 0;
    ASSERT_EQ(Open(handle, u"SELECT OMCALL, QSODATE FROM LOGS"), S_OK);
    std::uint16_t p[6];
    const std::pair<std::function<HRESULT()>, std::string> failures[] = {
        // First: after a failure the handle's unit takes no further update.
        {[&] { return Execute(u"UPDATE NOSUCH SET A=1", executed); }, "no such table"},
        {[&] { return Open(99, u"SELECT * FROM LOGS"); }, "Unknown query handle 99"},
        {[&] {
             return Server.GetIntegerField(handle, TSysString(u"NOPE").Get(), &value, &present);
         },
         "Unknown field NOPE"},
        {[&] {
             return Server.GetIntegerField(handle, TSysString(u"OMCALL").Get(), &value, &present);
         },
         "holds no integer"},
        {[&] {
             return Server.GetDateTimeField(handle, TSysString(u"OMCALL").Get(), &p[0], &p[1],
                                            &p[2], &p[3], &p[4], &p[5], &present);
         },
         "holds no date"},
        {[&] { return Open(handle, u"DELETE FROM LOGS"); }, "dialect"},
        {[&] { return Open(handle, u"UPDATE LOGS SET IOTA=''"); }, "SELECT"},
        {[&] { return Execute(u"SELECT * FROM LOGS", executed); }, "UPDATE"},
        {[&] {
             return Server.GetBooleanField(handle, TSysString(u"OMCALL").Get(), &value, &present);
         },
         "is not open"},
        {[&] { return Server.FreeQuery(handle + 1); }, "Unknown query handle"},
    };
    for (const auto& [call, expected] : failures) {
        EXPECT_EQ(call(), DatabaseError) << expected;
        EXPECT_NE(TakeErrorDescription().find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(Server.CreateQuery(nullptr), E_POINTER);
}

// A handle's updates reach the file together when it is freed, or not at all once any
// operation failed; a failed unit does not hold up the next one.
TEST_F(HostServerTest, AQueryHandleIsOneUnitOfWork) {
    const auto update = u"UPDATE LOGS SET IOTA='EU-005' WHERE LOGNAME='Main'";
    auto othersSee = [this] {
        TLogbook other(Log.Path());
        auto rows = other.Query(TranslateStatement(u"SELECT COUNT(*) FROM LOGS WHERE IOTA<>''"));
        return std::get<std::int64_t>(rows.Rows.at(0).at(0));
    };
    struct TCase {
        const char* Name;
        std::function<HRESULT(LONG handle)> Failing; // null: nothing fails
        bool LeftAlive = false;                      // the handle is never freed
    };
    LONG value = 0, present = 0, executed = 0;
    const TCase cases[] = {
        {"every operation succeeds", nullptr},
        {"a field read fails",
         [&](LONG handle) {
             return Server.GetBooleanField(handle, TSysString(u"NOPE").Get(), &value, &present);
         }},
        {"a statement outside the dialect fails",
         [&](LONG) {
             return Execute(u"UPDATE LOGS SET NOSUCH=1", executed);
         }},
        {"the fault plan fails the free",
         [&](LONG handle) {
             Faults.Add(TFault{"IHostServer.FreeQuery", Faults.Calls("IHostServer.FreeQuery") + 1,
                               E_FAIL, "freeing failed"});
             return Server.FreeQuery(handle);
         },
         true},
        {"every operation succeeds after a handle was left alive", nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const LONG handle = NewQuery();
        ASSERT_EQ(Execute(update, executed), S_OK);
        EXPECT_EQ(othersSee(), 0) << "nothing is visible before the unit ends";
        if (c.Failing) {
            EXPECT_LT(c.Failing(handle), 0);
            EXPECT_EQ(Execute(update, executed), DatabaseError) << "a failed unit takes no update";
            EXPECT_NE(TakeErrorDescription().find("undone"), std::string::npos);
        }
        if (!c.LeftAlive) {
            EXPECT_EQ(Server.FreeQuery(handle), S_OK);
        }
        EXPECT_EQ(othersSee(), c.Failing ? 0 : 1);
        const LONG reset = NewQuery();
        ASSERT_EQ(Execute(u"UPDATE LOGS SET IOTA=''", executed), S_OK);
        ASSERT_EQ(Server.FreeQuery(reset), S_OK);
    }
}

TEST_F(HostServerTest, ALogbookThatCannotBeWrittenFailsTheStatement) {
    TLogbook readOnly("file:" + Log.Path() + "?mode=ro");
    THostServer server(readOnly, Calls);
    LONG handle = 0, executed = 1;
    ASSERT_EQ(server.CreateQuery(&handle), S_OK);
    EXPECT_EQ(server.ExecuteSQL(TSysString(u"UPDATE LOGS SET IOTA='EU-005'").Get(), &executed),
              DatabaseError);
    EXPECT_EQ(executed, 0);
    EXPECT_NE(TakeErrorDescription().find("readonly database"), std::string::npos);
    EXPECT_TRUE(Events.Refused.empty()) << "a failure, not a refusal";
    EXPECT_EQ(server.FreeQuery(handle), S_OK);
}

TEST_F(HostServerTest, RefusedUpdateIsNotExecutedAndReported) {
    LONG executed = 1;
    ASSERT_EQ(Execute(u"UPDATE LOGS SET OMCALL=NULL WHERE LOGNAME='Main'", executed), S_OK);
    EXPECT_EQ(executed, 0);
    ASSERT_EQ(Events.Refused.size(), 1u);
    EXPECT_NE(Events.Refused[0].find("NOT NULL"), std::string::npos);
}

TEST_F(HostServerTest, ScheduledFaultFailsTheNthCallOnce) {
    Faults.Add(ParseFault("IHostServer.ExecuteSQL:2:EConvertError:disk on fire"));
    LONG executed = 0;
    const auto update = u"UPDATE LOGS SET IOTA='EU-005'";
    EXPECT_EQ(Execute(update, executed), S_OK);
    EXPECT_EQ(Execute(update, executed), static_cast<HRESULT>(0x800428DF));
    EXPECT_EQ(TakeErrorDescription(), "disk on fire");
    EXPECT_EQ(Execute(update, executed), S_OK);
    EXPECT_EQ(Faults.Calls("IHostServer.ExecuteSQL"), 3);

    EXPECT_EQ(ParseFault("ICore.GetVersion:1:0x80004005").Status, E_FAIL);
    for (const char* bad : {"IHostServer.OpenQuery", "X:0:E_FAIL", "X:1:12abc", "X:one:0x1"})
        EXPECT_THROW(ParseFault(bad), std::invalid_argument) << bad;
}

// Counters are found by the name's address; the same name at another address, and a copy
// of the counter, still count the one operation.
TEST(CallCounterTest, CountsAnOperationByItsNameWhereverTheNameStands) {
    const char name[] = "IHostServer.OpenQuery";
    const std::string sameText = name;
    TCallCounter counter;
    EXPECT_EQ(counter.Count(name), 1);
    EXPECT_EQ(counter.Count(sameText.c_str()), 2);
    EXPECT_EQ(counter.Count("IHostServer.CloseQuery"), 1);

    TCallCounter copy = counter;
    EXPECT_EQ(copy.Count(name), 3);
    EXPECT_EQ(counter.Count(name), 3);
    copy = counter;
    EXPECT_EQ(copy.Count(sameText.c_str()), 4);
    EXPECT_EQ(copy.Calls("IHostServer.OpenQuery"), 4);
    EXPECT_EQ(counter.Calls("IHostServer.OpenQuery"), 3);
    EXPECT_EQ(counter.Calls("IHostServer.FreeQuery"), 0);
    EXPECT_EQ(copy.ByName().size(), 2u);
}

} // namespace
} // namespace RefHost
