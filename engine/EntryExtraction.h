#pragma once
// Writes the salvaged entries of one file below its work folder: stored entries
// copied, all others inflated; then makes sure the tree is a package that office
// applications open.

#include "engine/JobUi.h"

#include <filesystem>
#include <optional>
#include <string_view>

// Extracts every row of the entry table, in table order, then runs the content
// and package fallbacks. The per-file bar shows i after row i and ends at n.
void ExtractEntries(IJobUi& view, const std::filesystem::path& workFolder, std::u16string_view sourcePath);

// Creates the folders of an entry name below the work folder and returns the
// output path, or nothing when the name names a folder only. Colons are removed
// and empty, "." and ".." components dropped, so the result always lies below
// the work folder. A folder that cannot be made is reported with the system's
// error text and extraction goes on.
std::optional<std::filesystem::path> PrepareEntryPath(IJobUi& view, const std::filesystem::path& workFolder,
                                                      std::u16string_view entryName);

// Writes one output file, or nothing when the entry cannot be recovered whole.
// Equal, non-zero sizes mean a stored copy; anything else is inflated.
void ExtractEntry(const std::filesystem::path& workFolder, std::u16string_view sourcePath,
                  const std::filesystem::path& outputPath, const SalvagedEntry& record);

// Replaces a missing content.xml, or one shorter than the template, with the
// template. False when it cannot be written.
bool EnsureContentXml(const std::filesystem::path& workFolder);
