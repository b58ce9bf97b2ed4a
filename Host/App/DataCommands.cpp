// The verbs that work on the logbook alone: import, export and query.
#include "Host/App/Commands.h"
#include "Host/App/Options.h"

#include "Host/AdifFiles.h"
#include "Host/AdifImport.h"
#include "Host/HostError.h"
#include "Host/Logbook.h"

#include "Platform/Locale.h"

#include <iostream>
#include <sstream>

namespace RefHost {

namespace {

std::string Shown(const TSqlValue& value) {
    if (auto* text = std::get_if<std::u16string>(&value))
        return Platform::Utf16ToUtf8(*text);
    if (auto* integer = std::get_if<std::int64_t>(&value))
        return std::to_string(*integer);
    if (auto* real = std::get_if<double>(&value)) {
        std::ostringstream out;
        out << *real;
        return out.str();
    }
    return {};
}

} // namespace

int RunImport(const TWords& words) {
    TOptions options;
    try {
        options = TOptions::Parse(words, {"db", "log"}, {});
        options.Required("db");
        options.Required("log");
        if (options.Positional().empty())
            throw std::invalid_argument("name at least one ADIF file");
    } catch (const std::invalid_argument& e) {
        std::cerr << "refhost import: " << e.what() << "\n";
        return 2;
    }
    try {
        TLogbook logbook(options.Required("db"));
        const auto summary = ImportAdifFiles(
            logbook, Platform::Utf8ToUtf16(options.Required("log")), options.Positional());
        for (const auto& line : summary.Skipped)
            std::cerr << line << "\n";
        std::cout << "added " << summary.Added << " QSOs to log " << options.Required("log");
        if (summary.Added != summary.Read)
            std::cout << " (" << summary.Read - summary.Added << " already present)";
        if (!summary.Skipped.empty())
            std::cout << "; skipped " << summary.Skipped.size() << " records";
        std::cout << "\n";
        return 0;
    } catch (const EAdifImportError& e) {
        std::cerr << "refhost import: " << e.what() << "; nothing was added\n";
    } catch (const EHostError& e) {
        std::cerr << "refhost import: " << e.what() << "\n";
    }
    return 1;
}

int RunExport(const TWords& words) {
    TOptions options;
    try {
        options = TOptions::Parse(words, {"db", "log"}, {});
        options.Required("db");
        options.Required("log");
        if (options.Positional().size() != 1)
            throw std::invalid_argument("name exactly one ADIF file to write");
    } catch (const std::invalid_argument& e) {
        std::cerr << "refhost export: " << e.what() << "\n";
        return 2;
    }
    const std::string& path = options.Positional().front();
    try {
        TLogbook logbook(options.Required("db"));
        const std::size_t written =
            ExportAdifFile(logbook, Platform::Utf8ToUtf16(options.Required("log")), path);
        std::cout << "exported " << written << " QSOs of log " << options.Required("log") << " to "
                  << path << "\n";
        return 0;
    } catch (const EHostError& e) {
        std::cerr << "refhost export: " << e.what() << "\n";
    }
    return 1;
}

int RunQuery(const TWords& words) {
    TOptions options;
    try {
        options = TOptions::Parse(words, {"db"}, {});
        options.Required("db");
        if (options.Positional().size() != 1)
            throw std::invalid_argument("give exactly one SELECT statement");
    } catch (const std::invalid_argument& e) {
        std::cerr << "refhost query: " << e.what() << "\n";
        return 2;
    }
    try {
        TLogbook logbook(options.Required("db"));
        const auto statement =
            TranslateStatement(Platform::Utf8ToUtf16(options.Positional().front()));
        const auto result = logbook.Query(statement);
        auto line = [](const auto& cells, auto shown) {
            for (std::size_t i = 0; i < cells.size(); ++i)
                std::cout << (i ? "\t" : "") << shown(cells[i]);
            std::cout << "\n";
        };
        line(result.Columns,
             [](const std::u16string& name) { return Platform::Utf16ToUtf8(name); });
        for (const auto& row : result.Rows)
            line(row, Shown);
        return 0;
    } catch (const EHostError& e) {
        std::cerr << "refhost query: " << e.what() << "\n";
        return 1;
    }
}

} // namespace RefHost
