#pragma once
// The records of a written container (local header, central header, end record)
// and the rules that derive their fields from an entry name and a source file.

#include "archive/ZipWriter.h"
#include "platform/FileInfo.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zipwriter {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054B50;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kLocalExtraSize = 17;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kCentralExtraSize = 9;
inline constexpr std::size_t kEndRecordSize = 22;

inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

// Sources must fit the 32-bit size fields.
inline constexpr std::uint64_t kMaxSourceSize = 0xFFFFFFFFu;

// Every field of one entry that its local and central headers carry.
struct EntryHeader
{
    std::string name; // 8-bit, with "/" between folder names
    std::uint16_t flags = 0;
    std::uint16_t method = kMethodDeflated;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint32_t lastWrite = 0; // extended-timestamp values, seconds since 1970 UTC
    std::uint32_t lastAccess = 0;
    std::uint32_t creation = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localHeaderOffset = 0;
};

inline std::size_t LocalRecordSize(const EntryHeader& header)
{
    return kLocalHeaderSize + header.name.size() + kLocalExtraSize;
}
inline std::size_t CentralRecordSize(const EntryHeader& header)
{
    return kCentralHeaderSize + header.name.size() + kCentralExtraSize;
}

// The 8-bit entry name: each UTF-16 code unit up to U+00FF becomes that byte, any
// other becomes "?", and "\" becomes "/". Refuses a name over 260 bytes or with a
// NUL (ZipWriterBadArguments); an empty name is the caller's to refuse.
[[nodiscard]] ZipWriterResult ConvertName(std::u16string_view name, std::string& out);

// True when the text from the name's last "." on is an archive suffix, which
// makes the entry stored instead of deflated.
[[nodiscard]] bool HasStoredSuffix(std::string_view name);

// Fills the times, the external attributes and the provisional fields from the
// source's information; the name and the method must already be set.
void DescribeSource(const platform::FileInfo& info, EntryHeader& header);

// Marks the header final: the given CRC and sizes, and the flags of its method.
void FinishHeader(EntryHeader& header, std::uint32_t crc, std::uint64_t compressedSize, std::uint64_t readSize);

// The extended-timestamp value of a time: seconds since 1970 UTC, with a year
// before 1970 taken as 1 January 1970 and one after 2037 as 31 December 2037,
// each keeping the time of day.
[[nodiscard]] std::uint32_t ClampedUnixTime(std::int64_t seconds);

// MS-DOS time and date of a time that is already local; years before 1980 give
// 1980-01-01 00:00:00 and years after 2107 give 2107-12-31 23:59:58.
void ToDosTime(std::int64_t localSeconds, std::uint16_t& dosTime, std::uint16_t& dosDate);

std::string LocalHeaderBytes(const EntryHeader& header);
void AppendCentralHeader(std::string& out, const EntryHeader& header);
std::string EndRecordBytes(std::size_t entries, std::uint32_t centralSize, std::uint32_t centralOffset);

} // namespace zipwriter
