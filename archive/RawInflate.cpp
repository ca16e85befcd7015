#include "archive/RawInflate.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr std::uint32_t kHandleMagic = 0x52494E46; // "RINF"
constexpr std::size_t kInputBufferSize = 16384;
constexpr int kRawWindowBits = -15;

enum class EntryState
{
    Closed,
    Ready,
    Reading,
};

} // namespace

struct RawInflateHandle
{
    std::uint32_t magic = kHandleMagic;
    platform::FileHandle file;
    std::uint64_t basePosition = 0;
    int lastResult = RawInflateOk;
    EntryState state = EntryState::Ready;
    std::unique_ptr<unsigned char[]> input;
    std::size_t inputAvailable = 0;
    const unsigned char* inputNext = nullptr;
    std::unique_ptr<z_stream> inflater;
    std::optional<std::uint32_t> presetInputLimit;
    std::uint32_t remainingInputLimit = 0;
    std::uint32_t remainingOutput = 0;
    std::uint64_t filePosition = 0;
};

namespace {

bool Valid(const RawInflateHandle* handle)
{
    return handle != nullptr && handle->magic == kHandleMagic;
}

void ReleaseEntry(RawInflateHandle& h)
{
    if (h.inflater) {
        inflateEnd(h.inflater.get());
        h.inflater.reset();
    }
    h.input.reset();
    h.inputAvailable = 0;
    h.inputNext = nullptr;
    h.state = EntryState::Closed;
}

int StartEntry(RawInflateHandle& h, const RawInflateSizes& sizes)
{
    h.input.reset(new (std::nothrow) unsigned char[kInputBufferSize]);
    auto stream = std::unique_ptr<z_stream>(new (std::nothrow) z_stream{});
    if (!h.input || !stream || inflateInit2(stream.get(), kRawWindowBits) != Z_OK) {
        ReleaseEntry(h);
        return RawInflateNoMemory;
    }
    h.inflater = std::move(stream);
    h.remainingInputLimit = h.presetInputLimit.value_or(sizes.transferCount);
    h.remainingOutput = sizes.expectedSize;
    h.filePosition = h.basePosition;
    h.state = EntryState::Reading;
    return RawInflateOk;
}

// Refills the input buffer from the file; false when the read fails or yields nothing.
bool RefillInput(RawInflateHandle& h)
{
    const std::size_t want = std::min<std::size_t>(kInputBufferSize, h.remainingInputLimit);
    const std::int64_t got = platform::ReadAt(h.file.Fd(), h.input.get(), want, h.filePosition);
    if (got <= 0)
        return false;
    h.filePosition += static_cast<std::uint64_t>(got);
    h.inputAvailable = static_cast<std::size_t>(got);
    h.inputNext = h.input.get();
    h.remainingInputLimit -= static_cast<std::uint32_t>(got);
    return true;
}

// Runs the decompressor until the window is full, the expected output is all
// there or the stream ends; returns the bytes produced, 0 after an error.
std::uint32_t Decompress(RawInflateHandle& h, unsigned char* window, std::uint32_t room)
{
    z_stream& zs = *h.inflater;
    std::uint32_t produced = 0;
    for (;;) {
        if (h.inputAvailable == 0 && h.remainingInputLimit != 0 && !RefillInput(h)) {
            h.lastResult = RawInflateReadFailed;
            return 0;
        }
        zs.next_in = const_cast<Bytef*>(h.inputNext);
        zs.avail_in = static_cast<uInt>(h.inputAvailable);
        zs.next_out = window + produced;
        zs.avail_out = room - produced;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const std::uint32_t step = (room - produced) - zs.avail_out;
        h.inputNext = zs.next_in;
        h.inputAvailable = zs.avail_in;
        if (rc != Z_OK && rc != Z_STREAM_END) {
            h.lastResult = RawInflateCorrupt;
            return 0;
        }
        h.remainingOutput -= step;
        produced += step;
        if (rc == Z_STREAM_END || h.remainingOutput == 0 || produced == room)
            return produced;
    }
}

} // namespace

int RawInflateOpen(const std::filesystem::path& path, RawInflateHandle** handle)
{
    if (handle == nullptr)
        return RawInflateBadHandle;
    *handle = nullptr;
    auto h = std::unique_ptr<RawInflateHandle>(new (std::nothrow) RawInflateHandle);
    if (!h)
        return RawInflateNoMemory;
    if (platform::OpenForRead(path, h->file) != 0)
        return RawInflateOpenFailed;
    const off_t position = ::lseek(h->file.Fd(), 0, SEEK_CUR);
    if (position < 0)
        return RawInflatePositionFailed;
    h->basePosition = static_cast<std::uint64_t>(position);
    *handle = h.release();
    return RawInflateOk;
}

int RawInflateSetInputLimit(RawInflateHandle* handle, std::uint32_t limit)
{
    if (!Valid(handle) || handle->state != EntryState::Ready)
        return RawInflateBadHandle;
    handle->presetInputLimit = limit;
    return RawInflateOk;
}

int RawInflateRead(RawInflateHandle* handle, RawInflateSizes& sizes, void* buffer)
{
    if (!Valid(handle) || handle->state == EntryState::Closed)
        return RawInflateBadHandle;
    RawInflateHandle& h = *handle;
    h.lastResult = RawInflateOk;
    if (h.state == EntryState::Ready) {
        if (const int rc = StartEntry(h, sizes)) {
            h.lastResult = rc;
            sizes.transferCount = 0;
            return rc;
        }
    }
    const std::uint32_t room = std::min(sizes.transferCount, h.remainingOutput);
    std::uint32_t produced = 0;
    if (room != 0 && buffer != nullptr)
        produced = Decompress(h, static_cast<unsigned char*>(buffer), room);
    sizes.transferCount = produced;
    if (h.lastResult == RawInflateOk && h.remainingOutput != 0)
        return RawInflateMoreOutput;
    const int result = h.lastResult;
    ReleaseEntry(h);
    return result;
}

void RawInflateClose(RawInflateHandle* handle)
{
    if (!Valid(handle))
        return;
    ReleaseEntry(*handle);
    handle->magic = 0;
    delete handle;
}
