#include "Host/AdifImport.h"

#include "Host/AdifExport.h"

#include "Platform/Locale.h"

#include <charconv>

namespace RefHost {

namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    for (auto& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool IsValidUtf8(std::string_view bytes) {
    // The converters replace what is not UTF-8, so only valid text survives the round trip.
    return Platform::Utf16ToUtf8(Platform::Utf8ToUtf16(bytes)) == bytes;
}

// One field as the file holds it.
struct TRawField {
    std::string Name; // upper case
    std::string Type; // the data type indicator, as written
    std::string_view Data;
};

// One record as the file holds it; `Broken` says why it cannot be read, when it cannot.
struct TRawRecord {
    std::vector<TRawField> Fields;
    std::string Broken;

    const TRawField* Find(std::string_view name) const {
        for (auto field = Fields.rbegin(); field != Fields.rend(); ++field)
            if (field->Name == name)
                return &*field;
        return nullptr;
    }
};

// Splits the text after any header into records.
class TRecordScanner {
public:
    TRecordScanner(std::string_view text, bool utf8) : FText(text), FUtf8(utf8) {}

    // The records, the last one included when it lacks its <EOR> (then broken).
    std::vector<TRawRecord> Records() {
        std::size_t pos = 0;
        while (pos < FText.size()) {
            const auto open = FText.find('<', pos);
            if (open == std::string_view::npos)
                break;
            pos = ReadTag(open);
        }
        if (!FCurrent.Fields.empty() || !FCurrent.Broken.empty()) {
            if (FCurrent.Broken.empty())
                FCurrent.Broken = "it has no <EOR>";
            FRecords.push_back(std::move(FCurrent));
        }
        return std::move(FRecords);
    }

private:
    // Reads the tag at `open` and its data; returns where scanning goes on.
    std::size_t ReadTag(std::size_t open) {
        const auto close = FText.find('>', open);
        if (close == std::string_view::npos) {
            Break("a tag is not closed by \">\"");
            return FText.size();
        }
        const std::string_view body = FText.substr(open + 1, close - open - 1);
        if (body.empty() || body.find_first_of(" \t\r\n<") != std::string_view::npos) {
            // A "<" that opens no tag: the scan resumes at the next "<".
            Break("a stray \"<\" in its fields");
            return open + 1;
        }
        const auto colon = body.find(':');
        std::string name = Upper(body.substr(0, colon));
        if (colon == std::string_view::npos) {
            EndTag(name);
            return close + 1;
        }
        const auto typeColon = body.find(':', colon + 1);
        const std::string_view digits = body.substr(colon + 1, typeColon - (colon + 1));
        std::size_t length = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), length);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
            Break("the tag <" + std::string(body) + "> has no valid length");
            return close + 1;
        }
        const std::size_t start = close + 1;
        if (length > FText.size() - start) {
            Break("the field " + name + " runs past the end of the file");
            return FText.size();
        }
        const std::size_t dataEnd = DataEnd(start, length);
        const std::string type(typeColon == std::string_view::npos ? std::string_view()
                                                                   : body.substr(typeColon + 1));
        FCurrent.Fields.push_back({std::move(name), type, FText.substr(start, dataEnd - start)});
        return dataEnd;
    }

    void EndTag(const std::string& name) {
        if (name == "EOR") {
            FRecords.push_back(std::move(FCurrent));
            FCurrent = {};
        } else if (name == "EOH") {
            if (FRecords.empty())
                FCurrent = {}; // what came before was a header of tags
            else
                Break("an <EOH> among its fields");
        } else {
            Break("the tag <" + name + "> has no length");
        }
    }

    // The end of a value of `length` at `start`: `length` bytes, unless the file is UTF-8 and
    // `length` characters end the value where the next tag begins while the bytes do not.
    std::size_t DataEnd(std::size_t start, std::size_t length) const {
        const std::size_t byteEnd = start + length;
        if (!FUtf8 || EndsCleanly(byteEnd))
            return byteEnd;
        std::size_t at = start;
        for (std::size_t characters = 0; characters < length && at < FText.size(); ++characters)
            for (++at; at < FText.size() && (FText[at] & 0xC0) == 0x80;)
                ++at;
        return EndsCleanly(at) ? at : byteEnd;
    }

    // True when a value may end at `at`: not inside a character, and only blanks before the
    // next tag.
    bool EndsCleanly(std::size_t at) const {
        if (at < FText.size() && (FText[at] & 0xC0) == 0x80)
            return false;
        const auto next = FText.find_first_not_of(" \t\r\n", at);
        return next == std::string_view::npos || FText[next] == '<';
    }

    void Break(std::string why) {
        if (FCurrent.Broken.empty())
            FCurrent.Broken = std::move(why);
    }

    std::string_view FText;
    bool FUtf8;
    TRawRecord FCurrent;
    std::vector<TRawRecord> FRecords;
};

std::optional<int> Number(std::string_view digits) {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<TLogDateTime> AdifDate(std::string_view date) {
    if (date.size() != 8)
        return std::nullopt;
    auto year = Number(date.substr(0, 4)), month = Number(date.substr(4, 2)),
         day = Number(date.substr(6, 2));
    if (!year || !month || !day)
        return std::nullopt;
    const TLogDateTime value{*year, *month, *day, 0, 0, 0};
    return value.IsValid() ? std::optional(value) : std::nullopt;
}

// Sets the time of day of `date` from HHMM or HHMMSS; false when `time` is no time.
bool SetAdifTime(TLogDateTime& date, std::string_view time) {
    if (time.size() != 4 && time.size() != 6)
        return false;
    auto hour = Number(time.substr(0, 2)), minute = Number(time.substr(2, 2));
    auto second = time.size() == 6 ? Number(time.substr(4, 2)) : std::optional<int>(0);
    if (!hour || !minute || !second)
        return false;
    date.Hour = *hour;
    date.Minute = *minute;
    date.Second = *second;
    return date.IsValid();
}

// The ADIF band plan, in MHz.
struct TBandEdge {
    double Low;
    double High;
    const char16_t* Name;
};
constexpr TBandEdge BandPlan[] = {
    {0.1357, 0.1378, u"2190M"},   {0.472, 0.479, u"630M"},      {0.501, 0.504, u"560M"},
    {1.8, 2.0, u"160M"},          {3.5, 4.0, u"80M"},           {5.06, 5.45, u"60M"},
    {7.0, 7.3, u"40M"},           {10.1, 10.15, u"30M"},        {14.0, 14.35, u"20M"},
    {18.068, 18.168, u"17M"},     {21.0, 21.45, u"15M"},        {24.89, 24.99, u"12M"},
    {28.0, 29.7, u"10M"},         {40.0, 45.0, u"8M"},          {50.0, 54.0, u"6M"},
    {54.000001, 69.9, u"5M"},     {70.0, 71.0, u"4M"},          {144.0, 148.0, u"2M"},
    {222.0, 225.0, u"1.25M"},     {420.0, 450.0, u"70CM"},      {902.0, 928.0, u"33CM"},
    {1240.0, 1300.0, u"23CM"},    {2300.0, 2450.0, u"13CM"},    {3300.0, 3500.0, u"9CM"},
    {5650.0, 5925.0, u"6CM"},     {10000.0, 10500.0, u"3CM"},   {24000.0, 24250.0, u"1.25CM"},
    {47000.0, 47200.0, u"6MM"},   {75500.0, 81000.0, u"4MM"},   {119980.0, 123000.0, u"2.5MM"},
    {134000.0, 149000.0, u"2MM"}, {241000.0, 250000.0, u"1MM"}, {300000.0, 7500000.0, u"SUBMM"},
};

// The columns a record's fields fill; every other field is kept in OtherFields.
constexpr std::string_view ColumnFields[] = {
    "CALL", "QSO_DATE",   "TIME_ON",       "BAND",          "MODE",
    "IOTA", "GRIDSQUARE", "LOTW_QSL_SENT", "LOTW_QSL_RCVD", "LOTW_QSLRDATE"};

bool FillsColumn(std::string_view name) {
    for (auto column : ColumnFields)
        if (column == name)
            return true;
    return false;
}

// Turns records into QSOs, or into the reasons they are skipped.
class TQsoMaker {
public:
    TQsoMaker(const std::u16string& logName, bool utf8) : FLogName(logName), FUtf8(utf8) {}

    // The QSO of `record`; otherwise the reason in `why`.
    std::optional<TQsoRecord> Make(const TRawRecord& record, std::string& why) const {
        if (!record.Broken.empty()) {
            why = record.Broken;
            return std::nullopt;
        }
        auto text = [&](std::string_view name) {
            const TRawField* field = record.Find(name);
            return field ? Trim(field->Data) : std::string_view();
        };
        TQsoRecord qso;
        qso.LogName = FLogName;
        for (const char* required : {"CALL", "QSO_DATE", "TIME_ON"})
            if (text(required).empty()) {
                why = std::string("it has no ") + required;
                return std::nullopt;
            }
        qso.Call = Decode(Upper(text("CALL")));
        auto date = AdifDate(text("QSO_DATE"));
        if (!date) {
            why = "QSO_DATE " + std::string(text("QSO_DATE")) + " is no date";
            return std::nullopt;
        }
        if (!SetAdifTime(*date, text("TIME_ON"))) {
            why = "TIME_ON " + std::string(text("TIME_ON")) + " is no time";
            return std::nullopt;
        }
        qso.QsoDate = *date;
        if (!text("BAND").empty()) {
            qso.Band = Decode(Upper(text("BAND")));
        } else if (const auto frequency = text("FREQ"); !frequency.empty()) {
            double megahertz = 0;
            const auto [end, error] =
                std::from_chars(frequency.data(), frequency.data() + frequency.size(), megahertz);
            const auto band = error == std::errc() && end == frequency.data() + frequency.size()
                                  ? BandOfFrequency(megahertz)
                                  : std::nullopt;
            if (!band) {
                why = "FREQ " + std::string(frequency) + " is in no amateur band";
                return std::nullopt;
            }
            qso.Band = *band;
        } else {
            why = "it has neither BAND nor FREQ";
            return std::nullopt;
        }
        qso.Mode = Decode(Upper(text("MODE")));
        qso.Iota = Decode(text("IOTA"));
        qso.GridSquare = Decode(text("GRIDSQUARE"));
        qso.LotwSent = Upper(text("LOTW_QSL_SENT")).starts_with('Y');
        const std::string received = Upper(text("LOTW_QSL_RCVD"));
        qso.LotwRcvd = received.starts_with('Y') || received.starts_with('V');
        if (const auto rdate = text("LOTW_QSLRDATE"); !rdate.empty()) {
            qso.LotwRcvdDate = AdifDate(rdate);
            if (!qso.LotwRcvdDate) {
                why = "LOTW_QSLRDATE " + std::string(rdate) + " is no date";
                return std::nullopt;
            }
        }
        qso.OtherFields = OtherFields(record);
        return qso;
    }

    std::u16string Decode(std::string_view bytes) const {
        if (FUtf8)
            return Platform::Utf8ToUtf16(bytes);
        std::u16string text(bytes.size(), u'\0'); // ISO 8859-1 is the first 256 code points
        for (std::size_t i = 0; i < bytes.size(); ++i)
            text[i] = static_cast<unsigned char>(bytes[i]);
        return text;
    }

private:
    // The fields that fill no column, each once (its last value), in their order.
    std::u16string OtherFields(const TRawRecord& record) const {
        std::u16string fields;
        for (const auto& field : record.Fields)
            if (!FillsColumn(field.Name) && !field.Data.empty() &&
                record.Find(field.Name) == &field)
                fields += AdifField(field.Name, Decode(field.Data), field.Type);
        return fields;
    }

    const std::u16string& FLogName;
    bool FUtf8;
};

} // namespace

std::optional<std::u16string> BandOfFrequency(double megahertz) {
    for (const auto& band : BandPlan)
        if (megahertz >= band.Low && megahertz <= band.High)
            return band.Name;
    return std::nullopt;
}

TAdifImport ReadAdifQsos(std::string_view text, const std::u16string& logName,
                         const std::string& source) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const bool utf8 = IsValidUtf8(text);
    // A header of free text ends at the first <EOH>, whatever else it holds.
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] != '<') {
        const std::string upper = Upper(text);
        const auto end = upper.find("<EOH>");
        if (end == std::string::npos)
            throw EAdifImportError(source + ": the header has no <EOH>");
        text.remove_prefix(end + 5);
    }

    TAdifImport result;
    const TQsoMaker maker(logName, utf8);
    std::size_t number = 0;
    for (const auto& record : TRecordScanner(text, utf8).Records()) {
        ++number;
        std::string why;
        if (auto qso = maker.Make(record, why)) {
            result.Qsos.push_back(std::move(*qso));
            continue;
        }
        const TRawField* call = record.Find("CALL");
        const std::string shown = call && !Trim(call->Data).empty()
                                      ? Platform::Utf16ToUtf8(maker.Decode(Trim(call->Data)))
                                      : "no call sign";
        result.Skipped.push_back(source + ": record " + std::to_string(number) + " (" + shown +
                                 ") skipped: " + why);
    }
    return result;
}

} // namespace RefHost
