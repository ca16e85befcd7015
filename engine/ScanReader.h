#pragma once
// Reads a damaged file through one large buffer for the salvage scanner: byte
// ranges at any offset, and the search for four-byte signatures that skips
// bytes which cannot start one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class ScanReader
{
public:
    // How often, in bytes searched, the search asks whether to go on.
    static constexpr std::uint64_t kStopCheckInterval = 64 * 1024;

    ScanReader(int fd, std::uint64_t length);

    std::uint64_t Length() const { return m_length; }

    // The count bytes at offset, or nullptr when fewer are left in the file (or
    // the read fails). count must not exceed kMaxRange.
    const unsigned char* Range(std::uint64_t offset, std::size_t count);
    static constexpr std::size_t kMaxRange = 128 * 1024;

    // The first offset t >= from at which the four bytes are "PK" followed by
    // third and fourth (or, when alternate is given, by alternate's two bytes).
    // Every offset up to Length() - 4 is tested in order. keepGoing is asked
    // before the first test and at least every kStopCheckInterval bytes; when it
    // says no, or nothing is found, the result is empty.
    struct Signature
    {
        unsigned char third;
        unsigned char fourth;
    };
    struct Found
    {
        std::uint64_t offset;
        bool alternate; // matched the alternate signature
    };
    std::optional<Found> FindSignature(std::uint64_t from, Signature primary, std::optional<Signature> alternate,
                                       const std::function<bool()>& keepGoing, bool& stopped);

private:
    bool Load(std::uint64_t offset);

    int m_fd;
    std::uint64_t m_length;
    std::unique_ptr<unsigned char[]> m_buffer;
    std::uint64_t m_bufferStart = 0;
    std::size_t m_bufferFill = 0;
};
