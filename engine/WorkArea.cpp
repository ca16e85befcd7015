#include "engine/WorkArea.h"

#include "engine/JobUi.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <mutex>

namespace {

std::mutex g_rootMutex;
std::filesystem::path g_chosenRoot;

constexpr const char* kWorkRootName = "ImpTmp";

} // namespace

std::filesystem::path GetWorkRoot()
{
    {
        std::lock_guard lock(g_rootMutex);
        if (!g_chosenRoot.empty())
            return g_chosenRoot;
    }
    platform::Path temp;
    if (platform::PrivateTempFolder(temp) != 0)
        return {};
    return temp / kWorkRootName;
}

void SetWorkRoot(const std::filesystem::path& root)
{
    std::lock_guard lock(g_rootMutex);
    g_chosenRoot = root;
}

std::u16string FileNameOf(std::u16string_view listedPath)
{
    const auto cut = listedPath.find_last_of(u"/\\");
    return std::u16string(cut == std::u16string_view::npos ? listedPath : listedPath.substr(cut + 1));
}

std::filesystem::path WorkFolderOf(const std::filesystem::path& root, std::u16string_view listedPath, int row)
{
    std::u16string name = FileNameOf(listedPath);
    for (const char c : std::to_string(row))
        name += static_cast<char16_t>(c);
    return root / platform::ToPath(name);
}

void DeleteFolderTree(const std::filesystem::path& folder)
{
    platform::EnumerateFolder(folder, [&folder](const platform::FolderEntry& entry) {
        const std::filesystem::path path = folder / entry.name;
        if (entry.kind == platform::PathKind::Folder) {
            DeleteFolderTree(path);
            platform::RemoveFolder(path);
        } else {
            platform::RemoveFile(path);
        }
        return true;
    });
}

void ClearWorkArea(IJobUi& view)
{
    view.SetPreviewState(kPreviewBlank);
    const std::filesystem::path root = GetWorkRoot();
    if (root.empty() || platform::KindOf(root) != platform::PathKind::Folder)
        return;
    DeleteFolderTree(root);
    platform::RemoveFolder(root);
}
