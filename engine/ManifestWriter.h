#pragma once
// The manifest a package gets when its own was lost: every file of the tree,
// sorted, in one fixed byte form.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Whether a document version goes into the manifest: digits "." digits, 1.2 or later.
bool IsManifestVersion(std::string_view version);

// Every regular file below workFolder but mimetype and META-INF/, as UTF-8 paths
// with "/", sorted byte by byte. Links are neither listed nor entered.
std::vector<std::string> ListManifestFiles(const std::filesystem::path& workFolder);

// The manifest's bytes. An empty version is left out; a path XML 1.0 cannot
// carry (a control character other than TAB, LF and CR) is not listed.
std::string BuildManifest(std::string_view version, const std::vector<std::string>& files);

// The media type of a listed file, from the extension of its last component.
std::string_view MediaTypeOf(std::string_view path);
