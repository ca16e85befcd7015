// ZIP writer: the written records byte by byte, the method and name rules, the
// times and attributes, sources that fail or change, and the limits of the format.

#include "archive/ZipWriter.h"

#include "platform/Text.h"
#include "tests/archive/WrittenZip.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kWriteTime = 1289911452; // 2010-11-16 12:44:12 UTC
constexpr std::int64_t kAccessTime = 1289998800; // 2010-11-17 13:00:00 UTC

// Sets TZ for one test; the writer must take the offset in force now.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old, m_hadOld = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_hadOld)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};

// Makes every write past a size fail with EFBIG, the way a full disk fails it.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

void SetTimes(const fs::path& path, std::int64_t access, std::int64_t write)
{
    const timespec times[2] = {{static_cast<time_t>(access), 0}, {static_cast<time_t>(write), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::uint32_t CreationTimeOf(const fs::path& path)
{
    struct statx st {};
    EXPECT_EQ(::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &st), 0);
    return static_cast<std::uint32_t>((st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec);
}

std::string Le32(std::uint32_t value)
{
    std::string out;
    PutU32(out, value);
    return out;
}

// Markup that compresses the way a presentation's XML does.
std::string XmlText(std::size_t size)
{
    std::string out;
    for (unsigned i = 0; out.size() < size; ++i)
        out += "<text:p text:style-name=\"P" + std::to_string(i % 37) + "\">Slide " + std::to_string(i * 7919 % 1000) +
               " shows the figures of quarter " + std::to_string(i % 4 + 1) + "</text:p>\n";
    out.resize(size);
    return out;
}

std::uint64_t FileSize(const fs::path& path)
{
    return fs::file_size(path);
}

class ZipWriterTest : public ::testing::Test
{
protected:
    fs::path Source(const std::string& name, std::string_view bytes)
    {
        const fs::path path = m_dir / name;
        fs::create_directories(path.parent_path());
        WriteFileBytes(path, bytes);
        return path;
    }
    fs::path Container() const { return m_dir / "out.zip"; }
    WrittenZip Written() const { return ParseWrittenZip(ReadFileBytes(Container())); }

    // Writes a container from (name, source) pairs, each expected to be added.
    void WriteContainer(const std::vector<std::pair<std::u16string, fs::path>>& files)
    {
        ZipWriterHandle writer = ZipWriterCreate(Container());
        ASSERT_TRUE(writer);
        for (const auto& [name, path] : files)
            ASSERT_EQ(ZipWriterAddFile(writer.get(), name, path), ZipWriterOk) << path;
        ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    }

    TempDir m_dir;
};

TEST_F(ZipWriterTest, DeflatedEntryMatchesTheRecordLayoutFieldByField)
{
    ScopedTimeZone zone("TST-3"); // three hours east of UTC, no daylight saving
    const std::string text = XmlText(50000);
    const fs::path source = Source("content.xml", text);
    SetTimes(source, kAccessTime, kWriteTime);
    const std::uint32_t creation = CreationTimeOf(source);
    WriteContainer({{u"content.xml", source}});

    const std::string bytes = ReadFileBytes(Container());
    const WrittenZip zip = ParseWrittenZip(bytes);
    ASSERT_EQ(zip.entries.size(), 1u);
    const WrittenEntry& e = zip.entries[0];
    const std::string localExtra = std::string("UT\x0D\x00\x07", 5) + Le32(kWriteTime) + Le32(kAccessTime) + Le32(creation);
    const std::string centralExtra = std::string("UT\x05\x00\x07", 5) + Le32(kWriteTime);

    EXPECT_EQ(bytes.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(e.local.versionNeeded, 20);
    EXPECT_EQ(e.local.flags, 0x0002);
    EXPECT_EQ(e.local.method, 8);
    EXPECT_EQ(e.local.dosTime, 0x7D86); // 15:44:12 local
    EXPECT_EQ(e.local.dosDate, 0x3D70); // 16 November 2010
    EXPECT_EQ(e.local.crc, Crc32(text));
    EXPECT_EQ(e.local.compressedSize, e.data.size());
    EXPECT_EQ(e.local.uncompressedSize, text.size());
    EXPECT_EQ(e.local.name, "content.xml");
    EXPECT_EQ(e.local.extra, localExtra);
    EXPECT_EQ(e.data, RawDeflate(text, 8));

    EXPECT_EQ(e.versionMadeBy, 0x0B17);
    EXPECT_EQ(e.versionNeeded, 20);
    EXPECT_EQ(e.flags, 0x0002);
    EXPECT_EQ(e.method, 8);
    EXPECT_EQ(e.dosTime, 0x7D86);
    EXPECT_EQ(e.dosDate, 0x3D70);
    EXPECT_EQ(e.crc, Crc32(text));
    EXPECT_EQ(e.compressedSize, e.data.size());
    EXPECT_EQ(e.uncompressedSize, text.size());
    EXPECT_EQ(e.commentLength, 0);
    EXPECT_EQ(e.diskStart, 0);
    EXPECT_EQ(e.internalAttributes, 0);
    EXPECT_EQ(e.externalAttributes, 0x81800020u);
    EXPECT_EQ(e.localOffset, 0u);
    EXPECT_EQ(e.name, "content.xml");
    EXPECT_EQ(e.extra, centralExtra);

    const std::size_t localSize = 30 + 11 + 17 + e.data.size();
    EXPECT_EQ(zip.centralOffset, localSize);
    EXPECT_EQ(zip.centralSize, 46u + 11 + 9);
    EXPECT_EQ(zip.diskNumber, 0);
    EXPECT_EQ(zip.centralDisk, 0);
    EXPECT_EQ(zip.entriesOnDisk, 1);
    EXPECT_EQ(zip.totalEntries, 1);
    EXPECT_EQ(zip.commentLength, 0);
    EXPECT_EQ(bytes.size(), localSize + 46 + 11 + 9 + 22);
}

TEST_F(ZipWriterTest, EveryEntryReadsBackWithItsSourceBytesInOrder)
{
    const std::vector<std::pair<std::u16string, std::string>> files = {
        {u"mimetype", "application/vnd.oasis.opendocument.presentation"},
        {u"content.xml", XmlText(1'500'000)},
        {u"Pictures\\big.png", IncompressibleBytes(700'000, 3)},
        {u"empty", ""},
        {u"Objects\\data.gz", IncompressibleBytes(100'000, 4)},
    };
    std::vector<std::pair<std::u16string, fs::path>> sources;
    for (std::size_t i = 0; i < files.size(); ++i)
        sources.emplace_back(files[i].first, Source("src" + std::to_string(i), files[i].second));
    WriteContainer(sources);

    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), files.size());
    std::size_t expectedOffset = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const WrittenEntry& e = zip.entries[i];
        const std::string& source = files[i].second;
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.localOffset, expectedOffset);
        EXPECT_EQ(EntryContents(e), source);
        EXPECT_EQ(e.crc, Crc32(source));
        EXPECT_EQ(e.uncompressedSize, source.size());
        if (e.method == 8) {
            EXPECT_EQ(e.data, RawDeflate(source, 8)); // the same bytes as one call over the whole source
        }
        EXPECT_EQ(e.local.crc, e.crc);
        EXPECT_EQ(e.local.compressedSize, e.compressedSize);
        EXPECT_EQ(e.local.uncompressedSize, e.uncompressedSize);
        EXPECT_EQ(e.local.flags, e.flags);
        EXPECT_EQ(e.local.method, e.method);
        EXPECT_EQ(e.local.name, e.name);
        expectedOffset += 30 + e.name.size() + 17 + e.data.size();
    }
    EXPECT_EQ(zip.entries[2].name, "Pictures/big.png");
    EXPECT_EQ(zip.entries[4].method, 0);
    EXPECT_EQ(zip.centralOffset, expectedOffset);
}

TEST_F(ZipWriterTest, StrictReadersAcceptTheContainer)
{
    WriteContainer({{u"mimetype", Source("m", "application/vnd.oasis.opendocument.presentation")},
                    {u"content.xml", Source("c", XmlText(300'000))},
                    {u"Pictures\\a.png", Source("p", IncompressibleBytes(300'000, 9))},
                    {u"empty.xml", Source("e", "")},
                    {u"old.zip", Source("z", IncompressibleBytes(5000, 2))}});
    bool checked = false;
    if (HaveCommand("unzip")) {
        EXPECT_EQ(RunCommand("unzip -tqq '" + Container().string() + "'"), 0);
        checked = true;
    }
    if (HaveCommand("python3")) {
        EXPECT_EQ(RunCommand("python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                             "sys.exit(z.testzip() is not None)' '" + Container().string() + "'"),
                  0);
        checked = true;
    }
    if (!checked)
        GTEST_SKIP() << "neither Info-ZIP unzip nor python3 is installed";
}

struct SuffixCase
{
    std::u16string name;
    std::string written;
    std::uint16_t method;
};

TEST_F(ZipWriterTest, ArchiveSuffixesAreStoredAndEverythingElseDeflated)
{
    const std::vector<SuffixCase> cases = {
        {u"Pictures\\ARCHIVE.ZIP", "Pictures/ARCHIVE.ZIP", 0},
        {u"backup.zip.bak", "backup.zip.bak", 8},
        {u"a.zip\\readme", "a.zip/readme", 8}, // the only dot sits in a folder part
        {u"mimetype", "mimetype", 8},
        {u"x.z", "x.z", 0},
        {u"x.Zip", "x.Zip", 0},
        {u"x.ZOO", "x.ZOO", 0},
        {u"x.arc", "x.arc", 0},
        {u"x.LzH", "x.LzH", 0},
        {u"x.arj", "x.arj", 0},
        {u"x.gz", "x.gz", 0},
        {u"x.TGZ", "x.TGZ", 0},
        {u"x.tar.gz", "x.tar.gz", 0},
        {u"x.zipx", "x.zipx", 8},
        {u"x.gzip", "x.gzip", 8},
        {u"Pictures\\photo.png", "Pictures/photo.png", 8}, // pictures compress badly but are still deflated
    };
    const std::string data = XmlText(4000);
    const fs::path source = Source("source", data);
    std::vector<std::pair<std::u16string, fs::path>> files;
    for (const SuffixCase& c : cases)
        files.emplace_back(c.name, source);
    WriteContainer(files);

    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const WrittenEntry& e = zip.entries[i];
        SCOPED_TRACE(cases[i].written);
        EXPECT_EQ(e.name, cases[i].written);
        EXPECT_EQ(e.method, cases[i].method);
        EXPECT_EQ(e.local.method, cases[i].method);
        EXPECT_EQ(e.flags, cases[i].method == 8 ? 0x0002 : 0x0000);
        EXPECT_EQ(EntryContents(e), data);
        if (cases[i].method == 0) {
            EXPECT_EQ(e.compressedSize, data.size());
        }
    }
}

struct NameCase
{
    const char* what;
    std::u16string name;
    ZipWriterResult result;
    std::string written;
};

TEST_F(ZipWriterTest, NamesBecomeLatin1BytesWithSlashesOrAreRefused)
{
    const std::vector<NameCase> cases = {
        {"Latin-1 letters", u"caf\u00e9 \u00ff.xml", ZipWriterOk, "caf\xE9 \xFF.xml"},
        {"beyond Latin-1", u"\u20ac\U0001F600.xml", ZipWriterOk, "???.xml"},
        {"leading backslash kept", u"\\top\\inner\\file", ZipWriterOk, "/top/inner/file"},
        {"260 bytes", std::u16string(260, u'n'), ZipWriterOk, std::string(260, 'n')},
        {"261 bytes", std::u16string(261, u'n'), ZipWriterBadArguments, ""},
        {"empty", u"", ZipWriterBadArguments, ""},
        {"NUL inside", std::u16string(u"nul\0name", 8), ZipWriterBadArguments, ""},
    };
    const fs::path source = Source("source", "abc");
    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    std::vector<std::string> accepted;
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint64_t before = FileSize(Container());
        EXPECT_EQ(ZipWriterAddFile(writer.get(), c.name, source), c.result);
        if (c.result == ZipWriterOk)
            accepted.push_back(c.written);
        else
            EXPECT_EQ(FileSize(Container()), before);
    }
    ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), accepted.size());
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        EXPECT_EQ(zip.entries[i].name, accepted[i]);
        EXPECT_EQ(zip.entries[i].flags & 0x0800, 0) << "never marked UTF-8";
    }
}

TEST_F(ZipWriterTest, EmptySourceIsADeflatedEntryWithATwoByteStream)
{
    WriteContainer({{u"empty.xml", Source("empty.xml", "")}});
    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), 1u);
    const WrittenEntry& e = zip.entries[0];
    EXPECT_EQ(e.method, 8);
    EXPECT_EQ(e.uncompressedSize, 0u);
    EXPECT_EQ(e.crc, 0u);
    EXPECT_EQ(e.compressedSize, 2u);
    EXPECT_EQ(e.data, std::string("\x03\x00", 2));
    EXPECT_EQ(e.local.compressedSize, 2u);
}

TEST_F(ZipWriterTest, ExternalAttributesFollowTheOwnerWriteBit)
{
    const std::vector<std::pair<mode_t, std::uint32_t>> cases = {
        {0644, 0x81800020u}, {0600, 0x81800020u}, {0444, 0x81000021u}, {0400, 0x81000021u}};
    std::vector<std::pair<std::u16string, fs::path>> files;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const fs::path path = Source("f" + std::to_string(i), "data");
        ASSERT_EQ(::chmod(path.c_str(), cases[i].first), 0);
        files.emplace_back(u"f", path);
    }
    WriteContainer(files);
    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(zip.entries[i].externalAttributes, cases[i].second) << std::oct << cases[i].first;
}

struct TimeCase
{
    const char* what;
    std::int64_t lastWrite;
    std::uint32_t extended;
    std::uint16_t dosTime;
    std::uint16_t dosDate;
};

TEST_F(ZipWriterTest, TimesAreClampedToWhatTheFieldsHold)
{
    ScopedTimeZone zone("UTC0");
    const std::vector<TimeCase> cases = {
        {"2010", kWriteTime, 1289911452u, 0x6586, 0x3D70},
        {"1975 lies within the range", 172071930, 172071930u, 0x0000, 0x0021},
        {"1950 becomes 1 January 1970 at its time of day", -616846470, 49530u, 0x0000, 0x0021},
        {"last second of 1969", -1, 86399u, 0x0000, 0x0021},
        {"first second of 1980", 315532800, 315532800u, 0x0000, 0x0021},
        {"2050 becomes the last day of 2037", 2529734400, 2145859200u, 0x4000, 0x8C61},
        {"2108 is past the DOS range", 4354855200, 2145866400u, 0xBF7D, 0xFF9F},
    };
    std::vector<std::pair<std::u16string, fs::path>> files;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const fs::path path = Source("t" + std::to_string(i), "x");
        SetTimes(path, cases[i].lastWrite, cases[i].lastWrite);
        files.emplace_back(u"t", path);
    }
    WriteContainer(files);
    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const WrittenEntry& e = zip.entries[i];
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(GetU32(e.local.extra, 5), cases[i].extended);
        EXPECT_EQ(GetU32(e.local.extra, 9), cases[i].extended);
        EXPECT_EQ(GetU32(e.extra, 5), cases[i].extended);
        EXPECT_EQ(e.dosTime, cases[i].dosTime);
        EXPECT_EQ(e.dosDate, cases[i].dosDate);
        EXPECT_EQ(e.local.dosTime, cases[i].dosTime);
        EXPECT_EQ(e.local.dosDate, cases[i].dosDate);
    }
}

struct ChangeCase
{
    const char* name;
    bool grow;
};

// The source changes after its first chunk was read; the headers carry what was
// actually read, and while the data is written the local header is provisional.
TEST_F(ZipWriterTest, SourceThatChangesWhileReadIsRecordedAsRead)
{
    const std::vector<ChangeCase> cases = {
        {"grows.xml", true}, {"shrinks.xml", false}, {"grows.gz", true}, {"shrinks.gz", false}};
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string original = XmlText(4'000'000);
        const std::string added = IncompressibleBytes(100'000, 5);
        const fs::path source = Source(c.name, original);
        const bool stored = std::string_view(c.name).ends_with(".gz");
        std::uint64_t firstRead = 0;
        WrittenLocalHeader provisional;
        ZipWriterOptions options;
        options.afterSourceRead = [&](std::uint64_t readSoFar) {
            if (firstRead != 0)
                return;
            firstRead = readSoFar;
            const std::string partial = ReadFileBytes(Container());
            provisional.flags = GetU16(partial, 6);
            provisional.crc = GetU32(partial, 14);
            provisional.compressedSize = GetU32(partial, 18);
            provisional.uncompressedSize = GetU32(partial, 22);
            if (c.grow)
                WriteFileBytes(source, original + added);
            else
                ASSERT_EQ(::truncate(source.c_str(), static_cast<off_t>(readSoFar + 1000)), 0);
        };
        ZipWriterHandle writer = ZipWriterCreate(Container(), options);
        ASSERT_TRUE(writer);
        ASSERT_EQ(ZipWriterAddFile(writer.get(), platform::FromUtf8(c.name), source), ZipWriterOk);
        ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
        ASSERT_LT(firstRead, original.size()) << "the change must come before the source is read to its end";

        EXPECT_EQ(provisional.flags, 0x0008);
        EXPECT_EQ(provisional.crc, 0u);
        EXPECT_EQ(provisional.compressedSize, stored ? original.size() : 0u);
        EXPECT_EQ(provisional.uncompressedSize, original.size());

        const std::string expected = c.grow ? original + added : original.substr(0, firstRead + 1000);
        const WrittenZip zip = Written();
        ASSERT_EQ(zip.entries.size(), 1u);
        const WrittenEntry& e = zip.entries[0];
        EXPECT_EQ(e.uncompressedSize, expected.size());
        EXPECT_EQ(e.local.uncompressedSize, expected.size());
        EXPECT_EQ(e.crc, Crc32(expected));
        EXPECT_EQ(e.local.crc, Crc32(expected));
        EXPECT_EQ(e.local.flags, stored ? 0x0000 : 0x0002);
        EXPECT_EQ(EntryContents(e), expected);
    }
}

TEST_F(ZipWriterTest, EmptyContainerIsJustTheEndRecord)
{
    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    EXPECT_EQ(ReadFileBytes(Container()), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
}

TEST_F(ZipWriterTest, AddAfterCloseIsRefusedAndASecondCloseDoesNothing)
{
    const fs::path source = Source("a.xml", "abc");
    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipWriterAddFile(writer.get(), u"a.xml", source), ZipWriterOk);
    ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    const std::string closed = ReadFileBytes(Container());

    EXPECT_EQ(ZipWriterAddFile(writer.get(), u"a.xml", source), ZipWriterAlreadyClosed);
    const std::vector<ZipWriterSource> batch = {{u"a.xml", source}};
    EXPECT_EQ(ZipWriterAddFiles(writer.get(), batch), std::vector<ZipWriterResult> {ZipWriterAlreadyClosed});
    EXPECT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    EXPECT_EQ(ReadFileBytes(Container()), closed);
}

TEST_F(ZipWriterTest, MissingHandleIsRefused)
{
    const fs::path source = Source("a.xml", "abc");
    EXPECT_EQ(ZipWriterAddFile(nullptr, u"a.xml", source), ZipWriterBadArguments);
    EXPECT_EQ(ZipWriterClose(nullptr), ZipWriterBadArguments);
    const std::vector<ZipWriterSource> batch = {{u"a.xml", source}, {u"b.xml", source}};
    EXPECT_EQ(ZipWriterAddFiles(nullptr, batch), std::vector<ZipWriterResult>(2, ZipWriterBadArguments));
}

TEST_F(ZipWriterTest, SourcesThatCannotBeReadAreRefusedBeforeAnythingIsWritten)
{
    const fs::path good = Source("good.xml", "good");
    const fs::path folder = m_dir / "folder";
    fs::create_directories(folder);
    const fs::path fifo = m_dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const fs::path link = m_dir / "link.xml";
    fs::create_symlink(good, link);
    // A sparse file: refused on its size alone, so nothing of it is read.
    const fs::path huge = Source("huge.png", "");
    ASSERT_EQ(::truncate(huge.c_str(), off_t {1} << 32), 0);

    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipWriterAddFile(writer.get(), u"first.xml", good), ZipWriterOk);
    const std::uint64_t before = FileSize(Container());
    for (const fs::path& bad : {m_dir / "missing.xml", folder, fifo, link, huge}) {
        EXPECT_EQ(ZipWriterAddFile(writer.get(), u"bad.xml", bad), ZipWriterSourceFailed) << bad;
        EXPECT_EQ(FileSize(Container()), before) << bad;
    }
    ASSERT_EQ(ZipWriterAddFile(writer.get(), u"last.xml", good), ZipWriterOk);
    ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), 2u);
    EXPECT_EQ(zip.entries[0].name, "first.xml");
    EXPECT_EQ(zip.entries[1].name, "last.xml");
}

TEST_F(ZipWriterTest, FailedWriteWithdrawsTheEntryAndLaterEntriesFollow)
{
    const fs::path small = Source("small.xml", XmlText(3000));
    const fs::path big = Source("big.png", IncompressibleBytes(200'000, 7));
    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipWriterAddFile(writer.get(), u"first.xml", small), ZipWriterOk);
    const std::uint64_t before = FileSize(Container());
    {
        FileSizeLimit limit(before + 20000);
        EXPECT_EQ(ZipWriterAddFile(writer.get(), u"big.png", big), ZipWriterWriteFailed);
        EXPECT_EQ(FileSize(Container()), before);
        EXPECT_EQ(ZipWriterAddFile(writer.get(), u"second.xml", small), ZipWriterOk);
        EXPECT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    }
    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), 2u);
    EXPECT_EQ(zip.entries[1].name, "second.xml");
    EXPECT_EQ(zip.entries[1].localOffset, before);
    EXPECT_EQ(EntryContents(zip.entries[1]), ReadFileBytes(small));
}

TEST_F(ZipWriterTest, FailedCentralDirectoryWriteReportsTheFailure)
{
    const fs::path small = Source("small.xml", XmlText(3000));
    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipWriterAddFile(writer.get(), u"first.xml", small), ZipWriterOk);
    {
        FileSizeLimit limit(FileSize(Container()) + 10);
        EXPECT_EQ(ZipWriterClose(writer.get()), ZipWriterWriteFailed);
    }
    EXPECT_THROW(Written(), std::runtime_error) << "no end record";
    EXPECT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
}

// The container stays within its size limit, with room kept for the central
// directory, so an entry that does not fit is withdrawn instead of written wrong.
TEST_F(ZipWriterTest, EntryThatWouldOverflowTheContainerIsWithdrawn)
{
    ZipWriterOptions options;
    options.maxContainerSize = 4000;
    const fs::path picture = Source("p.png", IncompressibleBytes(1500, 8));
    const fs::path tiny = Source("t.xml", "tiny");
    ZipWriterHandle writer = ZipWriterCreate(Container(), options);
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipWriterAddFile(writer.get(), u"one.png", picture), ZipWriterOk);
    ASSERT_EQ(ZipWriterAddFile(writer.get(), u"two.png", picture), ZipWriterOk);
    const std::uint64_t before = FileSize(Container());
    EXPECT_EQ(ZipWriterAddFile(writer.get(), u"three.png", picture), ZipWriterWriteFailed);
    EXPECT_EQ(FileSize(Container()), before);
    EXPECT_EQ(ZipWriterAddFile(writer.get(), u"four.xml", tiny), ZipWriterOk);
    ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);

    EXPECT_LE(FileSize(Container()), options.maxContainerSize);
    const WrittenZip zip = Written();
    ASSERT_EQ(zip.entries.size(), 3u);
    EXPECT_EQ(zip.entries[2].name, "four.xml");
    EXPECT_EQ(zip.entries[2].localOffset, before);
}

TEST_F(ZipWriterTest, The65536thEntryIsRefused)
{
    const fs::path source = Source("one.gz", "1");
    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    for (int i = 0; i < 65535; ++i)
        ASSERT_EQ(ZipWriterAddFile(writer.get(), u"e.gz", source), ZipWriterOk) << i;
    const std::uint64_t before = FileSize(Container());
    EXPECT_EQ(ZipWriterAddFile(writer.get(), u"e.gz", source), ZipWriterBadArguments);
    EXPECT_EQ(FileSize(Container()), before);
    ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    const WrittenZip zip = Written();
    EXPECT_EQ(zip.totalEntries, 65535);
    EXPECT_EQ(zip.entriesOnDisk, 65535);
    EXPECT_EQ(zip.entries.size(), 65535u);
}

TEST_F(ZipWriterTest, CreateReplacesAFileButNeverALinkOrFolder)
{
    WriteFileBytes(Container(), std::string(1000, 'x'));
    ZipWriterHandle writer = ZipWriterCreate(Container());
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
    EXPECT_EQ(FileSize(Container()), 22u);

    const fs::path target = Source("target", "keep me");
    const fs::path link = m_dir / "link.zip";
    fs::create_symlink(target, link);
    EXPECT_FALSE(ZipWriterCreate(link));
    EXPECT_EQ(ReadFileBytes(target), "keep me");
    fs::create_directories(m_dir / "folder.zip");
    EXPECT_FALSE(ZipWriterCreate(m_dir / "folder.zip"));
    EXPECT_FALSE(ZipWriterCreate(m_dir / "missing" / "out.zip"));
}

TEST_F(ZipWriterTest, CreateLeavesAFileThatSomeoneElseHoldsLocked)
{
    const fs::path held = Source("held.zip", "earlier container");
    const int fd = ::open(held.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(ZipWriterCreate(held));
    EXPECT_EQ(ReadFileBytes(held), "earlier container");
    ::close(fd);
}

struct BatchCase
{
    const char* what;
    unsigned workers;
    std::size_t maxHeldBytes;
    std::uint64_t maxContainerSize;
};

// Several entries prepared at once must land exactly as one add after another
// would write them, failures included.
TEST_F(ZipWriterTest, BatchAddWritesTheSameBytesAsSingleAdds)
{
    const std::vector<BatchCase> cases = {
        {"two workers, held bytes wait", 2, 1024, kZipWriterMaxContainerSize},
        {"three workers, everything held", 3, std::size_t{64} << 20, kZipWriterMaxContainerSize},
        {"a middle entry overflows", 2, std::size_t{64} << 20, 1'000'000},
    };
    const std::time_t now = std::time(nullptr);
    std::vector<ZipWriterSource> sources = {
        {u"mimetype", Source("mimetype", "application/vnd.oasis.opendocument.presentation")},
        {u"content.xml", Source("content.xml", XmlText(2'000'000))},
        {u"Pictures\\a.png", Source("Pictures/a.png", IncompressibleBytes(600'000, 1))},
        {u"Pictures\\missing.png", m_dir / "Pictures" / "missing.png"},
        {std::u16string(300, u'n'), m_dir / "mimetype"},
        {u"Pictures\\b.jpg", Source("Pictures/b.jpg", IncompressibleBytes(300'000, 2))},
        {u"styles.xml", Source("styles.xml", XmlText(100'000))},
        {u"Objects\\x.gz", Source("x.gz", IncompressibleBytes(50'000, 3))},
        {u"empty", Source("empty", "")},
    };
    // An access time after the change time, which a read leaves as it is, keeps
    // the first pass from changing what the second records.
    for (const ZipWriterSource& s : sources) {
        if (fs::exists(s.source))
            SetTimes(s.source, now + 3600, now - 7200);
    }

    for (const BatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        ZipWriterOptions options;
        options.workers = c.workers;
        options.maxHeldBytes = c.maxHeldBytes;
        options.maxContainerSize = c.maxContainerSize;
        const fs::path single = m_dir / "single.zip";
        const fs::path batch = m_dir / "batch.zip";
        std::vector<ZipWriterResult> singleResults;
        {
            ZipWriterHandle writer = ZipWriterCreate(single, options);
            ASSERT_TRUE(writer);
            for (const ZipWriterSource& s : sources)
                singleResults.push_back(ZipWriterAddFile(writer.get(), s.name, s.source));
            ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
        }
        ZipWriterHandle writer = ZipWriterCreate(batch, options);
        ASSERT_TRUE(writer);
        EXPECT_EQ(ZipWriterAddFiles(writer.get(), sources), singleResults);
        ASSERT_EQ(ZipWriterClose(writer.get()), ZipWriterOk);
        EXPECT_TRUE(ReadFileBytes(batch) == ReadFileBytes(single));

        EXPECT_EQ(singleResults[3], ZipWriterSourceFailed);
        EXPECT_EQ(singleResults[4], ZipWriterBadArguments);
        const bool overflowed =
            std::find(singleResults.begin(), singleResults.end(), ZipWriterWriteFailed) != singleResults.end();
        EXPECT_EQ(overflowed, c.maxContainerSize < kZipWriterMaxContainerSize);
    }
}

} // namespace
