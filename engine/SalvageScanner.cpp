#include "engine/SalvageScanner.h"

#include "engine/JobLog.h"
#include "engine/ScanReader.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cstring>
#include <memory>

namespace {

// Local file header, after its four-byte signature.
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kLocalHeaderSize = 30; // signature included
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::size_t kDescriptorValuesSize = 12; // CRC-32, compressed size, uncompressed size

constexpr ScanReader::Signature kLocalHeader{0x03, 0x04};
constexpr ScanReader::Signature kDataDescriptor{0x07, 0x08};

// The look-ahead and the main scan both resume three bytes before the position
// they reached, so that every offset is tested in turn.
constexpr std::uint64_t kResumeBack = 3;

std::uint16_t U16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const unsigned char* p)
{
    return U16(p) | (static_cast<std::uint32_t>(U16(p + 2)) << 16);
}

struct LocalHeader
{
    std::uint16_t method;
    std::uint16_t dosTime;
    std::uint16_t dosDate;
    std::uint32_t compressedSize;
    std::uint32_t uncompressedSize;
    std::uint16_t nameLength;
    std::uint16_t extraLength;
};

LocalHeader ReadFixedFields(const unsigned char* p)
{
    // p points at the signature; version needed (4), flags (6), CRC-32 (14) are not kept.
    return LocalHeader{U16(p + 8), U16(p + 10), U16(p + 12), U32(p + 18), U32(p + 22), U16(p + 26), U16(p + 28)};
}

// The entry name: the record's name field ends at a NUL byte; each byte becomes
// the code unit of the same value and "/" becomes "\".
std::u16string WidenName(const unsigned char* bytes, std::size_t length)
{
    const void* nul = std::memchr(bytes, '\0', length);
    if (nul != nullptr)
        length = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - bytes);
    std::u16string name = platform::WidenLatin1(std::string_view(reinterpret_cast<const char*>(bytes), length));
    for (char16_t& c : name) {
        if (c == u'/')
            c = u'\\';
    }
    return name;
}

class Scanner
{
public:
    Scanner(IJobUi& view, const JobThreadParams& params, ScanReader& reader)
        : m_view(view), m_params(params), m_reader(reader)
    {
    }

    void Run()
    {
        std::uint64_t next = 0;
        for (;;) {
            bool stopped = false;
            const auto found = m_reader.FindSignature(next, kLocalHeader, std::nullopt, KeepGoing(), stopped);
            if (!found || !JobRunning(m_params))
                return;
            std::uint64_t resume = 0;
            if (!HandleLocalHeader(found->offset, resume) || resume >= m_reader.Length())
                return;
            next = resume - kResumeBack;
        }
    }

private:
    std::function<bool()> KeepGoing() const
    {
        return [this] { return JobRunning(m_params); };
    }

    // Records the header at offset; false when the header or its name is cut off
    // by the end of the file. resume is the position its data was skipped to.
    bool HandleLocalHeader(std::uint64_t offset, std::uint64_t& resume)
    {
        const unsigned char* fixed = m_reader.Range(offset, kLocalHeaderSize);
        if (fixed == nullptr)
            return false;
        LocalHeader header = ReadFixedFields(fixed);
        const std::uint64_t nameOffset = offset + kLocalHeaderSize;
        const unsigned char* nameBytes = m_reader.Range(nameOffset, header.nameLength);
        if (nameBytes == nullptr)
            return false;
        std::u16string name = WidenName(nameBytes, header.nameLength);
        const std::uint64_t afterName = nameOffset + header.nameLength;

        if (header.compressedSize == 0 && header.uncompressedSize == 0 && header.method == kMethodDeflated)
            LookAheadForDescriptor(afterName, header);

        const std::uint64_t dataOffset = afterName + header.extraLength;
        if ((header.compressedSize != 0 || header.uncompressedSize != 0) && !name.empty()) {
            auto record = std::make_unique<SalvagedEntry>();
            record->timeText = FormatEntryTime(header.dosDate, header.dosTime);
            record->compressedSize = header.compressedSize;
            record->uncompressedSize = header.uncompressedSize;
            record->name = name;
            record->dataOffset = dataOffset;
            m_view.AppendEntry(std::move(name), std::move(record));
        }
        resume = dataOffset + header.compressedSize;
        return true;
    }

    // A deflated entry written with a data descriptor has zero sizes in its header;
    // the sizes follow its data in a signed descriptor, unless the next local
    // header comes first.
    void LookAheadForDescriptor(std::uint64_t afterName, LocalHeader& header)
    {
        bool stopped = false;
        const auto found =
            m_reader.FindSignature(afterName - kResumeBack, kLocalHeader, kDataDescriptor, KeepGoing(), stopped);
        if (!found || !found->alternate)
            return;
        const unsigned char* values = m_reader.Range(found->offset + kSignatureSize, kDescriptorValuesSize);
        if (values == nullptr)
            return;
        header.compressedSize = U32(values + 4);
        header.uncompressedSize = U32(values + 8);
    }

    IJobUi& m_view;
    const JobThreadParams& m_params;
    ScanReader& m_reader;
};

} // namespace

bool ScanForEntries(IJobUi& view, std::u16string_view filePath, const JobThreadParams& params)
{
    platform::FileHandle file;
    if (const int error = platform::OpenExclusiveForRead(platform::ToPath(filePath), file)) {
        view.Message(platform::FromUtf8(platform::ErrorText(error)), kStyleInfoOk);
        return false;
    }
    AppendFileLine(view, filePath, joblog::kFileIsOpen, kLogBlack);

    std::uint64_t length = 0;
    platform::FileLength(file.Fd(), length);
    ScanReader reader(file.Fd(), length);
    Scanner(view, params, reader).Run();

    AppendFileLine(view, filePath, joblog::kFileIsExtracted, kLogBlack);
    file.Close();
    AppendFileLine(view, filePath, joblog::kFileIsClosed, kLogBlack);
    return true;
}
