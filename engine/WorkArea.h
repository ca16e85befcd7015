#pragma once
// The work area: one folder per repaired file below the work root, holding the
// file's salvaged entries as plain files.

#include <filesystem>
#include <string>
#include <string_view>

class IJobUi;

// The work root: "ImpTmp" in the private temporary folder, unless a front end
// chose another with SetWorkRoot. Empty when the private folder cannot be had.
std::filesystem::path GetWorkRoot();
// Makes root the work root for the rest of the process (the command line's --work-dir).
void SetWorkRoot(const std::filesystem::path& root);

// The work folder of the listed file at position row: its file name followed by
// the position in decimal ("talk.odp2").
std::filesystem::path WorkFolderOf(const std::filesystem::path& root, std::u16string_view listedPath, int row);
// The file name of a listed path: the text after its last separator.
std::u16string FileNameOf(std::u16string_view listedPath);

// Deletes everything below folder; the folder itself stays. Links are removed,
// never followed. Failures leave what could not be deleted in place.
void DeleteFolderTree(const std::filesystem::path& folder);

// Blanks the preview (which releases any picture file), deletes the work root's
// tree and removes the work root itself.
void ClearWorkArea(IJobUi& view);
