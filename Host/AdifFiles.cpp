#include "Host/AdifFiles.h"

#include "Host/AdifExport.h"
#include "Host/AdifImport.h"
#include "Host/HostError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace RefHost {

TImportSummary ImportAdifFiles(TLogbook& logbook, const std::u16string& logName,
                               const std::vector<std::string>& paths) {
    TImportSummary summary;
    std::vector<TQsoRecord> qsos;
    for (const auto& path : paths) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        if (!(file && text << file.rdbuf()))
            throw EAdifImportError(path + ": cannot be read");
        auto read = ReadAdifQsos(text.str(), logName, path);
        summary.Skipped.insert(summary.Skipped.end(), read.Skipped.begin(), read.Skipped.end());
        qsos.insert(qsos.end(), std::make_move_iterator(read.Qsos.begin()),
                    std::make_move_iterator(read.Qsos.end()));
    }
    summary.Read = qsos.size();
    summary.Added = logbook.AddQsos(qsos);
    return summary;
}

std::size_t ExportAdifFile(TLogbook& logbook, const std::u16string& logName,
                           const std::string& path) {
    const std::string partial = path + ".part";
    auto fail = [&](const std::string& what) {
        const std::string reason = std::strerror(errno);
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw EHostError(HostErrorClass, "Cannot " + what + " " + path + ": " + reason);
    };
    std::size_t written = 0;
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out)
            fail("write");
        TAdifWriter writer(out);
        try {
            written = logbook.ForEachQso(logName,
                                         [&writer](const TQsoRecord& qso) { writer.Write(qso); });
        } catch (...) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            throw;
        }
        out.close();
        if (!out)
            fail("write");
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0)
        fail("replace");
    return written;
}

} // namespace RefHost
