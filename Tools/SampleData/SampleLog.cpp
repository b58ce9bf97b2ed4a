#include "Tools/SampleData/SampleLog.h"
#include "Tools/SampleData/SampleRandom.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace SampleData {

namespace {

using namespace std::chrono;

constexpr seconds MinimumSlice{240};
// A QSO sits in the first part of its slice, so that two QSOs are at least this far apart.
constexpr seconds Separation{120};
constexpr unsigned LatestListingDelay = 5; // seconds the report's time may lie after the log's

std::string IsoDate(sys_days day) {
    const std::string adif = AdifDate(sys_seconds(day));
    return adif.substr(0, 4) + "-" + adif.substr(4, 2) + "-" + adif.substr(6, 2);
}

std::string IsoDateTime(sys_seconds time) {
    const std::string clock = AdifTime(time);
    return IsoDate(floor<days>(time)) + " " + clock.substr(0, 2) + ":" + clock.substr(2, 2) + ":" +
           clock.substr(4, 2);
}

TReportRecord RecordOf(const TSampleQso& qso, sys_seconds listedTime) {
    return {qso.Call,
            qso.Band,
            qso.Mode,
            AdifDate(listedTime),
            AdifTime(listedTime),
            qso.Confirmed,
            qso.QslRDate,
            qso.GridSquare,
            qso.Iota};
}

class TSampleWriter {
public:
    explicit TSampleWriter(const TSampleOptions& options)
        : FOptions(options), FRandom(options.Seed) {}

    TSampleLog Generate() {
        TSampleLog sample;
        const seconds span = FOptions.Until + days{1} - FOptions.From;
        const seconds slice = FOptions.Qsos == 0 ? span : span / static_cast<long>(FOptions.Qsos);
        std::vector<std::pair<sys_seconds, TReportRecord>> listed;
        std::unordered_set<std::string> calls;
        for (std::size_t i = 0; i < FOptions.Qsos; ++i) {
            const sys_seconds sliceStart = FOptions.From + static_cast<long>(i) * slice;
            TSampleQso qso =
                Qso(sliceStart +
                    seconds{FRandom.Pick(static_cast<std::size_t>((slice - Separation).count()))});
            calls.insert(qso.Call);
            if (qso.Listed) {
                const sys_seconds listedTime =
                    qso.Time + seconds{FRandom.Pick(LatestListingDelay + 1)};
                listed.emplace_back(listedTime, RecordOf(qso, listedTime));
                ++sample.Listed;
            }
            sample.Qsos.push_back(std::move(qso));
        }
        const std::size_t unmatched =
            FOptions.Unmatched.value_or(std::max<std::size_t>(3, FOptions.Qsos / 50));
        for (std::size_t i = 0; i < unmatched; ++i) {
            const sys_seconds time =
                FOptions.From + seconds{FRandom.Pick(static_cast<std::size_t>(span.count()))};
            TSampleQso stranger = Qso(time);
            while (calls.contains(stranger.Call))
                stranger.Call = FRandom.CallSign();
            listed.emplace_back(time, RecordOf(stranger, time));
        }
        sample.Unmatched = unmatched;
        std::stable_sort(listed.begin(), listed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [time, record] : listed)
            sample.Records.push_back(std::move(record));

        sample.Header.OwnCall = FOptions.OwnCall;
        sample.Header.StartDate = IsoDate(FOptions.From);
        sample.Header.EndDate = IsoDate(FOptions.Until);
        const sys_seconds lastUpload =
            listed.empty() ? sys_seconds(FOptions.Until) : listed.back().first + hours{1};
        sample.Header.LastQsoRx = IsoDateTime(lastUpload);
        sample.Header.GeneratedAt = IsoDateTime(lastUpload + hours{2});
        return sample;
    }

private:
    TSampleQso Qso(sys_seconds time) {
        TSampleQso qso;
        qso.Time = time;
        qso.Call = FRandom.CallSign();
        qso.Band = FRandom.Band().Name;
        qso.Mode = FRandom.Mode().Name;
        qso.MarkedBefore = FRandom.Chance(FOptions.MarkedPercent);
        qso.Listed = FRandom.Chance(FOptions.ListedPercent);
        if (qso.Listed && FRandom.Chance(FOptions.ConfirmedPercent)) {
            qso.Confirmed = true;
            qso.QslRDate = AdifDate(time + days{1 + FRandom.Pick(60)});
            qso.GridSquare = FRandom.Locator();
            if (FRandom.Chance(25))
                qso.Iota = FRandom.Iota();
        }
        return qso;
    }

    const TSampleOptions& FOptions;
    TSampleRandom FRandom;
};

void AppendField(std::string& adif, std::string_view name, std::string_view value) {
    adif += '<';
    adif += name;
    adif += ':';
    adif += std::to_string(value.size());
    adif += '>';
    adif += value;
}

} // namespace

std::string AdifDate(sys_seconds time) {
    const year_month_day date{floor<days>(time)};
    return std::to_string(static_cast<int>(date.year())) +
           TwoDigits(static_cast<unsigned>(date.month())) +
           TwoDigits(static_cast<unsigned>(date.day()));
}

std::string AdifTime(sys_seconds time) {
    const hh_mm_ss clock{time - floor<days>(time)};
    return TwoDigits(static_cast<unsigned>(clock.hours().count())) +
           TwoDigits(static_cast<unsigned>(clock.minutes().count())) +
           TwoDigits(static_cast<unsigned>(clock.seconds().count()));
}

TSampleLog GenerateSampleLog(const TSampleOptions& options) {
    if (options.ListedPercent > 100 || options.ConfirmedPercent > 100 ||
        options.MarkedPercent > 100)
        throw std::invalid_argument("a percentage is above 100");
    if (options.Until < options.From ||
        (options.Qsos > 0 &&
         seconds{options.Until + days{1} - options.From} / static_cast<long>(options.Qsos) <
             MinimumSlice))
        throw std::invalid_argument("the date range is too short for " +
                                    std::to_string(options.Qsos) +
                                    " QSOs (at least four minutes a QSO)");
    return TSampleWriter(options).Generate();
}

std::string WriteLogbookAdif(const TSampleLog& sample) {
    std::string adif = "Sample logbook of " + sample.Header.OwnCall + ", " +
                       std::to_string(sample.Qsos.size()) + " QSOs\n";
    AppendField(adif, "ADIF_VER", "3.1.4");
    AppendField(adif, "PROGRAMID", "samplegen");
    adif += "<EOH>\n";
    for (const TSampleQso& qso : sample.Qsos) {
        AppendField(adif, "CALL", qso.Call);
        AppendField(adif, "BAND", qso.Band);
        AppendField(adif, "MODE", qso.Mode);
        AppendField(adif, "QSO_DATE", AdifDate(qso.Time));
        AppendField(adif, "TIME_ON", AdifTime(qso.Time));
        if (qso.MarkedBefore)
            AppendField(adif, "LOTW_QSL_SENT", "Y");
        adif += "<EOR>\n";
    }
    return adif;
}

} // namespace SampleData
