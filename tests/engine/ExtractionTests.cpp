// Entry extraction: what each kind of row leaves in the work folder, hostile
// names, claimed sizes, and the content fallback.

#include "engine/ContentTemplate.h"
#include "engine/EntryExtraction.h"
#include "engine/SalvageScanner.h"
#include "tests/engine/RecordingJobUi.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

const std::string kLongXml = [] {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
                    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" office:version=\"1.3\">";
    while (s.size() < 5000)
        s += "<office:body/>";
    return s + "</office:document-content>";
}();

class ExtractionTest : public ::testing::Test
{
protected:
    // Scans bytes as a damaged file and extracts its rows into the work folder.
    void Repair(const std::string& bytes)
    {
        WriteFileBytes(m_source, bytes);
        std::atomic<bool> running{true};
        JobThreadParams params{&running, &m_ui};
        ASSERT_TRUE(ScanForEntries(m_ui, platform::FromPath(m_source), params));
        fs::create_directory(m_work);
        ExtractEntries(m_ui, m_work, platform::FromPath(m_source));
    }
    // The files of the work folder other than what the package fallback adds.
    std::vector<std::string> Salvaged() const
    {
        std::vector<std::string> files;
        for (const auto& f : ListTree(m_work)) {
            if (f != "mimetype" && f != "META-INF/manifest.xml" && f != "content.xml")
                files.push_back(f);
        }
        return files;
    }

    TempDir m_dir;
    fs::path m_source = m_dir / "damaged.odp";
    fs::path m_work = m_dir / "work";
    RecordingJobUi m_ui{{m_source.string()}};
};

TEST_F(ExtractionTest, StoredAndDeflatedEntriesComeBackByteForByte)
{
    const std::string picture = IncompressibleBytes(200000, 3);
    const std::string text(100000, 't');
    ZipBytes z;
    z.Stored("Pictures/a.png", picture).Deflated("Pictures/deep/b.xml", text).DeflatedWithDescriptor("c.txt", "ccc");
    Repair(z.Bytes());
    EXPECT_EQ(Salvaged(), (std::vector<std::string>{"Pictures/a.png", "Pictures/deep/b.xml", "c.txt"}));
    EXPECT_EQ(ReadFileBytes(m_work / "Pictures/a.png"), picture);
    EXPECT_EQ(ReadFileBytes(m_work / "Pictures/deep/b.xml"), text);
    EXPECT_EQ(ReadFileBytes(m_work / "c.txt"), "ccc");
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(ExtractionTest, RowKindsTable)
{
    struct Case
    {
        const char* what;
        LocalHeaderFields header;
        std::string data;
        std::optional<std::string> output; // the file "x", or none
    };
    auto header = [](std::uint32_t c, std::uint32_t u) {
        LocalHeaderFields f;
        f.name = "x";
        f.compressedSize = c;
        f.uncompressedSize = u;
        return f;
    };
    const std::string incompressible = IncompressibleBytes(3000, 9);
    const std::string packedIncompressible = RawDeflate(incompressible);
    const std::string packedEmpty = RawDeflate("");
    const std::string packedText = RawDeflate(kLongXml);
    const auto n = [](const std::string& s) { return static_cast<std::uint32_t>(s.size()); };
    const std::vector<Case> cases = {
        {"equal sizes are copied without inflating", header(5, 5), "12345", "12345"},
        {"compressed larger than uncompressed still inflates", header(n(packedIncompressible), n(incompressible)),
         packedIncompressible, incompressible},
        {"a deflated empty file gives an empty file", header(n(packedEmpty), 0), packedEmpty, ""},
        {"no compressed bytes give no file", header(0, 10), "", std::nullopt},
        {"corrupt data gives no file", header(40, 400), std::string(40, '\xFF'), std::nullopt},
        {"a stream shorter than claimed gives no file", header(n(packedText), n(kLongXml) + 1), packedText,
         std::nullopt},
        {"a claim of 4 GiB gives no file", header(n(packedText), 0xFFFFFFFFu), packedText, std::nullopt},
        {"data past the end of the file gives no file", header(1000, 1000), "short", std::nullopt},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const fs::path source = dir / "in.odp";
        const fs::path work = dir / "work";
        ZipBytes z;
        z.Local(c.header, c.data);
        WriteFileBytes(source, z.Bytes());
        fs::create_directory(work);
        RecordingJobUi ui;
        std::atomic<bool> running{true};
        JobThreadParams params{&running, &ui};
        ASSERT_TRUE(ScanForEntries(ui, platform::FromPath(source), params)) << c.what;
        ExtractEntries(ui, work, platform::FromPath(source));
        if (c.output) {
            EXPECT_EQ(ReadFileBytes(work / "x"), *c.output) << c.what;
        } else {
            EXPECT_FALSE(fs::exists(work / "x")) << c.what;
        }
        for (const auto& f : ListTree(work))
            EXPECT_EQ(f.find("partial"), std::string::npos) << c.what << ": " << f;
    }
}

TEST_F(ExtractionTest, HostileNamesEndUpBelowTheWorkFolder)
{
    ZipBytes z;
    z.Stored("../x1", "1").Stored("/etc/x2", "2").Stored("C:\\x3", "3").Stored("a\\..\\..\\x4", "4");
    z.Stored("./b/./x5", "5").Stored("..", "6").Stored("c:/d::/x7", "7").Stored("folder/", "8");
    Repair(z.Bytes());
    EXPECT_EQ(Salvaged(), (std::vector<std::string>{"C/x3", "a/x4", "b/x5", "c/d/x7", "etc/x2", "x1"}));
    EXPECT_TRUE(fs::is_directory(m_work / "folder"));
    EXPECT_EQ(ReadFileBytes(m_work / "a/x4"), "4");
    EXPECT_FALSE(fs::exists(m_dir / "x1"));
    EXPECT_FALSE(fs::exists(m_dir / "x4"));
}

TEST_F(ExtractionTest, LaterRowReplacesEarlierAndAFailedLaterRowKeepsIt)
{
    LocalHeaderFields broken;
    broken.name = "a.txt";
    broken.compressedSize = 10;
    broken.uncompressedSize = 50;
    ZipBytes z;
    z.Stored("a.txt", "first").Stored("a.txt", "second").Local(broken, std::string(10, '\xFF'));
    Repair(z.Bytes());
    EXPECT_EQ(ReadFileBytes(m_work / "a.txt"), "second");
}

TEST_F(ExtractionTest, FolderThatCannotBeMadeIsReportedAndExtractionGoesOn)
{
    ZipBytes z;
    z.Stored("blocker", "file").Stored("blocker/inside.txt", "x").Stored("after.txt", "y");
    Repair(z.Bytes());
    EXPECT_EQ(m_ui.messages, std::vector<std::string>{"Not a directory"});
    EXPECT_EQ(ReadFileBytes(m_work / "after.txt"), "y");
}

TEST_F(ExtractionTest, ProgressShowsEachRowThenTheEnd)
{
    ZipBytes z;
    z.Stored("a", "1").Stored("b", "2").Stored("c", "3");
    Repair(z.Bytes());
    std::vector<std::string> progress;
    for (const auto& call : m_ui.calls)
        if (call.find(" file") != std::string::npos && call.rfind("AppendLog", 0) != 0)
            progress.push_back(call);
    EXPECT_EQ(progress, (std::vector<std::string>{"RestartEstimate file", "SetProgressRange file 0 3",
                                                  "SetProgressPos file 0", "SetProgressPos file 0",
                                                  "SetProgressPos file 1", "SetProgressPos file 2",
                                                  "SetProgressPos file 3"}));
    ASSERT_EQ(m_ui.extractions.size(), 1u);
    EXPECT_EQ(m_ui.extractions[0].entriesFound, 3u);
    EXPECT_EQ(m_ui.extractions[0].entriesExtracted, 3u);
    EXPECT_FALSE(m_ui.extractions[0].contentXmlSalvaged);
}

TEST_F(ExtractionTest, NoRowsStillGiveTheTemplateContent)
{
    Repair("nothing to salvage here");
    EXPECT_EQ(ReadFileBytes(m_work / "content.xml"), std::string(ContentTemplate()));
}

TEST(ContentFallback, ThresholdTable)
{
    const std::string_view tmpl = ContentTemplate();
    ASSERT_EQ(tmpl.size(), 3459u);
    ASSERT_EQ(tmpl.substr(0, 39), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    struct Case
    {
        std::optional<std::string> existing;
        bool keeps;
    };
    const Case cases[] = {
        {std::nullopt, false},
        {std::string(3458, 'a'), false},
        {std::string(3459, 'a'), true},
        {std::string(9000, 'b'), true},
        {std::string(), false},
    };
    for (const Case& c : cases) {
        TempDir work;
        if (c.existing)
            WriteFileBytes(work / "content.xml", *c.existing);
        EXPECT_TRUE(EnsureContentXml(work.Path()));
        EXPECT_EQ(ReadFileBytes(work / "content.xml"), c.keeps ? *c.existing : std::string(tmpl));
    }
}

TEST(ContentFallback, NeverWritesThroughALink)
{
    TempDir dir;
    fs::create_directory(dir / "work");
    WriteFileBytes(dir / "outside.xml", "keep me");
    fs::create_symlink(dir / "outside.xml", dir / "work/content.xml");
    EXPECT_TRUE(EnsureContentXml(dir / "work"));
    EXPECT_EQ(ReadFileBytes(dir / "outside.xml"), "keep me");
    EXPECT_FALSE(fs::is_symlink(dir / "work/content.xml"));
    EXPECT_EQ(ReadFileBytes(dir / "work/content.xml").size(), 3459u);
}

TEST(ContentFallback, TemplateIsWellFormedOnePagePresentation)
{
    const std::string t(ContentTemplate());
    EXPECT_NE(t.find("office:version=\"1.1\"><office:scripts/><office:automatic-styles>"), std::string::npos);
    EXPECT_NE(t.find("<draw:page draw:name=\"page1\" draw:style-name=\"dp1\" draw:master-page-name=\"Default\">"),
              std::string::npos);
    EXPECT_NE(t.find("<presentation:settings presentation:mouse-visible=\"false\"/>"), std::string::npos);
    EXPECT_EQ(t.substr(t.size() - 26), "</office:document-content>");
    EXPECT_EQ(t.find('\n'), 38u);
    EXPECT_EQ(t.find('\n', 39), std::string::npos);
}

} // namespace
