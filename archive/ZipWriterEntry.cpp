// One entry of a container: reading the source, compressing or copying it, and the
// headers before and after its data.

#include "archive/ZipWriterEntry.h"

#include "platform/FileInfo.h"
#include "platform/FileSystem.h"

#include <zlib.h>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace zipwriter {

namespace {

// Larger than the 16 KiB the format's tools traditionally use: fewer system calls
// per megabyte, and the compressed bytes do not depend on it.
constexpr std::size_t kReadChunk = std::size_t{256} << 10;
constexpr std::size_t kOutputChunk = std::size_t{256} << 10;

constexpr int kDeflateLevel = 8;
constexpr int kDeflateWindowBits = -15; // raw stream: no zlib header or trailer
constexpr int kDeflateMemoryLevel = 8;

// The compressor of one entry; no state survives from one entry to the next.
class Deflater
{
public:
    Deflater()
    {
        m_ready = deflateInit2(&m_stream, kDeflateLevel, Z_DEFLATED, kDeflateWindowBits, kDeflateMemoryLevel,
                               Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool Ready() const { return m_ready; }
    z_stream& Stream() { return m_stream; }

private:
    z_stream m_stream {};
    bool m_ready = false;
};

class EntryWriter
{
public:
    EntryWriter(ZipWriter& writer, EntryTurn& turn, std::size_t index)
        : m_writer(writer), m_turn(turn), m_index(index)
    {
    }

    ZipWriterResult Write(std::string name, const std::filesystem::path& source);

private:
    void Run(const std::filesystem::path& source);
    void Transfer(int fd);
    bool Deflate(Deflater& deflater, std::size_t inputSize);
    bool ReadChunk(int fd, std::size_t& size);
    bool Emit(const unsigned char* data, std::size_t size);
    bool Start();
    bool PutData(const void* data, std::size_t size);
    bool Fits(std::uint64_t end) const;
    void Finish();
    void Withdraw();
    bool Fail(ZipWriterResult result)
    {
        if (m_result == ZipWriterOk)
            m_result = result;
        return false;
    }

    ZipWriter& m_writer;
    EntryTurn& m_turn;
    const std::size_t m_index;
    EntryHeader m_header;
    ZipWriterResult m_result = ZipWriterOk;
    bool m_started = false; // the local header's place in the container is taken
    std::uint64_t m_start = 0;
    std::uint64_t m_dataSize = 0; // compressed bytes in the container so far
    std::uint64_t m_reach = 0;    // end of the furthest write attempted
    std::uint64_t m_read = 0;
    std::uint32_t m_crc = 0;
    std::string m_held; // compressed bytes produced before the entry's turn came
    std::vector<unsigned char> m_input;
    std::vector<unsigned char> m_output;
};

ZipWriterResult EntryWriter::Write(std::string name, const std::filesystem::path& source)
{
    try {
        m_header.method = HasStoredSuffix(name) ? kMethodStored : kMethodDeflated;
        m_header.name = std::move(name);
        Run(source);
    } catch (...) {
        Fail(ZipWriterWriteFailed);
    }
    if (m_result != ZipWriterOk) {
        m_turn.Await(m_index);
        Withdraw();
    }
    return m_result;
}

void EntryWriter::Run(const std::filesystem::path& source)
{
    platform::FileHandle file;
    platform::FileInfo info;
    if (platform::OpenForRead(source, file) != 0 || platform::ReadFileInfo(file.Fd(), info) != 0)
        return (void)Fail(ZipWriterSourceFailed);
    if (info.size > kMaxSourceSize)
        return (void)Fail(ZipWriterSourceFailed);
    (void)::posix_fadvise(file.Fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    DescribeSource(info, m_header);
    m_input.resize(kReadChunk);
    if (m_turn.Arrived(m_index) && !Start())
        return;
    Transfer(file.Fd());
    if (m_result == ZipWriterOk)
        Finish();
}

// One pass over the source: every byte read goes into the CRC and the count, and
// then into the container, copied or compressed.
void EntryWriter::Transfer(int fd)
{
    if (m_header.method == kMethodStored) {
        for (std::size_t size = 0; ReadChunk(fd, size) && size > 0;) {
            if (!Emit(m_input.data(), size))
                return;
        }
        return;
    }
    Deflater deflater;
    if (!deflater.Ready())
        return (void)Fail(ZipWriterWriteFailed);
    m_output.resize(kOutputChunk);
    for (std::size_t size = 0; ReadChunk(fd, size);) {
        if (!Deflate(deflater, size) || size == 0)
            return;
    }
}

// Feeds one chunk, or with an empty chunk ends the stream, as a one-shot call
// with the whole source would: no flush points inside the stream.
bool EntryWriter::Deflate(Deflater& deflater, std::size_t inputSize)
{
    z_stream& stream = deflater.Stream();
    stream.next_in = m_input.data();
    stream.avail_in = static_cast<uInt>(inputSize);
    const int flush = inputSize == 0 ? Z_FINISH : Z_NO_FLUSH;
    int rc = Z_OK;
    do {
        stream.next_out = m_output.data();
        stream.avail_out = static_cast<uInt>(m_output.size());
        rc = deflate(&stream, flush);
        if (rc == Z_STREAM_ERROR)
            return Fail(ZipWriterWriteFailed);
        const std::size_t produced = m_output.size() - stream.avail_out;
        if (produced > 0 && !Emit(m_output.data(), produced))
            return false;
    } while (stream.avail_out == 0 && rc != Z_STREAM_END);
    if (flush == Z_FINISH && rc != Z_STREAM_END)
        return Fail(ZipWriterWriteFailed);
    return true;
}

bool EntryWriter::ReadChunk(int fd, std::size_t& size)
{
    const std::int64_t n = platform::ReadAt(fd, m_input.data(), m_input.size(), m_read);
    if (n < 0)
        return Fail(ZipWriterSourceFailed);
    size = static_cast<std::size_t>(n);
    m_read += size;
    // A source that grows past the 32-bit size fields while it is read.
    if (m_read > kMaxSourceSize)
        return Fail(ZipWriterSourceFailed);
    m_crc = static_cast<std::uint32_t>(crc32(m_crc, m_input.data(), static_cast<uInt>(size)));
    if (size > 0 && m_writer.m_options.afterSourceRead)
        m_writer.m_options.afterSourceRead(m_read);
    return true;
}

// Writes straight into the container once the entry's turn has come; before that,
// holds the bytes, and waits for the turn when too many are held.
bool EntryWriter::Emit(const unsigned char* data, std::size_t size)
{
    if (!m_started && m_turn.Arrived(m_index) && !Start())
        return false;
    if (m_started)
        return PutData(data, size);
    m_held.append(reinterpret_cast<const char*>(data), size);
    if (m_held.size() < m_writer.m_options.maxHeldBytes)
        return true;
    m_turn.Await(m_index);
    return Start();
}

// The entry's turn: it starts at the end of the last complete entry with the
// provisional header, followed by whatever data was held.
bool EntryWriter::Start()
{
    if (m_writer.m_entries.size() >= kZipWriterMaxEntries)
        return Fail(ZipWriterBadArguments);
    m_started = true;
    m_start = m_writer.m_written;
    m_reach = m_start;
    m_header.localHeaderOffset = static_cast<std::uint32_t>(m_start);
    const std::string header = LocalHeaderBytes(m_header);
    if (!Fits(m_start + header.size()))
        return Fail(ZipWriterWriteFailed);
    m_reach = m_start + header.size();
    if (platform::WriteAllAt(m_writer.m_file.Fd(), header.data(), header.size(), m_start) != 0)
        return Fail(ZipWriterWriteFailed);
    const bool written = PutData(m_held.data(), m_held.size());
    std::string().swap(m_held);
    return written;
}

bool EntryWriter::PutData(const void* data, std::size_t size)
{
    const std::uint64_t offset = m_start + LocalRecordSize(m_header) + m_dataSize;
    if (!Fits(offset + size))
        return Fail(ZipWriterWriteFailed);
    m_reach = std::max(m_reach, offset + size);
    if (platform::WriteAllAt(m_writer.m_file.Fd(), data, size, offset) != 0)
        return Fail(ZipWriterWriteFailed);
    m_dataSize += size;
    return true;
}

// Whether the container, ending at end with this entry, still leaves room for the
// central directory with this entry's record and the end record.
bool EntryWriter::Fits(std::uint64_t end) const
{
    return end + m_writer.m_centralSize + CentralRecordSize(m_header) + kEndRecordSize <=
           m_writer.m_options.maxContainerSize;
}

void EntryWriter::Finish()
{
    m_turn.Await(m_index);
    if (!m_started && !Start())
        return;
    FinishHeader(m_header, m_crc, m_dataSize, m_read);
    const std::string header = LocalHeaderBytes(m_header);
    if (platform::WriteAllAt(m_writer.m_file.Fd(), header.data(), header.size(), m_start) != 0)
        return (void)Fail(ZipWriterWriteFailed);
    const std::uint64_t centralSize = CentralRecordSize(m_header);
    m_writer.m_entries.push_back(m_header);
    m_writer.m_written = m_start + header.size() + m_dataSize;
    m_writer.m_centralSize += centralSize;
}

// A failed entry is cut off again, so the container holds only listed entries
// and stays within its size. Should that fail, later entries follow its bytes.
void EntryWriter::Withdraw()
{
    if (!m_started)
        return;
    if (::ftruncate(m_writer.m_file.Fd(), static_cast<off_t>(m_start)) == 0)
        m_writer.m_written = m_start;
    else
        m_writer.m_written = m_reach;
}

} // namespace

void EntryTurn::Await(std::size_t index)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return Arrived(index); });
}

void EntryTurn::Pass(std::size_t index)
{
    {
        std::lock_guard lock(m_mutex);
        m_head.store(index + 1, std::memory_order_release);
    }
    m_changed.notify_all();
}

ZipWriterResult WriteEntry(ZipWriter& writer, EntryTurn& turn, std::size_t index, std::string name,
                           const std::filesystem::path& source) noexcept
{
    EntryWriter entry(writer, turn, index);
    return entry.Write(std::move(name), source);
}

} // namespace zipwriter
