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
    std::string StoredText() const { return Stored<std::string>(); }
    // The same in UTF-16, as the SQL service binds it.
    std::u16string StoredText16() const { return Stored<std::u16string>(); }

    friend bool operator==(const TLogDateTime&, const TLogDateTime&) = default;

private:
    // Written digit by digit: this runs for every date of every statement.
    template <class TText> TText Stored() const {
        constexpr std::string_view Layout = "0000-00-00 00:00:00";
        TText text(Layout.begin(), Layout.end());
        auto put = [&text](std::size_t end, std::size_t digits, int value) {
            for (std::size_t at = end; at-- > end - digits; value /= 10)
                text[at] = static_cast<typename TText::value_type>('0' + value % 10);
        };
        put(4, 4, Year);
        put(7, 2, Month);
        put(10, 2, Day);
        put(13, 2, Hour);
        put(16, 2, Minute);
        put(19, 2, Second);
        return text;
    }
};

// Parses the stored form (any of the three layouts above); nothing for anything else.
std::optional<TLogDateTime> ParseLogDateTime(std::string_view text);

} // namespace RefHost
