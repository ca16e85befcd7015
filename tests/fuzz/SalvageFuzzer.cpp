// Scans and extracts one input into a fresh work folder, and fails on any file or
// folder that appears outside it, or on a temporary file left behind.

#include "engine/EntryExtraction.h"
#include "engine/NullJobUi.h"
#include "engine/SalvageScanner.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

void Fail(const char* what, const fs::path& where)
{
    std::fprintf(stderr, "salvage fuzzer: %s: %s\n", what, where.c_str());
    std::abort();
}

// Whether some salvaged entry itself names a file so.
bool IsEntryFileName(NullJobUi& ui, const std::string& name)
{
    for (std::size_t i = 0; i < ui.EntryCount(); ++i) {
        const std::u16string entry = ui.EntryName(i);
        const auto cut = entry.find_last_of(u"\\/");
        if (platform::ToUtf8(cut == std::u16string::npos ? entry : entry.substr(cut + 1)) == name)
            return true;
    }
    return false;
}

const fs::path& Base()
{
    static const fs::path base = [] {
        std::string pattern = (fs::temp_directory_path() / "deckmend-fuzz-XXXXXX").string();
        const fs::path folder = ::mkdtemp(pattern.data());
        // A private temporary folder of this run's own, so that temporary files of
        // other programs are not taken for ours.
        ::setenv("TMPDIR", folder.c_str(), 1);
        return folder;
    }();
    return base;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path run = Base() / "run";
    const fs::path sandbox = run / "sandbox";
    const fs::path work = sandbox / "work";
    fs::remove_all(run);
    fs::create_directories(work);
    const fs::path input = sandbox / "in.odp";
    {
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    platform::Path temp;
    platform::PrivateTempFolder(temp);
    const std::set<std::string> tempBefore = Names(temp);

    NullJobUi ui;
    std::atomic<bool> running{true};
    const std::u16string path = platform::FromPath(input);
    if (ScanForEntries(ui, path, JobThreadParams{&running, &ui}))
        ExtractEntries(ui, work, path);

    if (Names(run) != std::set<std::string>{"sandbox"})
        Fail("created beside the sandbox", run);
    if (Names(sandbox) != std::set<std::string>{"in.odp", "work"})
        Fail("created outside the work folder", sandbox);
    if (Names(temp) != tempBefore)
        Fail("temporary file left behind", temp);
    for (const auto& e : fs::recursive_directory_iterator(work)) {
        if (e.is_symlink())
            Fail("link created", e.path());
        const std::string name = e.path().filename().string();
        if (name.rfind(".deckmend-partial-", 0) == 0 && !IsEntryFileName(ui, name))
            Fail("partial output left behind", e.path());
    }
    return 0;
}
