// The verification dialog around a run: activation from the settings file and the log, the
// TLS library check, the run with its flag and pointer, and saving the account at closing.
// Runs go through the platform's real transport, to a loopback server or to a closed port.
#include "tests/support/DialogTestSupport.h"

#include "Base/Exceptions.h"
#include "Plugins/Corvane/uCorvane.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <httplib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

using namespace Toolkit;
using testing::_;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Return;

namespace {

constexpr LONG kQuery = 42;

// A settings file of the host: other sections stay as they are.
const std::string kSettings = "[Window]\r\nLeft=10\r\n[LotW Inbox]\r\nLogin=w1aw\r\n"
                              "Password=secret\r\nResource=http://127.0.0.1:1/report\r\n";

// Answers a GetDateTimeField call with a date at noon, or with no value.
auto DateAnswer(std::uint16_t year, std::uint16_t month, std::uint16_t day, LONG present = 1) {
    return [=](LONG, BSTR, std::uint16_t* y, std::uint16_t* m, std::uint16_t* d, std::uint16_t* h,
               std::uint16_t* n, std::uint16_t* s, LONG* p) {
        *y = year;
        *m = month;
        *d = day;
        *h = 12;
        *n = 0;
        *s = 0;
        *p = present;
        return S_OK;
    };
}

MATCHER_P(SysTextHas, part, "") {
    return SysStringView(arg).find(std::u16string_view(part)) != std::u16string_view::npos;
}

// A report service on 127.0.0.1 that answers every GET with `body`; stops with the object.
class TReportServer {
public:
    explicit TReportServer(std::string body) {
        FServer.Get(".*", [body](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, "text/plain");
        });
        FPort = FServer.bind_to_any_port("127.0.0.1");
        FThread = std::thread([this] { FServer.listen_after_bind(); });
        while (!FServer.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~TReportServer() {
        FServer.stop();
        FThread.join();
    }
    TReportServer(const TReportServer&) = delete;
    TReportServer& operator=(const TReportServer&) = delete;

    std::u16string Address() const {
        return u"http://127.0.0.1:" + QString::number(FPort).toStdU16String() + u"/report.adi";
    }

private:
    httplib::Server FServer;
    int FPort = 0;
    std::thread FThread;
};

class VerifyDialog : public testing::Test {
protected:
    VerifyDialog() {
        const std::u16string folder = FDir.Path().u16string();
        FHost.FKernel.FValues = {{u"APPPATH", folder},       {u"APPNAME", u"Logbook"},
                                 {u"DOWNLOAD", folder},      {u"PLUGIN.NAME", u"Corvane.ext"},
                                 {u"LOG.NAME", u"Main log"}, {u"LOG.TABLE", u"O'Brien"}};
        AnswerLogDates();
    }
    void SetUp() override { SetRunFlag(false); }
    void TearDown() override { SetRunFlag(false); }

    // The open log's first QSO is on 2018-01-02, its last on 2018-07-04.
    void AnswerLogDates() {
        ON_CALL(FHost.FServer, CreateQuery).WillByDefault([](LONG* query) {
            *query = kQuery;
            return S_OK;
        });
        ON_CALL(FHost.FServer, GetDateTimeField(_, SysText(u"MINDATE"), _, _, _, _, _, _, _))
            .WillByDefault(DateAnswer(2018, 1, 2));
        ON_CALL(FHost.FServer, GetDateTimeField(_, SysText(u"MAXDATE"), _, _, _, _, _, _, _))
            .WillByDefault(DateAnswer(2018, 7, 4));
    }
    // What the opener hands over.
    TDialogContext Context() {
        return {.HostKernel = TInterfacePtr<IHostKernel>(&FHost.FKernel),
                .HostServer = TInterfacePtr<IHostServer>(&FHost.FServer),
                .SettingsPath = SettingsPath(),
                .SettingsSection = u"LotW Inbox",
                .Resource = std::u16string(DefaultResource),
                .OperatorCall = u"DL1ABC"};
    }
    std::u16string SettingsPath() const { return (FDir.Path() / "host.ini").u16string(); }
    void WriteSettings(const std::string& text) const {
        std::ofstream(FDir.File("host.ini")) << text;
    }
    std::string ReadSettings() const {
        std::ifstream file(FDir.File("host.ini"), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    // Fills the account fields and presses "Verify"; returns when the run has ended.
    static void PressVerify(TfrmCorvane& dialog) {
        dialog.edLogin.SetText(u"w1aw");
        dialog.edPassword.SetText(u"secret");
        ASSERT_TRUE(dialog.dbtUpdateOk.Enabled());
        dialog.dbtUpdateOk.Click();
    }

    TTempDir FDir;
    TFakeHost FHost;
    TRecordedErrors FErrors;
    TfrmCorvane FDialog{&FHost.FCore, Context()};
};

TEST_F(VerifyDialog, ActivationFillsTheDialogFromTheSettingsAndTheLog) {
    WriteSettings(kSettings);
    {
        testing::InSequence order;
        EXPECT_CALL(FHost.FServer, CreateQuery(_));
        EXPECT_CALL(FHost.FServer,
                    OpenQuery(kQuery, SysText(u"SELECT MIN(QSODATE) AS MINDATE FROM LOGS "
                                              u"WHERE LOGNAME='O''Brien'")));
        EXPECT_CALL(FHost.FServer,
                    GetDateTimeField(kQuery, SysText(u"MINDATE"), _, _, _, _, _, _, _));
        EXPECT_CALL(FHost.FServer, CloseQuery(kQuery));
        EXPECT_CALL(FHost.FServer,
                    OpenQuery(kQuery, SysText(u"SELECT MAX(QSODATE) AS MAXDATE FROM LOGS "
                                              u"WHERE LOGNAME='O''Brien'")));
        EXPECT_CALL(FHost.FServer,
                    GetDateTimeField(kQuery, SysText(u"MAXDATE"), _, _, _, _, _, _, _));
        EXPECT_CALL(FHost.FServer, FreeQuery(kQuery));
    }
    SetRunFlag(true);
    FDialog.mProgress.SetText(u"an earlier opening");
    FDialog.psInfo.SetCaption(u"busy");
    FDialog.psProgress.SetPercent(50);

    const TModalResult result = ShowModalWhile(FDialog, [&] {
        EXPECT_EQ(FDialog.edLogin.Text(), u"w1aw");
        EXPECT_EQ(FDialog.edPassword.Text(), u"secret");
        EXPECT_EQ(FDialog.Resource(), u"http://127.0.0.1:1/report");
        EXPECT_EQ(FDialog.lbAcct.Caption(), u"DL1ABC");
        EXPECT_EQ(FDialog.lbLog.Caption(), u"Main log");
        EXPECT_EQ(FDialog.dtLogFrom.Date(), (TDate{2018, 1, 2}));
        EXPECT_EQ(FDialog.dtLogUntil.Date(), (TDate{2018, 7, 4}));
        EXPECT_FALSE(RunFlagSet());
        EXPECT_EQ(FDialog.mProgress.Text(), u"");
        EXPECT_EQ(FDialog.psInfo.Caption(), u"");
        EXPECT_EQ(FDialog.psProgress.Percent(), 0);
        EXPECT_TRUE(FDialog.dbtUpdateOk.Enabled());
        FDialog.Close();
    });
    EXPECT_EQ(result, mrCancel);
    // Without a successful run nothing is written back.
    EXPECT_EQ(ReadSettings(), kSettings);
    EXPECT_THAT(FErrors.Messages(), IsEmpty());
}

TEST_F(VerifyDialog, WithoutSettingsOrQsosTheDialogStartsEmpty) {
    ON_CALL(FHost.FServer, GetDateTimeField).WillByDefault(DateAnswer(0, 0, 0, 0));
    TDialogContext context = Context();
    context.Resource = u"somewhere else";
    TfrmCorvane dialog(&FHost.FCore, std::move(context));
    dialog.edLogin.SetText(u"typed before");
    dialog.dtLogFrom.SetDate(TDate{2020, 1, 1});
    dialog.dtLogUntil.SetDate(TDate{2020, 1, 1});

    dialog.FormActivate();
    EXPECT_EQ(dialog.edLogin.Text(), u"");
    EXPECT_EQ(dialog.edPassword.Text(), u"");
    EXPECT_EQ(dialog.Resource(), DefaultResource);
    EXPECT_EQ(dialog.dtLogFrom.Date(), std::nullopt);
    EXPECT_EQ(dialog.dtLogUntil.Date(), std::nullopt);
    EXPECT_FALSE(dialog.dbtUpdateOk.Enabled());
}

// A host call failing between CreateQuery and FreeQuery stops activation there, and the query
// handle is released all the same.
TEST_F(VerifyDialog, ActivationReleasesItsQueryWhenTheLogCannotBeRead) {
    struct TCase {
        const char* FFailing;
        std::function<void(TFakeHost&)> FArrange;
        std::u16string FMessage;
    };
    const std::vector<TCase> cases = {
        {"first OpenQuery",
         [](TFakeHost& h) {
             ON_CALL(h.FServer, OpenQuery(_, SysTextHas(u"MIN("))).WillByDefault(Return(E_FAIL));
         },
         u""},
        {"GetDateTimeField",
         [](TFakeHost& h) { ON_CALL(h.FServer, GetDateTimeField).WillByDefault(Return(E_FAIL)); },
         u""},
        {"CloseQuery",
         [](TFakeHost& h) { ON_CALL(h.FServer, CloseQuery).WillByDefault(Return(E_FAIL)); }, u""},
        {"second OpenQuery",
         [](TFakeHost& h) {
             ON_CALL(h.FServer, OpenQuery(_, SysTextHas(u"MAX("))).WillByDefault(Return(E_FAIL));
         },
         u""},
        {"a date that is no calendar date",
         [](TFakeHost& h) {
             ON_CALL(h.FServer, GetDateTimeField(_, SysText(u"MAXDATE"), _, _, _, _, _, _, _))
                 .WillByDefault(DateAnswer(2018, 2, 30));
         },
         u"Invalid argument to date encode"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.FFailing);
        testing::Mock::VerifyAndClear(&FHost.FServer);
        AnswerLogDates();
        c.FArrange(FHost);
        EXPECT_CALL(FHost.FServer, FreeQuery(kQuery)).Times(1);
        SetRunFlag(true);
        try {
            FDialog.FormActivate();
            ADD_FAILURE() << "activation went through";
        } catch (const Exception& e) {
            if (!c.FMessage.empty()) {
                EXPECT_EQ(e.Message(), c.FMessage);
            }
        }
        // The steps after the failure did not happen.
        EXPECT_TRUE(RunFlagSet());
    }
}

TEST_F(VerifyDialog, ClosingAfterASuccessfulRunSavesTheAccountInOrder) {
    ShowModalWhile(FDialog, [&] {
        FDialog.edLogin.SetText(u"  w1aw  ");
        FDialog.edPassword.SetText(u"pass word");
        SetRunFlag(true); // as a successful run leaves it
        FDialog.Close();
    });
    EXPECT_EQ(ReadSettings(), "[LotW Inbox]\r\nResource=https://lotw.arrl.org/lotwuser/"
                              "lotwreport.adi\r\nLogin=\"  w1aw  \"\r\nPassword=pass word\r\n");
    EXPECT_THAT(FErrors.Messages(), IsEmpty());
}

TEST_F(VerifyDialog, AnUnwritableSettingsFileIsReportedAndTheDialogStillCloses) {
    TDialogContext context = Context();
    context.SettingsPath = (FDir.Path() / "no-such-folder" / "host.ini").u16string();
    TfrmCorvane dialog(&FHost.FCore, std::move(context));
    const TModalResult result = ShowModalWhile(dialog, [&] {
        SetRunFlag(true);
        dialog.Close();
    });
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(FErrors.Messages().size(), 1u);
    EXPECT_THAT(QString::fromStdU16String(FErrors.Messages()[0]).toStdString(),
                HasSubstr("Cannot write the settings file"));
}

// Before an https run both TLS library files must be in the application folder; any other
// address skips the check. A run that starts here fails to connect and says so.
TEST_F(VerifyDialog, TheTlsLibraryCheckGuardsHttpsRunsOnly) {
    struct TCase {
        const char* FResource;
        std::vector<const char*> FFiles;
        bool FRuns;
    };
    const TCase cases[] = {
        {"https://127.0.0.1:1/report", {"libeay32.dll"}, false},
        {"HTTPS://127.0.0.1:1/report", {"ssleay32.dll"}, false},
        {"see https://127.0.0.1:1/report", {}, false},
        {"https://127.0.0.1:1/report", {"libeay32.dll", "ssleay32.dll"}, true},
        {"http://127.0.0.1:1/report", {}, true},
        {"", {}, true},
    };
    const std::u16string refusal =
        u"Not found libraries for secure web connection:\r\n"
        u"please put libeay32.dll and ssleay32.dll in application folder\r\n\"" +
        FDir.Path().u16string() + u"\"\r\nand restart Logbook application.";
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.FResource) + " with " + std::to_string(c.FFiles.size()));
        for (const char* name : {"libeay32.dll", "ssleay32.dll"})
            std::filesystem::remove(FDir.Path() / name);
        for (const char* name : c.FFiles)
            std::ofstream(FDir.File(name)) << "library";
        WriteSettings(std::string("[LotW Inbox]\r\nResource=") + c.FResource + "\r\n");
        const std::u16string openError =
            u"Resource open error: " + QString(c.FResource).toStdU16String();
        EXPECT_CALL(FHost.FKernel,
                    ShowMessage(SysText(refusal.c_str()), SysText(u"OpenSSL components needed")))
            .Times(c.FRuns ? 0 : 1);
        EXPECT_CALL(FHost.FKernel, ShowMessage(SysText(openError.c_str()), SysText(u"Error")))
            .Times(c.FRuns ? 1 : 0);
        // A fresh dialog: the settings store reads its file once.
        TfrmCorvane dialog(&FHost.FCore, Context());
        ShowModalWhile(dialog, [&] {
            dialog.mProgress.SetText(u"before\r\n");
            PressVerify(dialog);
            if (c.FRuns) {
                EXPECT_THAT(QString::fromStdU16String(dialog.mProgress.Text()).toStdString(),
                            testing::StartsWith("* Use: "));
            } else {
                EXPECT_EQ(dialog.mProgress.Text(), u"before\r\n");
            }
            // Refused or failed, "Verify" can be pressed again.
            EXPECT_FALSE(RunFlagSet());
            EXPECT_TRUE(dialog.dbtUpdateOk.Enabled());
            EXPECT_EQ(Application().Cursor(), TCursor::Default);
            dialog.Close();
        });
        testing::Mock::VerifyAndClearExpectations(&FHost.FKernel);
    }
    EXPECT_THAT(FErrors.Messages(), IsEmpty());
}

const std::string kReport = "ARRL Logbook of the World Status Report\r\n<PROGRAMID:4>LoTW"
                            "<APP_LoTW_NUMREC:1>1\r\n<eoh>\r\n<CALL:3>K1A<BAND:3>40M<MODE:2>CW"
                            "<QSO_DATE:8>20180630<TIME_ON:6>123456<eor>\r\n";

TEST_F(VerifyDialog, ASuccessfulRunKeepsVerifyDisabledAndSavesAtClosing) {
    TReportServer server(kReport);
    WriteSettings("[LotW Inbox]\r\nResource=" +
                  QString::fromStdU16String(server.Address()).toStdString() + "\r\n");
    EXPECT_CALL(FHost.FKernel, ExecuteCommand(SysText(u"REFRESH"), _));
    ShowModalWhile(FDialog, [&] {
        PressVerify(FDialog);
        EXPECT_TRUE(RunFlagSet());
        EXPECT_FALSE(FDialog.dbtUpdateOk.Enabled());
        FDialog.edLogin.SetText(u"k1abc");
        EXPECT_FALSE(FDialog.dbtUpdateOk.Enabled());
        EXPECT_EQ(Application().Cursor(), TCursor::Default);
        FDialog.Close();
    });
    EXPECT_THAT(QString::fromStdU16String(FDialog.mProgress.Text()).toStdString(),
                HasSubstr("* Done. All:1"));
    // The account as the fields hold it at closing.
    EXPECT_THAT(ReadSettings(), HasSubstr("Login=k1abc\r\nPassword=secret\r\n"));
    EXPECT_THAT(FErrors.Messages(), IsEmpty());
}

TEST_F(VerifyDialog, ARunThatRaisesClearsTheFlagAndShowsTheError) {
    TReportServer server(kReport);
    WriteSettings("[LotW Inbox]\r\nResource=" +
                  QString::fromStdU16String(server.Address()).toStdString() + "\r\n");
    const std::string before = ReadSettings();
    ON_CALL(FHost.FServer, ExecuteSQL).WillByDefault(Return(E_FAIL));
    ShowModalWhile(FDialog, [&] {
        PressVerify(FDialog);
        EXPECT_FALSE(RunFlagSet());
        EXPECT_TRUE(FDialog.dbtUpdateOk.Enabled());
        EXPECT_EQ(Application().Cursor(), TCursor::Default);
        FDialog.Close();
    });
    EXPECT_EQ(FErrors.Messages().size(), 1u);
    EXPECT_EQ(ReadSettings(), before);
}

} // namespace
