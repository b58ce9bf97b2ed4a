// Hostile networks: the whole run over the platform's transport against the report fixture
// service (its own process, on 127.0.0.1), a fault at a time. Each fault must end the run with
// the exact progress lines and message box, and leave the log untouched.
#include "Base/Exceptions.h"
#include "Plugins/Corvane/VerificationRun.h"
#include "tests/host/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/verify/VerifyFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

const std::string kReportPath = "/lotwuser/lotwreport.adi";
const std::string kResourceOpenError = "ShowMessage Resource open error: ";

std::string Download(const std::string& cause) {
    return "Msg 1 Download failed: " + cause;
}

class NetworkFaultTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        FCerts = new TTempDir;
        const std::string command = "\"" MAKE_TEST_CERTS "\" \"" + FCerts->Path().string() + "\"";
        FCertsMade = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite() {
        delete FCerts;
        FCerts = nullptr;
    }

    NetworkFaultTest() {
        std::ofstream(FDir.File("report.adi"), std::ios::binary) << Report(
            Field("APP_LoTW_NUMREC", "1"), {Record("K1A", "40M", "CW", "20180630", "123456")});
        // The application folder's bundle trusts the test authority.
        std::filesystem::create_directory(FDir.Path() / "app");
        std::filesystem::copy_file(FCerts->Path() / "ca.pem",
                                   FDir.Path() / "app" / "curl-ca-bundle.crt");
    }

    // Starts the fixture service answering `answer`, over https with `cert` unless it is
    // empty; returns the report's address, or "" when the service did not start.
    std::string StartService(const std::string& answer, const std::string& cert) {
        std::vector<std::string> args = {REPORT_FIXTURE_PATH, "--report", FDir.File("report.adi"),
                                         "--answer", answer};
        if (!cert.empty()) {
            const std::string base = (FCerts->Path() / cert).string();
            args.insert(args.end(), {"--cert", base + ".pem", "--key", base + ".key"});
        }
        FService = std::make_unique<TChildProcess>(args);
        const std::string line = FService->ReadLine();
        if (!line.starts_with("port="))
            return "";
        return (cert.empty() ? "http" : "https") + std::string("://127.0.0.1:") + line.substr(5) +
               kReportPath;
    }

    // One run against `resource`; the progress lines and message boxes after the download, and
    // whether the run raised.
    TEvents RunAgainst(const std::string& resource, const TTransferLimits& limits, bool trusted,
                       bool& raised) {
        FEvents.clear();
        FView.FResource = U16(resource);
        FHost.FKernel.FValues[u"APPPATH"] =
            U16((FDir.Path() / (trusted ? "app" : "nowhere")).string());
        const THttpTransportFactory factory = [limits](std::u16string_view folder) {
            return CreateHttpTransport(folder, limits);
        };
        raised = false;
        try {
            TVerificationRun(FView, factory).Execute();
        } catch (const Exception&) {
            raised = true;
        }
        TEvents shown;
        const auto downloaded = std::find(FEvents.begin(), FEvents.end(), "Status ");
        std::copy_if(downloaded, FEvents.end(), std::back_inserter(shown),
                     [](const std::string& event) {
                         return event.starts_with("Msg ") || event.starts_with("ShowMessage ");
                     });
        return shown;
    }

    bool LogTouched() const {
        return std::any_of(FEvents.begin(), FEvents.end(), [](const std::string& event) {
            return event.starts_with("ExecuteSQL");
        });
    }

    static inline TTempDir* FCerts = nullptr;
    static inline bool FCertsMade = false;
    TTempDir FDir;
    TEvents FEvents;
    TRecordingHost FHost{FEvents};
    TFakeView FView{FHost, FEvents};
    std::unique_ptr<TChildProcess> FService;
};

TEST_F(NetworkFaultTest, EachFaultEndsTheRunAsItShould) {
    ASSERT_TRUE(FCertsMade);
    // Narrowed only where waiting out the real limits would cost minutes or hundreds of MB.
    TTransferLimits shortWindow;
    shortWindow.StallWindow = std::chrono::seconds(3);
    TTransferLimits smallCap;
    smallCap.MaxBodyBytes = 1 << 20;
    struct TCase {
        const char* Answer;                  // the fixture's answer; null: no service at all
        std::vector<std::string> Shown = {}; // "<resource>" stands for the address
        const char* Cert = "";               // the service's certificate; "" for http
        std::string Resource = {};           // when no service runs
        TTransferLimits Limits = {};
        bool Trusted = true;
        bool Raises = false;
        bool Writes = false;
    };
    const std::string openError = kResourceOpenError + "<resource> | Error";
    const std::string done = "Msg 0 * Done. All:1, Upd:1 (";
    // The download fails with `cause`: its line and the message box, nothing raised or written.
    const auto downloadFails = [&](const std::string& cause) {
        return std::vector<std::string>{Download(cause), openError};
    };
    const TCase cases[] = {
        {.Answer = nullptr,
         .Shown = downloadFails("connection refused"),
         .Resource = "http://127.0.0.1:1" + kReportPath},
        {.Answer = nullptr,
         .Shown = downloadFails("server name not found"),
         .Resource = "http://report.invalid" + kReportPath},
        {"hangup", downloadFails("connection closed before the answer was complete")},
        {"truncate", downloadFails("connection closed before the answer was complete")},
        {.Answer = "silent",
         .Shown = downloadFails("no answer from the server for 3 seconds"),
         .Limits = shortWindow},
        {.Answer = "trickle",
         .Shown = downloadFails("transfer stalled: fewer than 1000 bytes in 3 seconds"),
         .Limits = shortWindow},
        {.Answer = "endless",
         .Shown = downloadFails("answer larger than 1 MB"),
         .Limits = smallCap},
        {"huge-length", downloadFails("answer larger than 512 MB")},
        {.Answer = "report",
         .Shown = downloadFails("server certificate not trusted"),
         .Cert = "server",
         .Trusted = false},
        {.Answer = "report",
         .Shown = downloadFails("server certificate expired or not yet valid"),
         .Cert = "expired"},
        {.Answer = "report",
         .Shown = downloadFails("server certificate issued for another name"),
         .Cert = "othername"},
        {"redirect:301", downloadFails("the server answered with HTTP status 301")},
        {"redirect:302", downloadFails("the server answered with HTTP status 302")},
        {"status:403", downloadFails("the server answered with HTTP status 403")},
        {.Answer = "status:500",
         .Shown = downloadFails("the server answered with HTTP status 500"),
         .Cert = "server"},
        {"html:401", {"Msg 0 * Authorization failed: dl1abc/secret"}},
        {.Answer = "html-lower",
         .Shown = {"Msg 1 Bad value in field APP_LoTW_NUMREC of the header"},
         .Raises = true},
        {"empty", {"Msg 0 * Error: Invalid data format received"}},
        {.Answer = "bom-utf8", .Writes = true},
        {.Answer = "bom-utf16", .Cert = "server", .Writes = true},
        {.Answer = "chunked", .Writes = true},
    };
    for (const TCase& c : cases) {
        const std::string resource =
            c.Answer != nullptr ? StartService(c.Answer, c.Cert) : c.Resource;
        SCOPED_TRACE(std::string(c.Answer != nullptr ? c.Answer : "no service") + " " + c.Cert);
        ASSERT_FALSE(resource.empty());
        bool raised = false;
        TEvents shown = RunAgainst(resource, c.Limits, c.Trusted, raised);
        TEvents expected;
        for (std::string line : c.Shown) {
            if (const auto at = line.find("<resource>"); at != std::string::npos)
                line.replace(at, 10, resource);
            expected.push_back(line);
        }
        if (c.Writes) {
            // A report that arrives whole is reconciled.
            ASSERT_FALSE(shown.empty());
            EXPECT_TRUE(shown.back().starts_with(done)) << shown.back();
        } else {
            EXPECT_EQ(shown, expected);
        }
        EXPECT_EQ(raised, c.Raises);
        EXPECT_EQ(LogTouched(), c.Writes);
    }
}

// The real rule, without narrowing: a server that says nothing ends the transfer after 90
// seconds. Labelled slow and left out of the default run.
TEST_F(NetworkFaultTest, SilenceEndsAfterTheRealWait) {
    const std::string resource = StartService("silent", "");
    ASSERT_FALSE(resource.empty());
    bool raised = false;
    const TEvents shown = RunAgainst(resource, TTransferLimits{}, true, raised);
    EXPECT_EQ(shown, (TEvents{Download("no answer from the server for 90 seconds"),
                              kResourceOpenError + resource + " | Error"}));
    EXPECT_FALSE(LogTouched());
}

} // namespace
