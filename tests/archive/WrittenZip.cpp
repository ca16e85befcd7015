#include "tests/archive/WrittenZip.h"

#include "tests/support/ZipBytes.h"

#include <zlib.h>

#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <sys/wait.h>

namespace {

constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralFixed = 46;
constexpr std::size_t kLocalFixed = 30;
constexpr std::uint32_t kEndSignature = 0x06054B50;     // "PK\5\6"
constexpr std::uint32_t kCentralSignature = 0x02014B50; // "PK\1\2"
constexpr std::uint32_t kLocalSignature = 0x04034B50;   // "PK\3\4"

std::string_view Slice(std::string_view bytes, std::size_t offset, std::size_t size)
{
    if (offset > bytes.size() || size > bytes.size() - offset)
        throw std::runtime_error("record runs past the end of the container");
    return bytes.substr(offset, size);
}

// Reads the shared run of fields, from the version needed through the name and
// extra lengths, which start at "at" in the fixed part; returns the two lengths.
std::pair<std::uint16_t, std::uint16_t> ReadSharedFields(std::string_view fixed, std::size_t at,
                                                          WrittenHeaderFields& fields)
{
    fields.versionNeeded = GetU16(fixed, at);
    fields.flags = GetU16(fixed, at + 2);
    fields.method = GetU16(fixed, at + 4);
    fields.dosTime = GetU16(fixed, at + 6);
    fields.dosDate = GetU16(fixed, at + 8);
    fields.crc = GetU32(fixed, at + 10);
    fields.compressedSize = GetU32(fixed, at + 14);
    fields.uncompressedSize = GetU32(fixed, at + 18);
    return {GetU16(fixed, at + 22), GetU16(fixed, at + 24)};
}

WrittenLocalHeader ParseLocal(std::string_view bytes, std::size_t at, std::size_t& dataStart)
{
    const std::string_view fixed = Slice(bytes, at, kLocalFixed);
    WrittenLocalHeader local;
    local.signature = GetU32(fixed, 0);
    if (local.signature != kLocalSignature)
        throw std::runtime_error("no local header signature");
    const auto [nameLength, extraLength] = ReadSharedFields(fixed, 4, local);
    local.name = Slice(bytes, at + kLocalFixed, nameLength);
    local.extra = Slice(bytes, at + kLocalFixed + nameLength, extraLength);
    dataStart = at + kLocalFixed + nameLength + extraLength;
    return local;
}

WrittenEntry ParseCentral(std::string_view bytes, std::size_t& at)
{
    const std::string_view fixed = Slice(bytes, at, kCentralFixed);
    WrittenEntry e;
    e.signature = GetU32(fixed, 0);
    if (e.signature != kCentralSignature)
        throw std::runtime_error("no central header signature");
    e.versionMadeBy = GetU16(fixed, 4);
    const auto [nameLength, extraLength] = ReadSharedFields(fixed, 6, e);
    e.commentLength = GetU16(fixed, 32);
    e.diskStart = GetU16(fixed, 34);
    e.internalAttributes = GetU16(fixed, 36);
    e.externalAttributes = GetU32(fixed, 38);
    e.localOffset = GetU32(fixed, 42);
    e.name = Slice(bytes, at + kCentralFixed, nameLength);
    e.extra = Slice(bytes, at + kCentralFixed + nameLength, extraLength);
    at += kCentralFixed + nameLength + extraLength + e.commentLength;
    std::size_t dataStart = 0;
    e.local = ParseLocal(bytes, e.localOffset, dataStart);
    e.data = Slice(bytes, dataStart, e.compressedSize);
    return e;
}

} // namespace

WrittenZip ParseWrittenZip(std::string_view bytes)
{
    if (bytes.size() < kEndSize)
        throw std::runtime_error("shorter than an end record");
    const std::string_view end = bytes.substr(bytes.size() - kEndSize);
    if (GetU32(end, 0) != kEndSignature)
        throw std::runtime_error("no end record at the end");
    WrittenZip zip;
    zip.diskNumber = GetU16(end, 4);
    zip.centralDisk = GetU16(end, 6);
    zip.entriesOnDisk = GetU16(end, 8);
    zip.totalEntries = GetU16(end, 10);
    zip.centralSize = GetU32(end, 12);
    zip.centralOffset = GetU32(end, 16);
    zip.commentLength = GetU16(end, 20);
    std::size_t at = zip.centralOffset;
    for (std::uint32_t i = 0; i < zip.totalEntries; ++i)
        zip.entries.push_back(ParseCentral(bytes, at));
    if (at != zip.centralOffset + std::size_t{zip.centralSize} || at != bytes.size() - kEndSize)
        throw std::runtime_error("central directory size does not match its records");
    return zip;
}

std::string InflateRaw(std::string_view data)
{
    z_stream zs {};
    if (inflateInit2(&zs, -15) != Z_OK)
        throw std::runtime_error("inflateInit2");
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char buffer[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(buffer);
        zs.avail_out = sizeof buffer;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - zs.avail_out);
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            break;
    }
    const bool complete = rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    if (!complete)
        throw std::runtime_error("not one complete raw DEFLATE stream");
    return out;
}

std::string EntryContents(const WrittenEntry& entry)
{
    if (entry.method == 0)
        return entry.data;
    if (entry.method == 8)
        return InflateRaw(entry.data);
    throw std::runtime_error("unknown method");
}

std::uint32_t Crc32(std::string_view bytes)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

int RunCommand(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveCommand(const std::string& name)
{
    return RunCommand("command -v " + name + " >/dev/null 2>&1") == 0;
}
