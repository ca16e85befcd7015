#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;

int OpenRegular(const Path& path, int flags, FileHandle& out)
{
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is
    // cleared again once the file is known to be regular.
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    FileHandle handle(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        return errno;
    out = std::move(handle);
    return 0;
}

} // namespace

std::string ErrorText(int error)
{
    return std::strerror(error);
}

int OpenExclusiveForRead(const Path& path, FileHandle& out)
{
    FileHandle handle;
    if (const int rc = OpenRegular(path, O_RDONLY, handle))
        return rc;
    if (::flock(handle.Fd(), LOCK_EX | LOCK_NB) != 0)
        return errno;
    out = std::move(handle);
    return 0;
}

int OpenForRead(const Path& path, FileHandle& out)
{
    return OpenRegular(path, O_RDONLY, out);
}

int CreateForWrite(const Path& path, FileHandle& out)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    out = FileHandle(fd);
    return 0;
}

int CreateNewFile(const Path& path, FileHandle& out)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    out = FileHandle(fd);
    return 0;
}

int CreateUniqueFile(const Path& folder, const std::string& prefix, Path& created, FileHandle& out)
{
    std::string pattern = (folder / (prefix + "XXXXXX")).native();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    created = Path(buffer.data());
    out = FileHandle(fd);
    return 0;
}

int FileLength(int fd, std::uint64_t& length)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    length = static_cast<std::uint64_t>(st.st_size);
    return 0;
}

PathKind KindOf(const Path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return PathKind::Missing;
    if (S_ISREG(st.st_mode))
        return PathKind::File;
    if (S_ISDIR(st.st_mode))
        return PathKind::Folder;
    return PathKind::Other;
}

int CreateFolder(const Path& path)
{
    if (::mkdir(path.c_str(), 0755) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST && KindOf(path) != PathKind::Folder)
        return ENOTDIR;
    return error;
}

int RemoveFolder(const Path& path)
{
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

int RemoveFile(const Path& path)
{
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int RenameReplacing(const Path& from, const Path& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int SyncToDisk(const Path& path)
{
    FileHandle file;
    if (const int rc = OpenForRead(path, file))
        return rc;
    return ::fdatasync(file.Fd()) == 0 ? 0 : errno;
}

int EnumerateFolder(const Path& folder, const std::function<bool(const FolderEntry&)>& visit)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int result = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            result = errno;
            break;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        PathKind kind = PathKind::Other;
        struct stat st {};
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISREG(st.st_mode))
                kind = PathKind::File;
            else if (S_ISDIR(st.st_mode))
                kind = PathKind::Folder;
        }
        if (!visit(FolderEntry{name, kind}))
            break;
    }
    ::closedir(dir);
    return result;
}

int CopyFile(const Path& from, const Path& to)
{
    FileHandle source;
    if (const int rc = OpenForRead(from, source))
        return rc == EINVAL ? ELOOP : rc;
    if (KindOf(to) == PathKind::Other || KindOf(to) == PathKind::Folder)
        return KindOf(to) == PathKind::Folder ? EISDIR : ELOOP;
    FileHandle target;
    if (const int rc = CreateForWrite(to, target))
        return rc;
    std::uint64_t length = 0;
    if (const int rc = FileLength(source.Fd(), length))
        return rc;
    // The kernel copies within the page cache; fall back to read and write where
    // the file systems do not support that.
    std::uint64_t copied = 0;
    while (copied < length) {
        const ssize_t n = ::copy_file_range(source.Fd(), nullptr, target.Fd(), nullptr, length - copied, 0);
        if (n <= 0)
            break;
        copied += static_cast<std::uint64_t>(n);
    }
    if (copied < length) {
        std::vector<unsigned char> buffer(kCopyChunk);
        for (;;) {
            const std::int64_t n = ReadAt(source.Fd(), buffer.data(), buffer.size(), copied);
            if (n < 0)
                return errno;
            if (n == 0)
                break;
            if (const int rc = WriteAllAt(target.Fd(), buffer.data(), static_cast<std::size_t>(n), copied))
                return rc;
            copied += static_cast<std::uint64_t>(n);
        }
    }
    return target.Close();
}

int PrivateTempFolder(Path& out)
{
    const char* base = std::getenv("TMPDIR");
    Path folder = (base != nullptr && *base != '\0') ? Path(base) : Path("/tmp");
    folder /= "tavrel-deckmend-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return errno;
    if (S_ISLNK(st.st_mode))
        return ELOOP;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (st.st_uid != ::getuid())
        return EPERM;
    if ((st.st_mode & 0077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return errno;
    out = folder;
    return 0;
}

int CreateOpcTempFile(Path& created, FileHandle& out)
{
    Path folder;
    if (const int rc = PrivateTempFolder(folder))
        return rc;
    return CreateUniqueFile(folder, "OPC", created, out);
}

} // namespace platform
