// ZIP archive writer: the handle, the checks at its entry points, the batch add
// across several threads, and the central directory written at close.

#include "archive/ZipWriter.h"

#include "archive/ZipWriterEntry.h"
#include "platform/ExclusiveWrite.h"

#include <algorithm>
#include <atomic>
#include <thread>

using namespace zipwriter;

namespace {

// More workers than this gain nothing on the machines we run on and hold more memory.
constexpr unsigned kMaxWorkers = 4;

ZipWriterResult CheckName(const ZipWriter& writer, std::u16string_view name, std::string& converted)
{
    if (const ZipWriterResult result = ConvertName(name, converted))
        return result;
    if (writer.m_closed)
        return ZipWriterAlreadyClosed;
    if (converted.empty())
        return ZipWriterBadArguments;
    return ZipWriterOk;
}

unsigned WorkerCount(const ZipWriterOptions& options, std::size_t entries)
{
    unsigned workers = options.workers != 0 ? options.workers : std::max(1u, std::thread::hardware_concurrency());
    workers = std::min(workers, kMaxWorkers);
    return static_cast<unsigned>(std::min<std::size_t>(workers, entries));
}

// Each worker takes the next entry, prepares it as far as it can, and writes it
// into the container when its turn comes; the entries land in the given order.
void WriteInTurn(ZipWriter& writer, std::span<const ZipWriterSource> sources, std::vector<std::string>& names,
                 const std::vector<std::size_t>& order, std::vector<ZipWriterResult>& results)
{
    EntryTurn turn;
    std::atomic<std::size_t> next {0};
    auto work = [&] {
        for (std::size_t position = next++; position < order.size(); position = next++) {
            const std::size_t i = order[position];
            results[i] = WriteEntry(writer, turn, position, std::move(names[i]), sources[i].source);
            turn.Pass(position);
        }
    };
    std::vector<std::thread> helpers;
    const unsigned workers = WorkerCount(writer.m_options, order.size());
    try {
        while (helpers.size() + 1 < workers)
            helpers.emplace_back(work);
    } catch (...) {
        // Fewer threads only means less at once; the calling thread does the rest.
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

ZipWriterResult WriteDirectory(ZipWriter& writer)
{
    const std::uint64_t start = writer.m_written;
    std::string central;
    central.reserve(writer.m_centralSize);
    for (const EntryHeader& header : writer.m_entries)
        AppendCentralHeader(central, header);
    if (start + central.size() + kEndRecordSize > writer.m_options.maxContainerSize)
        return ZipWriterWriteFailed;
    const int fd = writer.m_file.Fd();
    if (platform::WriteAllAt(fd, central.data(), central.size(), start) != 0)
        return ZipWriterWriteFailed;
    writer.m_written += central.size();
    const std::string end = EndRecordBytes(writer.m_entries.size(), static_cast<std::uint32_t>(central.size()),
                                           static_cast<std::uint32_t>(start));
    if (platform::WriteAllAt(fd, end.data(), end.size(), writer.m_written) != 0)
        return ZipWriterWriteFailed;
    writer.m_written += end.size();
    return ZipWriterOk;
}

} // namespace

ZipWriterHandle ZipWriterCreate(const std::filesystem::path& output, ZipWriterOptions options)
{
    try {
        platform::FileHandle file;
        if (platform::CreateExclusiveForWrite(output, file) != 0)
            return {};
        ZipWriterHandle writer(new ZipWriter);
        writer->m_file = std::move(file);
        writer->m_options = std::move(options);
        return writer;
    } catch (...) {
        return {};
    }
}

void ZipWriterRelease(ZipWriter* writer) noexcept
{
    delete writer;
}

ZipWriterResult ZipWriterAddFile(ZipWriter* writer, std::u16string_view name, const std::filesystem::path& source)
{
    if (writer == nullptr)
        return ZipWriterBadArguments;
    try {
        std::string converted;
        if (const ZipWriterResult result = CheckName(*writer, name, converted))
            return result;
        EntryTurn turn;
        return WriteEntry(*writer, turn, 0, std::move(converted), source);
    } catch (...) {
        return ZipWriterWriteFailed;
    }
}

std::vector<ZipWriterResult> ZipWriterAddFiles(ZipWriter* writer, std::span<const ZipWriterSource> sources)
{
    try {
        std::vector<ZipWriterResult> results(sources.size(), ZipWriterBadArguments);
        if (writer == nullptr)
            return results;
        std::vector<std::string> names(sources.size());
        std::vector<std::size_t> order;
        order.reserve(sources.size());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            results[i] = CheckName(*writer, sources[i].name, names[i]);
            if (results[i] == ZipWriterOk)
                order.push_back(i);
        }
        WriteInTurn(*writer, sources, names, order, results);
        return results;
    } catch (...) {
        // Out of memory before any entry was written.
        return std::vector<ZipWriterResult>(sources.size(), ZipWriterWriteFailed);
    }
}

ZipWriterResult ZipWriterClose(ZipWriter* writer)
{
    if (writer == nullptr)
        return ZipWriterBadArguments;
    if (writer->m_closed)
        return ZipWriterOk;
    writer->m_closed = true;
    ZipWriterResult result = ZipWriterWriteFailed;
    try {
        result = WriteDirectory(*writer);
    } catch (...) {
    }
    // A failed close can report a write lost on the way to the disk.
    if (writer->m_file.Close() != 0)
        result = ZipWriterWriteFailed;
    writer->m_entries = {};
    return result;
}
