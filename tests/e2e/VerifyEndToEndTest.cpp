// The whole verification end to end: refhost with the real plug-in downloads a report from the
// fixture service on 127.0.0.1 and reconciles a logbook, checked afterwards in the logbook
// itself; and every way a run can fail, each leaving the log's marks exactly as they were and
// the account unsaved.
#include "tests/e2e/EndToEnd.h"

#include "Tools/SampleData/SampleLog.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace EndToEnd;
using namespace std::chrono;

SampleData::TSampleLog Sample() {
    SampleData::TSampleOptions options;
    options.Qsos = 40;
    options.Seed = 7;
    options.From = sys_days{year{2024} / 1 / 1};
    options.Until = sys_days{year{2024} / 3 / 31};
    options.Unmatched = 3;
    return SampleData::GenerateSampleLog(options);
}

std::string Report(const SampleData::TSampleLog& sample) {
    return SampleData::WriteLotwReport(sample.Header, sample.Records);
}

std::string IsoDate(sys_seconds time) {
    const std::string date = SampleData::AdifDate(time);
    return date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2);
}

std::string IsoDateTime(sys_seconds time) {
    const std::string clock = SampleData::AdifTime(time);
    return IsoDate(time) + " " + clock.substr(0, 2) + ":" + clock.substr(2, 2) + ":" +
           clock.substr(4, 2);
}

// What TBench::Marks() must read after a run over the whole log.
std::string MarksAfter(const SampleData::TSampleLog& sample) {
    std::string marks =
        "OMCALL\tQSOBAND\tQSOMODE\tQSODATE\tLOTWSENT\tLOTWRCVD\tLOTWRCVDDATE\tIOTA\t"
        "GRIDSQUARE\n";
    for (const auto& qso : sample.Qsos) {
        const std::string received = qso.Confirmed ? qso.QslRDate.substr(0, 4) + "-" +
                                                         qso.QslRDate.substr(4, 2) + "-" +
                                                         qso.QslRDate.substr(6, 2) + " 00:00:00"
                                                   : "";
        marks += qso.Call + "\t" + qso.Band + "\t" + qso.Mode + "\t" + IsoDateTime(qso.Time) +
                 "\t" + (qso.Listed ? "1" : "0") + "\t" + (qso.Confirmed ? "1" : "0") + "\t" +
                 received + "\t" + qso.Iota + "\t" + qso.GridSquare + "\n";
    }
    return marks;
}

class VerifyEndToEnd : public testing::Test {
protected:
    static void SetUpTestSuite() { TBench::MakeCertificates(); }
    static void TearDownTestSuite() { TBench::RemoveCertificates(); }
};

struct TSuccessCase {
    const char* Name;
    TScheme Scheme;
    const char* Answer;
};

void PrintTo(const TSuccessCase& test, std::ostream* out) {
    *out << test.Name;
}

class VerifySucceeds : public VerifyEndToEnd, public testing::WithParamInterface<TSuccessCase> {};

TEST_P(VerifySucceeds, ReconcilesTheLogAndReportsIt) {
    const SampleData::TSampleLog sample = Sample();
    TBench bench;
    bench.Import(SampleData::WriteLogbookAdif(sample));
    const std::string resource = bench.Serve(Report(sample), GetParam().Answer, GetParam().Scheme);

    const TRun run = bench.Verify(resource);

    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(bench.Marks(), MarksAfter(sample));
    const std::string summary = "All:" + std::to_string(sample.Records.size()) +
                                ", Upd:" + std::to_string(sample.Listed) +
                                ", Err:" + std::to_string(sample.Unmatched);
    EXPECT_TRUE(Contains(run.Output, "* Done. " + summary + " (")) << run.Output;
    EXPECT_TRUE(Contains(run.Output,
                         "journal: Exec: Verify logbook with LotW user inbox; " + summary + " ("))
        << run.Output;
    EXPECT_TRUE(Contains(run.Output, "command: REFRESH 0")) << run.Output;

    // The request carried the account, the operator and the log's first and last QSO dates.
    EXPECT_EQ(bench.ReceivedQueries(),
              "login=me&password=pw&qso_query=1&qso_qsl=no&qso_qsldetail=yes&qso_owncall=DL1ABC"
              "&qso_startdate=" +
                  IsoDate(sample.Qsos.front().Time) +
                  "&qso_enddate=" + IsoDate(sample.Qsos.back().Time) + "\n");

    // One error log line for each record that found no QSO, and only for those.
    std::set<std::string> logCalls;
    for (const auto& qso : sample.Qsos)
        logCalls.insert(qso.Call);
    std::vector<std::string> strangers;
    for (const auto& record : sample.Records)
        if (!logCalls.contains(record.Call))
            strangers.push_back(record.Call + "\t- ");
    const std::vector<std::string> errorLines = Lines(bench.ErrorLog());
    ASSERT_EQ(errorLines.size(), strangers.size()) << bench.ErrorLog();
    for (std::size_t i = 0; i < strangers.size(); ++i)
        EXPECT_TRUE(errorLines[i].starts_with(strangers[i])) << errorLines[i];

    // Closing after the successful run saved the account, after the service address.
    const std::string settings = bench.SettingsFile();
    EXPECT_TRUE(Contains(settings, "Resource=" + resource + "\nLogin=me\nPassword=pw\n") ||
                Contains(settings, "Resource=" + resource + "\r\nLogin=me\r\nPassword=pw\r\n"))
        << settings;
}

INSTANTIATE_TEST_SUITE_P(Transports, VerifySucceeds,
                         testing::Values(TSuccessCase{"HttpsReport", TScheme::Https, "report"},
                                         TSuccessCase{"HttpUtf16Chunked", TScheme::Http,
                                                      "bom-utf16"}),
                         [](const auto& test) { return std::string(test.param.Name); });

enum class TReportKind { Sample, BadDate, MoreRecordsAnnounced, FewerRecordsAnnounced };

struct TFailureCase {
    const char* Name;
    TScheme Scheme;
    const char* Answer;
    TReportKind Report;
    TAppFolder App;
    const char* Shown; // what the user is told
    bool ReachesService = true;
};

std::string FailingReport(TReportKind kind) {
    SampleData::TSampleLog sample = Sample();
    if (kind == TReportKind::BadDate)
        sample.Records[sample.Records.size() / 2].QsoDate = "20240230";
    if (kind == TReportKind::MoreRecordsAnnounced)
        sample.Header.RecordCount = std::to_string(sample.Records.size() + 5);
    if (kind == TReportKind::FewerRecordsAnnounced)
        sample.Header.RecordCount = "10";
    return Report(sample);
}

void PrintTo(const TFailureCase& test, std::ostream* out) {
    *out << test.Name;
}

class VerifyFails : public VerifyEndToEnd, public testing::WithParamInterface<TFailureCase> {};

TEST_P(VerifyFails, LeavesEveryMarkAndSavesNothing) {
    const TFailureCase& failure = GetParam();
    TBench bench(failure.App);
    bench.Import(SampleData::WriteLogbookAdif(Sample()));
    const std::string before = bench.Marks();
    const std::string resource =
        bench.Serve(FailingReport(failure.Report), failure.Answer, failure.Scheme);

    const TRun run = bench.Verify(resource);

    EXPECT_EQ(run.ExitCode, 1) << run.Output;
    EXPECT_TRUE(Contains(run.Output, failure.Shown)) << run.Output;
    EXPECT_EQ(bench.Marks(), before);
    EXPECT_FALSE(Contains(run.Output, "command: REFRESH")) << run.Output;
    EXPECT_FALSE(Contains(run.Output, "* Done.")) << run.Output;
    EXPECT_FALSE(bench.ErrorLogExists());
    EXPECT_FALSE(Contains(bench.SettingsFile(), "Login=")) << bench.SettingsFile();
    EXPECT_EQ(bench.ReceivedQueries().empty(), !failure.ReachesService);
}

const TAppFolder WithoutTlsFiles{.TlsLibraryFiles = false};
const TAppFolder TrustingAnotherAuthority{.TrustsServiceAuthority = false};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Failures, VerifyFails, testing::Values(
    TFailureCase{"LoginRefused", TScheme::Http, "html", TReportKind::Sample, {},
                 "* Authorization failed: me/pw"},
    // A page in lower case is no refused login: it goes to the split, and its header holds
    // no record count.
    TFailureCase{"LowerCasePage", TScheme::Http, "html-lower", TReportKind::Sample, {},
                 "message: refhost: '' is not a valid integer value"},
    TFailureCase{"EmptyBody", TScheme::Http, "empty", TReportKind::Sample, {},
                 "* Error: Invalid data format received"},
    TFailureCase{"BrokenTransfer", TScheme::Http, "truncate", TReportKind::Sample, {},
                 "message: Error: Resource open error: http://127.0.0.1:"},
    TFailureCase{"WrongCertificate", TScheme::Https, "report", TReportKind::Sample,
                 TrustingAnotherAuthority,
                 "message: Error: Resource open error: https://127.0.0.1:", false},
    TFailureCase{"MissingTlsLibraryFiles", TScheme::Https, "report", TReportKind::Sample,
                 WithoutTlsFiles,
                 "message: OpenSSL components needed: Not found libraries for secure web "
                 "connection:", false},
    TFailureCase{"BadDate", TScheme::Http, "report", TReportKind::BadDate, {},
                 "message: refhost: Invalid argument to date encode"},
    TFailureCase{"MoreRecordsAnnounced", TScheme::Http, "report",
                 TReportKind::MoreRecordsAnnounced, {}, "* Error: Report announces "},
    TFailureCase{"FewerRecordsAnnounced", TScheme::Http, "report",
                 TReportKind::FewerRecordsAnnounced, {}, "* Error: Report announces 10 records "
                 "but holds "}),
    [](const auto& test) { return std::string(test.param.Name); });
// clang-format on

} // namespace
