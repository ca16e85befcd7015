#include "tests/support/ZipBytes.h"

#include <stdexcept>
#include <zlib.h>

void PutU16(std::string& out, std::uint16_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void PutU32(std::string& out, std::uint32_t value)
{
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t GetU16(std::string_view bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(offset)) |
                                      (static_cast<unsigned char>(bytes.at(offset + 1)) << 8));
}

std::uint32_t GetU32(std::string_view bytes, std::size_t offset)
{
    return GetU16(bytes, offset) | (static_cast<std::uint32_t>(GetU16(bytes, offset + 2)) << 16);
}

std::string RawDeflate(std::string_view data, int level)
{
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("deflate");
    out.resize(zs.total_out);
    return out;
}

std::string IncompressibleBytes(std::size_t size, std::uint32_t seed)
{
    std::string out(size, '\0');
    std::uint32_t x = seed ? seed : 1;
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        char c = static_cast<char>(x >> 24);
        if (c == 'P')
            c = 'Q';
        out[i] = c;
    }
    return out;
}

ZipBytes& ZipBytes::Local(const LocalHeaderFields& f, std::string_view data)
{
    const auto offset = static_cast<std::uint32_t>(m_bytes.size());
    std::string& o = m_bytes;
    o += "PK\x03\x04";
    PutU16(o, f.versionNeeded);
    PutU16(o, f.flags);
    PutU16(o, f.method);
    PutU16(o, f.dosTime);
    PutU16(o, f.dosDate);
    PutU32(o, f.crc);
    PutU32(o, f.compressedSize);
    PutU32(o, f.uncompressedSize);
    PutU16(o, static_cast<std::uint16_t>(f.name.size()));
    PutU16(o, static_cast<std::uint16_t>(f.extra.size()));
    o += f.name;
    o += f.extra;
    o += data;

    std::string& c = m_central;
    c += "PK\x01\x02";
    PutU16(c, 20);
    PutU16(c, f.versionNeeded);
    PutU16(c, f.flags);
    PutU16(c, f.method);
    PutU16(c, f.dosTime);
    PutU16(c, f.dosDate);
    PutU32(c, f.crc);
    PutU32(c, f.compressedSize);
    PutU32(c, f.uncompressedSize);
    PutU16(c, static_cast<std::uint16_t>(f.name.size()));
    PutU16(c, 0);
    PutU16(c, 0);
    PutU16(c, 0);
    PutU16(c, 0);
    PutU32(c, 0);
    PutU32(c, offset);
    c += f.name;
    ++m_centralCount;
    return *this;
}

ZipBytes& ZipBytes::Stored(std::string_view name, std::string_view data)
{
    LocalHeaderFields f;
    f.method = 0;
    f.name = name;
    f.crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    f.compressedSize = f.uncompressedSize = static_cast<std::uint32_t>(data.size());
    return Local(f, data);
}

ZipBytes& ZipBytes::Deflated(std::string_view name, std::string_view data)
{
    const std::string packed = RawDeflate(data);
    LocalHeaderFields f;
    f.name = name;
    f.crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    f.compressedSize = static_cast<std::uint32_t>(packed.size());
    f.uncompressedSize = static_cast<std::uint32_t>(data.size());
    return Local(f, packed);
}

ZipBytes& ZipBytes::DeflatedWithDescriptor(std::string_view name, std::string_view data)
{
    const std::string packed = RawDeflate(data);
    LocalHeaderFields f;
    f.name = name;
    f.flags = 0x0008;
    Local(f, packed);
    const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    return Descriptor(crc, static_cast<std::uint32_t>(packed.size()), static_cast<std::uint32_t>(data.size()));
}

ZipBytes& ZipBytes::Descriptor(std::uint32_t crc, std::uint32_t compressedSize, std::uint32_t uncompressedSize)
{
    m_bytes += "PK\x07\x08";
    PutU32(m_bytes, crc);
    PutU32(m_bytes, compressedSize);
    PutU32(m_bytes, uncompressedSize);
    return *this;
}

ZipBytes& ZipBytes::CentralDirectory()
{
    const auto start = static_cast<std::uint32_t>(m_bytes.size());
    m_bytes += m_central;
    m_bytes += "PK\x05\x06";
    PutU16(m_bytes, 0);
    PutU16(m_bytes, 0);
    PutU16(m_bytes, m_centralCount);
    PutU16(m_bytes, m_centralCount);
    PutU32(m_bytes, static_cast<std::uint32_t>(m_central.size()));
    PutU32(m_bytes, start);
    PutU16(m_bytes, 0);
    return *this;
}

ZipBytes& ZipBytes::Raw(std::string_view bytes)
{
    m_bytes += bytes;
    return *this;
}
