#pragma once
// ZIP archive writer: new containers of deflated and stored entries, one entry per
// file on disk, in the order they are added. Each local header is written before
// its data and rewritten in place once the CRC-32 and the sizes are known, so no
// data descriptors are needed. Nothing here throws; failures are result codes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Result codes of the ZIP writer; callers compare against these values.
enum ZipWriterResult : std::uint32_t
{
    ZipWriterOk = 0,
    ZipWriterSourceFailed = 0x00000200, // opening or reading the source, or a source of 4 GiB or more
    ZipWriterWriteFailed = 0x00000400,  // a header, the data, the directory, the compressor, or a full container
    ZipWriterBadArguments = 0x00010000, // no handle; a name that is empty, over 260 bytes or holds NUL; 65535 entries already
    ZipWriterAlreadyClosed = 0x00050000,
};

// The 32-bit offsets and sizes and the 16-bit entry counts of the format.
inline constexpr std::uint64_t kZipWriterMaxContainerSize = 0xFFFFFFFFu;
inline constexpr std::size_t kZipWriterMaxEntries = 0xFFFF;
inline constexpr std::size_t kZipWriterMaxNameBytes = 260;

struct ZipWriterOptions
{
    // The container never grows past this size: an entry that would push it (with
    // the central directory it needs) beyond is withdrawn with ZipWriterWriteFailed.
    std::uint64_t maxContainerSize = kZipWriterMaxContainerSize;
    // Sources that ZipWriterAddFiles compresses at the same time; 0 means one per
    // processor core, at most 4.
    unsigned workers = 0;
    // Compressed bytes an entry may hold in memory while the entries before it are
    // still being written; past that its compression waits for its turn.
    std::size_t maxHeldBytes = std::size_t{64} << 20;
    // Called after each chunk read from a source with the bytes read so far, on the
    // thread that reads it; lets tests change a source while it is being read.
    std::function<void(std::uint64_t)> afterSourceRead;
};

struct ZipWriter;

// Releases the handle and closes its file. A container that was not closed with
// ZipWriterClose is left without its central directory.
void ZipWriterRelease(ZipWriter* writer) noexcept;

struct ZipWriterDeleter
{
    void operator()(ZipWriter* writer) const noexcept { ZipWriterRelease(writer); }
};
using ZipWriterHandle = std::unique_ptr<ZipWriter, ZipWriterDeleter>;

// Creates the container file, replacing an existing one, and holds it locked for
// writing. Returns no handle when the file cannot be created: a link, a folder or
// another non-regular file at the path, or a file another program holds locked.
[[nodiscard]] ZipWriterHandle ZipWriterCreate(const std::filesystem::path& output, ZipWriterOptions options = {});

// Adds one entry whose data is the whole source file. A refused or failed entry
// leaves the container as it was before the call, and later adds go on from there.
[[nodiscard]] ZipWriterResult ZipWriterAddFile(ZipWriter* writer, std::u16string_view name,
                                               const std::filesystem::path& source);

struct ZipWriterSource
{
    std::u16string name;
    std::filesystem::path source;
};

// Adds the sources in order, with one result per source. The container is byte for
// byte what ZipWriterAddFile writes for them one after another; several sources are
// compressed at once, each entry's data held back until the entries before it are done.
[[nodiscard]] std::vector<ZipWriterResult> ZipWriterAddFiles(ZipWriter* writer,
                                                             std::span<const ZipWriterSource> sources);

// Writes the central directory and the end record and closes the file. A second
// close writes nothing and returns ZipWriterOk. The caller then releases the handle.
[[nodiscard]] ZipWriterResult ZipWriterClose(ZipWriter* writer);
