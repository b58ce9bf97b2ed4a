#include "Tools/SampleData/LotwReport.h"
#include "Tools/SampleData/SampleRandom.h"

#include <string_view>

namespace SampleData {

namespace {

void AppendField(std::string& report, std::string_view name, std::string_view value) {
    report += '<';
    report += name;
    report += ':';
    report += std::to_string(value.size());
    report += '>';
    report += value;
    report += "\r\n";
}

std::string_view FrequencyOf(std::string_view band) {
    for (const TBand& known : Bands)
        if (known.Name == band)
            return known.Frequency;
    return {};
}

std::string_view GroupOf(std::string_view mode) {
    for (const TMode& known : Modes)
        if (known.Name == mode)
            return known.Group;
    return {};
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void AppendHeader(std::string& report, const TReportHeader& header, std::size_t recordCount) {
    report += "ARRL Logbook of the World Status Report\r\n";
    report += "Generated at " + header.GeneratedAt + "\r\n";
    report += "for " + Lower(header.OwnCall) + "\r\n";
    report += "Query:\r\n";
    report += "    QSL ONLY: NO\r\n";
    report += "   QSO START DATE: " + header.StartDate + "\r\n";
    report += "     QSO END DATE: " + header.EndDate + "\r\n";
    report += "\r\n";
    AppendField(report, "PROGRAMID", "LoTW");
    if (!header.LastQsoRx.empty())
        AppendField(report, "APP_LoTW_LASTQSORX", header.LastQsoRx);
    AppendField(report, "APP_LoTW_NUMREC",
                header.RecordCount.value_or(std::to_string(recordCount)));
    report += "\r\n<eoh>\r\n";
}

// "YYYYMMDD" and "HHMMSS" as the timestamp "YYYY-MM-DDTHH:MM:SSZ"; other texts as they are.
std::string Timestamp(const std::string& date, const std::string& time) {
    if (date.size() != 8 || time.size() != 6)
        return date + time;
    return date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2) + "T" +
           time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2) + "Z";
}

void AppendRecord(std::string& report, const std::string& ownCall, const TReportRecord& record) {
    report += "\r\n";
    AppendField(report, "APP_LoTW_OWNCALL", ownCall);
    AppendField(report, "STATION_CALLSIGN", ownCall);
    AppendField(report, "CALL", record.Call);
    AppendField(report, "BAND", record.Band);
    if (auto frequency = FrequencyOf(record.Band); !frequency.empty())
        AppendField(report, "FREQ", frequency);
    AppendField(report, "MODE", record.Mode);
    if (auto group = GroupOf(record.Mode); !group.empty())
        AppendField(report, "APP_LoTW_MODEGROUP", group);
    AppendField(report, "QSO_DATE", record.QsoDate);
    AppendField(report, "TIME_ON", record.TimeOn);
    AppendField(report, "APP_LoTW_QSO_TIMESTAMP", Timestamp(record.QsoDate, record.TimeOn));
    AppendField(report, "QSL_RCVD", record.Confirmed ? "Y" : "N");
    if (record.Confirmed)
        AppendField(report, "QSLRDATE", record.QslRDate);
    if (!record.GridSquare.empty())
        AppendField(report, "GRIDSQUARE", record.GridSquare);
    if (!record.Iota.empty())
        AppendField(report, "IOTA", record.Iota);
    report += "<eor>\r\n";
}

TReportRecord RandomRecord(TSampleRandom& random) {
    TReportRecord record;
    record.Band = random.Band().Name;
    record.Mode = random.Mode().Name;
    record.QsoDate = "20" + TwoDigits(10 + random.Pick(14));
    record.QsoDate += TwoDigits(1 + random.Pick(12));
    record.QsoDate += TwoDigits(1 + random.Pick(28));
    record.TimeOn = TwoDigits(random.Pick(24));
    record.TimeOn += TwoDigits(random.Pick(60));
    record.TimeOn += TwoDigits(random.Pick(60));
    record.Confirmed = random.Pick(2) == 0;
    record.Call = random.CallSign();
    if (record.Confirmed) {
        record.QslRDate = "2024" + TwoDigits(1 + random.Pick(12));
        record.QslRDate += TwoDigits(1 + random.Pick(28));
        record.GridSquare = random.Locator();
        if (random.Pick(4) == 0)
            record.Iota = random.Iota();
    }
    return record;
}

} // namespace

std::string WriteLotwReport(const TReportHeader& header,
                            const std::vector<TReportRecord>& records) {
    std::string report;
    report.reserve(records.size() * 300 + 1024);
    AppendHeader(report, header, records.size());
    for (const TReportRecord& record : records)
        AppendRecord(report, header.OwnCall, record);
    return report;
}

std::string GenerateLotwReport(std::size_t recordCount, std::uint32_t seed) {
    TSampleRandom random(seed);
    const TReportHeader header;
    std::string report;
    report.reserve(recordCount * 300 + 1024);
    AppendHeader(report, header, recordCount);
    for (std::size_t i = 0; i < recordCount; ++i)
        AppendRecord(report, header.OwnCall, RandomRecord(random));
    return report;
}

} // namespace SampleData
