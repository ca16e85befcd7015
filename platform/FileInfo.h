#pragma once
// What the ZIP writer reads about a source before its data: size, permission bits
// and the three file times, taken from one statx call on the open file.

#include <cstdint>

namespace platform {

struct FileInfo
{
    std::uint64_t size = 0;
    std::uint32_t mode = 0; // st_mode: type and permission bits
    // Seconds since 1970-01-01 00:00 UTC; negative before 1970.
    std::int64_t lastWrite = 0;
    std::int64_t lastAccess = 0;
    // The birth time where the file system keeps one, else the last-write time.
    std::int64_t creation = 0;
};

// Fills info for an open file; returns 0 or an errno value (info is then untouched).
int ReadFileInfo(int fd, FileInfo& info);

} // namespace platform
