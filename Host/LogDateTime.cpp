#include "Host/LogDateTime.h"

namespace RefHost {

namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// Reads exactly `width` decimal digits at `pos`.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t width) {
    if (pos + width > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

bool TLogDateTime::IsValid() const {
    return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 &&
           Day <= DaysInMonth(Year, Month) && Hour >= 0 && Hour < 24 && Minute >= 0 &&
           Minute < 60 && Second >= 0 && Second < 60;
}

std::optional<TLogDateTime> ParseLogDateTime(std::string_view text) {
    if (text.size() != 10 && text.size() != 16 && text.size() != 19)
        return std::nullopt;
    if (text[4] != '-' || text[7] != '-')
        return std::nullopt;
    auto year = Digits(text, 0, 4);
    auto month = Digits(text, 5, 2);
    auto day = Digits(text, 8, 2);
    if (!year || !month || !day)
        return std::nullopt;
    TLogDateTime value{*year, *month, *day, 0, 0, 0};
    if (text.size() >= 16) {
        auto hour = Digits(text, 11, 2);
        auto minute = Digits(text, 14, 2);
        if (text[10] != ' ' || text[13] != ':' || !hour || !minute)
            return std::nullopt;
        value.Hour = *hour;
        value.Minute = *minute;
    }
    if (text.size() == 19) {
        auto second = Digits(text, 17, 2);
        if (text[16] != ':' || !second)
            return std::nullopt;
        value.Second = *second;
    }
    if (!value.IsValid())
        return std::nullopt;
    return value;
}

} // namespace RefHost
