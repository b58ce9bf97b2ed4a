// Text encodings that are the same on every system: UTF-8 and UTF-16 by the project's own
// rules (an invalid UTF-8 sequence gives one U+FFFD per byte it spans, whatever the system's
// converter would do), byte-order marks and line splitting.
#include "Platform/Locale.h"

namespace Platform {
namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

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
