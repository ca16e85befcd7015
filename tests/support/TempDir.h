#pragma once
// A fresh folder for one test, removed with everything in it at the end.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFileBytes(const std::filesystem::path& path);
// Every regular file below root, as paths relative to it with "/", sorted.
std::vector<std::string> ListTree(const std::filesystem::path& root);
