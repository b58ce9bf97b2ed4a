#include "PluginAPI/Plugins/Utf8.h"

#include <cstdint>

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t code) {
    auto byte = [&out](char32_t value) {
        out.push_back(static_cast<char>(value));
    };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | (code >> 6));
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | (code >> 12));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | (code >> 18));
        byte(0x80 | ((code >> 12) & 0x3F));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
    } else {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
}

// Decodes one UTF-8 sequence at `pos`, advancing it past what was consumed.
char32_t DecodeUtf8(std::string_view bytes, std::size_t& pos) {
    const auto lead = static_cast<std::uint8_t>(bytes[pos++]);
    if (lead < 0x80)
        return lead;
    std::size_t continuation = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        continuation = 1;
        code = lead & 0x1Fu;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        continuation = 2;
        code = lead & 0x0Fu;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        continuation = 3;
        code = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return ReplacementCharacter;
    }
    for (std::size_t i = 0; i < continuation; ++i) {
        if (pos >= bytes.size() || (static_cast<std::uint8_t>(bytes[pos]) & 0xC0) != 0x80)
            return ReplacementCharacter;
        code = (code << 6) | (static_cast<std::uint8_t>(bytes[pos++]) & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || IsHighSurrogate(code) || IsLowSurrogate(code))
        return ReplacementCharacter;
    return code;
}

} // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (IsHighSurrogate(code) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
            code = ReplacementCharacter;
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();)
        AppendUtf16(out, DecodeUtf8(bytes, pos));
    return out;
}
