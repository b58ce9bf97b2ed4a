// WideText: the platform's UTF-16 text as the Windows API's wide characters, and back.
//
// wchar_t is a 16-bit UTF-16 unit on Windows, so the conversion copies units unchanged.
// Internal to Platform/win32.
#pragma once

#include <string>
#include <string_view>

namespace Platform::Win32 {

inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

// The system's message for a Win32 error code or a status, without the trailing line break;
// empty when the system has none.
std::u16string MessageText(unsigned long code);

} // namespace Platform::Win32
