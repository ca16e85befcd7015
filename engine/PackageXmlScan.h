#pragma once
// One expat pass over an XML part of a package: its well-formedness, the
// office:version of its root element and the package files it refers to.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

enum class XmlVerdict
{
    WellFormed,
    Malformed, // not XML 1.0, an encoding expat does not know, or the part cannot be read
    Failed,    // the pass could not finish for want of memory; nothing is known
};

// Package paths, each once, in the order of their first appearance.
class PackageReferences
{
public:
    PackageReferences() = default;
    PackageReferences(const PackageReferences&) = delete;
    PackageReferences& operator=(const PackageReferences&) = delete;
    PackageReferences(PackageReferences&&) = default;
    PackageReferences& operator=(PackageReferences&&) = default;

    // False when the path is known already or the list is full.
    bool Add(const std::string& path);
    const std::vector<const std::string*>& InOrder() const { return m_order; }

private:
    std::unordered_set<std::string> m_known; // its nodes stay put, so m_order may point into it
    std::vector<const std::string*> m_order;
    std::size_t m_bytes = 0;
};

struct XmlPartScan
{
    XmlVerdict verdict = XmlVerdict::Failed;
    std::optional<std::string> version; // office:version of the root element, as expat reports it
    PackageReferences references;       // filled only when asked for
};

// Parses the file at part in chunks, never holding all of it. With
// wantReferences, the xlink:href values of every element but embedded objects
// that name package files are gathered.
XmlPartScan ScanXmlPart(const std::filesystem::path& part, bool wantReferences);

// The package path an xlink:href value names, or nothing for an absolute path, a
// fragment, a scheme or drive, a "\", a "..", a folder, and the package's own parts.
std::optional<std::string> PackagePathOfReference(std::string_view value);
