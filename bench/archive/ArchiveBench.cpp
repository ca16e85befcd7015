// Packing benchmark: a generated work folder of pictures and XML packed by the
// folder packer and by Info-ZIP "zip -r -8" in the same run, as MB/s and a ratio.
//
// deckmend-bench-archive [--size MB] [--runs N] [--keep]

#include "archive/FolderZipper.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr double kMegabyte = 1e6;
// Shares of the folder: pictures do not compress, the XML parts do, about 5:1.
constexpr double kPictureShare = 0.6;

struct Options
{
    std::uint64_t totalBytes = 200'000'000;
    int runs = 3;
    bool keep = false;
};

class TextMaker
{
public:
    explicit TextMaker(std::uint32_t seed) : m_state(seed | 1) {}

    // XML-like lines: element and attribute names from a small vocabulary, numbers
    // and words that repeat the way an office document's markup does.
    std::string Make(std::size_t size)
    {
        static const char* const kWords[] = {
            "draw:frame", "text:p", "text:span", "style:name", "presentation:class", "svg:width", "svg:height",
            "draw:text-box", "table:cell", "Standard", "Outline", "title", "subtitle", "notes", "graphic",
            "P1", "T2", "gr3", "pr4", "true", "false", "Sales", "quarter", "region", "total", "forecast"};
        constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];
        std::string out;
        out.reserve(size + 256);
        while (out.size() < size) {
            out += '<';
            out += kWords[Next() % kWordCount];
            for (unsigned a = Next() % 4; a > 0; --a) {
                out += ' ';
                out += kWords[Next() % kWordCount];
                out += "=\"";
                out += std::to_string(Next() % 2000) + "." + std::to_string(Next() % 100) + "cm\"";
            }
            out += '>';
            for (unsigned w = 1 + Next() % 8; w > 0; --w) {
                out += kWords[Next() % kWordCount];
                out += ' ';
            }
            out += std::to_string(Next() % 100000);
            out += "</text:p>\n";
        }
        out.resize(size);
        return out;
    }

private:
    std::uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    std::uint32_t m_state;
};

// Bytes that do not compress, like the data of JPEG and PNG pictures.
std::string PictureBytes(std::size_t size, std::uint64_t seed)
{
    std::string out(size, '\0');
    std::uint64_t x = seed * 0x9E3779B97F4A7C15u | 1;
    for (std::size_t i = 0; i < size; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        std::memcpy(out.data() + i, &x, std::min<std::size_t>(8, size - i));
    }
    return out;
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A work folder shaped like a large repaired presentation: the small root parts,
// pictures of a few sizes, embedded objects with their own XML, a thumbnail.
std::uint64_t GenerateWorkFolder(const fs::path& root, std::uint64_t totalBytes)
{
    std::uint64_t written = 0;
    auto put = [&](const fs::path& relative, const std::string& bytes) {
        WriteFile(root / relative, bytes);
        written += bytes.size();
    };
    put("mimetype", "application/vnd.oasis.opendocument.presentation");
    TextMaker text(7);
    const auto textBytes = static_cast<std::uint64_t>(static_cast<double>(totalBytes) * (1 - kPictureShare));
    put("content.xml", text.Make(textBytes * 4 / 10));
    put("styles.xml", text.Make(textBytes * 2 / 10));
    put("meta.xml", text.Make(4000));
    put("settings.xml", text.Make(20000));
    for (int i = 1; i <= 8; ++i)
        put("Object " + std::to_string(i) + "/content.xml", text.Make(textBytes * 4 / 10 / 8));
    put("Thumbnails/thumbnail.png", PictureBytes(30000, 99));
    put("META-INF/manifest.xml", text.Make(6000));
    const std::uint64_t pictureBytes = totalBytes > written ? totalBytes - written : 0;
    static const std::size_t kPictureSizes[] = {9'000'000, 4'500'000, 2'000'000, 700'000, 150'000};
    std::uint64_t pictures = 0;
    for (std::uint32_t i = 0; pictures < pictureBytes; ++i) {
        const std::size_t size = std::min<std::uint64_t>(kPictureSizes[i % 5], pictureBytes - pictures);
        const char* suffix = i % 2 == 0 ? ".jpg" : ".png";
        put("Pictures/image" + std::to_string(i) + suffix, PictureBytes(size, i + 1));
        pictures += size;
    }
    return written;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Reads every file once, so both packers start from the page cache.
void WarmCache(const fs::path& root)
{
    std::vector<char> buffer(1 << 20);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        }
    }
}

double TimeOurs(const fs::path& work, const fs::path& container, unsigned workers)
{
    ZipWriterOptions options;
    options.workers = workers;
    CFolderZipper zipper(options);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = zipper.ZipFolder(work, container);
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    if (!ok) {
        std::fprintf(stderr, "ZipFolder failed\n");
        std::exit(1);
    }
    return seconds;
}

double TimeInfoZip(const fs::path& work, const fs::path& container)
{
    fs::remove(container);
    const std::string command = "cd '" + work.string() + "' && zip -r -8 -q '" + container.string() + "' .";
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    if (rc != 0) {
        std::fprintf(stderr, "zip failed (%d)\n", rc);
        std::exit(1);
    }
    return seconds;
}

Options ParseArguments(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc)
            options.totalBytes = std::strtoull(argv[++i], nullptr, 10) * 1'000'000;
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--keep") == 0)
            options.keep = true;
        else {
            std::fprintf(stderr, "usage: %s [--size MB] [--runs N] [--keep]\n", argv[0]);
            std::exit(2);
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = ParseArguments(argc, argv);
    if (std::system("command -v zip >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "Info-ZIP zip is not installed\n");
        return 1;
    }
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/deckmend-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    const fs::path scratch = pattern;
    const fs::path work = scratch / "work";
    const std::uint64_t bytes = GenerateWorkFolder(work, options.totalBytes);
    WarmCache(work);
    const double megabytes = static_cast<double>(bytes) / kMegabyte;
    std::printf("work folder: %.1f MB in %zu files\n", megabytes,
                static_cast<std::size_t>(std::count_if(fs::recursive_directory_iterator(work), {},
                                                       [](const auto& e) { return e.is_regular_file(); })));

    // Runs alternate so a busy moment of the machine hits both sides alike; the best run of each counts.
    double ours = 1e30, oursSingle = 1e30, zip = 1e30;
    for (int run = 0; run < options.runs; ++run) {
        const double o = TimeOurs(work, scratch / "ours.odp", 0);
        const double s = TimeOurs(work, scratch / "ours1.odp", 1);
        const double z = TimeInfoZip(work, scratch / "zip.zip");
        std::printf("run %d: ours %.2f s, ours one thread %.2f s, zip -8 %.2f s\n", run + 1, o, s, z);
        ours = std::min(ours, o), oursSingle = std::min(oursSingle, s), zip = std::min(zip, z);
    }
    std::printf("ours:            %7.1f MB/s  (%.2f s, container %.1f MB)\n", megabytes / ours, ours,
                static_cast<double>(fs::file_size(scratch / "ours.odp")) / kMegabyte);
    std::printf("ours one thread: %7.1f MB/s  (%.2f s)\n", megabytes / oursSingle, oursSingle);
    std::printf("zip -r -8:       %7.1f MB/s  (%.2f s, container %.1f MB)\n", megabytes / zip, zip,
                static_cast<double>(fs::file_size(scratch / "zip.zip")) / kMegabyte);
    std::printf("ratio ours/zip time: %.2f (one thread %.2f)\n", ours / zip, oursSingle / zip);
    if (!options.keep)
        fs::remove_all(scratch);
    else
        std::printf("kept %s\n", scratch.c_str());
    return 0;
}
