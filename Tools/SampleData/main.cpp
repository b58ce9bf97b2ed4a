// samplegen: writes a sample logbook (ADIF) and the LoTW report that goes with it.
//
//   samplegen --log FILE --report FILE [--qsos N] [--seed N] [--from YYYY-MM-DD]
//             [--until YYYY-MM-DD] [--listed PERCENT] [--confirmed PERCENT]
//             [--marked PERCENT] [--unmatched N] [--call CALL]
//
// Prints what it wrote and what a verification over the log's whole date range should report.
#include "Tools/SampleData/SampleLog.h"

#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>

namespace {

using namespace std::chrono;

constexpr const char* UsageText =
    "usage: samplegen --log FILE --report FILE [--qsos N] [--seed N] [--from YYYY-MM-DD]\n"
    "                 [--until YYYY-MM-DD] [--listed PERCENT] [--confirmed PERCENT]\n"
    "                 [--marked PERCENT] [--unmatched N] [--call CALL]\n";

unsigned long Number(const std::string& name, const std::string& text) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text[0] == '-')
        throw std::invalid_argument("--" + name + " takes a number, not \"" + text + "\"");
    return value;
}

sys_days Date(const std::string& name, const std::string& text) {
    const auto part = [&](std::size_t at, std::size_t length) {
        return static_cast<int>(Number(name, text.substr(at, length)));
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        throw std::invalid_argument("--" + name + " takes a date YYYY-MM-DD, not \"" + text + "\"");
    const year_month_day date{year{part(0, 4)}, month{static_cast<unsigned>(part(5, 2))},
                              day{static_cast<unsigned>(part(8, 2))}};
    if (!date.ok())
        throw std::invalid_argument("--" + name + ": there is no date " + text);
    return date;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options;
    SampleData::TSampleOptions sample;
    try {
        for (int i = 1; i < argc; i += 2) {
            const std::string word = argv[i];
            if (!word.starts_with("--") || i + 1 == argc)
                throw std::invalid_argument("options come as --name value");
            options[word.substr(2)] = argv[i + 1];
        }
        for (const auto& [name, value] : options) {
            if (name == "qsos")
                sample.Qsos = Number(name, value);
            else if (name == "seed")
                sample.Seed = static_cast<std::uint32_t>(Number(name, value));
            else if (name == "from")
                sample.From = Date(name, value);
            else if (name == "until")
                sample.Until = Date(name, value);
            else if (name == "listed")
                sample.ListedPercent = static_cast<unsigned>(Number(name, value));
            else if (name == "confirmed")
                sample.ConfirmedPercent = static_cast<unsigned>(Number(name, value));
            else if (name == "marked")
                sample.MarkedPercent = static_cast<unsigned>(Number(name, value));
            else if (name == "unmatched")
                sample.Unmatched = Number(name, value);
            else if (name == "call")
                sample.OwnCall = value;
            else if (name != "log" && name != "report")
                throw std::invalid_argument("unknown option --" + name);
        }
        if (!options.contains("log") || !options.contains("report"))
            throw std::invalid_argument("--log and --report are required");
    } catch (const std::invalid_argument& e) {
        std::cerr << "samplegen: " << e.what() << "\n" << UsageText;
        return 2;
    }
    try {
        const SampleData::TSampleLog log = SampleData::GenerateSampleLog(sample);
        WriteFile(options["log"], SampleData::WriteLogbookAdif(log));
        WriteFile(options["report"], SampleData::WriteLotwReport(log.Header, log.Records));
        std::size_t marked = 0, confirmed = 0;
        for (const auto& qso : log.Qsos) {
            marked += qso.MarkedBefore ? 1 : 0;
            confirmed += qso.Confirmed ? 1 : 0;
        }
        std::cout << "logbook " << options["log"] << ": " << log.Qsos.size() << " QSOs of "
                  << sample.OwnCall << " from " << log.Header.StartDate << " to "
                  << log.Header.EndDate << ", " << marked << " marked as uploaded\n"
                  << "report  " << options["report"] << ": " << log.Records.size() << " records, "
                  << log.Listed << " of them for QSOs of the log (" << confirmed << " confirmed), "
                  << log.Unmatched << " for QSOs the log lacks\n";
        return 0;
    } catch (const std::invalid_argument& e) {
        std::cerr << "samplegen: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "samplegen: " << e.what() << "\n";
        return 1;
    }
}
