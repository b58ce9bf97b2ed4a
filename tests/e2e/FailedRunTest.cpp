// What a failed or interrupted verification leaves behind, end to end through refhost: every
// host call of a run failing in turn, a logbook that cannot be written, and the process
// killed in the middle of a large run. Each must leave the log exactly as it was before the
// run, or (once the run's work is committed) exactly as a complete run leaves it.
#include "tests/e2e/EndToEnd.h"

#include "Host/Logbook.h"
#include "Tools/SampleData/SampleLog.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <thread>

namespace {

using namespace EndToEnd;
using namespace std::chrono;
namespace fs = std::filesystem;

SampleData::TSampleLog Sample(std::size_t qsos) {
    SampleData::TSampleOptions options;
    options.Qsos = qsos;
    options.Seed = 11;
    options.From = sys_days{year{2015} / 1 / 1};
    options.Until = sys_days{year{2024} / 12 / 31};
    return SampleData::GenerateSampleLog(options);
}

// Every row of LOGS in the order of their keys.
using TRows = std::vector<std::vector<RefHost::TSqlValue>>;

TRows Rows(const std::string& path) {
    RefHost::TLogbook logbook(path);
    return logbook
        .Query({RefHost::TSqlStatementKind::Select, u"SELECT * FROM LOGS ORDER BY ID", {}})
        .Rows;
}

std::string IntegrityCheck(const std::string& path) {
    RefHost::TLogbook logbook(path);
    const auto result =
        logbook.Query({RefHost::TSqlStatementKind::Select, u"PRAGMA integrity_check", {}});
    return std::get<std::u16string>(result.Rows.at(0).at(0)) == u"ok" ? "ok" : "damaged";
}

// Copies the logbook file at `from` over the one at `to` (the logbooks are closed).
void CopyLogbook(const std::string& from, const std::string& to) {
    for (const char* suffix : {"-wal", "-shm"})
        fs::remove(to + suffix);
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

std::vector<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::vector<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.push_back((*it)[1]);
    return found;
}

// ---- Every host call of a run, failing in turn ----

// A status a failing host call returns, and what the user is then shown.
struct TInjectedStatus {
    const char* Status;
    const char* Shown;
};

// An operating-system error shows the host's description, here none; an unknown status
// without one shows its number.
const TInjectedStatus InjectedStatuses[] = {
    {"EDatabaseError:injected database fault", "message: refhost: injected database fault\n"},
    {"0x80070005", "message: refhost: \n"},
    {"0x8ABC0123", "message: refhost: OLE error 8ABC0123\n"},
};

// The host operations of one run; the first run of the suite proves that there are no others.
const char* const RunOperations[] = {
    "IHostKernel.GetValue",        "IHostServer.CreateQuery",     "IHostServer.OpenQuery",
    "IHostServer.GetIntegerField", "IHostServer.ExecuteSQL",      "IHostServer.CloseQuery",
    "IHostServer.RecordExists",    "IHostServer.GetBooleanField", "IHostServer.FreeQuery",
    "IHostKernel.WriteLog",        "IHostKernel.ExecuteCommand",
};

// The journal line and the refresh follow the commit of the run's work: failing, they leave
// the complete result.
bool AfterTheCommit(const std::string& operation) {
    return operation == "IHostKernel.WriteLog" || operation == "IHostKernel.ExecuteCommand";
}

class FaultMatrix : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        TBench::MakeCertificates();
        Bench = std::make_unique<TBench>();
        const SampleData::TSampleLog sample = Sample(300);
        Bench->Import(SampleData::WriteLogbookAdif(sample));
        Pristine = std::make_unique<TTempDir>();
        CopyLogbook(Bench->LogbookPath(), Pristine->File("log.sqlite"));
        Resource = Bench->Serve(SampleData::WriteLotwReport(sample.Header, sample.Records));
        const TRun clean = Bench->Verify(Resource, "--calls --digest");
        CleanOutput = clean.Output;
        for (const std::string& line : Lines(clean.Output)) {
            std::smatch call;
            if (std::regex_match(line, call, std::regex("calls: (\\S+) (\\d+) (\\d+)")))
                Occurrences[call[1]] = {std::stoi(call[2]), std::stoi(call[3])};
        }
        Digests = Matches(clean.Output, std::regex("logbook: (\\S+)"));
    }
    static void TearDownTestSuite() {
        Bench.reset();
        Pristine.reset();
        TBench::RemoveCertificates();
    }

    static std::unique_ptr<TBench> Bench;
    static std::unique_ptr<TTempDir> Pristine;
    static std::string Resource;
    static std::string CleanOutput;
    static std::map<std::string, std::pair<int, int>> Occurrences;
    static std::vector<std::string> Digests; // before and after the clean run
};

std::unique_ptr<TBench> FaultMatrix::Bench;
std::unique_ptr<TTempDir> FaultMatrix::Pristine;
std::string FaultMatrix::Resource;
std::string FaultMatrix::CleanOutput;
std::map<std::string, std::pair<int, int>> FaultMatrix::Occurrences;
std::vector<std::string> FaultMatrix::Digests;

// The call fails; the log is as before (or complete, after the commit), the user sees the
// error, the dialog runs again to completion and closes, and the sanitizers report nothing.
TEST_P(FaultMatrix, FailedCallLeavesTheLogAsItWas) {
    std::set<std::string> listed;
    for (const auto& [operation, span] : Occurrences)
        listed.insert(operation);
    ASSERT_EQ(listed, std::set<std::string>(std::begin(RunOperations), std::end(RunOperations)))
        << CleanOutput;
    ASSERT_EQ(Digests.size(), 2u) << CleanOutput;
    ASSERT_NE(Digests[0], Digests[1]) << "the clean run changes the log";

    const std::string operation = GetParam();
    const auto [first, last] = Occurrences.at(operation);
    const std::set<int> sampled = {first, std::min(first + 1, last), (first + last) / 2, last};
    for (const int call : sampled) {
        for (const TInjectedStatus& injected : InjectedStatuses) {
            const std::string fault =
                operation + ":" + std::to_string(call) + ":" + injected.Status;
            SCOPED_TRACE(fault);
            auto runCase = [&] {
                CopyLogbook(Pristine->File("log.sqlite"), Bench->LogbookPath());
                return Bench->Verify(Resource, "--runs 2 --digest --fail " + Quoted(fault));
            };
            TRun run = runCase();
            // On a loaded machine the leak checker's own stop of the process's threads now and
            // then crashes at exit; that says nothing of the run, which is then repeated.
            if (Contains(run.Output, "LeakSanitizer has encountered a fatal error"))
                run = runCase();

            EXPECT_EQ(run.ExitCode, 0) << run.Output;
            EXPECT_TRUE(Contains(run.Output, injected.Shown)) << run.Output;
            const std::vector<std::string> digests =
                Matches(run.Output, std::regex("logbook: (\\S+)"));
            EXPECT_EQ(digests,
                      (std::vector<std::string>{
                          Digests[0], Digests[AfterTheCommit(operation) ? 1 : 0], Digests[1]}))
                << run.Output;
            EXPECT_FALSE(Contains(run.Output, "Sanitizer")) << run.Output;
            EXPECT_FALSE(Contains(run.Output, "runtime error")) << run.Output;
            // The row of the results table: what the failed run left, what the next one did.
            auto state = [&](std::size_t index) {
                return digests.size() <= index        ? "-"
                       : digests[index] == Digests[0] ? "as before"
                       : digests[index] == Digests[1] ? "complete"
                                                      : "CHANGED";
            };
            std::printf("matrix: %s call %d status %s: log %s, shown %s, next run %s\n",
                        operation.c_str(), call, injected.Status, state(1),
                        Contains(run.Output, injected.Shown) ? "yes" : "NO", state(2));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RunCalls, FaultMatrix, testing::ValuesIn(RunOperations),
                         [](const auto& test) {
                             std::string name = test.param;
                             return name.substr(name.find('.') + 1);
                         });

// ---- A logbook that cannot be written ----

class UnwritableLogbook : public testing::Test {
protected:
    static void SetUpTestSuite() { TBench::MakeCertificates(); }
    static void TearDownTestSuite() { TBench::RemoveCertificates(); }

    void SetUp() override {
        const SampleData::TSampleLog sample = Sample(40);
        Bench.Import(SampleData::WriteLogbookAdif(sample));
        Before = Bench.Marks();
        Resource = Bench.Serve(SampleData::WriteLotwReport(sample.Header, sample.Records));
    }

    void ExpectFailedRun(const TRun& run, const std::string& reason) {
        EXPECT_EQ(run.ExitCode, 1) << run.Output;
        EXPECT_TRUE(Contains(run.Output, reason)) << run.Output;
        EXPECT_FALSE(Contains(run.Output, "journal: ")) << run.Output;
        EXPECT_FALSE(Contains(run.Output, "* Done.")) << run.Output;
        EXPECT_EQ(Bench.Marks(), Before);
    }

    TBench Bench;
    std::string Before;
    std::string Resource;
};

// Another program holds the write lock for longer than the host waits: the first update
// fails once, after the busy timeout, with SQLite's own words.
TEST_F(UnwritableLogbook, LockHeldByAnotherProgram) {
    RefHost::TLogbook other(Bench.LogbookPath());
    other.Begin();
    const auto start = steady_clock::now();
    const TRun run = Bench.Verify(Resource);
    const auto took = duration_cast<seconds>(steady_clock::now() - start);
    other.Rollback();
    ExpectFailedRun(run, "database is locked");
    // A bound against waiting once per statement (minutes for this log), not a speed target.
    EXPECT_LT(took, duration_cast<seconds>(RefHost::BusyTimeout) + seconds(40));
}

TEST_F(UnwritableLogbook, ReadOnlyFile) {
    std::vector<std::string> command = Bench.VerifyCommand(Resource);
    const auto db = std::find(command.begin(), command.end(), "--db") + 1;
    *db = "file:" + *db + "?mode=ro";
    std::string line = "timeout 120";
    for (const std::string& word : command)
        line += " " + Quoted(word);
    ExpectFailedRun(RunCommand(line), "attempt to write a readonly database");
}

// ---- Killed in the middle of a large run ----

// A refhost verify run watched through the logbook's write-ahead log: the changes of the
// run's unit that outgrow the page cache spill into it before the commit, so its size tells
// how far the unit has come, whatever the machine's speed.
struct TWatchedRun {
    std::uintmax_t PendingPeak = 0; // the log's largest size seen
    bool Killed = false;
    int ExitCode = -1;
};

TWatchedRun WatchRun(TBench& bench, const std::string& resource, std::uintmax_t killAtPending = 0) {
    TWatchedRun run;
    TChildProcess refhost(bench.VerifyCommand(resource));
    const std::string wal = bench.LogbookPath() + "-wal";
    const auto limit = steady_clock::now() + minutes(5);
    while (!refhost.WaitFor(milliseconds(2))) {
        std::error_code missing;
        const std::uintmax_t pending = fs::file_size(wal, missing);
        if (!missing)
            run.PendingPeak = std::max(run.PendingPeak, pending);
        if ((killAtPending != 0 && run.PendingPeak >= killAtPending) ||
            steady_clock::now() > limit) {
            refhost.Signal(SIGKILL);
            run.Killed = refhost.WaitFor(seconds(10));
            break;
        }
    }
    run.ExitCode = refhost.ExitCode();
    return run;
}

TEST(KilledRun, LeavesTheLogBeforeOrComplete) {
    TBench::MakeCertificates();
    {
        TBench bench;
        const SampleData::TSampleLog sample = Sample(100000);
        bench.Import(SampleData::WriteLogbookAdif(sample));
        // Served afresh for each run: the service stops by itself when idle for a minute.
        const std::string report = SampleData::WriteLotwReport(sample.Header, sample.Records);
        TTempDir saved;
        const std::string pristine = saved.File("log.sqlite");
        CopyLogbook(bench.LogbookPath(), pristine);
        const TRows before = Rows(pristine);

        const TWatchedRun complete = WatchRun(bench, bench.Serve(report));
        ASSERT_EQ(complete.ExitCode, 0);
        ASSERT_GT(complete.PendingPeak, 0u);
        const TRows after = Rows(bench.LogbookPath());
        ASSERT_NE(after, before);

        int interrupted = 0;
        for (const double share : {0.1, 0.4, 0.8}) {
            SCOPED_TRACE(share);
            CopyLogbook(pristine, bench.LogbookPath());
            const auto killAt =
                static_cast<std::uintmax_t>(static_cast<double>(complete.PendingPeak) * share);
            const TWatchedRun killed = WatchRun(bench, bench.Serve(report), killAt);

            EXPECT_EQ(IntegrityCheck(bench.LogbookPath()), "ok");
            const TRows rows = Rows(bench.LogbookPath());
            EXPECT_TRUE(rows == before || rows == after) << "a kill left a partial run";
            interrupted += killed.Killed && rows == before;
            std::printf("killed at %.0f %% of the pending changes (%ju of %ju bytes): log %s\n",
                        share * 100, killAt, complete.PendingPeak,
                        !killed.Killed   ? "complete before the kill"
                        : rows == before ? "as before"
                        : rows == after  ? "complete"
                                         : "CHANGED");
        }
        EXPECT_GT(interrupted, 0) << "no kill came inside the run's unit of work";
    }
    TBench::RemoveCertificates();
}

} // namespace
