// The operator's path through refhost: a logging program's ADIF file imported, verified against
// the report service, exported and imported again; the run as a terminal shows it; the window
// after a verification.
#include "tests/e2e/EndToEnd.h"

#include "Tools/SampleData/LotwReport.h"
#include "Tools/SampleData/SampleLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace EndToEnd;

class OperatorPath : public testing::Test {
protected:
    static void SetUpTestSuite() { TBench::MakeCertificates(); }
    static void TearDownTestSuite() { TBench::RemoveCertificates(); }
};

std::string Sample(const std::string& name) {
    return std::string(ADIF_SAMPLES) + "/" + name;
}

SampleData::TReportRecord Record(std::string call, std::string band, std::string mode,
                                 std::string date, std::string time) {
    SampleData::TReportRecord record;
    record.Call = std::move(call);
    record.Band = std::move(band);
    record.Mode = std::move(mode);
    record.QsoDate = std::move(date);
    record.TimeOn = std::move(time);
    return record;
}

// A report that confirms one QSO of the log.
std::string ReportConfirming(const SampleData::TReportRecord& qso) {
    SampleData::TReportRecord record = qso;
    record.Confirmed = true;
    record.QslRDate = "20240115";
    record.GridSquare = "KP20";
    return SampleData::WriteLotwReport({}, {record});
}

std::string WholeLog(TBench& bench) {
    return bench.Query("SELECT OMCALL, QSODATE, QSOBAND, QSOMODE, IOTA, GRIDSQUARE, LOTWSENT, "
                       "LOTWRCVD, LOTWRCVDDATE, ADIFFIELDS FROM LOGS WHERE LOGNAME='Main' "
                       "ORDER BY QSODATE");
}

struct TSampleCase {
    const char* File;
    SampleData::TReportRecord Confirmed;
    std::vector<std::string> Skipped; // the import's lines for the records it skips (after the
                                      // folder)
};

TEST_F(OperatorPath, ImportVerifyExportImportKeepsTheLogAndItsMarks) {
    const TSampleCase cases[] = {
        {"text-header.adi",
         Record("VK2XYZ", "15M", "CW", "20230105", "221530"),
         {"text-header.adi: record 3 (F5AA) skipped: it has no QSO_DATE\n"}},
        {"tag-header.adi", Record("ON4XYZ", "70CM", "SSB", "20230301", "000100"), {}},
        {"freq-no-band.adi",
         Record("SM5AB", "40M", "CW", "20220704", "120000"),
         {"freq-no-band.adi: record 3 (N0XX) skipped: FREQ 99.999 is in no amateur band\n",
          "freq-no-band.adi: record 4 (N0YY) skipped: it has neither BAND nor FREQ\n"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.File);
        TBench bench;
        const TRun imported = bench.ImportFile(Sample(test.File));
        ASSERT_EQ(imported.ExitCode, 0) << imported.Output;
        for (const auto& line : test.Skipped)
            EXPECT_TRUE(Contains(imported.Output, line)) << imported.Output;
        EXPECT_EQ(Contains(imported.Output, "skipped:"), !test.Skipped.empty()) << imported.Output;

        const TRun verified = bench.Verify(bench.Serve(ReportConfirming(test.Confirmed)));
        ASSERT_EQ(verified.ExitCode, 0) << verified.Output;
        EXPECT_TRUE(Contains(verified.Output, "All:1, Upd:1 (")) << verified.Output;
        const std::string log = WholeLog(bench);
        EXPECT_TRUE(Contains(log, test.Confirmed.Call + "\t")) << log;
        EXPECT_TRUE(Contains(log, "\tKP20\t1\t1\t2024-01-15 00:00:00\t")) << log;

        const TRun exported = bench.Export(bench.File("out.adi"));
        ASSERT_EQ(exported.ExitCode, 0) << exported.Output;
        TBench again;
        const TRun reimported = again.ImportFile(bench.File("out.adi"));
        ASSERT_EQ(reimported.ExitCode, 0) << reimported.Output;
        EXPECT_FALSE(Contains(reimported.Output, "skipped")) << reimported.Output;
        EXPECT_EQ(WholeLog(again), log);
    }
}

TEST_F(OperatorPath, PasswordFileMustBePrivateAndThePasswordOptionWarns) {
    TBench bench;
    ASSERT_EQ(bench.ImportFile(Sample("tag-header.adi")).ExitCode, 0);
    const std::string resource =
        bench.Serve(ReportConfirming(Record("G4ABC", "2M", "FM", "20230228", "235959")));
    std::ofstream(bench.File("shared")) << "pw\n";
    std::filesystem::permissions(bench.File("shared"), std::filesystem::perms::owner_all |
                                                           std::filesystem::perms::group_read);
    const TRun shared =
        bench.VerifyWith(resource, "--password-file '" + bench.File("shared") + "'");
    EXPECT_EQ(shared.ExitCode, 2);
    EXPECT_TRUE(Contains(shared.Output, "is readable by other users")) << shared.Output;

    // Neither option, and no terminal to ask on.
    const TRun none = bench.VerifyWith(resource, "</dev/null");
    EXPECT_EQ(none.ExitCode, 2);
    EXPECT_TRUE(Contains(none.Output, "--password-file")) << none.Output;

    const TRun visible = bench.VerifyWith(resource, "--password pw");
    EXPECT_EQ(visible.ExitCode, 0) << visible.Output;
    EXPECT_TRUE(Contains(visible.Output, "visible to other users")) << visible.Output;
    EXPECT_TRUE(Contains(visible.Output, "All:1, Upd:1")) << visible.Output;
}

TEST_F(OperatorPath, TerminalAsksForThePasswordAndShowsTheRunLive) {
    SampleData::TSampleOptions options;
    options.Qsos = 300;
    const SampleData::TSampleLog sample = SampleData::GenerateSampleLog(options);
    TBench bench;
    bench.Import(SampleData::WriteLogbookAdif(sample));
    const std::string resource =
        bench.Serve(SampleData::WriteLotwReport(sample.Header, sample.Records));

    const TRun run = bench.VerifyOnTerminal(resource, "s3cret-word");

    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_TRUE(Contains(run.Output, "LoTW password for me: ")) << run.Output;
    EXPECT_FALSE(Contains(run.Output, "s3cret-word")) << run.Output; // typed without echo
    EXPECT_TRUE(Contains(bench.ReceivedQueries(), "password=s3cret-word")) << run.Output;
    // The live line, redrawn in place, and the progress lines above it as they come.
    const std::string records = std::to_string(sample.Records.size());
    EXPECT_TRUE(Contains(run.Output, "\r\033[Kdownloading the report: ")) << run.Output;
    EXPECT_TRUE(Contains(run.Output, " of " + records + " records (")) << run.Output;
    EXPECT_TRUE(Contains(run.Output, "\r\033[K   Received ")) << run.Output;
    EXPECT_TRUE(Contains(run.Output, "\r\033[K* Done. All:" + records)) << run.Output;
    EXPECT_TRUE(Contains(run.Output, "\r\033[Kjournal: Exec: ")) << run.Output;
}

TEST_F(OperatorPath, WindowShowsTheLogAndItsCountsAfterAVerification) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    SampleData::TSampleOptions options;
    options.Qsos = 40;
    options.Seed = 7;
    const SampleData::TSampleLog sample = SampleData::GenerateSampleLog(options);
    TBench bench;
    bench.Import(SampleData::WriteLogbookAdif(sample));
    ASSERT_EQ(bench.Verify(bench.Serve(SampleData::WriteLotwReport(sample.Header, sample.Records)))
                  .ExitCode,
              0);

    const std::string picture = bench.File("refhost.png");
    const TRun shown = bench.ShowWindow(picture);

    ASSERT_EQ(shown.ExitCode, 0) << shown.Output;
    long uploaded = 0, confirmed = 0;
    for (const auto& qso : sample.Qsos) {
        uploaded += qso.Listed;
        confirmed += qso.Confirmed;
    }
    EXPECT_TRUE(Contains(
        shown.Output, "status: 40 QSOs   |   uploaded to LoTW: " + std::to_string(uploaded) +
                          "   |   confirmed: " + std::to_string(confirmed) + "   |   with grid: "))
        << shown.Output;
    // Closing the window kept its size and columns in the settings file.
    const std::string settings = bench.SettingsFile();
    EXPECT_TRUE(Contains(settings, "[refhost window]")) << settings;
    EXPECT_TRUE(Contains(settings, "Width=") && Contains(settings, "Columns=")) << settings;
    std::ifstream png(picture, std::ios::binary);
    std::string magic(8, '\0');
    png.read(magic.data(), 8);
    EXPECT_EQ(magic, "\x89PNG\r\n\x1A\n");
    // The picture for the documentation: REFHOST_PICTURE=docs/images/refhost.png.
    if (const char* keep = std::getenv("REFHOST_PICTURE"))
        std::filesystem::copy_file(picture, keep,
                                   std::filesystem::copy_options::overwrite_existing);
}

} // namespace
