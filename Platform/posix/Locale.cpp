// The user's locale comes from the environment (LC_ALL, LC_TIME, LANG) as on any POSIX
// program; the ANSI code page is UTF-8.
#include "Platform/Locale.h"

#include <clocale>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace Platform {
namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

// The user's time conventions; falls back to the "C" locale when the environment names an
// unknown one.
class TUserTimeLocale {
public:
    TUserTimeLocale() : FLocale(newlocale(LC_TIME_MASK, "", nullptr)) {
        if (FLocale == nullptr)
            FLocale = newlocale(LC_TIME_MASK, "C", nullptr);
    }
    ~TUserTimeLocale() {
        if (FLocale != nullptr)
            freelocale(FLocale);
    }
    TUserTimeLocale(const TUserTimeLocale&) = delete;
    TUserTimeLocale& operator=(const TUserTimeLocale&) = delete;

    std::string Info(nl_item item) const {
        const char* text = FLocale != nullptr ? nl_langinfo_l(item, FLocale) : nullptr;
        return text != nullptr ? text : "";
    }
    // The locale's own formats are the point here, so the format cannot be a literal.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::string Format(const char* format, const std::tm& time) const {
        if (FLocale == nullptr)
            return {};
        char buffer[256];
        const std::size_t length = strftime_l(buffer, sizeof buffer, format, &time, FLocale);
        return std::string(buffer, length);
    }
#pragma GCC diagnostic pop

private:
    locale_t FLocale;
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Decodes one UTF-8 sequence at `bytes[i]`; advances `i` past it, or past one byte when the
// sequence is invalid (overlong, surrogate, beyond U+10FFFF or cut short), giving U+FFFD.
char32_t NextUtf8(std::string_view bytes, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int length;
    char32_t c;
    char32_t minimum;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07u, minimum = 0x10000;
    } else {
        ++i;
        return ReplacementCharacter;
    }
    if (bytes.size() - i < static_cast<std::size_t>(length)) {
        ++i;
        return ReplacementCharacter;
    }
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return ReplacementCharacter;
        }
        c = (c << 6) | (next & 0x3Fu);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return ReplacementCharacter;
    }
    i += static_cast<std::size_t>(length);
    return c;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    if (bytes.size() % 2 != 0)
        text += static_cast<char16_t>(ReplacementCharacter);
    return text;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    bytes.reserve(2 * text.size());
    for (const char16_t c : text) {
        const auto high = static_cast<char>(c >> 8);
        const auto low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEMark = "\xFF\xFE";
constexpr std::string_view Utf16BEMark = "\xFE\xFF";

} // namespace

std::u16string DecodeText(std::string_view bytes, TTextEncoding* encoding) {
    TTextEncoding found = TTextEncoding::Ansi;
    std::u16string text;
    if (bytes.starts_with(Utf8Mark)) {
        found = TTextEncoding::Utf8;
        text = Utf8ToUtf16(bytes.substr(Utf8Mark.size()));
    } else if (bytes.starts_with(Utf16LEMark)) {
        found = TTextEncoding::Utf16LE;
        text = DecodeUtf16(bytes.substr(Utf16LEMark.size()), false);
    } else if (bytes.starts_with(Utf16BEMark)) {
        found = TTextEncoding::Utf16BE;
        text = DecodeUtf16(bytes.substr(Utf16BEMark.size()), true);
    } else {
        text = FromAnsiCodePage(bytes);
    }
    if (encoding != nullptr)
        *encoding = found;
    return text;
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.substr(end, 2) == u"\r\n" ? 2 : 1);
    }
    return lines;
}

std::string EncodeText(std::u16string_view text, TTextEncoding encoding) {
    switch (encoding) {
    case TTextEncoding::Utf8:
        return std::string(Utf8Mark) + Utf16ToUtf8(text);
    case TTextEncoding::Utf16LE:
        return std::string(Utf16LEMark) + EncodeUtf16(text, false);
    case TTextEncoding::Utf16BE:
        return std::string(Utf16BEMark) + EncodeUtf16(text, true);
    case TTextEncoding::Ansi:
        break;
    }
    return ToAnsiCodePage(text);
}

std::u16string FormatShortDate(int year, unsigned month, unsigned day) {
    TUserTimeLocale locale;
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = static_cast<int>(month) - 1;
    time.tm_mday = static_cast<int>(day);
    return Utf8ToUtf16(locale.Format(locale.Info(D_FMT).c_str(), time));
}

std::u16string TimeSeparator() {
    TUserTimeLocale locale;
    const std::string format = locale.Info(T_FMT);
    // The separator is what the locale's time format writes right after the hour.
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        const char conversion = format[i + 1];
        if (conversion == 'T' || conversion == 'R')
            return u":";
        if (conversion == 'H' || conversion == 'I' || conversion == 'k' || conversion == 'l') {
            const std::size_t start = i + 2;
            const std::size_t end = format.find('%', start);
            const std::string separator = format.substr(start, end - start);
            return separator.empty() ? u":" : Utf8ToUtf16(separator);
        }
        ++i;
    }
    return u":";
}

std::string ToAnsiCodePage(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

std::u16string FromAnsiCodePage(std::string_view bytes) {
    return Utf8ToUtf16(bytes);
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = ReplacementCharacter;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();)
        AppendUtf16(out, NextUtf8(bytes, i));
    return out;
}

} // namespace Platform
