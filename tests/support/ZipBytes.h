#pragma once
// Hand-assembled ZIP bytes for tests: local headers, data descriptors and a
// central directory, with every field under the test's control, so damaged
// layouts can be written exactly.

#include <cstdint>
#include <string>
#include <string_view>

// Raw DEFLATE (no header, no trailer) of data, at the given zlib level.
std::string RawDeflate(std::string_view data, int level = 6);
// Deterministic bytes that do not compress and hold no "PK" pair.
std::string IncompressibleBytes(std::size_t size, std::uint32_t seed = 1);

struct LocalHeaderFields
{
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = 8;
    std::uint16_t dosTime = 0x7D86; // 15:44:12
    std::uint16_t dosDate = 0x3D70; // 16 November 2010
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::string name;
    std::string extra;
};

class ZipBytes
{
public:
    // A local header with the fields as given, then the data as given.
    ZipBytes& Local(const LocalHeaderFields& fields, std::string_view data);
    // A stored entry with correct sizes and CRC.
    ZipBytes& Stored(std::string_view name, std::string_view data);
    // A deflated entry with correct sizes and CRC in its header.
    ZipBytes& Deflated(std::string_view name, std::string_view data);
    // A deflated entry with zero sizes in its header and a signed data descriptor after its data.
    ZipBytes& DeflatedWithDescriptor(std::string_view name, std::string_view data);
    // A data descriptor with its signature.
    ZipBytes& Descriptor(std::uint32_t crc, std::uint32_t compressedSize, std::uint32_t uncompressedSize);
    // A central directory and end record for the entries written so far.
    ZipBytes& CentralDirectory();
    ZipBytes& Raw(std::string_view bytes);

    const std::string& Bytes() const { return m_bytes; }
    std::size_t Size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
    std::string m_central;
    std::uint16_t m_centralCount = 0;
};

void PutU16(std::string& out, std::uint16_t value);
void PutU32(std::string& out, std::uint32_t value);
std::uint16_t GetU16(std::string_view bytes, std::size_t offset);
std::uint32_t GetU32(std::string_view bytes, std::size_t offset);
