// The user's locale and the ANSI code page on Win32: GetDateFormat, GetLocaleInfo and the
// system's code-page converters. When the ANSI code page is UTF-8 the project's own UTF-8
// rules hold instead of the system converter's, which counts replacement characters for broken
// sequences differently.
#include "Platform/Locale.h"

#include "Platform/win32/WideText.h"

#include <climits>
#include <iterator>

namespace Platform {
namespace {

int CheckedLength(std::size_t size) {
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

bool AnsiIsUtf8() {
    return GetACP() == CP_UTF8;
}

} // namespace

std::u16string FormatShortDate(int year, unsigned month, unsigned day) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    wchar_t buffer[128];
    const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, buffer,
                                      static_cast<int>(std::size(buffer)));
    if (length <= 0)
        return {};
    return Win32::FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

std::u16string TimeSeparator() {
    wchar_t buffer[16];
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer,
                                      static_cast<int>(std::size(buffer)));
    if (length <= 1)
        return u":";
    return Win32::FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

std::string ToAnsiCodePage(std::u16string_view text) {
    if (text.empty())
        return {};
    if (AnsiIsUtf8())
        return Utf16ToUtf8(text);
    const std::wstring wide = Win32::ToWide(text);
    const int units = CheckedLength(wide.size());
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), units, bytes.data(), size, "?", nullptr);
    return bytes;
}

std::u16string FromAnsiCodePage(std::string_view bytes) {
    if (bytes.empty())
        return {};
    if (AnsiIsUtf8())
        return Utf8ToUtf16(bytes);
    const int count = CheckedLength(bytes.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, wide.data(), size);
    return Win32::FromWide(wide);
}

} // namespace Platform
