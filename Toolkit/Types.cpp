#include "Toolkit/Types.h"

namespace Toolkit {

namespace {
bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}
} // namespace

bool TDate::IsValid() const {
    static constexpr int DaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1)
        return false;
    const int days = DaysInMonth[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0);
    return Day <= days;
}

} // namespace Toolkit
