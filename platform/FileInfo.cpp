#include "platform/FileInfo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

int ReadFileInfo(int fd, FileInfo& info)
{
    struct statx st {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return errno;
    info.size = st.stx_size;
    info.mode = st.stx_mode;
    info.lastWrite = st.stx_mtime.tv_sec;
    info.lastAccess = st.stx_atime.tv_sec;
    info.creation = (st.stx_mask & STATX_BTIME) != 0 ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec;
    return 0;
}

} // namespace platform
