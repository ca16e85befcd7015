// The package fallback: XML parts, mimetype, placeholders, manifest, in that order.
#include "engine/PackageFallback.h"

#include "engine/ContentTemplate.h"
#include "engine/ManifestWriter.h"
#include "engine/PackageParts.h"
#include "engine/PackageXmlScan.h"
#include "platform/FileHandle.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform::PathKind;

std::vector<std::string_view> Components(std::string_view relative)
{
    std::vector<std::string_view> components;
    for (std::size_t start = 0;;) {
        const std::size_t slash = relative.find('/', start);
        components.push_back(relative.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos)
            return components;
        start = slash + 1;
    }
}

enum class Walk
{
    Look,
    Make,
};

// The folder that holds the last component, reached without following a link;
// nothing when a folder on the way is not a folder (or, when looking, is missing).
std::optional<std::filesystem::path> ParentFolder(const std::filesystem::path& root,
                                                  const std::vector<std::string_view>& components, Walk walk)
{
    std::filesystem::path folder = root;
    for (std::size_t i = 0; i + 1 < components.size(); ++i) {
        folder /= components[i];
        if (walk == Walk::Make) {
            // CreateFolder gives EEXIST only for a folder, never for a file or a link.
            const int rc = platform::CreateFolder(folder);
            if (rc != 0 && rc != EEXIST)
                return std::nullopt;
        } else if (platform::KindOf(folder) != PathKind::Folder) {
            return std::nullopt;
        }
    }
    return folder;
}

// What a relative path is; a link or file where a folder should be makes it Missing.
PathKind KindInTree(const std::filesystem::path& root, std::string_view relative)
{
    const std::vector<std::string_view> components = Components(relative);
    const std::optional<std::filesystem::path> folder = ParentFolder(root, components, Walk::Look);
    return folder ? platform::KindOf(*folder / components.back()) : PathKind::Missing;
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    platform::FileHandle file;
    if (platform::CreateForWrite(path, file) != 0)
        return false;
    if (platform::WriteAll(file.Fd(), bytes.data(), bytes.size()) != 0)
        return false;
    return file.Close() == 0;
}

// The scans of content.xml and styles.xml as they stand after step 1; a part
// that is not there or was removed has none.
struct FinalParts
{
    std::optional<XmlPartScan> content;
    std::optional<XmlPartScan> styles;
};

// Checks one XML part. False when it could not be judged or mended.
bool CheckXmlPart(const std::filesystem::path& workFolder, std::string_view part, FinalParts& final)
{
    if (KindInTree(workFolder, part) != PathKind::File)
        return true;
    const std::filesystem::path path = workFolder / part;
    const bool isContent = part == kContentPath;
    const bool isStyles = part == kStylesPath;
    XmlPartScan scan = ScanXmlPart(path, isContent || isStyles);
    if (scan.verdict == XmlVerdict::Failed)
        return false;
    if (scan.verdict == XmlVerdict::Malformed) {
        if (!isContent)
            return platform::RemoveFile(path) == 0;
        if (!WriteWholeFile(path, ContentTemplate()))
            return false;
        // The template is the final content.xml: its version and references count.
        scan = ScanXmlPart(path, true);
        if (scan.verdict != XmlVerdict::WellFormed)
            return false;
    }
    if (isContent)
        final.content = std::move(scan);
    else if (isStyles)
        final.styles = std::move(scan);
    return true;
}

bool BeginsWithOpenDocumentPrefix(const std::filesystem::path& path)
{
    platform::FileHandle file;
    if (platform::OpenForRead(path, file) != 0)
        return false;
    std::string head(kOpenDocumentPrefix.size(), '\0');
    const std::int64_t count = platform::ReadAt(file.Fd(), head.data(), head.size(), 0);
    return count == static_cast<std::int64_t>(head.size()) && head == kOpenDocumentPrefix;
}

// Another OpenDocument type is kept; a folder or link named mimetype blocks the write.
bool EnsureMimetype(const std::filesystem::path& workFolder)
{
    const std::filesystem::path path = workFolder / kMimetypePath;
    const PathKind kind = platform::KindOf(path);
    if (kind == PathKind::File && BeginsWithOpenDocumentPrefix(path))
        return true;
    if (kind == PathKind::Folder || kind == PathKind::Other)
        return false;
    return WriteWholeFile(path, kPresentationMediaType);
}

// Makes the missing folders of a path and an empty file at its end. Folders made
// stay when the file cannot be made; any failure is silently given up.
void MakePlaceholder(const std::filesystem::path& workFolder, std::string_view relative)
{
    const std::vector<std::string_view> components = Components(relative);
    const std::optional<std::filesystem::path> folder = ParentFolder(workFolder, components, Walk::Make);
    platform::FileHandle file;
    if (folder && platform::CreateForWrite(*folder / components.back(), file) == 0)
        (void)file.Close();
}

void MakePlaceholders(const std::filesystem::path& workFolder, FinalParts& final)
{
    PackageReferences references;
    if (final.content)
        references = std::move(final.content->references);
    if (final.styles) {
        for (const std::string* path : final.styles->references.InOrder())
            (void)references.Add(*path);
    }
    for (const std::string* path : references.InOrder()) {
        const PathKind kind = KindInTree(workFolder, *path);
        if (kind != PathKind::File && kind != PathKind::Folder)
            MakePlaceholder(workFolder, *path);
    }
}

// content.xml's version, else styles.xml's; written only when 1.2 or later.
std::string_view ManifestVersion(const FinalParts& final)
{
    std::string_view version;
    if (final.content && final.content->version)
        version = *final.content->version;
    else if (final.styles && final.styles->version)
        version = *final.styles->version;
    return IsManifestVersion(version) ? version : std::string_view();
}

bool EnsureManifest(const std::filesystem::path& workFolder, std::string_view version)
{
    if (KindInTree(workFolder, kManifestPath) == PathKind::File)
        return true;
    const std::filesystem::path folder = workFolder / kManifestFolder;
    const int rc = platform::CreateFolder(folder);
    if (rc != 0 && rc != EEXIST)
        return false;
    const std::filesystem::path path = workFolder / kManifestPath;
    if (platform::KindOf(path) != PathKind::Missing)
        return false;
    return WriteWholeFile(path, BuildManifest(version, ListManifestFiles(workFolder)));
}

bool RunFallback(const std::filesystem::path& workFolder)
{
    bool done = true;
    FinalParts final;
    for (std::string_view part : kXmlParts) {
        if (!CheckXmlPart(workFolder, part, final))
            done = false;
    }
    if (!EnsureMimetype(workFolder))
        done = false;
    MakePlaceholders(workFolder, final);
    return EnsureManifest(workFolder, ManifestVersion(final)) && done;
}

} // namespace

bool EnsurePackageFiles(const std::filesystem::path& workFolder)
{
    try {
        if (platform::KindOf(workFolder) != PathKind::Folder)
            return false;
        return RunFallback(workFolder);
    } catch (...) {
        return false;
    }
}
