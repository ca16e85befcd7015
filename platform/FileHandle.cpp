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

int WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset)
{
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace platform
