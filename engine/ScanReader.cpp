#include "engine/ScanReader.h"

#include "platform/FileHandle.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBufferSize = 1 << 20;
static_assert(ScanReader::kMaxRange < kBufferSize);

} // namespace

ScanReader::ScanReader(int fd, std::uint64_t length)
    : m_fd(fd), m_length(length), m_buffer(new unsigned char[kBufferSize])
{
}

bool ScanReader::Load(std::uint64_t offset)
{
    m_bufferStart = offset;
    m_bufferFill = 0;
    if (offset >= m_length)
        return false;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, m_length - offset));
    const std::int64_t got = platform::ReadAt(m_fd, m_buffer.get(), want, offset);
    if (got <= 0)
        return false;
    m_bufferFill = static_cast<std::size_t>(got);
    return true;
}

const unsigned char* ScanReader::Range(std::uint64_t offset, std::size_t count)
{
    if (count > kMaxRange || offset > m_length || m_length - offset < count)
        return nullptr;
    const bool inside = offset >= m_bufferStart && offset - m_bufferStart + count <= m_bufferFill;
    if (!inside && (!Load(offset) || m_bufferFill < count))
        return nullptr;
    return m_buffer.get() + (offset - m_bufferStart);
}

std::optional<ScanReader::Found> ScanReader::FindSignature(std::uint64_t from, Signature primary,
                                                           std::optional<Signature> alternate,
                                                           const std::function<bool()>& keepGoing, bool& stopped)
{
    stopped = false;
    if (m_length < 4)
        return std::nullopt;
    const std::uint64_t lastOffset = m_length - 4;
    std::uint64_t next = from;            // the next offset to test
    std::uint64_t nextCheck = from;       // when to ask keepGoing again
    while (next <= lastOffset) {
        if (next >= nextCheck) {
            if (!keepGoing()) {
                stopped = true;
                return std::nullopt;
            }
            nextCheck = next + kStopCheckInterval;
        }
        // Test offsets [next, end) of the buffered bytes, where every tested
        // offset has its three following bytes in the buffer too.
        const bool inside = next >= m_bufferStart && next - m_bufferStart + 4 <= m_bufferFill;
        if (!inside && !Load(next))
            return std::nullopt;
        if (m_bufferFill < 4)
            return std::nullopt;
        const unsigned char* base = m_buffer.get();
        std::size_t i = static_cast<std::size_t>(next - m_bufferStart);
        std::size_t end = m_bufferFill - 3; // offsets whose 4 bytes are buffered
        end = static_cast<std::size_t>(std::min<std::uint64_t>(end, i + (nextCheck - next)));
        end = static_cast<std::size_t>(std::min<std::uint64_t>(end, lastOffset + 1 - m_bufferStart));
        while (i < end) {
            const void* hit = std::memchr(base + i, 'P', end - i);
            if (hit == nullptr) {
                i = end;
                break;
            }
            i = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - base);
            const unsigned char* p = base + i;
            if (p[1] == 'K') {
                if (p[2] == primary.third && p[3] == primary.fourth)
                    return Found{m_bufferStart + i, false};
                if (alternate && p[2] == alternate->third && p[3] == alternate->fourth)
                    return Found{m_bufferStart + i, true};
            }
            ++i;
        }
        next = m_bufferStart + i;
    }
    return std::nullopt;
}
