// Fuzz target of the SQL service's memory of statement shapes: each input line is a statement
// (a line starting with '?' is the condition of an existence test in LOGS), its bytes taken as
// characters 0-255. Every line goes through one shape-remembering translator with room for a
// few shapes and through the full translation; a different statement, value or error message,
// a crash or a sanitizer finding stops the run.
#include "Host/SqlDialect.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

using namespace RefHost;

// The statement, or the error's message.
template <class TTranslate> std::pair<TSqlStatement, std::string> Outcome(TTranslate&& translate) {
    try {
        return {translate(), {}};
    } catch (const std::exception& e) {
        return {{}, std::string("error: ") + e.what()};
    }
}

bool Same(const std::pair<TSqlStatement, std::string>& a,
          const std::pair<TSqlStatement, std::string>& b) {
    return a.second == b.second && a.first.Kind == b.first.Kind && a.first.Sql == b.first.Sql &&
           a.first.Parameters == b.first.Parameters;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TSqlTranslator translator(3);
    std::size_t start = 0;
    while (start <= size) {
        std::size_t end = start;
        while (end < size && data[end] != '\n')
            ++end;
        std::u16string line(data + start, data + end);
        start = end + 1;
        const bool exists = !line.empty() && line[0] == u'?';
        const auto condition = std::u16string_view(line).substr(exists ? 1 : 0);
        const auto full = Outcome([&] {
            return exists ? TranslateExistsTest(u"LOGS", condition) : TranslateStatement(line);
        });
        const auto remembered = Outcome([&] {
            return exists ? translator.ExistsTest(u"LOGS", condition) : translator.Statement(line);
        });
        if (!Same(full, remembered)) {
            std::fprintf(stderr, "the remembered shape and the full translation differ on %s\n",
                         std::string(line.begin(), line.end()).c_str());
            std::abort();
        }
    }
    return 0;
}
