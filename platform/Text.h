#pragma once
// Conversions between the engine's UTF-16 texts and the UTF-8 the file system and
// terminals use. Invalid sequences become U+FFFD instead of failing.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Paths on disk are UTF-8 byte strings.
std::filesystem::path ToPath(std::u16string_view text);
std::u16string FromPath(const std::filesystem::path& path);

// ISO 8859-1 widening: each byte becomes the code unit of the same value.
std::u16string WidenLatin1(std::string_view bytes);

} // namespace platform
