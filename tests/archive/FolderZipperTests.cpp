// Folder packer: the walk's names and order, what it leaves out, and when it
// reports a container as incomplete.

#include "archive/FolderZipper.h"

#include "tests/archive/WrittenZip.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const WrittenZip& zip)
{
    std::vector<std::string> names;
    for (const WrittenEntry& e : zip.entries)
        names.push_back(e.name);
    return names;
}

// Every file below root, depth first in the order the file system lists names.
std::vector<std::string> DepthFirstFiles(const fs::path& root)
{
    std::vector<std::string> files;
    std::function<void(const fs::path&, const std::string&)> walk = [&](const fs::path& folder,
                                                                          const std::string& prefix) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string name = prefix + entry.path().filename().string();
            if (entry.is_symlink())
                continue;
            if (entry.is_directory())
                walk(entry.path(), name + "/");
            else if (entry.is_regular_file())
                files.push_back(name);
        }
    };
    walk(root, "");
    return files;
}

class FolderZipperTest : public ::testing::Test
{
protected:
    void Put(const std::string& relative, std::string_view bytes)
    {
        const fs::path path = m_top / relative;
        fs::create_directories(path.parent_path());
        WriteFileBytes(path, bytes);
    }
    fs::path Container() const { return m_dir / "NOVRAK_talk.odp"; }
    WrittenZip Written() const { return ParseWrittenZip(ReadFileBytes(Container())); }

    TempDir m_dir;
    const fs::path m_top = m_dir / "Pr\u00e4sentation.odp0";
};

TEST_F(FolderZipperTest, NestedFilesBecomeEntriesDepthFirstAndFoldersNone)
{
    Put("mimetype", "application/vnd.oasis.opendocument.presentation");
    Put("content.xml", "<office:document-content/>");
    Put("Pictures/a.png", IncompressibleBytes(20000, 1));
    Put("Pictures/deeper/b.jpg", IncompressibleBytes(3000, 2));
    Put("Pictures/deeper/c.xml", "<c/>");
    Put("META-INF/manifest.xml", "<manifest:manifest/>");
    Put(".hidden", "dot files are files too");
    Put("styles.xml", "<office:document-styles/>");
    fs::create_directories(m_top / "Configurations2" / "empty");

    CFolderZipper zipper;
    ASSERT_TRUE(zipper.ZipFolder(m_top, Container()));

    const WrittenZip zip = Written();
    EXPECT_EQ(Names(zip), DepthFirstFiles(m_top));
    std::vector<std::string> sorted = Names(zip);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, ListTree(m_top));
    for (const WrittenEntry& e : zip.entries) {
        EXPECT_EQ(e.name.find('\\'), std::string::npos) << e.name;
        EXPECT_NE(e.name.back(), '/') << "no folder entries";
        EXPECT_EQ(EntryContents(e), ReadFileBytes(m_top / e.name)) << e.name;
    }
}

TEST_F(FolderZipperTest, TopFolderWithTrailingSeparatorGivesTheSameNames)
{
    Put("Pictures/a.png", "a");
    Put("content.xml", "c");
    CFolderZipper zipper;
    ASSERT_TRUE(zipper.ZipFolder(m_top.string() + "/", Container()));
    std::vector<std::string> names = Names(Written());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> {"Pictures/a.png", "content.xml"}));
}

TEST_F(FolderZipperTest, FileNamesOnDiskBecomeLatin1EntryNames)
{
    Put("Pictures/caf\u00e9.png", "latin");
    Put("\u20ac.xml", "euro");
    CFolderZipper zipper;
    ASSERT_TRUE(zipper.ZipFolder(m_top, Container()));
    std::vector<std::string> names = Names(Written());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> {"?.xml", "Pictures/caf\xE9.png"}));
}

TEST_F(FolderZipperTest, EmptyTopFolderGivesJustTheEndRecord)
{
    fs::create_directories(m_top / "only" / "folders");
    CFolderZipper zipper;
    ASSERT_TRUE(zipper.ZipFolder(m_top, Container()));
    EXPECT_EQ(ReadFileBytes(Container()), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
}

TEST_F(FolderZipperTest, SymbolicLinksInTheTreeAreNotFollowed)
{
    const fs::path outside = m_dir / "outside";
    fs::create_directories(outside / "folder");
    WriteFileBytes(outside / "secret.xml", "not part of the presentation");
    WriteFileBytes(outside / "folder" / "inner.xml", "nor this");
    Put("content.xml", "c");
    fs::create_symlink(outside / "secret.xml", m_top / "linked.xml");
    fs::create_symlink(outside / "folder", m_top / "Linked folder");

    CFolderZipper zipper;
    ASSERT_TRUE(zipper.ZipFolder(m_top, Container()));
    EXPECT_EQ(Names(Written()), std::vector<std::string> {"content.xml"});
}

TEST_F(FolderZipperTest, ContainerThatCannotBeCreatedIsReportedAndNothingWritten)
{
    Put("content.xml", "c");
    CFolderZipper zipper;
    EXPECT_FALSE(zipper.ZipFolder(m_top, m_dir / "missing" / "NOVRAK_talk.odp"));
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

TEST_F(FolderZipperTest, FileThatCannotBeAddedMakesTheContainerIncomplete)
{
    Put("content.xml", "c");
    // A path below the top folder longer than an entry name may be.
    Put(std::string(200, 'f') + "/" + std::string(100, 'n') + ".xml", "too long a name");
    Put("styles.xml", "s");
    CFolderZipper zipper;
    EXPECT_FALSE(zipper.ZipFolder(m_top, Container()));
    std::vector<std::string> names = Names(Written());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> {"content.xml", "styles.xml"})) << "the rest is still written";
}

TEST_F(FolderZipperTest, MissingTopFolderIsReportedAsIncomplete)
{
    CFolderZipper zipper;
    EXPECT_FALSE(zipper.ZipFolder(m_dir / "no such folder", Container()));
}

} // namespace
