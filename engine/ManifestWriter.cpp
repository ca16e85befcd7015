// The rebuilt manifest: which files it lists and its exact bytes.
#include "engine/ManifestWriter.h"

#include "engine/PackageParts.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr std::string_view kRootOpen
    = "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"";
constexpr std::string_view kRootClose = "</manifest:manifest>";
constexpr std::string_view kEntryOpen = " <manifest:file-entry manifest:full-path=\"";
constexpr std::string_view kVersionOpen = " manifest:version=\"";
constexpr std::string_view kMediaTypeOpen = " manifest:media-type=\"";
constexpr std::string_view kOctetStream = "application/octet-stream";

constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kMediaTypes = {{
    {"xml", "text/xml"},
    {"png", "image/png"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"gif", "image/gif"},
    {"bmp", "image/bmp"},
    {"svg", "image/svg+xml"},
    {"rdf", "application/rdf+xml"},
}};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

// Numbers past this need no exact value to be compared with 1 and 2.
unsigned SaturatedValue(std::string_view digits)
{
    unsigned value = 0;
    for (char c : digits)
        value = std::min(value * 10 + static_cast<unsigned>(c - '0'), 1000u);
    return value;
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// Names on disk are UTF-8; a byte that is not part of a sequence is read as Latin-1.
std::string NameAsUtf8(std::string_view name)
{
    std::string utf8;
    for (std::size_t i = 0; i < name.size();) {
        if (const std::size_t length = Utf8SequenceLength(name, i)) {
            utf8.append(name.substr(i, length));
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(name[i++]);
        utf8 += static_cast<char>(0xC0 | (byte >> 6));
        utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
    return utf8;
}

void CollectFiles(const std::filesystem::path& folder, const std::string& prefix, std::vector<std::string>& files)
{
    (void)platform::EnumerateFolder(folder, [&](const platform::FolderEntry& entry) {
        const std::string path = prefix + NameAsUtf8(entry.name);
        if (entry.kind == platform::PathKind::File && path != kMimetypePath)
            files.push_back(path);
        else if (entry.kind == platform::PathKind::Folder && path != kManifestFolder)
            CollectFiles(folder / entry.name, path + "/", files);
        return true;
    });
}

// The path as an attribute value, or nothing when XML 1.0 cannot hold it.
std::optional<std::string> EscapedPath(std::string_view path)
{
    std::string escaped;
    for (char c : path) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\t': escaped += "&#9;"; break;
        case '\n': escaped += "&#10;"; break;
        case '\r': escaped += "&#13;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            escaped += c;
        }
    }
    return escaped;
}

void AppendVersion(std::string& out, std::string_view version)
{
    if (version.empty())
        return;
    out += kVersionOpen;
    out += version;
    out += '"';
}

void AppendMediaType(std::string& out, std::string_view mediaType)
{
    out += kMediaTypeOpen;
    out += mediaType;
    out += "\"/>\n";
}

} // namespace

bool IsManifestVersion(std::string_view version)
{
    const std::size_t dot = version.find('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view major = version.substr(0, dot);
    const std::string_view minor = version.substr(dot + 1);
    if (!AllDigits(major) || !AllDigits(minor))
        return false;
    const unsigned majorValue = SaturatedValue(major);
    return majorValue > 1 || (majorValue == 1 && SaturatedValue(minor) >= 2);
}

std::vector<std::string> ListManifestFiles(const std::filesystem::path& workFolder)
{
    std::vector<std::string> files;
    CollectFiles(workFolder, std::string(), files);
    // std::string compares bytes as unsigned char, and a prefix first.
    std::sort(files.begin(), files.end());
    return files;
}

std::string BuildManifest(std::string_view version, const std::vector<std::string>& files)
{
    std::string out;
    out += kDeclaration;
    out += '\n';
    out += kRootOpen;
    AppendVersion(out, version);
    out += ">\n";
    out += kEntryOpen;
    out += "/\"";
    AppendVersion(out, version);
    AppendMediaType(out, kPresentationMediaType);
    for (const std::string& file : files) {
        const std::optional<std::string> escaped = EscapedPath(file);
        if (!escaped)
            continue;
        out += kEntryOpen;
        out += *escaped;
        out += '"';
        AppendMediaType(out, MediaTypeOf(file));
    }
    out += kRootClose;
    return out;
}

std::string_view MediaTypeOf(std::string_view path)
{
    const std::string_view name = path.substr(path.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return kOctetStream;
    const std::string_view extension = name.substr(dot + 1);
    for (const auto& [known, mediaType] : kMediaTypes) {
        if (EqualsIgnoringAsciiCase(extension, known))
            return mediaType;
    }
    return kOctetStream;
}
