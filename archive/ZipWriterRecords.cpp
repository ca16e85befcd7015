// Fields and byte layout of the records the ZIP writer produces.

#include "archive/ZipWriterRecords.h"

#include <array>
#include <ctime>
#include <sys/stat.h>

namespace zipwriter {

namespace {

constexpr std::uint16_t kVersionNeeded = 20;
// High byte: attributes come from an NTFS host; low byte: made by version 2.3.
constexpr std::uint16_t kVersionMadeBy = 0x0B17;

constexpr std::uint16_t kFlagDataDescriptor = 0x0008; // provisional only; the rewrite clears it
constexpr std::uint16_t kFlagMaximumCompression = 0x0002;

constexpr std::uint16_t kExtendedTimestampTag = 0x5455; // "UT"
constexpr std::uint16_t kLocalTimestampLength = 13;
constexpr std::uint16_t kCentralTimestampLength = 5;
// Says all three times are present, in the central field too, where only one follows.
constexpr std::uint8_t kTimestampFlags = 7;

constexpr std::uint32_t kDosReadOnly = 0x01;
constexpr std::uint32_t kDosArchive = 0x20;
constexpr std::uint32_t kUnixRegularFile = 0x80000000;
constexpr std::uint32_t kUnixOwnerRead = 0x01000000;
constexpr std::uint32_t kUnixOwnerWrite = 0x00800000;

constexpr std::array<std::string_view, 8> kStoredSuffixes = {".z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz", ".tgz"};

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kDosEpochYear = 1980;
constexpr int kDosLastYear = 2107;
constexpr int kUnixFirstYear = 1970;
constexpr int kUnixLastYear = 2037;

void Put16(std::string& out, std::uint16_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value)
{
    Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(y, 400);
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& y, unsigned& m, unsigned& d)
{
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

// The difference between local time and UTC in force now, not at the file's time.
std::int64_t CurrentLocalOffset()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    if (::localtime_r(&now, &local) == nullptr)
        return 0;
    return local.tm_gmtoff;
}

// The run of fields the local and the central header share, from the version
// needed to extract through the name length.
void PutSharedFields(std::string& out, const EntryHeader& header)
{
    Put16(out, kVersionNeeded);
    Put16(out, header.flags);
    Put16(out, header.method);
    Put16(out, header.dosTime);
    Put16(out, header.dosDate);
    Put32(out, header.crc);
    Put32(out, header.compressedSize);
    Put32(out, header.uncompressedSize);
    Put16(out, static_cast<std::uint16_t>(header.name.size()));
}

std::uint32_t ExternalAttributes(std::uint32_t mode)
{
    const bool readOnly = (mode & S_IWUSR) == 0;
    std::uint32_t attributes = kUnixRegularFile | kUnixOwnerRead | kDosArchive;
    attributes |= readOnly ? kDosReadOnly : kUnixOwnerWrite;
    return attributes;
}

} // namespace

ZipWriterResult ConvertName(std::u16string_view name, std::string& out)
{
    if (name.size() > kZipWriterMaxNameBytes)
        return ZipWriterBadArguments;
    out.clear();
    out.reserve(name.size());
    for (const char16_t unit : name) {
        if (unit == u'\0')
            return ZipWriterBadArguments;
        const char byte = unit <= 0xFF ? static_cast<char>(unit) : '?';
        out += byte == '\\' ? '/' : byte;
    }
    return ZipWriterOk;
}

bool HasStoredSuffix(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view suffix = name.substr(dot);
    for (const std::string_view stored : kStoredSuffixes) {
        if (suffix.size() != stored.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < suffix.size() && same; ++i)
            same = AsciiLower(suffix[i]) == stored[i];
        if (same)
            return true;
    }
    return false;
}

std::uint32_t ClampedUnixTime(std::int64_t seconds)
{
    const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
    const std::int64_t timeOfDay = seconds - days * kSecondsPerDay;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    if (year < kUnixFirstYear)
        return static_cast<std::uint32_t>(timeOfDay);
    if (year > kUnixLastYear)
        return static_cast<std::uint32_t>(DaysFromCivil(kUnixLastYear, 12, 31) * kSecondsPerDay + timeOfDay);
    return static_cast<std::uint32_t>(seconds);
}

void ToDosTime(std::int64_t localSeconds, std::uint16_t& dosTime, std::uint16_t& dosDate)
{
    const std::int64_t days = FloorDiv(localSeconds, kSecondsPerDay);
    auto timeOfDay = static_cast<unsigned>(localSeconds - days * kSecondsPerDay);
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    if (year < kDosEpochYear) {
        year = kDosEpochYear, month = 1, day = 1;
        timeOfDay = 0;
    } else if (year > kDosLastYear) {
        year = kDosLastYear, month = 12, day = 31;
        timeOfDay = static_cast<unsigned>(kSecondsPerDay - 1);
    }
    const unsigned hour = timeOfDay / 3600, minute = timeOfDay / 60 % 60, second = timeOfDay % 60;
    dosTime = static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
    dosDate = static_cast<std::uint16_t>(((year - kDosEpochYear) << 9) | (month << 5) | day);
}

void DescribeSource(const platform::FileInfo& info, EntryHeader& header)
{
    ToDosTime(info.lastWrite + CurrentLocalOffset(), header.dosTime, header.dosDate);
    header.lastWrite = ClampedUnixTime(info.lastWrite);
    header.lastAccess = ClampedUnixTime(info.lastAccess);
    header.creation = ClampedUnixTime(info.creation);
    header.externalAttributes = ExternalAttributes(info.mode);
    const auto size = static_cast<std::uint32_t>(info.size);
    header.flags = kFlagDataDescriptor;
    header.crc = 0;
    header.compressedSize = header.method == kMethodStored ? size : 0;
    header.uncompressedSize = size;
}

void FinishHeader(EntryHeader& header, std::uint32_t crc, std::uint64_t compressedSize, std::uint64_t readSize)
{
    header.crc = crc;
    header.compressedSize = static_cast<std::uint32_t>(compressedSize);
    header.uncompressedSize = static_cast<std::uint32_t>(readSize);
    header.flags = header.method == kMethodDeflated ? kFlagMaximumCompression : 0;
}

std::string LocalHeaderBytes(const EntryHeader& header)
{
    std::string out;
    out.reserve(LocalRecordSize(header));
    Put32(out, kLocalHeaderSignature);
    PutSharedFields(out, header);
    Put16(out, static_cast<std::uint16_t>(kLocalExtraSize));
    out += header.name;
    Put16(out, kExtendedTimestampTag);
    Put16(out, kLocalTimestampLength);
    out += static_cast<char>(kTimestampFlags);
    Put32(out, header.lastWrite);
    Put32(out, header.lastAccess);
    Put32(out, header.creation);
    return out;
}

void AppendCentralHeader(std::string& out, const EntryHeader& header)
{
    Put32(out, kCentralHeaderSignature);
    Put16(out, kVersionMadeBy);
    PutSharedFields(out, header);
    Put16(out, static_cast<std::uint16_t>(kCentralExtraSize));
    Put16(out, 0); // comment length
    Put16(out, 0); // disk number start
    Put16(out, 0); // internal attributes
    Put32(out, header.externalAttributes);
    Put32(out, header.localHeaderOffset);
    out += header.name;
    Put16(out, kExtendedTimestampTag);
    Put16(out, kCentralTimestampLength);
    out += static_cast<char>(kTimestampFlags);
    Put32(out, header.lastWrite);
}

std::string EndRecordBytes(std::size_t entries, std::uint32_t centralSize, std::uint32_t centralOffset)
{
    std::string out;
    out.reserve(kEndRecordSize);
    Put32(out, kEndRecordSignature);
    Put16(out, 0); // number of this disk
    Put16(out, 0); // disk where the central directory starts
    Put16(out, static_cast<std::uint16_t>(entries));
    Put16(out, static_cast<std::uint16_t>(entries));
    Put32(out, centralSize);
    Put32(out, centralOffset);
    Put16(out, 0); // comment length
    return out;
}

} // namespace zipwriter
