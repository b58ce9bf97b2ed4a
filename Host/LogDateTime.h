// LogDateTime: the logbook's date-time values and their stored text form.
//
// The logbook stores every date and date-time as the text "YYYY-MM-DD HH:MM:SS" (a date alone
// is midnight), so that text comparison orders values in time and comparisons at minute
// boundaries are exact. Parsing accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM" and
// "YYYY-MM-DD HH:MM:SS" and rejects dates and times that do not exist.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace RefHost {

struct TLogDateTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    // True when the date exists on the Gregorian calendar and the time of day is valid.
    bool IsValid() const;
    // "YYYY-MM-DD HH:MM:SS".
    std::string StoredText() const;

    friend bool operator==(const TLogDateTime&, const TLogDateTime&) = default;
};

// Parses the stored form (any of the three layouts above); nothing for anything else.
std::optional<TLogDateTime> ParseLogDateTime(std::string_view text);

} // namespace RefHost
