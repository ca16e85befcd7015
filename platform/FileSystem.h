#pragma once
// The file-system services the engine and the archive code rely on. Every call
// returns 0 or an errno value; none of them follows or creates a symbolic link
// in the last component of a path it is given.

#include "platform/FileHandle.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace platform {

using Path = std::filesystem::path;

// The system's text for an errno value.
std::string ErrorText(int error);

// Opens an existing regular file for reading and takes a non-blocking exclusive
// lock on it, so a file another program holds locked fails (EWOULDBLOCK).
int OpenExclusiveForRead(const Path& path, FileHandle& out);
// Opens an existing regular file for reading, shared.
int OpenForRead(const Path& path, FileHandle& out);
// Creates or truncates a regular file for writing (mode 0644 before umask).
int CreateForWrite(const Path& path, FileHandle& out);
// Creates a new file that must not exist yet (mode 0666 before umask).
int CreateNewFile(const Path& path, FileHandle& out);
// Creates a new file with a unique name "<prefix>XXXXXX" in folder, for writing.
int CreateUniqueFile(const Path& folder, const std::string& prefix, Path& created, FileHandle& out);

// Length of an open file.
int FileLength(int fd, std::uint64_t& length);

// What a path is, without following a link there.
enum class PathKind { Missing, File, Folder, Other };
PathKind KindOf(const Path& path);

// Creates one folder (mode 0700 inside the private area, 0755 elsewhere is the
// caller's umask's business). An existing folder gives EEXIST; an existing file
// or link of that name gives ENOTDIR.
int CreateFolder(const Path& path);
int RemoveFolder(const Path& path);
int RemoveFile(const Path& path);
int RenameReplacing(const Path& from, const Path& to);
// Waits until the file's data is on the disk, so that a rename over an older file
// never leaves an empty file after a crash.
int SyncToDisk(const Path& path);

// One name of a folder, in the file system's own order; "." and ".." are never given.
struct FolderEntry
{
    std::string name;
    PathKind kind;
};
// Calls visit for every name of the folder. Stops early when visit returns false.
int EnumerateFolder(const Path& folder, const std::function<bool(const FolderEntry&)>& visit);

// Copies a regular file, replacing a file at the destination. A link at either
// end is refused (ELOOP).
int CopyFile(const Path& from, const Path& to);

// The private per-user temporary folder: $TMPDIR (default /tmp) plus
// "/tavrel-deckmend-<uid>", created with mode 0700 and refused when it is a
// link, not a folder, or owned by someone else.
int PrivateTempFolder(Path& out);
// A new empty temporary file named "OPC…" in the private temporary folder.
int CreateOpcTempFile(Path& created, FileHandle& out);

} // namespace platform
