// The salvage scanner over hand-assembled containers: which local headers become
// rows, with which sizes, names and data offsets.

#include "engine/SalvageScanner.h"
#include "tests/engine/RecordingJobUi.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

struct Row
{
    std::string name; // as UTF-8
    std::uint32_t compressed;
    std::uint32_t uncompressed;
    std::uint64_t dataOffset;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r)
{
    return os << "{" << r.name << ", " << r.compressed << ", " << r.uncompressed << ", @" << r.dataOffset << "}";
}

struct ScanResult
{
    bool ok;
    std::vector<Row> rows;
    std::vector<std::string> log;
    std::vector<std::string> messages;
};

ScanResult Scan(const std::string& bytes)
{
    TempDir dir;
    const auto path = dir / "in.odp";
    WriteFileBytes(path, bytes);
    RecordingJobUi ui({path.string()});
    std::atomic<bool> running{true};
    JobThreadParams params{&running, &ui};
    ScanResult result;
    result.ok = ScanForEntries(ui, platform::FromPath(path), params);
    for (std::size_t i = 0; i < ui.EntryCount(); ++i) {
        const SalvagedEntry e = ui.EntryRecord(i);
        EXPECT_EQ(ui.EntryName(i), e.name);
        result.rows.push_back(Row{platform::ToUtf8(e.name), e.compressedSize, e.uncompressedSize, e.dataOffset});
    }
    for (const auto& line : ui.log)
        result.log.push_back(line.substr(path.string().size()));
    result.messages = ui.messages;
    return result;
}

LocalHeaderFields Header(const std::string& name, std::uint16_t method, std::uint32_t c, std::uint32_t u)
{
    LocalHeaderFields f;
    f.name = name;
    f.method = method;
    f.compressedSize = c;
    f.uncompressedSize = u;
    return f;
}

TEST(SalvageScanner, IntactContainerGivesOneRowPerLocalHeaderInFileOrder)
{
    ZipBytes zip;
    zip.Stored("mimetype", "application/vnd.oasis.opendocument.presentation");
    zip.Deflated("Pictures/a.png", std::string(500, 'a'));
    zip.Deflated("content.xml", "<x/>");
    zip.CentralDirectory();
    const ScanResult r = Scan(zip.Bytes());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0], (Row{"mimetype", 47, 47, 38}));
    EXPECT_EQ(r.rows[1].name, "Pictures\\a.png");
    EXPECT_EQ(r.rows[1].uncompressed, 500u);
    EXPECT_EQ(r.rows[2].name, "content.xml");
    EXPECT_EQ(r.log, (std::vector<std::string>{" file is open....\r\n", " file is extracted....\r\n",
                                               " file is closed....\r\n"}));
}

TEST(SalvageScanner, FindsTheFirstHeaderAfterGarbageOfAnyLength)
{
    for (const std::string& garbage : std::vector<std::string>{"x", "PK", "PK\x03", "garbage!", std::string(70000, 'P')}) {
        ZipBytes zip;
        zip.Raw(garbage).Stored("a.txt", "hello");
        const ScanResult r = Scan(zip.Bytes());
        ASSERT_EQ(r.rows.size(), 1u) << garbage.size();
        EXPECT_EQ(r.rows[0], (Row{"a.txt", 5, 5, garbage.size() + 35}));
    }
}

struct LayoutCase
{
    const char* what;
    std::string bytes;
    std::vector<Row> rows;
};

std::vector<LayoutCase> LayoutCases()
{
    std::vector<LayoutCase> cases;
    {
        ZipBytes z;
        z.Local(Header("Pictures/", 0, 0, 0), "").Local(Header("", 0, 3, 3), "abc").Stored("b", "x");
        cases.push_back({"a folder entry and an empty name leave no row", z.Bytes(), {{"b", 1, 1, 30 + 9 + 30 + 3 + 30 + 1}}});
    }
    {
        ZipBytes z;
        z.DeflatedWithDescriptor("content.xml", std::string(300, 'c'));
        const std::uint32_t packed = static_cast<std::uint32_t>(RawDeflate(std::string(300, 'c')).size());
        cases.push_back({"sizes come from the signed descriptor", z.Bytes(), {{"content.xml", packed, 300, 41}}});
    }
    {
        ZipBytes z;
        const std::string packed = RawDeflate(std::string(300, 'c'));
        z.Local(Header("lost.xml", 8, 0, 0), packed).Raw(std::string(12, '\0')).Stored("next", "n");
        cases.push_back({"no descriptor signature: the entry is dropped", z.Bytes(),
                         {{"next", 1, 1, 38 + packed.size() + 12 + 34}}});
    }
    {
        ZipBytes z;
        z.Local(Header("lost.xml", 8, 0, 0), "abc").Stored("next", "n").Descriptor(1, 2, 3);
        cases.push_back({"the next local header before the descriptor: dropped", z.Bytes(), {{"next", 1, 1, 38 + 3 + 34}}});
    }
    {
        ZipBytes z;
        z.Local(Header("stored0", 0, 0, 0), "").Descriptor(1, 5, 5).Stored("next", "n");
        cases.push_back({"a stored entry with zero sizes has no look-ahead", z.Bytes(),
                         {{"next", 1, 1, 37 + 16 + 34}}});
    }
    {
        ZipBytes z;
        z.Stored("first", "1").Local(Header("far", 8, 1000000, 2000000), "tail");
        cases.push_back({"data past the end: the row stays and the scan ends", z.Bytes(),
                         {{"first", 1, 1, 35}, {"far", 1000000, 2000000, 36 + 33}}});
    }
    {
        ZipBytes z;
        z.Stored("same", "1").Stored("same", "2");
        cases.push_back({"two headers with one name: two rows", z.Bytes(), {{"same", 1, 1, 34}, {"same", 1, 1, 69}}});
    }
    {
        ZipBytes z;
        z.Stored("caf\xE9/\xFC.txt", "x");
        cases.push_back({"non-ASCII bytes are read as ISO 8859-1", z.Bytes(), {{"caf\xC3\xA9\\\xC3\xBC.txt", 1, 1, 40}}});
    }
    {
        ZipBytes z;
        z.Stored(std::string("ab\0cd", 5), "x").Stored(std::string("\0zz", 3), "y");
        cases.push_back({"a NUL ends a name; a name starting with NUL leaves no row", z.Bytes(), {{"ab", 1, 1, 35}}});
    }
    {
        ZipBytes z;
        z.Stored("whole", "1");
        std::string bytes = z.Bytes() + "PK\x03\x04" + std::string(10, '\0');
        cases.push_back({"a header cut off by the end of the file leaves no row", bytes, {{"whole", 1, 1, 35}}});
    }
    {
        LocalHeaderFields f = Header("name-runs-past-the-end", 0, 1, 1);
        ZipBytes z;
        z.Local(f, "");
        std::string bytes = z.Bytes().substr(0, 40);
        cases.push_back({"a name that runs past the end leaves no row", bytes, {}});
    }
    {
        ZipBytes z;
        z.Local(Header("hides", 0, 40, 40), "");
        ZipBytes inner;
        inner.Stored("inner", "i");
        z.Raw(inner.Bytes().substr(0, 36)).Raw("xxxx").Stored("after", "a");
        cases.push_back({"a skipped entry hides the signatures inside its data", z.Bytes(),
                         {{"hides", 40, 40, 35}, {"after", 1, 1, 35 + 40 + 35}}});
    }
    cases.push_back({"a file shorter than four bytes", "PK\x03", {}});
    return cases;
}

TEST(SalvageScanner, LayoutsTable)
{
    for (const LayoutCase& c : LayoutCases()) {
        const ScanResult r = Scan(c.bytes);
        EXPECT_TRUE(r.ok) << c.what;
        EXPECT_EQ(r.rows, c.rows) << c.what;
    }
}

TEST(SalvageScanner, ResumesThreeBytesBeforeTheSkippedData)
{
    // The header's data is declared one byte short, so the next header begins one
    // byte before the resume point: still found, because the scan backs up three.
    ZipBytes z;
    z.Local(Header("short", 0, 4, 4), "12345").Stored("next", "n");
    const ScanResult r = Scan(z.Bytes());
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[1].name, "next");
}

TEST(SalvageScanner, UnopenableFileShowsTheSystemTextAndFails)
{
    TempDir dir;
    RecordingJobUi ui;
    std::atomic<bool> running{true};
    JobThreadParams params{&running, &ui};
    ui.AppendEntry(u"kept", std::make_unique<SalvagedEntry>());
    EXPECT_FALSE(ScanForEntries(ui, platform::FromPath(dir / "missing.odp"), params));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No such file or directory"});
    EXPECT_TRUE(ui.log.empty());
    EXPECT_EQ(ui.EntryCount(), 1u) << "the table is left as it was";

    EXPECT_FALSE(ScanForEntries(ui, platform::FromPath(dir.Path()), params));
    EXPECT_EQ(ui.messages.back(), "Is a directory");
}

TEST(SalvageScanner, FileLockedByAnotherProgramIsRefused)
{
    TempDir dir;
    const auto path = dir / "locked.odp";
    ZipBytes z;
    z.Stored("a", "b");
    WriteFileBytes(path, z.Bytes());
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    RecordingJobUi ui;
    std::atomic<bool> running{true};
    JobThreadParams params{&running, &ui};
    EXPECT_FALSE(ScanForEntries(ui, platform::FromPath(path), params));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Resource temporarily unavailable"});
    ::close(holder);
    EXPECT_TRUE(ScanForEntries(ui, platform::FromPath(path), params));
}

TEST(SalvageScanner, ClearedFlagStopsTheScanWithTheRowsFoundSoFar)
{
    ZipBytes z;
    z.Stored("a", "1");
    for (int i = 0; i < 20; ++i)
        z.Raw(IncompressibleBytes(100000, static_cast<std::uint32_t>(i + 7))).Stored("b" + std::to_string(i), "2");
    TempDir dir;
    const auto path = dir / "in.odp";
    WriteFileBytes(path, z.Bytes());
    RecordingJobUi ui;
    std::atomic<bool> running{false};
    JobThreadParams params{&running, &ui};
    EXPECT_TRUE(ScanForEntries(ui, platform::FromPath(path), params));
    EXPECT_EQ(ui.EntryCount(), 0u);
    EXPECT_EQ(ui.log.size(), 3u);
}

// A huge sparse file with a header at its very end: a scan that was not stopped
// would take minutes and would find that header.
TEST(SalvageScanner, StopFromAnotherThreadEndsALongScan)
{
    TempDir dir;
    const auto path = dir / "huge.odp";
    ZipBytes z;
    z.Stored("start", "s");
    WriteFileBytes(path, z.Bytes());
    ZipBytes tail;
    tail.Stored("end", "e");
    const int fd = ::open(path.c_str(), O_WRONLY);
    constexpr off_t kHuge = off_t{200} * 1024 * 1024 * 1024;
    ASSERT_EQ(::pwrite(fd, tail.Bytes().data(), tail.Size(), kHuge), static_cast<ssize_t>(tail.Size()));
    ::close(fd);

    RecordingJobUi ui;
    std::atomic<bool> running{true};
    JobThreadParams params{&running, &ui};
    bool ok = false;
    std::thread scan([&] { ok = ScanForEntries(ui, platform::FromPath(path), params); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    running.store(false);
    scan.join();
    EXPECT_TRUE(ok);
    ASSERT_EQ(ui.EntryCount(), 1u);
    EXPECT_EQ(ui.EntryName(0), u"start");
    ASSERT_EQ(ui.log.size(), 3u);
    EXPECT_NE(ui.log[2].find(" file is closed....\r\n"), std::string::npos);
}

TEST(FormatEntryTime, FormatsAndRejects)
{
    struct Case
    {
        std::uint16_t date, time;
        const char16_t* text;
    };
    const Case cases[] = {
        {(30 << 9) | (11 << 5) | 16, (15 << 11) | (45 << 5) | 6, u"Tuesday, November 16, 2010 03:45:12 PM "},
        {(0 << 9) | (1 << 5) | 1, 0, u"Tuesday, January 01, 1980 12:00:00 AM "},
        {(20 << 9) | (2 << 5) | 29, (12 << 11) | (5 << 5) | 29, u"Tuesday, February 29, 2000 12:05:58 PM "},
        {(21 << 9) | (2 << 5) | 29, 0, u""},             // not a leap year
        {(30 << 9) | (2 << 5) | 30, 0, u""},             // 30 February
        {(30 << 9) | (13 << 5) | 1, 0, u""},             // month 13
        {(30 << 9) | (0 << 5) | 1, 0, u""},              // month 0
        {(30 << 9) | (1 << 5) | 0, 0, u""},              // day 0
        {(30 << 9) | (1 << 5) | 1, 24 << 11, u""},       // hour 24
        {(30 << 9) | (1 << 5) | 1, 60 << 5, u""},        // minute 60
        {(30 << 9) | (1 << 5) | 1, 30, u""},             // seconds 60
        {(127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29, u"Saturday, December 31, 2107 11:59:58 PM "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatEntryTime(c.date, c.time), c.text) << c.date << " " << c.time;
}

} // namespace
