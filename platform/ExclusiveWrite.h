#pragma once
// Creating an output file that nobody else may use while it is written.

#include "platform/FileHandle.h"

#include <filesystem>

namespace platform {

// Creates a regular file for writing, or empties an existing one, holding a
// non-blocking exclusive lock on it. A file another program holds locked is left
// as it was (EWOULDBLOCK); a link, a folder or any other non-regular file there is
// refused (ELOOP, EISDIR, EINVAL). Returns 0 or an errno value.
int CreateExclusiveForWrite(const std::filesystem::path& path, FileHandle& out);

} // namespace platform
