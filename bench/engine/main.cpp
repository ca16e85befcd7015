// Engine benchmark: generates a ~200 MB damaged container (half stored
// incompressible data, half deflated text, central directory wiped) and prints
// the scan, extraction, total repair and save throughput and the peak memory,
// each measured in a fresh child process so the figures are the engine's own.
//
//   deckmend-bench-engine [FOLDER]        generate, then measure (default: a temporary folder)

#include "engine/EntryExtraction.h"
#include "engine/NullJobUi.h"
#include "engine/RepairJob.h"
#include "engine/SalvageScanner.h"
#include "engine/SaveJob.h"
#include "engine/WorkArea.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kStoredEntry = 2 << 20;   // a "picture"
constexpr std::size_t kTextEntry = 6 << 20;     // an XML-like part before compression
constexpr std::uint64_t kHalf = 100ull << 20;   // bytes of each kind in the container

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double MB(std::uint64_t bytes)
{
    return static_cast<double>(bytes) / (1 << 20);
}

void Put16(std::string& o, unsigned v) { o += char(v & 0xFF); o += char((v >> 8) & 0xFF); }
void Put32(std::string& o, std::uint32_t v) { Put16(o, v & 0xFFFF); Put16(o, v >> 16); }

std::string LocalHeader(const std::string& name, unsigned method, std::uint32_t crc, std::uint32_t c, std::uint32_t u)
{
    std::string h = "PK\x03\x04";
    Put16(h, 20); Put16(h, 0); Put16(h, method); Put16(h, 0x7D86); Put16(h, 0x3D70);
    Put32(h, crc); Put32(h, c); Put32(h, u); Put16(h, static_cast<unsigned>(name.size())); Put16(h, 0);
    return h + name;
}

std::string Incompressible(std::size_t size, std::uint32_t& x)
{
    std::string s(size, '\0');
    for (char& c : s) {
        x ^= x << 13; x ^= x >> 17; x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

// Presentation-like XML: frames with measurements and styled paragraphs of words
// from a vocabulary of a few thousand, which deflates much as real content does.
std::string Text(std::size_t size, std::uint32_t& x)
{
    static const char* const kSyllables[] = {"ha", "bo", "ur", "fe", "st", "iv", "al", "la", "nt", "er", "qu", "ay",
                                             "mu", "si", "ce", "ve", "ni", "ng", "cr", "ow", "ti", "de", "sa", "il"};
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    auto word = [&] {
        const std::uint32_t w = next() % 3000; // one of 3000 words, spelt the same each time
        std::string text;
        for (std::uint32_t k = w, n = 1 + w % 4; n > 0; --n, k /= 24)
            text += kSyllables[k % 24];
        return text;
    };
    auto measure = [&](unsigned range) {
        return std::to_string(next() % range) + "." + std::to_string(next() % 1000) + "cm";
    };
    std::string s;
    s.reserve(size + 512);
    while (s.size() < size) {
        const std::uint32_t r = next() % 10;
        if (r < 5) {
            s += "<draw:frame draw:style-name=\"gr" + std::to_string(next() % 40) + "\" draw:layer=\"layout\" svg:width=\"" +
                 measure(25) + "\" svg:height=\"" + measure(18) + "\" svg:x=\"" + measure(25) + "\" svg:y=\"" +
                 measure(18) + "\"><draw:text-box>";
        } else if (r < 8) {
            s += "<text:p text:style-name=\"P" + std::to_string(next() % 60) + "\"><text:span text:style-name=\"T" +
                 std::to_string(next() % 30) + "\">";
            for (std::uint32_t n = 2 + next() % 11; n > 0; --n)
                s += word() + (n > 1 ? " " : "");
            s += "</text:span></text:p>";
        } else {
            s += "</draw:text-box></draw:frame>\n";
        }
    }
    s.resize(size);
    return s;
}

// Writes the damaged container; returns the bytes of stored and of deflated entries.
void Generate(const fs::path& path, std::uint64_t& storedBytes, std::uint64_t& textBytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::uint32_t seed = 12345;
    storedBytes = textBytes = 0;
    std::uint64_t deflatedBytes = 0;
    int n = 0;
    while (storedBytes < kHalf || deflatedBytes < kHalf) {
        if (storedBytes < kHalf) {
            const std::string data = Incompressible(kStoredEntry, seed);
            const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
            out << LocalHeader("Pictures/p" + std::to_string(n) + ".png", 0, crc, kStoredEntry, kStoredEntry) << data;
            storedBytes += data.size();
        }
        if (deflatedBytes < kHalf) {
            const std::string text = Text(kTextEntry, seed);
            uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
            std::string packed(packedSize, '\0');
            z_stream zs{};
            deflateInit2(&zs, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
            zs.avail_in = static_cast<uInt>(text.size());
            zs.next_out = reinterpret_cast<Bytef*>(packed.data());
            zs.avail_out = static_cast<uInt>(packed.size());
            deflate(&zs, Z_FINISH);
            packed.resize(zs.total_out);
            deflateEnd(&zs);
            const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
            out << LocalHeader("part" + std::to_string(n) + ".xml", 8, crc, static_cast<std::uint32_t>(packed.size()),
                               static_cast<std::uint32_t>(text.size()))
                << packed;
            deflatedBytes += packed.size();
            textBytes += text.size();
        }
        ++n;
    }
    // Where the central directory was: zeros.
    out << std::string(64 * 1024, '\0');
}

// Runs this program again in a mode and returns the child's peak resident memory in KiB.
long RunChild(const std::vector<std::string>& args)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

void ReadThrough(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    }
}

// Child: scan, then extract the stored and the deflated rows separately.
int MeasureParts(const fs::path& file, const fs::path& work, std::uint64_t storedBytes, std::uint64_t textBytes)
{
    const std::u16string path = platform::FromPath(file);
    NullJobUi ui({path});
    std::atomic<bool> running{true};
    JobThreadParams params{&running, &ui};
    auto t = Clock::now();
    ScanForEntries(ui, path, params);
    const double scan = Seconds(t);
    fs::create_directories(work);
    double stored = 0, inflated = 0;
    for (std::size_t i = 0; i < ui.EntryCount(); ++i) {
        const SalvagedEntry record = ui.EntryRecord(i);
        const auto out = PrepareEntryPath(ui, work, ui.EntryName(i));
        t = Clock::now();
        ExtractEntry(work, path, *out, record);
        (record.compressedSize == record.uncompressedSize ? stored : inflated) += Seconds(t);
    }
    std::printf("scan:              %8.0f MB/s  (%.0f MB in %.3f s, %zu entries)\n", MB(fs::file_size(file)) / scan,
                MB(fs::file_size(file)), scan, ui.EntryCount());
    std::printf("stored copy:       %8.0f MB/s  (%.0f MB in %.3f s)\n", MB(storedBytes) / stored, MB(storedBytes), stored);
    std::printf("inflated output:   %8.0f MB/s  (%.0f MB in %.3f s)\n", MB(textBytes) / inflated, MB(textBytes), inflated);
    return 0;
}

// Child: the signature search alone, over a file that holds no local header at all.
int MeasureSearch(const fs::path& folder)
{
    const fs::path file = folder / "no-headers.bin";
    {
        std::ofstream out(file, std::ios::binary);
        std::uint32_t seed = 777;
        for (int i = 0; i < 100; ++i)
            out << Incompressible(2 << 20, seed);
    }
    ReadThrough(file);
    const std::u16string path = platform::FromPath(file);
    NullJobUi ui({path});
    std::atomic<bool> running{true};
    const auto t = Clock::now();
    ScanForEntries(ui, path, JobThreadParams{&running, &ui});
    const double scan = Seconds(t);
    std::printf("signature search:  %8.0f MB/s  (%.0f MB without headers in %.3f s, %zu false rows)\n",
                MB(fs::file_size(file)) / scan, MB(fs::file_size(file)), scan, ui.EntryCount());
    fs::remove(file);
    return 0;
}

// Child: the whole repair job, then the save of its work folder.
int MeasureJob(const fs::path& file, const fs::path& root, const fs::path& container)
{
    SetWorkRoot(root);
    NullJobUi ui({platform::FromPath(file)});
    std::atomic<bool> running{false};
    auto t = Clock::now();
    StartRepairJob(ui, JobThreadParams{&running, &ui}).join();
    const double repair = Seconds(t);
    t = Clock::now();
    const bool saved = WriteContainer(WorkFolderOf(root, ui.FilePath(0), 0), container);
    const double save = Seconds(t);
    const double size = MB(fs::file_size(file));
    std::printf("repair job total:  %8.0f MB/s  (%.3f s)\n", size / repair, repair);
    std::printf("save (pack):       %8.3f s  %s\n", save, saved ? "" : "FAILED");
    std::printf("repair and save:   %8.3f s\n", repair + save);
    return saved ? 0 : 1;
}

// Child: a header that claims 4 GiB of output for a few bytes of data.
int MeasureClaim(const fs::path& folder)
{
    const fs::path file = folder / "claims-4-GiB.odp";
    {
        std::ofstream out(file, std::ios::binary);
        out << LocalHeader("content.xml", 8, 0, 4000000, 0xFFFFFFFFu) << std::string(4000000, '\x55')
            << LocalHeader("big.bin", 0, 0, 0xFFFFFFF0u, 0xFFFFFFF0u) << "tiny";
    }
    SetWorkRoot(folder / "claim-root");
    NullJobUi ui({platform::FromPath(file)});
    std::atomic<bool> running{false};
    StartRepairJob(ui, JobThreadParams{&running, &ui}).join();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--parts") == 0)
        return MeasureParts(argv[2], argv[3], std::stoull(argv[4]), std::stoull(argv[5]));
    if (argc >= 3 && std::strcmp(argv[1], "--job") == 0)
        return MeasureJob(argv[2], argv[3], argv[4]);
    if (argc >= 3 && std::strcmp(argv[1], "--search") == 0)
        return MeasureSearch(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "--claim") == 0)
        return MeasureClaim(argv[2]);

    fs::path folder;
    if (argc >= 2) {
        folder = argv[1];
        fs::create_directories(folder);
    } else {
        std::string pattern = (fs::temp_directory_path() / "deckmend-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
    }
    const fs::path file = folder / "damaged.odp";
    std::uint64_t storedBytes = 0, textBytes = 0;
    std::printf("generating %s ...\n", file.c_str());
    Generate(file, storedBytes, textBytes);
    ReadThrough(file);
    std::printf("container: %.0f MB (stored %.0f MB, deflated text inflating to %.0f MB), %ld cores\n",
                MB(fs::file_size(file)), MB(storedBytes), MB(textBytes), sysconf(_SC_NPROCESSORS_ONLN));
    std::fflush(stdout);

    const long partsPeak = RunChild({"bench", "--parts", file.string(), (folder / "parts").string(),
                                     std::to_string(storedBytes), std::to_string(textBytes)});
    fs::remove_all(folder / "parts");
    const long searchPeak = RunChild({"bench", "--search", folder.string()});
    const long jobPeak = RunChild({"bench", "--job", file.string(), (folder / "root").string(),
                                   (folder / "NOVRAK_damaged.odp").string()});
    const long claimPeak = RunChild({"bench", "--claim", folder.string()});
    std::printf("peak memory:       %8.1f MiB scan+extract, %.1f MiB signature search, %.1f MiB repair+save, "
                "%.1f MiB for a 4 GiB claim\n",
                partsPeak / 1024.0, searchPeak / 1024.0, jobPeak / 1024.0, claimPeak / 1024.0);
    if (argc < 2)
        fs::remove_all(folder);
    return 0;
}
