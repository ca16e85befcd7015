#pragma once
// The time text of a salvaged entry.

#include <cstdint>
#include <string>

// "Tuesday, November 16, 2010 03:45:12 PM " for the DOS fields of that moment,
// taken as they stand (no time zone applied); empty when they do not form a real
// date and time of day.
std::u16string FormatEntryTime(std::uint16_t dosDate, std::uint16_t dosTime);
