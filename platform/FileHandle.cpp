#include "platform/FileHandle.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.Release();
    }
    return *this;
}

int FileHandle::Release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int FileHandle::Close()
{
    if (m_fd < 0)
        return 0;
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 ? 0 : errno;
}

std::int64_t ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset)
{
    auto* p = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, p + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

namespace {

// Writes all size bytes through write(p, n, done), which returns what write(2) does.
template <typename Write>
int WriteLoop(const void* data, std::size_t size, Write write)
{
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(p + done, size - done, done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

int WriteAll(int fd, const void* data, std::size_t size)
{
    return WriteLoop(data, size, [fd](const unsigned char* p, std::size_t n, std::size_t) { return ::write(fd, p, n); });
}

int WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset)
{
    return WriteLoop(data, size, [fd, offset](const unsigned char* p, std::size_t n, std::size_t done) {
        return ::pwrite(fd, p, n, static_cast<off_t>(offset + done));
    });
}

} // namespace platform
