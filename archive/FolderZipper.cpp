// Folder packer: a depth-first walk of a work folder into one container.

#include "archive/FolderZipper.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

// The top folder as the walk forms paths below it: without trailing separators,
// so the root length is exactly what precedes the separator of every file's path.
std::filesystem::path WithoutTrailingSeparator(const std::filesystem::path& folder)
{
    std::string text = folder.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

bool CFolderZipper::ZipFolder(const std::filesystem::path& topFolder, const std::filesystem::path& containerPath)
{
    const std::filesystem::path top = WithoutTrailingSeparator(topFolder);
    ZipWriterHandle writer = ZipWriterCreate(containerPath, m_writerOptions);
    if (!writer)
        return false;
    m_rootLength = platform::FromPath(top).size();
    const bool added = AddFolderTree(top, writer.get());
    const bool closed = ZipWriterClose(writer.get()) == ZipWriterOk;
    return added && closed;
}

bool CFolderZipper::AddFolderTree(const std::filesystem::path& folder, ZipWriter* writer)
{
    std::vector<ZipWriterSource> files;
    const bool listed = CollectFolderTree(folder, files);
    const std::vector<ZipWriterResult> results = ZipWriterAddFiles(writer, files);
    const bool added = results.size() == files.size() &&
                       std::all_of(results.begin(), results.end(), [](ZipWriterResult r) { return r == ZipWriterOk; });
    return listed && added;
}

// Lists the files in the order they are added: a subfolder's files come before
// the names that follow it in its parent.
bool CFolderZipper::CollectFolderTree(const std::filesystem::path& folder, std::vector<ZipWriterSource>& files) const
{
    bool complete = true;
    const int rc = platform::EnumerateFolder(folder, [&](const platform::FolderEntry& entry) {
        const std::filesystem::path path = folder / entry.name;
        if (entry.kind == platform::PathKind::Folder) {
            complete = CollectFolderTree(path, files) && complete;
        } else if (entry.kind == platform::PathKind::File) {
            std::u16string name = platform::FromPath(path);
            name.erase(0, std::min(name.size(), m_rootLength + 1));
            std::replace(name.begin(), name.end(), u'/', u'\\');
            files.push_back({std::move(name), path});
        }
        return true;
    });
    return rc == 0 && complete;
}
