#include "engine/EntryTime.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char*, 7> kWeekdays = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonths = {"January", "February", "March", "April", "May", "June", "July",
                                                 "August", "September", "October", "November", "December"};

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// 0 is Sunday. Counts days from the civil date (proleptic Gregorian calendar).
int Weekday(int year, int month, int day)
{
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int mp = (month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = static_cast<long>(era) * 146097 + doe - 719468; // days since 1970-01-01, a Thursday
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

} // namespace

std::u16string FormatEntryTime(std::uint16_t dosDate, std::uint16_t dosTime)
{
    const int year = 1980 + (dosDate >> 9);
    const int month = (dosDate >> 5) & 0x0F;
    const int day = dosDate & 0x1F;
    const int hour = dosTime >> 11;
    const int minute = (dosTime >> 5) & 0x3F;
    const int second = (dosTime & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 58)
        return {};
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    char text[96];
    std::snprintf(text, sizeof text, "%s, %s %02d, %04d %02d:%02d:%02d %s ", kWeekdays[Weekday(year, month, day)],
                  kMonths[static_cast<std::size_t>(month - 1)], day, year, hour12, minute, second,
                  hour < 12 ? "AM" : "PM");
    std::u16string out;
    for (const char* p = text; *p; ++p)
        out += static_cast<char16_t>(*p);
    return out;
}
