#include "Host/AdifImport.h"

#include "Platform/Locale.h"

#include <map>
#include <optional>

namespace RefHost {

namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    for (auto& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// One record's fields by upper-case name, and where it began.
struct TRecord {
    std::map<std::string, std::string> Fields;
    std::size_t Number = 0;
};

class TReader {
public:
    TReader(std::string_view text, const std::string& source) : FText(text), FSource(source) {
        if (FText.substr(0, 3) == "\xEF\xBB\xBF")
            FText.remove_prefix(3);
    }

    std::vector<TRecord> Records() {
        SkipHeader();
        std::vector<TRecord> records;
        TRecord current{{}, 1};
        for (;;) {
            const auto open = FText.find('<', FPos);
            if (open == std::string_view::npos)
                break;
            const auto [name, length] = Tag(open);
            if (name == "EOR") {
                records.push_back(std::move(current));
                current = TRecord{{}, records.size() + 1};
                continue;
            }
            if (!length)
                Fail(current.Number, "the tag <" + name + "> has no length");
            if (name == "EOH")
                Fail(current.Number, "a second <EOH>");
            if (FPos + *length > FText.size())
                Fail(current.Number, "the field " + name + " runs past the end of the file");
            current.Fields[name] = std::string(FText.substr(FPos, *length));
            FPos += *length;
        }
        if (!current.Fields.empty())
            Fail(current.Number, "the last record has no <EOR>");
        return records;
    }

    [[noreturn]] void Fail(std::size_t record, const std::string& what) const {
        throw EAdifImportError(FSource + ": record " + std::to_string(record) + ": " + what);
    }

private:
    void SkipHeader() {
        if (!FText.empty() && FText[0] == '<')
            return;
        for (std::size_t at = FText.find('<'); at != std::string_view::npos;
             at = FText.find('<', at + 1)) {
            if (Upper(FText.substr(at, 5)) == "<EOH>") {
                FPos = at + 5;
                return;
            }
        }
        throw EAdifImportError(FSource + ": the header has no <EOH>");
    }

    // Reads the tag at `open` (its name upper-cased, its length if any) and moves past it.
    std::pair<std::string, std::optional<std::size_t>> Tag(std::size_t open) {
        const auto close = FText.find('>', open);
        if (close == std::string_view::npos)
            throw EAdifImportError(FSource + ": a tag at byte " + std::to_string(open) +
                                   " is not closed by \">\"");
        const std::string_view body = FText.substr(open + 1, close - open - 1);
        FPos = close + 1;
        const auto colon = body.find(':');
        std::string name = Upper(body.substr(0, colon));
        if (name.empty() || name.find_first_of(" \t\r\n<") != std::string::npos)
            throw EAdifImportError(FSource + ": a malformed tag <" + std::string(body) +
                                   "> at byte " + std::to_string(open));
        if (colon == std::string_view::npos)
            return {std::move(name), std::nullopt};
        const std::string_view digits =
            body.substr(colon + 1, body.find(':', colon + 1) - colon - 1);
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            throw EAdifImportError(FSource + ": the tag <" + std::string(body) +
                                   "> has no valid length");
        return {std::move(name), std::stoul(std::string(digits))};
    }

    std::string_view FText;
    const std::string& FSource;
    std::size_t FPos = 0;
};

std::optional<int> Number(std::string_view digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoi(std::string(digits));
}

std::optional<TLogDateTime> AdifDate(std::string_view date, std::string_view time) {
    if (date.size() != 8 || (time.size() != 4 && time.size() != 6))
        return std::nullopt;
    auto year = Number(date.substr(0, 4)), month = Number(date.substr(4, 2)),
         day = Number(date.substr(6, 2)), hour = Number(time.substr(0, 2)),
         minute = Number(time.substr(2, 2));
    auto second = time.size() == 6 ? Number(time.substr(4, 2)) : std::optional<int>(0);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    TLogDateTime value{*year, *month, *day, *hour, *minute, *second};
    if (!value.IsValid())
        return std::nullopt;
    return value;
}

} // namespace

std::vector<TQsoRecord> ReadAdifQsos(std::string_view text, const std::u16string& logName,
                                     const std::string& source) {
    TReader reader(text, source);
    std::vector<TQsoRecord> qsos;
    for (const auto& record : reader.Records()) {
        auto field = [&](const char* name) {
            auto found = record.Fields.find(name);
            return found == record.Fields.end() ? std::string() : Trim(found->second);
        };
        for (const char* required : {"CALL", "BAND", "MODE", "QSO_DATE", "TIME_ON"})
            if (field(required).empty())
                reader.Fail(record.Number, std::string("the field ") + required + " is missing");
        TQsoRecord qso;
        qso.LogName = logName;
        qso.Call = Platform::Utf8ToUtf16(Upper(field("CALL")));
        qso.Band = Platform::Utf8ToUtf16(Upper(field("BAND")));
        qso.Mode = Platform::Utf8ToUtf16(Upper(field("MODE")));
        auto date = AdifDate(field("QSO_DATE"), field("TIME_ON"));
        if (!date)
            reader.Fail(record.Number, "QSO_DATE " + field("QSO_DATE") + " and TIME_ON " +
                                           field("TIME_ON") + " are no date and time");
        qso.QsoDate = *date;
        qso.Iota = Platform::Utf8ToUtf16(field("IOTA"));
        qso.GridSquare = Platform::Utf8ToUtf16(field("GRIDSQUARE"));
        const std::string sent = Upper(field("LOTW_QSL_SENT"));
        const std::string received = Upper(field("LOTW_QSL_RCVD"));
        qso.LotwSent = sent.starts_with('Y');
        qso.LotwRcvd = received.starts_with('Y') || received.starts_with('V');
        if (const std::string rdate = field("LOTW_QSLRDATE"); !rdate.empty()) {
            qso.LotwRcvdDate = AdifDate(rdate, "0000");
            if (!qso.LotwRcvdDate)
                reader.Fail(record.Number, "LOTW_QSLRDATE " + rdate + " is no date");
        }
        qsos.push_back(std::move(qso));
    }
    return qsos;
}

} // namespace RefHost
