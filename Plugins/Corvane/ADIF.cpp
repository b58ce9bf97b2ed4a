#include "Plugins/Corvane/ADIF.h"

#include "Base/Exceptions.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

constexpr std::u16string_view HeaderEndTag = u"<EOH>";
constexpr std::u16string_view RecordEndTag = u"<EOR>";

// A field's value is looked for no further than this many characters past the colon.
constexpr std::size_t MaxRemainderLength = 32767;

constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

constexpr bool IsAsciiLetter(char16_t c) {
    const char16_t upper = AsciiUpper(c);
    return upper >= u'A' && upper <= u'Z';
}

constexpr bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Whether `name`, compared with its ASCII letters upper-cased, stands in `text` at `at`.
bool MatchesIgnoringCase(std::u16string_view text, std::size_t at, std::u16string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (AsciiUpper(text[at + i]) != AsciiUpper(name[i]))
            return false;
    }
    return true;
}

// Whether "<" + name + closer stands in `text` at `at`, the name in any letter case.
bool IsTagAt(std::u16string_view text, std::size_t at, std::u16string_view name, char16_t closer) {
    return text[at] == u'<' && text[at + name.size() + 1] == closer &&
           MatchesIgnoringCase(text, at + 1, name);
}

// Eight characters side by side, one 16-bit lane each, and the all-ones or all-zeros lanes that
// comparing two of them gives. The compiler's vector extension (GCC and Clang, every target we
// build) turns a comparison into a few instructions, with SIMD where the processor has it.
using TLanes = std::uint16_t __attribute__((vector_size(16)));
using TLaneMask = std::int16_t __attribute__((vector_size(16)));
constexpr std::size_t LaneCount = sizeof(TLanes) / sizeof(char16_t);

TLanes EveryLane(char16_t c) {
    TLanes lanes{};
    for (std::size_t i = 0; i < LaneCount; ++i)
        lanes[i] = c;
    return lanes;
}

TLanes LoadLanes(std::u16string_view text, std::size_t at) {
    TLanes lanes;
    std::memcpy(&lanes, text.data() + at, sizeof lanes);
    return lanes;
}

bool AnyLaneSet(TLaneMask mask) {
    std::array<std::uint64_t, 2> halves{};
    std::memcpy(halves.data(), &mask, sizeof mask);
    return (halves[0] | halves[1]) != 0;
}

// Position of the first "<" + name + closer in `text`, the name matched in any letter case
// (ASCII only); npos when absent. Eight start positions are screened at once: a tag needs "<"
// at its start and the closer at its end, which no upper-casing changes; only positions that
// pass both are compared in full.
std::size_t FindTag(std::u16string_view text, std::u16string_view name, char16_t closer) {
    const std::size_t tagLength = name.size() + 2;
    if (text.size() < tagLength)
        return std::u16string_view::npos;
    const std::size_t lastStart = text.size() - tagLength;
    const std::size_t closerOffset = tagLength - 1;
    const TLanes openings = EveryLane(u'<');
    const TLanes closers = EveryLane(closer);

    std::size_t at = 0;
    for (; at + LaneCount - 1 <= lastStart; at += LaneCount) {
        const TLaneMask candidates =
            (LoadLanes(text, at) == openings) & (LoadLanes(text, at + closerOffset) == closers);
        if (!AnyLaneSet(candidates))
            continue;
        for (std::size_t start = at; start < at + LaneCount; ++start) {
            if (IsTagAt(text, start, name, closer))
                return start;
        }
    }
    for (; at <= lastStart; ++at) {
        if (IsTagAt(text, at, name, closer))
            return at;
    }
    return std::u16string_view::npos;
}

// Whether `text` holds the end tag `tag` ("<" + name + ">") in any letter case.
bool ContainsEndTag(std::u16string_view text, std::u16string_view tag) {
    return FindTag(text, tag.substr(1, tag.size() - 2), tag.back()) != std::u16string_view::npos;
}

// The decimal value of `digits` (none is 0). Raises EConvertError past the signed 32-bit range.
std::int32_t DeclaredLength(std::u16string_view digits) {
    std::int64_t value = 0;
    for (const char16_t digit : digits) {
        value = value * 10 + (digit - u'0');
        if (value > std::numeric_limits<std::int32_t>::max())
            throw EConvertError(u"'" + std::u16string(digits) + u"' is not a valid integer value");
    }
    return static_cast<std::int32_t>(value);
}

// How many characters close a data specifier after its length digits: the ">", or, when a
// data-type indicator stands there (":" and one letter before the ">"), all three of them.
std::size_t SpecifierCloseLength(std::u16string_view afterDigits) {
    const bool typed = afterDigits.size() >= 3 && afterDigits[0] == u':' &&
                       IsAsciiLetter(afterDigits[1]) && afterDigits[2] == u'>';
    return typed ? 3 : 1;
}

// GetAdifFields keeps its fields as the bits of one word.
using TFieldBits = std::uint32_t;
constexpr std::size_t MaxFieldsAtOnce = 32;

// Names grouped by the low five bits of their first character, which are the same for both
// cases of an ASCII letter. Other characters share the groups; they are told apart by the
// full comparison.
constexpr std::size_t NameGroupCount = 32;
constexpr std::size_t NameGroup(char16_t first) {
    return first % NameGroupCount;
}

// The value of the field whose tag "<" + name + ":" begins at `at` (npos: none), as
// GetAdifField gives it.
std::u16string_view FieldValueAt(std::u16string_view text, std::size_t at, std::u16string_view name,
                                 int maxWidth) {
    if (at == std::u16string_view::npos)
        return {};

    const std::u16string_view remainder =
        text.substr(at + name.size() + 2).substr(0, MaxRemainderLength);
    const std::size_t digitCount = static_cast<std::size_t>(
        std::find_if_not(remainder.begin(), remainder.end(), IsDigit) - remainder.begin());
    const auto declaredLength =
        static_cast<std::size_t>(DeclaredLength(remainder.substr(0, digitCount)));
    const std::size_t valueStart =
        std::min(remainder.size(), digitCount + SpecifierCloseLength(remainder.substr(digitCount)));

    if (maxWidth <= 0)
        return {};
    const std::size_t width = std::min(declaredLength, static_cast<std::size_t>(maxWidth));
    return remainder.substr(valueStart, width);
}

} // namespace

bool SplitAdif(const TStringList& lines, TStringList& headerLines, TStringList& records) {
    TAdifSplitter splitter(
        [&records](std::u16string_view record) { records.emplace_back(record); });
    for (const std::u16string& line : lines)
        splitter.Add(line);
    splitter.Finish();
    for (std::u16string& line : splitter.TakeHeaderLines())
        headerLines.push_back(std::move(line));
    // The joined header text is empty only when there are no header lines.
    return !headerLines.empty() || !records.empty();
}

TAdifSplitter::TAdifSplitter(TRecordSink recordSink) : FRecordSink(std::move(recordSink)) {}

void TAdifSplitter::Add(std::u16string_view line) {
    if (FInHeader) {
        FHeaderLines.emplace_back(line);
        FInHeader = !ContainsEndTag(line, HeaderEndTag);
        return;
    }
    // The gathered text lacked the end tag before this line, so a new one ends in the line and
    // begins no earlier than the tag's length less one before it: a tag broken across lines
    // still ends the record.
    const std::size_t seam = FRecord.size() - std::min(FRecord.size(), RecordEndTag.size() - 1);
    FRecord += line;
    ++FRecordLines;
    if (ContainsEndTag(std::u16string_view(FRecord).substr(seam), RecordEndTag))
        EndRecord();
}

void TAdifSplitter::Finish() {
    if (FRecordLines > 0)
        EndRecord();
}

void TAdifSplitter::EndRecord() {
    FRecordSink(FRecord);
    FRecord.clear();
    FRecordLines = 0;
}

std::u16string GetAdifField(std::u16string_view fieldName, int maxWidth, std::u16string_view text) {
    return std::u16string(FieldValueAt(text, FindTag(text, fieldName, u':'), fieldName, maxWidth));
}

void GetAdifFields(std::span<const TAdifFieldRequest> fields, std::u16string_view text) {
    if (fields.size() > MaxFieldsAtOnce)
        throw std::invalid_argument("GetAdifFields reads at most 32 fields at once");
    // The fields still missing, as bits, grouped by the first character of their name: a "<"
    // is compared only with the names that can follow it.
    std::array<TFieldBits, NameGroupCount> pending{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        pending[NameGroup(fields[i].Name.empty() ? u':' : fields[i].Name[0])] |= TFieldBits{1} << i;
    std::array<std::size_t, MaxFieldsAtOnce> found;
    std::fill_n(found.begin(), fields.size(), std::u16string_view::npos);
    std::size_t missing = fields.size();

    // Looks at an opening "<" at `at`; the first "<NAME:" of each field is the one it takes.
    auto lookAt = [&](std::size_t at) {
        if (at + 1 >= text.size())
            return;
        TFieldBits& group = pending[NameGroup(text[at + 1])];
        for (TFieldBits candidates = group; candidates != 0; candidates &= candidates - 1) {
            const auto i = static_cast<std::size_t>(std::countr_zero(candidates));
            const std::u16string_view name = fields[i].Name;
            if (at + name.size() + 2 <= text.size() && IsTagAt(text, at, name, u':')) {
                found[i] = at;
                group &= ~(TFieldBits{1} << i);
                --missing;
            }
        }
    };
    const TLanes openings = EveryLane(u'<');
    std::size_t at = 0;
    for (; missing > 0 && at + LaneCount <= text.size(); at += LaneCount) {
        const TLaneMask candidates = LoadLanes(text, at) == openings;
        if (!AnyLaneSet(candidates))
            continue;
        for (std::size_t start = at; start < at + LaneCount; ++start) {
            if (text[start] == u'<')
                lookAt(start);
        }
    }
    for (; missing > 0 && at < text.size(); ++at) {
        if (text[at] == u'<')
            lookAt(at);
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        *fields[i].Value = FieldValueAt(text, found[i], fields[i].Name, fields[i].MaxWidth);
}
