#include "tests/adif/AdifReference.h"

#include <cstdint>
#include <limits>

namespace AdifReference {
namespace {

std::u16string UpperCase(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return upper;
}

// Up to `count` characters of `text` from the 1-based `index`; empty past the end.
std::u16string Copy(std::u16string_view text, std::int64_t index, std::int64_t count) {
    if (index < 1)
        index = 1;
    if (count <= 0 || index > static_cast<std::int64_t>(text.size()))
        return {};
    return std::u16string(
        text.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

// 1-based position of `part` in `text`, 0 when absent.
std::int64_t Pos(std::u16string_view part, std::u16string_view text) {
    const std::size_t at = text.find(part);
    return at == std::u16string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

std::int32_t StrToInt(std::u16string_view decimal) {
    std::int64_t value = 0;
    for (const char16_t digit : decimal) {
        value = value * 10 + (digit - u'0');
        if (value > std::numeric_limits<std::int32_t>::max())
            throw EReferenceConvertError("not a valid integer value");
    }
    return static_cast<std::int32_t>(value);
}

bool IsLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace

bool SplitAdif(const TStringList& lines, TStringList& headerLines, TStringList& records) {
    std::size_t next = 0;
    while (next < lines.size()) {
        headerLines.push_back(lines[next]);
        ++next;
        if (Pos(u"<EOH>", UpperCase(headerLines.back())) > 0)
            break;
    }
    while (next < lines.size()) {
        std::u16string record;
        do {
            record += lines[next];
            ++next;
        } while (Pos(u"<EOR>", UpperCase(record)) == 0 && next < lines.size());
        records.push_back(record);
    }
    std::u16string headerText;
    for (const std::u16string& line : headerLines)
        headerText += line + u"\r\n";
    return !headerText.empty() || !records.empty();
}

std::u16string GetAdifField(std::u16string_view fieldName, int maxWidth, std::u16string_view text) {
    const std::u16string tag = UpperCase(u"<" + std::u16string(fieldName) + u":");
    const std::int64_t p = Pos(tag, UpperCase(text));
    if (p == 0)
        return {};
    const auto nameLength = static_cast<std::int64_t>(fieldName.size());
    const std::u16string remainder = Copy(text, p + nameLength + 2, 32767);

    std::int64_t digitCount = 0;
    while (digitCount < static_cast<std::int64_t>(remainder.size()) &&
           remainder[static_cast<std::size_t>(digitCount)] >= u'0' &&
           remainder[static_cast<std::size_t>(digitCount)] <= u'9')
        ++digitCount;
    const std::int32_t declaredLength = StrToInt(u"0" + Copy(remainder, 1, digitCount));

    // The ">" that closes the specifier, or a data-type indicator with its ">".
    const std::u16string closer = Copy(remainder, digitCount + 1, 3);
    const bool typed =
        closer.size() == 3 && closer[0] == u':' && IsLetter(closer[1]) && closer[2] == u'>';
    const std::u16string value = Copy(remainder, digitCount + (typed ? 3 : 1) + 1, declaredLength);
    return Copy(value, 1, maxWidth);
}

} // namespace AdifReference
