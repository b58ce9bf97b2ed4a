// The user's locale comes from the environment (LC_ALL, LC_TIME, LANG) as on any POSIX
// program; the ANSI code page is UTF-8.
#include "Platform/Locale.h"

#include <clocale>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace Platform {
namespace {

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

} // namespace

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

} // namespace Platform
