// The host's SQL service under a verification's per-record load.
//
// Builds a logbook file of 100,000 QSOs, then for each of a run of report records performs
// what a verification sends per record: the existence test, a query opened on a fresh
// statement text, the Boolean read, the close and the update, each through IHostServer with
// system strings. Prints the rate as its last line:
//   "hostsql records/s=<wall-clock rate> cpu-records/s=<rate per CPU second> qsos=<n>"
// (the second figure is what the machine could do undisturbed by other load).
// Usage: HostSqlBench [records] [logbook-file]   (defaults: 20000, a temporary file)
#include "Host/HostServer.h"

#include "Platform/Locale.h"
#include "Platform/SysString.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

using namespace RefHost;

constexpr int QsoCount = 100000;
const char16_t* const Bands[] = {u"20M", u"40M", u"15M", u"10M", u"80M"};
const char16_t* const Modes[] = {u"SSB", u"CW", u"FT8"};

TLogDateTime QsoTime(int index) {
    // One QSO every 5 minutes from 2018-01-01 on.
    const int minutes = index * 5;
    const int days = minutes / (24 * 60);
    TLogDateTime t{2018, 1, 1, (minutes / 60) % 24, minutes % 60, index % 60};
    static constexpr int MonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int day = days;
    while (day >= MonthDays[t.Month - 1]) {
        day -= MonthDays[t.Month - 1];
        if (++t.Month > 12)
            t.Month = 1, ++t.Year;
    }
    t.Day = day + 1;
    return t;
}

TQsoRecord QsoAt(int index) {
    TQsoRecord qso;
    qso.LogName = u"Main";
    qso.QsoDate = QsoTime(index);
    qso.Call = u"K" + Platform::Utf8ToUtf16(std::to_string(index % 7919)) + u"AB";
    qso.Band = Bands[index % 5];
    qso.Mode = Modes[index % 3];
    qso.LotwSent = index % 2 == 0;
    return qso;
}

std::u16string Minute(const TLogDateTime& t, int delta) {
    TLogDateTime bound = t;
    bound.Minute += delta;
    if (bound.Minute < 0)
        bound.Minute += 60, --bound.Hour;
    if (bound.Minute >= 60)
        bound.Minute -= 60, ++bound.Hour;
    if (bound.Hour < 0 || bound.Hour > 23) // keep the bench simple at day edges
        bound = t;
    return Platform::Utf8ToUtf16(bound.StoredText().substr(0, 16));
}

} // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::stoi(argv[1]) : 20000;
    const auto path = argc > 2 ? std::filesystem::path(argv[2])
                               : std::filesystem::temp_directory_path() / "refhost-bench.sqlite";
    std::filesystem::remove(path);
    std::filesystem::remove(path.string() + "-wal");
    std::filesystem::remove(path.string() + "-shm");

    std::vector<TQsoRecord> qsos;
    for (int i = 0; i < QsoCount; ++i)
        qsos.push_back(QsoAt(i));
    // Closing the logbook after filling it writes everything into the file, so that the timed
    // run starts from a settled logbook as a user's would be.
    TLogbook(path.string()).AddQsos(qsos);

    TLogbook logbook(path.string());

    TFaultPlan faults;
    THostEvents events;
    THostCalls calls(faults, events);
    THostServer server(logbook, calls);
    LONG handle = 0;
    server.CreateQuery(&handle);

    const TSysString table(u"LOGS");
    const TSysString field(u"LOTWSENT");
    int failures = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int r = 0; r < records; ++r) {
        const auto& qso = qsos[static_cast<std::size_t>((r * 37) % QsoCount)];
        const std::u16string match = u"OMCALL='" + qso.Call + u"' AND QSOBAND='" + qso.Band +
                                     u"' AND QSOMODE='" + qso.Mode + u"' AND #" +
                                     Minute(qso.QsoDate, -1) + u"#<=QSODATE AND QSODATE<=#" +
                                     Minute(qso.QsoDate, 1) + u"# AND LOGNAME='Main'";
        LONG exists = 0, value = 0, present = 0, executed = 0;
        failures += server.RecordExists(table.Get(), TSysString(match).Get(), &exists) != S_OK;
        failures +=
            server.OpenQuery(handle,
                             TSysString(u"SELECT LOTWSENT FROM LOGS WHERE " + match).Get()) != S_OK;
        failures += server.GetBooleanField(handle, field.Get(), &value, &present) != S_OK;
        failures += server.CloseQuery(handle) != S_OK;
        const std::u16string update = u"UPDATE LOGS SET IOTA='EU-" +
                                      Platform::Utf8ToUtf16(std::to_string(r % 1000)) +
                                      u"',LOTWSENT=TRUE WHERE " + match;
        failures += server.ExecuteSQL(TSysString(update).Get(), &executed) != S_OK;
        failures += exists == 0 || executed == 0;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    server.FreeQuery(handle);
    if (argc <= 2)
        std::filesystem::remove(path);
    if (failures != 0) {
        std::fprintf(stderr, "%d host calls failed or found nothing\n", failures);
        return 1;
    }
    std::printf("hostsql records/s=%.0f cpu-records/s=%.0f qsos=%d\n", records / elapsed.count(),
                records / cpuSeconds, QsoCount);
    return 0;
}
