#pragma once
// Folder packer: turns a folder tree into one new ZIP container, one entry per file,
// named by its path below the top folder.

#include "archive/ZipWriter.h"

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

class CFolderZipper
{
public:
    // The options go to every container this packer writes.
    explicit CFolderZipper(ZipWriterOptions writerOptions = {}) : m_writerOptions(std::move(writerOptions)) {}

    // Writes a new container at containerPath from every file below topFolder.
    // True only when the container was written completely: created, every file of
    // the tree added and the container closed without error. Symbolic links and
    // other non-regular files in the tree are skipped, never followed.
    [[nodiscard]] bool ZipFolder(const std::filesystem::path& topFolder, const std::filesystem::path& containerPath);

    // Adds every file of folder and of its subfolders, depth first in the file
    // system's order, each under its path below the top folder of the current
    // ZipFolder call with "\" between folder names. False when a folder could not
    // be read or a file could not be added.
    [[nodiscard]] bool AddFolderTree(const std::filesystem::path& folder, ZipWriter* writer);

private:
    bool CollectFolderTree(const std::filesystem::path& folder, std::vector<ZipWriterSource>& files) const;

    ZipWriterOptions m_writerOptions;
    // UTF-16 characters of the top folder path: cut from every file's path to form its name.
    std::size_t m_rootLength = 0;
};
