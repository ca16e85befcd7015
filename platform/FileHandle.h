#pragma once
// An owned file descriptor, and the whole-buffer reads and writes every caller needs.

#include <cstddef>
#include <cstdint>

namespace platform {

class FileHandle
{
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : m_fd(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    ~FileHandle() { Close(); }

    bool Valid() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    int Release();
    // Returns 0 or the errno of a failed close (which can report a lost write).
    int Close();

private:
    int m_fd = -1;
};

// Reads up to size bytes at offset; returns the count read (short only at the end
// of the file) or -1 with errno set.
std::int64_t ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset);
// Writes all size bytes at the current position; returns 0 or an errno value.
int WriteAll(int fd, const void* data, std::size_t size);
// Writes all size bytes at offset; returns 0 or an errno value.
int WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset);

} // namespace platform
