// Text: UTF-8 and UTF-16 conversions that keep test expectations readable.
#pragma once

#include "Platform/Locale.h"

#include <string>
#include <string_view>

inline std::string U8(std::u16string_view text) {
    return Platform::Utf16ToUtf8(text);
}
inline std::u16string U16(std::string_view text) {
    return Platform::Utf8ToUtf16(text);
}
