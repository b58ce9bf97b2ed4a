#include "bench/LotwReportGenerator.h"

#include <array>
#include <random>
#include <string_view>

namespace {

struct TBand {
    std::string_view Name;
    std::string_view Frequency;
};

constexpr std::array<TBand, 6> Bands = {{{"160M", "1.84000"},
                                         {"80M", "3.57300"},
                                         {"40M", "7.07400"},
                                         {"20M", "14.07400"},
                                         {"15M", "21.07400"},
                                         {"10M", "28.07400"}}};

struct TMode {
    std::string_view Name;
    std::string_view Group;
};

constexpr std::array<TMode, 5> Modes = {
    {{"FT8", "DATA"}, {"CW", "CW"}, {"SSB", "PHONE"}, {"RTTY", "DATA"}, {"FT4", "DATA"}}};

constexpr std::array<std::string_view, 4> IotaReferences = {"EU-005", "NA-046", "OC-001", "AS-007"};

constexpr std::string_view OwnCall = "DL1ABC";

void AppendField(std::string& report, std::string_view name, std::string_view value) {
    report += '<';
    report += name;
    report += ':';
    report += std::to_string(value.size());
    report += '>';
    report += value;
    report += "\r\n";
}

// Two digits of `value`, zero-padded.
std::string TwoDigits(unsigned value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

class TReportWriter {
public:
    explicit TReportWriter(std::uint32_t seed) : FRandom(seed) {}

    void AppendHeader(std::string& report, std::size_t recordCount) {
        report += "ARRL Logbook of the World Status Report\r\n";
        report += "Generated at 2024-01-31 10:00:00\r\n";
        report += "for dl1abc\r\n";
        report += "Query:\r\n";
        report += "    QSL ONLY: NO\r\n";
        report += "   QSO START DATE: 2000-01-01\r\n";
        report += "     QSO END DATE: 2024-01-31\r\n";
        report += "\r\n";
        AppendField(report, "PROGRAMID", "LoTW");
        AppendField(report, "APP_LoTW_LASTQSORX", "2024-01-31 09:59:00");
        AppendField(report, "APP_LoTW_NUMREC", std::to_string(recordCount));
        report += "\r\n<eoh>\r\n";
    }

    void AppendRecord(std::string& report) {
        const TBand& band = Bands[Pick(Bands.size())];
        const TMode& mode = Modes[Pick(Modes.size())];
        const std::string date =
            "20" + TwoDigits(10 + Pick(14)) + TwoDigits(1 + Pick(12)) + TwoDigits(1 + Pick(28));
        const std::string time = TwoDigits(Pick(24)) + TwoDigits(Pick(60)) + TwoDigits(Pick(60));
        const bool confirmed = Pick(2) == 0;

        report += "\r\n";
        AppendField(report, "APP_LoTW_OWNCALL", OwnCall);
        AppendField(report, "STATION_CALLSIGN", OwnCall);
        AppendField(report, "CALL", CallSign());
        AppendField(report, "BAND", band.Name);
        AppendField(report, "FREQ", band.Frequency);
        AppendField(report, "MODE", mode.Name);
        AppendField(report, "APP_LoTW_MODEGROUP", mode.Group);
        AppendField(report, "QSO_DATE", date);
        AppendField(report, "TIME_ON", time);
        AppendField(report, "APP_LoTW_QSO_TIMESTAMP",
                    date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2) + "T" +
                        time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2) +
                        "Z");
        AppendField(report, "QSL_RCVD", confirmed ? "Y" : "N");
        if (confirmed) {
            AppendField(report, "QSLRDATE",
                        "2024" + TwoDigits(1 + Pick(12)) + TwoDigits(1 + Pick(28)));
            AppendField(report, "GRIDSQUARE", Locator());
            if (Pick(4) == 0)
                AppendField(report, "IOTA", IotaReferences[Pick(IotaReferences.size())]);
        }
        report += "<eor>\r\n";
    }

private:
    unsigned Pick(std::size_t count) {
        return static_cast<unsigned>(FRandom() % static_cast<std::uint32_t>(count));
    }

    char Letter() { return static_cast<char>('A' + Pick(26)); }
    char Digit() { return static_cast<char>('0' + Pick(10)); }

    // A call sign of 4 to 6 characters: one or two prefix letters, a digit, a suffix.
    std::string CallSign() {
        std::string call(1, Letter());
        if (Pick(2) == 0)
            call += Letter();
        call += Digit();
        const unsigned suffixLength = 1 + Pick(3);
        for (unsigned i = 0; i < suffixLength; ++i)
            call += Letter();
        return call;
    }

    // A four- or six-character grid locator.
    std::string Locator() {
        std::string locator = {static_cast<char>('A' + Pick(18)), static_cast<char>('A' + Pick(18)),
                               Digit(), Digit()};
        if (Pick(2) == 0) {
            locator += static_cast<char>('a' + Pick(24));
            locator += static_cast<char>('a' + Pick(24));
        }
        return locator;
    }

    std::mt19937 FRandom;
};

} // namespace

std::string GenerateLotwReport(std::size_t recordCount, std::uint32_t seed) {
    std::string report;
    report.reserve(recordCount * 300 + 1024);
    TReportWriter writer(seed);
    writer.AppendHeader(report, recordCount);
    for (std::size_t i = 0; i < recordCount; ++i)
        writer.AppendRecord(report);
    return report;
}
