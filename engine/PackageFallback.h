#pragma once
// The package fallback: after extraction and the content fallback, it makes the
// salvaged tree a package office applications open, and changes nothing that is
// sound already.

#include <filesystem>

// Over the work folder, in this order: replaces a malformed content.xml with the
// template and removes the other malformed XML parts; writes a missing or garbled
// mimetype; makes an empty file for every picture content.xml or styles.xml
// refers to and the tree lacks; writes a manifest when there is none. Never
// follows or creates a link. False when the work folder is not a folder or a
// change it had to make could not be made; it never throws.
bool EnsurePackageFiles(const std::filesystem::path& workFolder);
