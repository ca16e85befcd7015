#include "platform/ExclusiveWrite.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int CreateExclusiveForWrite(const std::filesystem::path& path, FileHandle& out)
{
    // O_NONBLOCK keeps a FIFO of that name from blocking the open; the file is
    // emptied only once it is known to be ours alone.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return errno;
    FileHandle handle(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno;
    if (::ftruncate(fd, 0) != 0)
        return errno;
    if (::fcntl(fd, F_SETFL, 0) != 0)
        return errno;
    out = std::move(handle);
    return 0;
}

} // namespace platform
