#pragma once
// An independent reader of the containers the writer produces, for byte-level
// checks: every field of every record, read from the end record backwards.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The fields the local and the central header share.
struct WrittenHeaderFields
{
    std::uint32_t signature = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::string name;
    std::string extra;
};

using WrittenLocalHeader = WrittenHeaderFields;

struct WrittenEntry : WrittenHeaderFields
{
    std::uint16_t versionMadeBy = 0;
    std::uint16_t commentLength = 0;
    std::uint16_t diskStart = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localOffset = 0;
    WrittenLocalHeader local;
    std::string data; // the entry's bytes as they lie in the container
};

struct WrittenZip
{
    std::vector<WrittenEntry> entries;
    std::uint16_t diskNumber = 0;
    std::uint16_t centralDisk = 0;
    std::uint16_t entriesOnDisk = 0;
    std::uint16_t totalEntries = 0;
    std::uint32_t centralSize = 0;
    std::uint32_t centralOffset = 0;
    std::uint16_t commentLength = 0;
};

// Parses a container whose last 22 bytes are its end record. Throws
// std::runtime_error on a missing signature or a record that runs outside the bytes.
WrittenZip ParseWrittenZip(std::string_view bytes);

// Inflates a raw DEFLATE stream; throws unless it ends exactly with the data.
std::string InflateRaw(std::string_view data);
// The uncompressed bytes of a stored (0) or deflated (8) entry.
std::string EntryContents(const WrittenEntry& entry);
// CRC-32 of bytes, as zlib computes it.
std::uint32_t Crc32(std::string_view bytes);

// Runs a shell command and returns its exit status.
int RunCommand(const std::string& command);
bool HaveCommand(const std::string& name);
