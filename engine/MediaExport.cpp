#include "engine/MediaExport.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <mutex>
#include <string>

namespace {

std::mutex g_mediaMutex;
std::filesystem::path g_mediaFolder;

constexpr std::array<const char*, 6> kPictureExtensions = {"jpg", "bmp", "png", "gif", "emf", "jpeg"};

bool IsPictureName(const std::string& name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(kPictureExtensions.begin(), kPictureExtensions.end(), extension) != kPictureExtensions.end();
}

} // namespace

void SetMediaFolder(const std::filesystem::path& folder)
{
    std::lock_guard lock(g_mediaMutex);
    g_mediaFolder = folder;
}

std::filesystem::path GetMediaFolder()
{
    std::lock_guard lock(g_mediaMutex);
    return g_mediaFolder;
}

bool CopyMediaFiles(const std::filesystem::path& folder, const std::filesystem::path& mediaFolder)
{
    bool ok = true;
    const int rc = platform::EnumerateFolder(folder, [&](const platform::FolderEntry& entry) {
        const std::filesystem::path path = folder / entry.name;
        if (entry.kind == platform::PathKind::Folder) {
            ok = CopyMediaFiles(path, mediaFolder) && ok;
        } else if (entry.kind == platform::PathKind::File && IsPictureName(entry.name)) {
            ok = platform::CopyFile(path, GetMediaFolder() / entry.name) == 0 && ok;
        }
        return true;
    });
    return rc == 0 && ok;
}
