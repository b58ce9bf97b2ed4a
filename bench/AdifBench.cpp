// AdifBench: the ADIF reader's work in one verification run, on a generated LoTW report.
//
//   AdifBench [records] [repetitions]      (defaults: 100000 records, 5 repetitions)
//
// Measures, best of the repetitions: SplitAdif of the decoded lines, the two header fields read
// from the header lines joined with CR LF, and the nine record fields of every record. Speed is
// report bytes (as sent, CR LF included; 1 MB = 10^6 bytes) per second of that work. Memory is
// the peak of heap bytes requested while the split report exists, compared with the UTF-16
// size of the report text. The last line reads "adif MB/s=<figure> records=<n>".
#include "Plugins/Corvane/ADIF.h"
#include "Tools/SampleData/LotwReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

namespace {

// Heap bytes requested through operator new and not yet returned, and their peak.
std::size_t LiveBytes = 0;
std::size_t PeakBytes = 0;

// Each block carries its size in front, so that every form of delete can subtract it.
constexpr std::size_t BlockHeader = alignof(std::max_align_t);

void* CountedAllocate(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + BlockHeader));
    if (block == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    LiveBytes += size;
    PeakBytes = std::max(PeakBytes, LiveBytes);
    return block + BlockHeader;
}

void CountedFree(void* pointer) noexcept {
    if (pointer == nullptr)
        return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - BlockHeader;
    LiveBytes -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    return CountedAllocate(size);
}
void* operator new[](std::size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* pointer) noexcept {
    CountedFree(pointer);
}
void operator delete[](void* pointer) noexcept {
    CountedFree(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    CountedFree(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    CountedFree(pointer);
}

namespace {

using TClock = std::chrono::steady_clock;

// The report's lines as the download hands them over: decoded, line breaks removed.
TStringList DecodeLines(std::string_view report) {
    TStringList lines;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t end = report.find("\r\n", start);
        if (end == std::string_view::npos)
            end = report.size();
        const std::string_view line = report.substr(start, end - start);
        lines.emplace_back(line.begin(), line.end());
        start = end + 2;
    }
    return lines;
}

struct TRunFigures {
    double Seconds = 0;
    std::size_t SplitPeakBytes = 0;
    std::size_t Checksum = 0;
};

// The reader's share of one run. The checksum keeps the compiler from dropping the reads.
TRunFigures ReadReport(const TStringList& lines) {
    TRunFigures figures;
    const std::size_t baseline = LiveBytes;
    PeakBytes = LiveBytes;
    const TClock::time_point start = TClock::now();

    TStringList headerLines, records;
    SplitAdif(lines, headerLines, records);
    std::u16string headerText;
    for (const std::u16string& line : headerLines)
        headerText.append(line).append(u"\r\n");
    figures.Checksum += GetAdifField(u"APP_LoTW_LASTQSORX", 20, headerText).size();
    figures.Checksum += GetAdifField(u"APP_LoTW_NUMREC", 7, headerText).size();
    for (const std::u16string& record : records) {
        figures.Checksum += GetAdifField(u"CALL", 15, record).size();
        figures.Checksum += GetAdifField(u"BAND", 10, record).size();
        figures.Checksum += GetAdifField(u"MODE", 12, record).size();
        figures.Checksum += GetAdifField(u"QSO_DATE", 8, record).size();
        figures.Checksum += GetAdifField(u"TIME_ON", 6, record).size();
        figures.Checksum += GetAdifField(u"QSLRDATE", 8, record).size();
        figures.Checksum += GetAdifField(u"IOTA", 6, record).size();
        figures.Checksum += GetAdifField(u"GRIDSQUARE", 8, record).size();
        figures.Checksum += GetAdifField(u"QSL_RCVD", 1, record).size();
    }

    figures.Seconds = std::chrono::duration<double>(TClock::now() - start).count();
    figures.SplitPeakBytes = PeakBytes - baseline;
    return figures;
}

double Megabytes(std::size_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t recordCount = argc > 1 ? std::stoul(argv[1]) : 100000;
    const int repetitions = argc > 2 ? std::stoi(argv[2]) : 5;

    std::size_t reportBytes = 0;
    TStringList lines;
    {
        const std::string report = SampleData::GenerateLotwReport(recordCount);
        reportBytes = report.size();
        lines = DecodeLines(report);
    }
    // The decoded text, line breaks included, as UTF-16.
    std::size_t textBytes = 0;
    for (const std::u16string& line : lines)
        textBytes += (line.size() + 2) * sizeof(char16_t);
    std::printf("report: %zu records, %zu bytes (%.1f MB), %zu lines\n", recordCount, reportBytes,
                Megabytes(reportBytes), lines.size());

    TRunFigures best;
    best.Seconds = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        const TRunFigures run = ReadReport(lines);
        std::printf("run %d: %.4f s, checksum %zu\n", i + 1, run.Seconds, run.Checksum);
        if (run.Seconds < best.Seconds)
            best = run;
    }

    std::printf("split report peak: %.1f MB = %.2f x the UTF-16 text (%.1f MB)\n",
                Megabytes(best.SplitPeakBytes),
                static_cast<double>(best.SplitPeakBytes) / static_cast<double>(textBytes),
                Megabytes(textBytes));
    std::printf("best: %.4f s\n", best.Seconds);
    std::printf("adif MB/s=%.1f records=%zu\n", Megabytes(reportBytes) / best.Seconds, recordCount);
    return 0;
}
