#pragma once
// Copies the pictures of a work folder, from all its folders, side by side into
// one media folder.

#include <filesystem>

// The media folder being filled, as the main view keeps it.
void SetMediaFolder(const std::filesystem::path& folder);
std::filesystem::path GetMediaFolder();

// Copies every file below folder whose extension is jpg, bmp, png, gif, emf or
// jpeg (any case) into GetMediaFolder(), replacing a file of the same name; of two
// pictures with the same name the later one stays. Links are never followed.
// False when a folder could not be read or a picture could not be copied.
bool CopyMediaFiles(const std::filesystem::path& folder, const std::filesystem::path& mediaFolder);
