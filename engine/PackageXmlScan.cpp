// One expat pass over an XML part of a package.
#include "engine/PackageXmlScan.h"

#include "engine/PackageParts.h"
#include "platform/FileHandle.h"
#include "platform/FileSystem.h"

#include <expat.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr int kChunkSize = 64 * 1024;
// A container holds at most 65535 entries, so more placeholders could never be
// saved; the byte budget keeps a hostile part from filling memory with names.
constexpr std::size_t kMaxReferences = 65535;
constexpr std::size_t kMaxReferenceBytes = 16 * 1024 * 1024;

struct ParserDeleter
{
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};
using ParserPtr = std::unique_ptr<XML_ParserStruct, ParserDeleter>;

struct ScanState
{
    XML_Parser parser = nullptr;
    bool wantReferences = false;
    bool seenRoot = false;
    bool outOfMemory = false;
    XmlPartScan* result = nullptr;
};

const char* FindAttribute(const XML_Char** attributes, const char* name)
{
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
        if (std::strcmp(a[0], name) == 0)
            return a[1];
    }
    return nullptr;
}

// Embedded objects are folders; an empty file in their place makes the package unreadable.
bool IsEmbeddedObject(const XML_Char* element)
{
    return std::strcmp(element, "draw:object") == 0 || std::strcmp(element, "draw:object-ole") == 0;
}

void XMLCALL OnStartElement(void* data, const XML_Char* element, const XML_Char** attributes)
{
    ScanState& state = *static_cast<ScanState*>(data);
    // Nothing may unwind through expat.
    try {
        if (!state.seenRoot) {
            state.seenRoot = true;
            if (const char* version = FindAttribute(attributes, "office:version"))
                state.result->version = version;
            if (!state.wantReferences) {
                XML_SetStartElementHandler(state.parser, nullptr);
                return;
            }
        }
        if (IsEmbeddedObject(element))
            return;
        if (const char* href = FindAttribute(attributes, "xlink:href")) {
            if (std::optional<std::string> path = PackagePathOfReference(href))
                (void)state.result->references.Add(*path);
        }
    } catch (...) {
        state.outOfMemory = true;
        XML_StopParser(state.parser, XML_FALSE);
    }
}

bool IsOwnPart(std::string_view path)
{
    if (path == kMimetypePath || path.starts_with(std::string(kManifestFolder) + "/"))
        return true;
    for (std::string_view part : kXmlParts) {
        if (path == part)
            return true;
    }
    return false;
}

// Feeds the whole file to the parser, one chunk at a time, straight into expat's buffer.
XmlVerdict ParseFile(XML_Parser parser, int fd, const ScanState& state)
{
    std::uint64_t offset = 0;
    for (;;) {
        void* buffer = XML_GetBuffer(parser, kChunkSize);
        if (buffer == nullptr)
            return XmlVerdict::Failed;
        const std::int64_t count = platform::ReadAt(fd, buffer, kChunkSize, offset);
        if (count < 0)
            return XmlVerdict::Malformed;
        const bool isFinal = count == 0;
        if (XML_ParseBuffer(parser, static_cast<int>(count), isFinal) != XML_STATUS_OK) {
            if (state.outOfMemory || XML_GetErrorCode(parser) == XML_ERROR_NO_MEMORY)
                return XmlVerdict::Failed;
            return XmlVerdict::Malformed;
        }
        if (isFinal)
            return XmlVerdict::WellFormed;
        offset += static_cast<std::uint64_t>(count);
    }
}

} // namespace

bool PackageReferences::Add(const std::string& path)
{
    if (m_order.size() >= kMaxReferences || m_bytes + path.size() > kMaxReferenceBytes)
        return false;
    const auto [it, added] = m_known.insert(path);
    if (!added)
        return false;
    m_order.push_back(&*it);
    m_bytes += path.size();
    return true;
}

XmlPartScan ScanXmlPart(const std::filesystem::path& part, bool wantReferences)
{
    XmlPartScan result;
    platform::FileHandle file;
    if (platform::OpenForRead(part, file) != 0) {
        result.verdict = XmlVerdict::Malformed;
        return result;
    }
    // No namespace processing and no unknown-encoding handler: a prefix is part
    // of the name, and an encoding expat does not know makes the part malformed.
    ParserPtr parser(XML_ParserCreate(nullptr));
    if (!parser)
        return result;
    ScanState state;
    state.parser = parser.get();
    state.wantReferences = wantReferences;
    state.result = &result;
    XML_SetUserData(parser.get(), &state);
    XML_SetStartElementHandler(parser.get(), OnStartElement);
    result.verdict = ParseFile(parser.get(), file.Fd(), state);
    return result;
}

std::optional<std::string> PackagePathOfReference(std::string_view value)
{
    if (value.empty() || value.front() == '/' || value.front() == '#')
        return std::nullopt;
    if (value.find_first_of(":\\") != std::string_view::npos)
        return std::nullopt;
    std::string path;
    std::string_view component;
    for (std::size_t start = 0;; ) {
        const std::size_t slash = value.find('/', start);
        component = value.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (component == "..")
            return std::nullopt;
        if (!component.empty() && component != ".") {
            if (!path.empty())
                path += '/';
            path += component;
        }
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    // The last component must name a file: not empty and not "." (".." is out above).
    if (component.empty() || component == "." || IsOwnPart(path))
        return std::nullopt;
    return path;
}
