// The platform stand-ins: the private temporary folder, link handling, exclusive
// opening and text conversions.

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class PrivateTempFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TMPDIR");
        m_old = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("TMPDIR", m_dir.Path().c_str(), 1);
    }
    void TearDown() override
    {
        if (m_old)
            setenv("TMPDIR", m_old->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    fs::path Expected() const { return m_dir / ("tavrel-deckmend-" + std::to_string(getuid())); }

    TempDir m_dir;
    std::optional<std::string> m_old;
};

TEST_F(PrivateTempFolderTest, CreatedPrivateAndReused)
{
    platform::Path folder;
    ASSERT_EQ(platform::PrivateTempFolder(folder), 0);
    EXPECT_EQ(folder, Expected());
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    chmod(folder.c_str(), 0755);
    ASSERT_EQ(platform::PrivateTempFolder(folder), 0);
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "opened up by someone: made private again";

    platform::Path opc;
    platform::FileHandle file;
    ASSERT_EQ(platform::CreateOpcTempFile(opc, file), 0);
    EXPECT_EQ(opc.parent_path(), Expected());
    EXPECT_EQ(opc.filename().string().rfind("OPC", 0), 0u);
}

TEST_F(PrivateTempFolderTest, RefusesALinkOrAFile)
{
    fs::create_directory(m_dir / "elsewhere");
    fs::create_directory_symlink(m_dir / "elsewhere", Expected());
    platform::Path folder;
    EXPECT_EQ(platform::PrivateTempFolder(folder), ELOOP);
    fs::remove(Expected());
    WriteFileBytes(Expected(), "x");
    EXPECT_EQ(platform::PrivateTempFolder(folder), ENOTDIR);
}

TEST(FileSystem, LinksAreNeverFollowed)
{
    TempDir dir;
    WriteFileBytes(dir / "real", "data");
    fs::create_symlink(dir / "real", dir / "link");
    platform::FileHandle handle;
    EXPECT_NE(platform::OpenForRead(dir / "link", handle), 0);
    EXPECT_NE(platform::CreateForWrite(dir / "link", handle), 0);
    EXPECT_EQ(platform::KindOf(dir / "link"), platform::PathKind::Other);
    EXPECT_EQ(platform::CopyFile(dir / "link", dir / "copy"), ELOOP);
    EXPECT_EQ(platform::CopyFile(dir / "real", dir / "link"), ELOOP);
    EXPECT_EQ(ReadFileBytes(dir / "real"), "data");
    EXPECT_EQ(platform::CreateFolder(dir / "link"), ENOTDIR);
    EXPECT_EQ(platform::CreateFolder(dir / "real"), ENOTDIR);
    fs::create_directory(dir / "sub");
    EXPECT_EQ(platform::CreateFolder(dir / "sub"), EEXIST);

    ASSERT_EQ(platform::CopyFile(dir / "real", dir / "copy"), 0);
    WriteFileBytes(dir / "real", "new data, longer");
    ASSERT_EQ(platform::CopyFile(dir / "real", dir / "copy"), 0);
    EXPECT_EQ(ReadFileBytes(dir / "copy"), "new data, longer");
}

TEST(FileSystem, ExclusiveOpenFailsWhileAnotherHoldsTheFile)
{
    TempDir dir;
    WriteFileBytes(dir / "f", "x");
    platform::FileHandle first, second;
    ASSERT_EQ(platform::OpenExclusiveForRead(dir / "f", first), 0);
    EXPECT_EQ(platform::OpenExclusiveForRead(dir / "f", second), EWOULDBLOCK);
    first.Close();
    EXPECT_EQ(platform::OpenExclusiveForRead(dir / "f", second), 0);
    EXPECT_EQ(platform::ErrorText(ENOENT), "No such file or directory");
}

TEST(Text, ConversionsTable)
{
    struct Case
    {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"plain", u"plain"},
        {"caf\xC3\xA9", u"caf\u00E9"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::FromUtf8(c.utf8), c.utf16);
        EXPECT_EQ(platform::ToUtf8(c.utf16), c.utf8);
    }
    // Invalid input never fails: each bad sequence becomes U+FFFD.
    EXPECT_EQ(platform::FromUtf8("a\xE9z"), u"a\uFFFDz");
    EXPECT_EQ(platform::FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong forms are refused";
    EXPECT_EQ(platform::FromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(platform::ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(platform::WidenLatin1("\xE9\xFF"), u"\u00E9\u00FF");
}

} // namespace
