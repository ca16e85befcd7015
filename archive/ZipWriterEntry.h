#pragma once
// The writer's state and the writing of one entry, shared by the single and the
// batch add. Entries may be prepared at the same time on several threads, but only
// the entry whose turn it is touches the container and the writer's state.

#include "archive/ZipWriter.h"
#include "archive/ZipWriterRecords.h"
#include "platform/FileHandle.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

struct ZipWriter
{
    platform::FileHandle m_file;
    ZipWriterOptions m_options;
    // End of the last complete entry: where the next local header goes.
    std::uint64_t m_written = 0;
    // Bytes the central directory of the listed entries will take.
    std::uint64_t m_centralSize = 0;
    std::vector<zipwriter::EntryHeader> m_entries;
    bool m_closed = false;
};

namespace zipwriter {

// Hands the container to entries 0, 1, 2 … in that order.
class EntryTurn
{
public:
    bool Arrived(std::size_t index) const { return m_head.load(std::memory_order_acquire) == index; }
    void Await(std::size_t index);
    // Entry index is done with the container; the next one may write.
    void Pass(std::size_t index);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::atomic<std::size_t> m_head {0};
};

// Writes the entry at position index of the turn, from a source, under an 8-bit
// name already converted and checked. Returns after the entry's turn has come, with
// the container holding the complete entry or, on failure, as it was before it.
[[nodiscard]] ZipWriterResult WriteEntry(ZipWriter& writer, EntryTurn& turn, std::size_t index, std::string name,
                                         const std::filesystem::path& source) noexcept;

} // namespace zipwriter
