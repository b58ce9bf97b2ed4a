// uCommFunc: small text, number and date helpers shared by the verification units.
//
// Texts are UTF-16. Conversions raise EConvertError with the toolkit's usual messages. Dates
// and times are whole seconds on the proleptic Gregorian calendar, without a time zone.
// Stateless; safe to call from any thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

using TDateTime = std::chrono::sys_seconds;

// `text` without leading and trailing characters of code 32 or lower.
std::u16string Trim(std::u16string_view text);
bool IsBlank(std::u16string_view text);

// ASCII letters a-z upper-cased; every other character unchanged.
std::u16string UpperCaseAscii(std::u16string_view text);

// A SQL text literal: `text` between single quotes, each inner quote doubled.
std::u16string QuotedStr(std::u16string_view text);
// Appends QuotedStr(text) to `out`.
void AppendQuotedStr(std::u16string& out, std::u16string_view text);

// Adds `item` to the comma-separated `list` (a comma first unless the list is empty).
void AppendListItem(std::u16string& list, std::u16string_view item);

// Decimal text of a number.
std::u16string IntToStr(std::int64_t value);

// A decimal integer (leading blanks and a sign allowed) that fits 32 bits; raises otherwise.
std::int32_t StrToInt(std::u16string_view text);

// A real calendar date (years 1 to 9999); raises "Invalid argument to date encode".
std::chrono::year_month_day EncodeDate(std::int32_t year, std::int32_t month, std::int32_t day);

// A date plus a real time of day; raises "Invalid argument to time encode" for a bad time.
TDateTime EncodeDateTime(const std::chrono::year_month_day& date, std::int32_t hour,
                         std::int32_t minute, std::int32_t second);

// "yyyy-mm-dd"; the Append form adds it to `out`.
std::u16string FormatIsoDate(const std::chrono::year_month_day& date);
void AppendIsoDate(std::u16string& out, const std::chrono::year_month_day& date);

// "yyyy-mm-dd hh:mm" with a colon: the host's SQL dialect writes date-times this way whatever
// the user's locale.
std::u16string FormatSqlDateTime(TDateTime time);
void AppendSqlDateTime(std::u16string& out, TDateTime time);

// The user's short date, a blank and "hh:mm" with the user's time separator.
std::u16string FormatUserDateTime(TDateTime time);

// A millisecond count as a time of day "hh:nn:ss" (hours wrap at 24) with the user's time
// separator.
std::u16string FormatElapsed(std::uint32_t milliseconds);

// A date and time written "yyyy-mm-dd hh:mm:ss" (the time, its seconds and a fraction are
// optional; fields may have fewer digits); raises "'<text>' is not a valid date and time".
TDateTime ParseReportDateTime(std::u16string_view text);
