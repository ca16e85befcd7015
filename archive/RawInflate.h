#pragma once
// Decompresses a file that holds raw DEFLATE data (no zlib or gzip header, no
// trailer, no checksum) into caller buffers: open, one or more reads, close.

#include <cstdint>
#include <filesystem>

// Result codes shared by the three operations.
enum RawInflateResult : int
{
    RawInflateOk = 0,             // opened, or all the expected output produced (entry now closed)
    RawInflateOpenFailed = 1,     // the file could not be opened for reading
    RawInflateNoMemory = 2,       // the handle, the input buffer or the inflater could not be allocated
    RawInflateMoreOutput = 5,     // no error, but expected output is still outstanding; the entry stays open
    RawInflateReadFailed = 7,     // positioning or reading failed, or the file ended while input was needed
    RawInflateBadHandle = 9,      // no valid handle, or its entry is closed
    RawInflatePositionFailed = 16, // the position of the newly opened file could not be queried
    RawInflateCorrupt = 18,       // the decompressor reported anything but progress or end of stream
};

struct RawInflateSizes
{
    // On entry the capacity of the buffer (and, on the first read, the limit on raw
    // input unless one was set); on return the bytes written into the buffer.
    std::uint32_t transferCount = 0;
    // Total uncompressed bytes the entry is expected to yield; read on the first read only.
    std::uint32_t expectedSize = 0;
};

struct RawInflateHandle;

int RawInflateOpen(const std::filesystem::path& path, RawInflateHandle** handle);
int RawInflateRead(RawInflateHandle* handle, RawInflateSizes& sizes, void* buffer);
// Releases the inflater, the input buffer and the handle, and closes the file.
void RawInflateClose(RawInflateHandle* handle);

// Sets the limit on raw input bytes before the first read, so that the output can
// be taken in chunks smaller than the compressed data. Without it the first read's
// transfer count is the limit. Returns 0, or 9 when the handle is not ready.
int RawInflateSetInputLimit(RawInflateHandle* handle, std::uint32_t limit);
