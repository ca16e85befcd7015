#include "engine/EntryExtraction.h"

#include "archive/RawInflate.h"
#include "engine/ContentTemplate.h"
#include "engine/PackageFallback.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cerrno>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;
constexpr std::uint32_t kInflateChunk = 256 * 1024;
// DEFLATE cannot expand data by more than about 1032 to 1; a row that claims
// more cannot inflate and is dropped before anything is written.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr const char* kPartialPrefix = ".deckmend-partial-";

// Copies count bytes of source at offset into target from its current end.
bool CopyRange(int source, std::uint64_t offset, int target, std::uint64_t count)
{
    auto in = static_cast<off_t>(offset);
    while (count > 0) {
        const ssize_t n = ::copy_file_range(source, &in, target, nullptr, count, 0);
        if (n <= 0)
            break;
        count -= static_cast<std::uint64_t>(n);
    }
    if (count == 0)
        return true;
    // The file systems do not copy for us: read and write.
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kCopyChunk]);
    if (!buffer)
        return false;
    while (count > 0) {
        const std::size_t want = count < kCopyChunk ? static_cast<std::size_t>(count) : kCopyChunk;
        const std::int64_t got = platform::ReadAt(source, buffer.get(), want, static_cast<std::uint64_t>(in));
        if (got <= 0 || platform::WriteAll(target, buffer.get(), static_cast<std::size_t>(got)) != 0)
            return false;
        in += static_cast<off_t>(got);
        count -= static_cast<std::uint64_t>(got);
    }
    return true;
}

// An output file that appears under its name only once it is complete.
class PartialOutput
{
public:
    explicit PartialOutput(const std::filesystem::path& outputPath) : m_output(outputPath)
    {
        m_ok = platform::CreateUniqueFile(outputPath.parent_path(), kPartialPrefix, m_partial, m_file) == 0;
    }
    ~PartialOutput()
    {
        if (m_ok && !m_committed) {
            m_file.Close();
            platform::RemoveFile(m_partial);
        }
    }
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;

    bool Ok() const { return m_ok; }
    int Fd() const { return m_file.Fd(); }

    // Closes the file and gives it its name, replacing a file already there.
    bool Commit()
    {
        if (!m_ok || m_file.Close() != 0)
            return false;
        if (platform::KindOf(m_output) == platform::PathKind::Folder ||
            platform::RenameReplacing(m_partial, m_output) != 0)
            return false;
        m_committed = true;
        return true;
    }

private:
    std::filesystem::path m_output;
    std::filesystem::path m_partial;
    platform::FileHandle m_file;
    bool m_ok = false;
    bool m_committed = false;
};

bool CopyStored(int source, const SalvagedEntry& record, const std::filesystem::path& outputPath)
{
    PartialOutput output(outputPath);
    return output.Ok() && CopyRange(source, record.dataOffset, output.Fd(), record.compressedSize) &&
           output.Commit();
}

// Inflates the compressed bytes held by the temporary file into the output, in chunks.
bool InflateInto(const std::filesystem::path& compressed, const SalvagedEntry& record, PartialOutput& output)
{
    RawInflateHandle* handle = nullptr;
    if (RawInflateOpen(compressed, &handle) != RawInflateOk)
        return false;
    std::unique_ptr<RawInflateHandle, void (*)(RawInflateHandle*)> guard(handle, RawInflateClose);
    RawInflateSetInputLimit(handle, record.compressedSize);
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kInflateChunk]);
    if (!buffer)
        return false;
    std::uint32_t remaining = record.uncompressedSize;
    RawInflateSizes sizes;
    sizes.expectedSize = record.uncompressedSize;
    for (;;) {
        sizes.transferCount = remaining < kInflateChunk ? remaining : kInflateChunk;
        const int rc = RawInflateRead(handle, sizes, buffer.get());
        if (rc != RawInflateOk && (rc != RawInflateMoreOutput || sizes.transferCount == 0))
            return false;
        if (platform::WriteAll(output.Fd(), buffer.get(), sizes.transferCount) != 0)
            return false;
        remaining -= sizes.transferCount;
        if (rc == RawInflateOk)
            return remaining == 0;
    }
}

bool Decompress(int source, const SalvagedEntry& record, const std::filesystem::path& outputPath)
{
    if (record.uncompressedSize > kMaxInflateRatio * record.compressedSize)
        return false;
    std::filesystem::path temporary;
    platform::FileHandle temp;
    if (platform::CreateOpcTempFile(temporary, temp) != 0)
        return false;
    bool written = false;
    const bool copied = CopyRange(source, record.dataOffset, temp.Fd(), record.compressedSize);
    if (temp.Close() == 0 && copied) {
        PartialOutput output(outputPath);
        written = output.Ok() && InflateInto(temporary, record, output) && output.Commit();
    }
    platform::RemoveFile(temporary);
    return written;
}

// ExtractEntry's work; true when the output file was written.
bool ExtractOne(std::u16string_view sourcePath, const std::filesystem::path& outputPath, const SalvagedEntry& record)
{
    if (record.compressedSize == 0 && record.uncompressedSize == 0)
        return false;
    platform::FileHandle source;
    std::uint64_t length = 0;
    if (platform::OpenExclusiveForRead(platform::ToPath(sourcePath), source) != 0 ||
        platform::FileLength(source.Fd(), length) != 0)
        return false;
    // Data that runs past the end of the file cannot be recovered whole.
    if (record.dataOffset > length || length - record.dataOffset < record.compressedSize)
        return false;
    if (record.compressedSize != 0 && record.compressedSize == record.uncompressedSize)
        return CopyStored(source.Fd(), record, outputPath);
    return Decompress(source.Fd(), record, outputPath);
}

// Whether content.xml is the salvaged one rather than the built-in template.
bool ContentIsSalvaged(const std::filesystem::path& workFolder)
{
    platform::FileHandle file;
    std::uint64_t length = 0;
    if (platform::OpenForRead(workFolder / "content.xml", file) != 0 || platform::FileLength(file.Fd(), length) != 0)
        return false;
    const std::string_view content = ContentTemplate();
    if (length != content.size())
        return true;
    std::string bytes(content.size(), '\0');
    return platform::ReadAt(file.Fd(), bytes.data(), bytes.size(), 0) != static_cast<std::int64_t>(bytes.size()) ||
           bytes != content;
}

bool IsDroppedComponent(std::u16string_view c)
{
    return c.empty() || c == u"." || c == u"..";
}

} // namespace

std::optional<std::filesystem::path> PrepareEntryPath(IJobUi& view, const std::filesystem::path& workFolder,
                                                      std::u16string_view entryName)
{
    std::u16string name;
    for (const char16_t c : entryName) {
        if (c != u':')
            name += c;
    }
    std::vector<std::u16string_view> components;
    std::size_t start = 0;
    for (;;) {
        const std::size_t cut = name.find_first_of(u"\\/", start);
        components.push_back(std::u16string_view(name).substr(start, cut == std::u16string::npos ? cut : cut - start));
        if (cut == std::u16string::npos)
            break;
        start = cut + 1;
    }
    std::filesystem::path path = workFolder;
    for (std::size_t i = 0; i + 1 < components.size(); ++i) {
        if (IsDroppedComponent(components[i]))
            continue;
        path /= platform::ToPath(components[i]);
        const int rc = platform::CreateFolder(path);
        if (rc != 0 && rc != EEXIST)
            view.Message(platform::FromUtf8(platform::ErrorText(rc)), kStyleInfoOk);
    }
    if (IsDroppedComponent(components.back()))
        return std::nullopt;
    return path / platform::ToPath(components.back());
}

void ExtractEntry(const std::filesystem::path&, std::u16string_view sourcePath,
                  const std::filesystem::path& outputPath, const SalvagedEntry& record)
{
    ExtractOne(sourcePath, outputPath, record);
}

bool EnsureContentXml(const std::filesystem::path& workFolder)
{
    const std::string_view content = ContentTemplate();
    if (content.size() != kContentTemplateSize)
        return false;
    const std::filesystem::path path = workFolder / "content.xml";
    switch (platform::KindOf(path)) {
    case platform::PathKind::File: {
        platform::FileHandle existing;
        std::uint64_t length = 0;
        if (platform::OpenForRead(path, existing) == 0 && platform::FileLength(existing.Fd(), length) == 0) {
            if (length >= kContentTemplateSize)
                return true;
        } else {
            platform::RemoveFile(path);
        }
        break;
    }
    case platform::PathKind::Other:
        platform::RemoveFile(path); // never write through a link
        break;
    case platform::PathKind::Folder:
    case platform::PathKind::Missing:
        break;
    }
    platform::FileHandle file;
    if (platform::CreateForWrite(path, file) != 0)
        return false;
    return platform::WriteAll(file.Fd(), content.data(), content.size()) == 0 && file.Close() == 0;
}

void ExtractEntries(IJobUi& view, const std::filesystem::path& workFolder, std::u16string_view sourcePath)
{
    const std::size_t n = view.EntryCount();
    view.RestartEstimate(ProgressBar::File);
    view.SetProgressRange(ProgressBar::File, 0, static_cast<int>(n));
    view.SetProgressPos(ProgressBar::File, 0);
    ExtractionReport report;
    report.entriesFound = n;
    for (std::size_t i = 0; i < n; ++i) {
        const SalvagedEntry record = view.EntryRecord(i);
        const std::u16string name = view.EntryName(i);
        if (const auto outputPath = PrepareEntryPath(view, workFolder, name)) {
            if (ExtractOne(sourcePath, *outputPath, record))
                ++report.entriesExtracted;
        }
        view.SetProgressPos(ProgressBar::File, static_cast<int>(i));
    }
    EnsureContentXml(workFolder);
    EnsurePackageFiles(workFolder);
    view.SetProgressPos(ProgressBar::File, static_cast<int>(n));
    report.contentXmlSalvaged = ContentIsSalvaged(workFolder);
    view.ReportExtraction(report);
}
