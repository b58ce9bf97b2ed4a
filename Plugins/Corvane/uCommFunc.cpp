#include "Plugins/Corvane/uCommFunc.h"

#include "Base/Exceptions.h"
#include "Platform/Locale.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

using namespace std::chrono;

// The last decimal digit of `value`.
char16_t Digit(long long value) {
    return static_cast<char16_t>(u'0' + value % 10);
}

std::u16string TwoDigits(long long value) {
    return {Digit(value / 10), Digit(value)};
}

[[noreturn]] void RaiseConvertError(std::u16string_view format, std::u16string_view text) {
    std::u16string message;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u's') {
            message += text;
            ++i;
        } else {
            message += format[i];
        }
    }
    throw EConvertError(std::move(message));
}

// Reads digits at `pos`; none read gives nullopt. Stops before overflowing an int.
std::optional<std::int32_t> ReadNumber(std::u16string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    std::int64_t value = 0;
    while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9' && pos - start < 9) {
        value = value * 10 + (text[pos] - u'0');
        ++pos;
    }
    if (pos == start)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::u16string Trim(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] <= u' ')
        ++begin;
    while (end > begin && text[end - 1] <= u' ')
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

bool IsBlank(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= u' '; });
}

std::u16string UpperCaseAscii(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return result;
}

std::u16string QuotedStr(std::u16string_view text) {
    std::u16string result;
    AppendQuotedStr(result, text);
    return result;
}

void AppendQuotedStr(std::u16string& out, std::u16string_view text) {
    out += u'\'';
    for (std::size_t quote; (quote = text.find(u'\'')) != std::u16string_view::npos;) {
        out.append(text.substr(0, quote + 1)).append(1, u'\'');
        text.remove_prefix(quote + 1);
    }
    out.append(text).append(1, u'\'');
}

void AppendListItem(std::u16string& list, std::u16string_view item) {
    if (!list.empty())
        list += u',';
    list += item;
}

std::u16string IntToStr(std::int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::int32_t StrToInt(std::u16string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        negative = text[pos++] == u'-';
    const std::size_t digitsStart = pos;
    std::int64_t value = 0;
    for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
        value = value * 10 + (text[pos] - u'0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            break;
    }
    if (negative)
        value = -value;
    if (pos == digitsStart || pos != text.size() ||
        value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min())
        RaiseConvertError(u"'%s' is not a valid integer value", text);
    return static_cast<std::int32_t>(value);
}

year_month_day EncodeDate(std::int32_t year, std::int32_t month, std::int32_t day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        throw EConvertError(u"Invalid argument to date encode");
    const year_month_day date{std::chrono::year{year},
                              std::chrono::month{static_cast<unsigned>(month)},
                              std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok())
        throw EConvertError(u"Invalid argument to date encode");
    return date;
}

TDateTime EncodeDateTime(const year_month_day& date, std::int32_t hour, std::int32_t minute,
                         std::int32_t second) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        throw EConvertError(u"Invalid argument to time encode");
    return sys_days{date} + hours{hour} + minutes{minute} + seconds{second};
}

void AppendIsoDate(std::u16string& out, const year_month_day& date) {
    const int year = static_cast<int>(date.year());
    const unsigned month = static_cast<unsigned>(date.month());
    const unsigned day = static_cast<unsigned>(date.day());
    out += {Digit(year / 1000),
            Digit(year / 100),
            Digit(year / 10),
            Digit(year),
            u'-',
            Digit(month / 10),
            Digit(month),
            u'-',
            Digit(day / 10),
            Digit(day)};
}

std::u16string FormatIsoDate(const year_month_day& date) {
    std::u16string text;
    AppendIsoDate(text, date);
    return text;
}

void AppendSqlDateTime(std::u16string& out, TDateTime time) {
    const auto day = floor<days>(time);
    const hh_mm_ss clock{time - day};
    const long long hour = clock.hours().count();
    const long long minute = clock.minutes().count();
    AppendIsoDate(out, year_month_day{day});
    out += {u' ', Digit(hour / 10), Digit(hour), u':', Digit(minute / 10), Digit(minute)};
}

std::u16string FormatSqlDateTime(TDateTime time) {
    std::u16string text;
    AppendSqlDateTime(text, time);
    return text;
}

std::u16string FormatUserDateTime(TDateTime time) {
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    return Platform::FormatShortDate(static_cast<int>(date.year()),
                                     static_cast<unsigned>(date.month()),
                                     static_cast<unsigned>(date.day())) +
           u" " + TwoDigits(clock.hours().count()) + Platform::TimeSeparator() +
           TwoDigits(clock.minutes().count());
}

std::u16string FormatElapsed(std::uint32_t milliseconds) {
    const std::uint32_t totalSeconds = milliseconds / 1000 % 86400;
    const std::u16string separator = Platform::TimeSeparator();
    return TwoDigits(totalSeconds / 3600) + separator + TwoDigits(totalSeconds / 60 % 60) +
           separator + TwoDigits(totalSeconds % 60);
}

TDateTime ParseReportDateTime(std::u16string_view text) {
    const std::u16string trimmed = Trim(text);
    const std::u16string_view s = trimmed;
    std::size_t pos = 0;
    auto fail = [&]() -> TDateTime {
        RaiseConvertError(u"'%s' is not a valid date and time", text);
    };
    auto expect = [&](char16_t c) {
        if (pos >= s.size() || s[pos] != c)
            fail();
        ++pos;
    };
    auto number = [&]() {
        const auto value = ReadNumber(s, pos);
        if (!value)
            fail();
        return *value;
    };

    const std::int32_t year = number();
    expect(u'-');
    const std::int32_t month = number();
    expect(u'-');
    const std::int32_t day = number();
    std::int32_t hour = 0, minute = 0, second = 0;
    if (pos < s.size()) {
        expect(u' ');
        while (pos < s.size() && s[pos] == u' ')
            ++pos;
        hour = number();
        expect(u':');
        minute = number();
        if (pos < s.size()) {
            expect(u':');
            second = number();
            if (pos < s.size()) {
                expect(u'.');
                number();
            }
        }
        if (pos != s.size())
            fail();
    }
    try {
        return EncodeDateTime(EncodeDate(year, month, day), hour, minute, second);
    } catch (const EConvertError&) {
        return fail();
    }
}
