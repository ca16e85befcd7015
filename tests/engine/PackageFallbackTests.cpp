// The package fallback over small salvaged trees.
#include "engine/ContentTemplate.h"
#include "engine/ManifestWriter.h"
#include "engine/PackageFallback.h"
#include "engine/PackageXmlScan.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPresentation = "application/vnd.oasis.opendocument.presentation";
constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kNamespaces = " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                                         " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
                                         " xmlns:xlink=\"http://www.w3.org/1999/xlink\"";

std::string Document(std::string_view root, std::optional<std::string_view> version, std::string_view body)
{
    std::string xml(kDeclaration);
    xml += "<" + std::string(root) + std::string(kNamespaces);
    if (version)
        xml += " office:version=\"" + std::string(*version) + "\"";
    return xml + ">" + std::string(body) + "</" + std::string(root) + ">";
}

std::string Content(std::optional<std::string_view> version, std::string_view body = "<office:body/>")
{
    return Document("office:document-content", version, body);
}

std::string Styles(std::optional<std::string_view> version, std::string_view body = "<office:styles/>")
{
    return Document("office:document-styles", version, body);
}

std::string Image(std::string_view href)
{
    return "<draw:frame><draw:image xlink:href=\"" + std::string(href) + "\"/></draw:frame>";
}

// The full-path and media-type of every entry but the root, read from the bytes.
std::vector<std::string> ListedEntries(const std::string& manifest)
{
    std::vector<std::string> entries;
    const std::string pathKey = "manifest:full-path=\"";
    const std::string typeKey = "manifest:media-type=\"";
    for (std::size_t at = manifest.find(pathKey); at != std::string::npos; at = manifest.find(pathKey, at)) {
        at += pathKey.size();
        const std::string path = manifest.substr(at, manifest.find('"', at) - at);
        const std::size_t type = manifest.find(typeKey, at) + typeKey.size();
        if (path != "/")
            entries.push_back(path + " " + manifest.substr(type, manifest.find('"', type) - type));
    }
    return entries;
}

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class PackageFallbackTest : public ::testing::Test
{
protected:
    fs::path PathOf(const std::string& relative) const { return m_dir.Path() / relative; }

    void Write(const std::string& relative, std::string_view bytes) const
    {
        fs::create_directories(PathOf(relative).parent_path());
        WriteFileBytes(PathOf(relative), bytes);
    }
    std::string Read(const std::string& relative) const { return ReadFileBytes(PathOf(relative)); }
    bool Exists(const std::string& relative) const { return fs::exists(fs::symlink_status(PathOf(relative))); }
    bool Run() const { return EnsurePackageFiles(m_dir.Path()); }
    std::string Manifest() const { return Read("META-INF/manifest.xml"); }

    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const std::string& path : ListTree(m_dir.Path()))
            files[path] = Read(path);
        return files;
    }

    TempDir m_dir;
};

TEST_F(PackageFallbackTest, RebuildsTheExampleManifestByteForByte)
{
    Write("mimetype", kPresentation);
    Write("content.xml", Content("1.3", Image("Pictures/a.png")));
    Write("styles.xml", Styles("1.3"));
    Write("Pictures/a.png", "png");
    Write("Thumbnails/thumbnail.png", "thumb");

    EXPECT_TRUE(Run());

    const std::string expected
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
          "manifest:version=\"1.3\">\n"
          " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.3\" "
          "manifest:media-type=\"application/vnd.oasis.opendocument.presentation\"/>\n"
          " <manifest:file-entry manifest:full-path=\"Pictures/a.png\" manifest:media-type=\"image/png\"/>\n"
          " <manifest:file-entry manifest:full-path=\"Thumbnails/thumbnail.png\" manifest:media-type=\"image/png\"/>\n"
          " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
          " <manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>\n"
          "</manifest:manifest>";
    ASSERT_EQ(expected.size(), 679u);
    EXPECT_EQ(Manifest(), expected);
    EXPECT_EQ(ListTree(m_dir.Path()), (std::vector<std::string>{"META-INF/manifest.xml", "Pictures/a.png",
                                                                 "Thumbnails/thumbnail.png", "content.xml",
                                                                 "mimetype", "styles.xml"}));
}

TEST_F(PackageFallbackTest, LeavesASoundPackageByteForByteUnchanged)
{
    Write("mimetype", kPresentation);
    Write("content.xml", Content("1.3", Image("Pictures/a.png") + "<draw:object xlink:href=\"./Object 1\"/>"));
    Write("styles.xml", Styles("1.3", Image("Pictures/bg.jpg")));
    Write("meta.xml", Document("office:document-meta", "1.3", ""));
    Write("settings.xml", Document("office:document-settings", "1.3", ""));
    Write("META-INF/manifest.xml", "<manifest:manifest/>");
    Write("Pictures/a.png", "a");
    Write("Pictures/bg.jpg", "bg");
    // Only the top-level parts are checked: an object's own malformed content stays.
    Write("Object 1/content.xml", "<broken");
    const auto before = Snapshot();

    EXPECT_TRUE(Run());

    EXPECT_EQ(Snapshot(), before);
}

TEST_F(PackageFallbackTest, MalformedLargeContentBecomesTheTemplateAndTheManifestLosesItsVersion)
{
    std::string content = Content("1.3", Image("Pictures/lost.png") + "<text:p>" + std::string(5000, 'x'));
    ASSERT_GT(content.size(), kContentTemplateSize);
    Write("mimetype", kPresentation);
    Write("content.xml", content); // the paragraph is never closed
    Write("styles.xml", Styles("1.3"));

    EXPECT_TRUE(Run());

    EXPECT_EQ(Read("content.xml"), ContentTemplate());
    // The template says 1.1, so no version is written even though styles.xml says 1.3.
    EXPECT_EQ(CountOf(Manifest(), "manifest:version"), 0u);
    EXPECT_NE(Manifest().find("<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:"
                              "1.0\">\n <manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\""
                              "application/vnd.oasis.opendocument.presentation\"/>\n"),
              std::string::npos);
    // References of the replaced content no longer count.
    EXPECT_FALSE(Exists("Pictures/lost.png"));
}

struct MalformedPartCase
{
    const char* part;
};

class MalformedPartTest : public PackageFallbackTest, public ::testing::WithParamInterface<MalformedPartCase>
{};

TEST_P(MalformedPartTest, IsRemovedAndNotListed)
{
    const std::string part = GetParam().part;
    Write("mimetype", kPresentation);
    Write("content.xml", Content("1.2"));
    Write("styles.xml", Styles("1.2"));
    Write("meta.xml", Document("office:document-meta", "1.2", ""));
    Write("settings.xml", Document("office:document-settings", "1.2", ""));
    Write("META-INF/manifest.xml", "<manifest:manifest/>");
    Write(part, "<office:document><unclosed></office:document>");

    EXPECT_TRUE(Run());

    if (part == "META-INF/manifest.xml") {
        EXPECT_EQ(ListedEntries(Manifest()), (std::vector<std::string>{"content.xml text/xml", "meta.xml text/xml",
                                                                        "settings.xml text/xml",
                                                                        "styles.xml text/xml"}));
        EXPECT_EQ(CountOf(Manifest(), "manifest:version=\"1.2\""), 2u);
    } else {
        EXPECT_FALSE(Exists(part));
        EXPECT_EQ(Manifest(), "<manifest:manifest/>"); // a salvaged sound manifest stays as it was
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, MalformedPartTest,
                         ::testing::Values(MalformedPartCase{"styles.xml"}, MalformedPartCase{"meta.xml"},
                                           MalformedPartCase{"settings.xml"},
                                           MalformedPartCase{"META-INF/manifest.xml"}));

TEST_F(PackageFallbackTest, RemovedStylesAddNoPlaceholdersAndAreNotListed)
{
    Write("content.xml", Content("1.3"));
    Write("styles.xml", Styles("1.3", Image("Pictures/bg.png") + "<unclosed>"));

    EXPECT_TRUE(Run());

    EXPECT_FALSE(Exists("styles.xml"));
    EXPECT_FALSE(Exists("Pictures/bg.png"));
    EXPECT_EQ(ListedEntries(Manifest()), (std::vector<std::string>{"content.xml text/xml"}));
}

struct WellFormednessCase
{
    const char* name;
    std::string bytes;
    bool kept;
};

class WellFormednessTest : public PackageFallbackTest, public ::testing::WithParamInterface<WellFormednessCase>
{};

// meta.xml carries each case: kept when well-formed, removed otherwise.
TEST_P(WellFormednessTest, DecidesWhetherThePartStays)
{
    Write("mimetype", kPresentation);
    Write("content.xml", Content("1.3"));
    Write("META-INF/manifest.xml", "<manifest:manifest/>");
    Write("meta.xml", GetParam().bytes);

    EXPECT_TRUE(Run());

    EXPECT_EQ(Exists("meta.xml"), GetParam().kept);
}

std::string Utf16LittleEndian(std::string_view ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WellFormednessTest,
    ::testing::Values(
        WellFormednessCase{"UnboundPrefix", "<drax:page/>", true},
        WellFormednessCase{"NoDeclaration", "<a><b/></a>", true},
        WellFormednessCase{"LowerCaseUtf8", "<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>", true},
        WellFormednessCase{"Latin1", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>\xE9</a>", true},
        WellFormednessCase{"UsAscii", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><a/>", true},
        WellFormednessCase{"Utf16", Utf16LittleEndian("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>"), true},
        WellFormednessCase{"EntityInAttribute", "<a b=\"&amp;&#65;\"/>", true},
        WellFormednessCase{"UnknownEncoding", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a/>", false},
        WellFormednessCase{"Latin9", "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?><a/>", false},
        WellFormednessCase{"Empty", "", false},
        WellFormednessCase{"DeclarationOnly", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", false},
        WellFormednessCase{"MismatchedTag", "<a><b></a></b>", false},
        WellFormednessCase{"TwoRoots", "<a/><b/>", false},
        WellFormednessCase{"UndefinedEntity", "<a>&nbsp;</a>", false},
        WellFormednessCase{"DuplicateAttribute", "<a x=\"1\" x=\"2\"/>", false},
        WellFormednessCase{"NulByte", std::string("<a>\0</a>", 8), false},
        WellFormednessCase{"InvalidUtf8", "<a>\xC3\x28</a>", false},
        WellFormednessCase{"CutInsideATag", "<a><b x=\"1", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PackageFallbackTest, ReadsALargePartAcrossChunkBoundaries)
{
    // Many references and a two-byte character on every possible chunk seam.
    std::string body;
    for (int i = 0; body.size() < 300000; ++i)
        body += Image("Pictures/p" + std::to_string(i) + ".png") + "<text:p>\xC3\xA9\xC3\xA9\xC3\xA9</text:p>";
    Write("content.xml", Content("1.3", body));
    Write("styles.xml", Styles("1.3", std::string(200000, ' ') + "<unclosed>"));

    EXPECT_TRUE(Run());

    EXPECT_NE(Read("content.xml"), ContentTemplate());
    EXPECT_FALSE(Exists("styles.xml")); // its error lies beyond the first chunks
    EXPECT_TRUE(Exists("Pictures/p0.png"));
    const std::vector<std::string> files = ListTree(m_dir.Path() / "Pictures");
    EXPECT_GT(files.size(), 1000u);
    EXPECT_EQ(CountOf(Manifest(), "manifest:version=\"1.3\""), 2u);
}

struct VersionCase
{
    const char* name;
    std::optional<std::string_view> content; // office:version of content.xml
    std::optional<std::string_view> styles;  // of styles.xml, when there is one
    bool stylesPresent;
    const char* written; // "" for none
};

class ManifestVersionTest : public PackageFallbackTest, public ::testing::WithParamInterface<VersionCase>
{};

TEST_P(ManifestVersionTest, FollowsTheDocument)
{
    const VersionCase& c = GetParam();
    Write("content.xml", Content(c.content));
    if (c.stylesPresent)
        Write("styles.xml", Styles(c.styles));

    EXPECT_TRUE(Run());

    const std::string written = c.written;
    if (written.empty()) {
        EXPECT_EQ(CountOf(Manifest(), "manifest:version"), 0u);
    } else {
        EXPECT_EQ(CountOf(Manifest(), "manifest:version"), 2u);
        EXPECT_EQ(CountOf(Manifest(), "manifest:version=\"" + written + "\""), 2u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ManifestVersionTest,
    ::testing::Values(VersionCase{"Content13", "1.3", "1.2", true, "1.3"},
                      VersionCase{"Content11", "1.1", "1.3", true, ""},
                      VersionCase{"Content12NoStyles", "1.2", std::nullopt, false, "1.2"},
                      VersionCase{"ContentWithoutVersionTakesStyles", std::nullopt, "1.3", true, "1.3"},
                      VersionCase{"NeitherHasOne", std::nullopt, std::nullopt, true, ""},
                      VersionCase{"EmptyVersionIsNotReplaced", "", "1.3", true, ""},
                      VersionCase{"TwoDigitMinor", "1.10", std::nullopt, false, "1.10"},
                      VersionCase{"Major2", "2.0", std::nullopt, false, "2.0"},
                      VersionCase{"ThreeParts", "1.2.1", std::nullopt, false, ""},
                      VersionCase{"LeadingBlank", " 1.3", std::nullopt, false, ""},
                      VersionCase{"NotDigits", "1.x", std::nullopt, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PackageFallbackTest, VersionComesFromStylesWhenContentIsAFolder)
{
    fs::create_directory(PathOf("content.xml"));
    Write("styles.xml", Styles("1.2"));

    EXPECT_TRUE(Run());

    EXPECT_TRUE(fs::is_directory(PathOf("content.xml")));
    EXPECT_EQ(CountOf(Manifest(), "manifest:version=\"1.2\""), 2u);
}

TEST_F(PackageFallbackTest, VersionIsTakenOnlyFromTheRootElement)
{
    Write("content.xml", Content(std::nullopt, "<office:body office:version=\"1.3\"/>"));

    EXPECT_TRUE(Run());

    EXPECT_EQ(CountOf(Manifest(), "manifest:version"), 0u);
}

TEST(ManifestVersion, IsDigitsDotDigitsFromOnePointTwo)
{
    for (const char* yes : {"1.2", "1.3", "1.10", "2.0", "01.2", "99999999999999999999.0"})
        EXPECT_TRUE(IsManifestVersion(yes)) << yes;
    for (const char* no : {"1.1", "0.9", "1.2.1", " 1.3", "1.3 ", "", "1.", ".2", "1", "1,2", "+1.2"})
        EXPECT_FALSE(IsManifestVersion(no)) << no;
}

struct MimetypeCase
{
    const char* name;
    std::optional<std::string> before; // nothing: no mimetype file
    std::string after;
};

class MimetypeTest : public PackageFallbackTest, public ::testing::WithParamInterface<MimetypeCase>
{};

TEST_P(MimetypeTest, IsWrittenUnlessItHoldsAnOpenDocumentType)
{
    Write("content.xml", Content("1.3"));
    Write("META-INF/manifest.xml", "<manifest:manifest/>");
    if (GetParam().before)
        Write("mimetype", *GetParam().before);

    EXPECT_TRUE(Run());

    EXPECT_EQ(Read("mimetype"), GetParam().after);
}

const std::string kWritten(kPresentation);

INSTANTIATE_TEST_SUITE_P(
    Cases, MimetypeTest,
    ::testing::Values(MimetypeCase{"Missing", std::nullopt, kWritten},
                      MimetypeCase{"Empty", std::string(), kWritten},
                      MimetypeCase{"Garbled", std::string("applic\x01tion/vnd.oasis.opendocument.presentation"),
                                   kWritten},
                      MimetypeCase{"LongerGarbage", std::string(100, 'Z'), kWritten},
                      MimetypeCase{"PrefixCutShort", std::string("application/vnd.oasis.opendocument"), kWritten},
                      MimetypeCase{"TextKept", std::string("application/vnd.oasis.opendocument.text"),
                                   "application/vnd.oasis.opendocument.text"},
                      MimetypeCase{"PrefixAloneKept", std::string("application/vnd.oasis.opendocument."),
                                   "application/vnd.oasis.opendocument."},
                      MimetypeCase{"LineEndKept", kWritten + "\n", kWritten + "\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PackageFallbackTest, AMimetypeFolderBlocksTheWrite)
{
    Write("content.xml", Content("1.3"));
    Write("mimetype/inside", "x");

    EXPECT_FALSE(Run());

    EXPECT_TRUE(fs::is_directory(PathOf("mimetype")));
    // Everything else is still done, and the folder's file is listed like any other.
    EXPECT_EQ(ListedEntries(Manifest()),
              (std::vector<std::string>{"content.xml text/xml", "mimetype/inside application/octet-stream"}));
}

TEST_F(PackageFallbackTest, MakesAnEmptyFileForEveryLostPictureAndListsIt)
{
    Write("mimetype", kPresentation);
    Write("content.xml", Content("1.3", Image("Pictures/kept.png") + Image("Pictures/lost.png")
                                            + Image("Pictures/lost.png") + Image("http://example.org/web.png")
                                            + Image("Media/a&amp;b&#46;gif")));
    Write("styles.xml", Styles("1.3", Image("./Pictures//bg.jpg")));
    Write("Pictures/kept.png", "kept");

    EXPECT_TRUE(Run());

    EXPECT_EQ(Read("Pictures/kept.png"), "kept");
    EXPECT_EQ(Read("Pictures/lost.png"), "");
    EXPECT_EQ(Read("Pictures/bg.jpg"), "");
    EXPECT_EQ(Read("Media/a&b.gif"), ""); // the value as expat reports it, entities expanded
    EXPECT_EQ(ListedEntries(Manifest()),
              (std::vector<std::string>{"Media/a&amp;b.gif image/gif", "Pictures/bg.jpg image/jpeg",
                                        "Pictures/kept.png image/png", "Pictures/lost.png image/png",
                                        "content.xml text/xml", "styles.xml text/xml"}));
}

TEST_F(PackageFallbackTest, EmbeddedObjectsGetNoPlaceholder)
{
    Write("content.xml", Content("1.3", "<draw:frame><draw:object xlink:href=\"./Object 1\"/>"
                                        "<draw:image xlink:href=\"./ObjectReplacements/Object 1\"/></draw:frame>"
                                        "<draw:frame><draw:object-ole xlink:href=\"./Object 2\"/></draw:frame>"
                                        "<draw:objects xlink:href=\"Object 3\"/>"));

    EXPECT_TRUE(Run());

    EXPECT_FALSE(Exists("Object 1"));
    EXPECT_FALSE(Exists("Object 2"));
    EXPECT_EQ(Read("ObjectReplacements/Object 1"), "");
    EXPECT_EQ(Read("Object 3"), ""); // only the two object elements are exempt
}

TEST_F(PackageFallbackTest, ReferencesAreMadeInDocumentOrder)
{
    Write("content.xml", Content("1.3", Image("z") + Image("z/w.png") + Image("y/v.png") + Image("y")));

    EXPECT_TRUE(Run());

    EXPECT_TRUE(fs::is_regular_file(PathOf("z")));
    EXPECT_TRUE(fs::is_directory(PathOf("y")));
    EXPECT_EQ(Read("y/v.png"), "");
    EXPECT_EQ(ListedEntries(Manifest()), (std::vector<std::string>{"content.xml text/xml", "y/v.png image/png",
                                                                   "z application/octet-stream"}));
}

TEST_F(PackageFallbackTest, APlaceholderThatCannotBeMadeIsSkippedAndItsFoldersStay)
{
    const std::string longName(300, 'n');
    Write("content.xml",
          Content("1.3", Image("Deep/" + longName + ".png") + Image(longName + "/a.png") + Image("Pictures/b.png")));

    EXPECT_TRUE(Run());

    EXPECT_TRUE(fs::is_directory(PathOf("Deep")));
    EXPECT_TRUE(fs::is_empty(PathOf("Deep")));
    EXPECT_EQ(ListTree(m_dir.Path()),
              (std::vector<std::string>{"META-INF/manifest.xml", "Pictures/b.png", "content.xml", "mimetype"}));
}

struct ReferenceCase
{
    const char* value;
    std::optional<std::string> path;
};

TEST(PackagePathOfReference, KeepsOnlyRelativePathsOfPackageFiles)
{
    const std::vector<ReferenceCase> cases = {
        {"Pictures/a.png", "Pictures/a.png"},
        {"./Object 1", "Object 1"},
        {"Pictures//a.png", "Pictures/a.png"},
        {"a/./b/c.png", "a/b/c.png"},
        {"Pictures/%20a.png", "Pictures/%20a.png"},
        {"Pictures/.gif", "Pictures/.gif"},
        {"", std::nullopt},
        {"/Pictures/a.png", std::nullopt},
        {"#Slide 2", std::nullopt},
        {"http://example.org/a.png", std::nullopt},
        {"mailto:someone", std::nullopt},
        {"C:/a.png", std::nullopt},
        {"Pictures\\a.png", std::nullopt},
        {"Pictures/", std::nullopt},
        {"Pictures/.", std::nullopt},
        {"Pictures/..", std::nullopt},
        {"a/../b.png", std::nullopt},
        {"..", std::nullopt},
        {".", std::nullopt},
        {"mimetype", std::nullopt},
        {"./content.xml", std::nullopt},
        {"styles.xml", std::nullopt},
        {"meta.xml", std::nullopt},
        {"settings.xml", std::nullopt},
        {"META-INF/manifest.xml", std::nullopt},
        {"META-INF//extra.xml", std::nullopt},
        {"Object 1/content.xml", "Object 1/content.xml"},
        {"meta-inf/x.xml", "meta-inf/x.xml"},
    };
    for (const ReferenceCase& c : cases)
        EXPECT_EQ(PackagePathOfReference(c.value), c.path) << '"' << c.value << '"';
}

TEST_F(PackageFallbackTest, ListsEveryFileButMimetypeAndMetaInfSortedByBytes)
{
    Write("content.xml", Content("1.3"));
    Write("mimetype", kPresentation);
    Write("META-INF/documentsignatures.xml", "<s/>");
    for (const char* name : {"styles.xml", "meta.xml", "Thumbnails/thumbnail.png", "Pictures/b.png",
                             "Pictures/B.png", "Pictures/a", "Pictures/a.png", "ObjectReplacements/Object 1",
                             "Object 2", "Pictures/\xC3\xA9.png", "Pictures/z.png"})
        Write(name, "<x/>");
    fs::create_directories(PathOf("Configurations2/empty"));

    EXPECT_TRUE(Run());

    EXPECT_EQ(ListedEntries(Manifest()),
              (std::vector<std::string>{"Object 2 application/octet-stream",
                                        "ObjectReplacements/Object 1 application/octet-stream",
                                        "Pictures/B.png image/png", "Pictures/a application/octet-stream",
                                        "Pictures/a.png image/png", "Pictures/b.png image/png",
                                        "Pictures/z.png image/png", "Pictures/\xC3\xA9.png image/png",
                                        "Thumbnails/thumbnail.png image/png", "content.xml text/xml",
                                        "meta.xml text/xml", "styles.xml text/xml"}));
}

TEST_F(PackageFallbackTest, EscapesPathsAndLeavesOutThoseXmlCannotHold)
{
    Write("content.xml", Content("1.3"));
    for (const char* name : {"a&b.png", "q\"<>.png", "a'.png", "a<.png", "tab\tx.png", "lf\nx.png", "cr\rx.png",
                             "bell\x07.png", "esc\x1b/x.png", "del\x7f.png"})
        Write(name, "");

    EXPECT_TRUE(Run());

    // Sorted before escaping: "'" (0x27) comes before "<" (0x3C), although "&lt;" would not.
    EXPECT_EQ(ListedEntries(Manifest()),
              (std::vector<std::string>{"a&amp;b.png image/png", "a'.png image/png", "a&lt;.png image/png",
                                        "content.xml text/xml", "cr&#13;x.png image/png",
                                        "del\x7f.png image/png", "lf&#10;x.png image/png",
                                        "q&quot;&lt;&gt;.png image/png", "tab&#9;x.png image/png"}));
}

TEST_F(PackageFallbackTest, ListsALatin1NameAsUtf8)
{
    Write("content.xml", Content("1.3"));
    Write("caf\xE9.png", "");

    EXPECT_TRUE(Run());

    EXPECT_EQ(ListedEntries(Manifest()),
              (std::vector<std::string>{"caf\xC3\xA9.png image/png", "content.xml text/xml"}));
}

TEST(MediaTypeOf, ComesFromTheLastExtensionIgnoringCase)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"content.xml", "text/xml"},
        {"Pictures/A.XML", "text/xml"},
        {"Pictures/a.png", "image/png"},
        {"Pictures/a.PnG", "image/png"},
        {"a.jpg", "image/jpeg"},
        {"a.JPEG", "image/jpeg"},
        {"a.gif", "image/gif"},
        {"a.bmp", "image/bmp"},
        {"a.svg", "image/svg+xml"},
        {"manifest.rdf", "application/rdf+xml"},
        {"Pictures/.gif", "image/gif"},
        {"x.tar.gz", "application/octet-stream"},
        {"Object 1", "application/octet-stream"},
        {"a.png/b", "application/octet-stream"},
        {"a.", "application/octet-stream"},
        {"a.emf", "application/octet-stream"},
        {"a.pngx", "application/octet-stream"},
    };
    for (const auto& [path, type] : cases)
        EXPECT_EQ(MediaTypeOf(path), type) << path;
}

TEST_F(PackageFallbackTest, NeverFollowsALinkInTheWorkFolder)
{
    TempDir outside;
    WriteFileBytes(outside / "mimetype", "garbage");
    WriteFileBytes(outside / "styles.xml", "<broken");
    fs::create_directory(outside / "Pictures");
    fs::create_directory(outside / "META-INF");
    WriteFileBytes(outside / "META-INF" / "manifest.xml", "<broken");
    Write("content.xml", Content("1.3", Image("Pictures/lost.png") + Image("Linked/lost.png")));
    fs::create_symlink(outside / "mimetype", PathOf("mimetype"));
    fs::create_symlink(outside / "styles.xml", PathOf("styles.xml"));
    fs::create_symlink(outside / "Pictures", PathOf("Pictures"));
    fs::create_symlink(outside / "META-INF", PathOf("META-INF"));
    fs::create_symlink(outside / "nowhere", PathOf("Linked"));

    EXPECT_FALSE(Run()); // mimetype and the manifest cannot be written

    EXPECT_EQ(ReadFileBytes(outside / "mimetype"), "garbage");
    EXPECT_EQ(ReadFileBytes(outside / "styles.xml"), "<broken");
    EXPECT_TRUE(fs::is_empty(outside / "Pictures"));
    EXPECT_EQ(ReadFileBytes(outside / "META-INF" / "manifest.xml"), "<broken");
    EXPECT_FALSE(fs::exists(outside / "nowhere"));
    for (const char* link : {"mimetype", "styles.xml", "Pictures", "META-INF", "Linked"})
        EXPECT_TRUE(fs::is_symlink(PathOf(link))) << link;
}

TEST_F(PackageFallbackTest, LinksAreNeitherListedNorEntered)
{
    TempDir outside;
    WriteFileBytes(outside / "a.png", "a");
    Write("content.xml", Content("1.3", Image("Pictures/link.png")));
    Write("Pictures/real.png", "r");
    fs::create_symlink(outside / "a.png", PathOf("Pictures/link.png"));
    fs::create_symlink(outside.Path(), PathOf("Folder"));

    EXPECT_TRUE(Run());

    EXPECT_EQ(ReadFileBytes(outside / "a.png"), "a");
    EXPECT_EQ(ListedEntries(Manifest()),
              (std::vector<std::string>{"Pictures/real.png image/png", "content.xml text/xml"}));
}

TEST_F(PackageFallbackTest, AFolderOrFileInTheManifestsPlaceBlocksTheWrite)
{
    Write("content.xml", Content("1.3"));
    fs::create_directories(PathOf("META-INF/manifest.xml"));
    EXPECT_FALSE(Run());
    EXPECT_TRUE(fs::is_empty(PathOf("META-INF/manifest.xml")));

    fs::remove_all(PathOf("META-INF"));
    Write("META-INF", "not a folder");
    EXPECT_FALSE(Run());
    EXPECT_EQ(Read("META-INF"), "not a folder");
}

TEST(EnsurePackageFiles, RefusesAWorkFolderThatIsNotAFolder)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "x");
    EXPECT_FALSE(EnsurePackageFiles(dir / "missing"));
    EXPECT_FALSE(EnsurePackageFiles(dir / "file"));
    EXPECT_EQ(ListTree(dir.Path()), std::vector<std::string>{"file"});
}

} // namespace
