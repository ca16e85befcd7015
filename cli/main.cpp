// deckmend-cli: the recovery engine in a terminal. Repairs the files in the order
// given, optionally saves the repaired containers, and reports what it salvaged.

#include "cli/CliOptions.h"
#include "cli/ConsoleJobUi.h"
#include "cli/JsonReport.h"
#include "engine/RepairJob.h"
#include "engine/SaveJob.h"
#include "engine/WorkArea.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotRepaired = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// The main frame's job-running flag; Ctrl+C clears it, as a confirmed Stop does.
std::atomic<bool> g_jobRunning{false};
volatile std::sig_atomic_t g_interrupted = 0;
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int)
{
    g_interrupted = 1;
    g_jobRunning.store(false);
    std::signal(SIGINT, SIG_DFL); // a second Ctrl+C ends the program at once
}

void Complain(const std::string& text)
{
    std::fprintf(stderr, "deckmend-cli: %s\n", text.c_str());
}

bool FolderIsEmpty(const std::filesystem::path& folder)
{
    bool empty = true;
    platform::EnumerateFolder(folder, [&empty](const platform::FolderEntry&) {
        empty = false;
        return false;
    });
    return empty;
}

// The work root: DIR from --work-dir, which must be empty or not yet exist, since
// clearing the work area deletes everything in it; else a fresh folder of this
// run's own in the private temporary folder, so a window or another run that
// works at the same time keeps its work area.
bool ChooseWorkRoot(const CliOptions& options, std::filesystem::path& root)
{
    std::error_code ec;
    if (options.workDir) {
        root = std::filesystem::absolute(*options.workDir, ec);
        const platform::PathKind kind = platform::KindOf(root);
        if (kind == platform::PathKind::Missing) {
            std::filesystem::create_directories(root, ec);
            if (ec) {
                Complain(root.string() + ": " + ec.message());
                return false;
            }
        } else if (kind != platform::PathKind::Folder || !FolderIsEmpty(root)) {
            Complain("--work-dir " + root.string() +
                     ": must be an empty folder or not yet exist, since the work area is cleared before a repair");
            return false;
        }
        return true;
    }
    platform::Path temp;
    if (const int rc = platform::PrivateTempFolder(temp)) {
        Complain("private temporary folder: " + platform::ErrorText(rc));
        return false;
    }
    std::string pattern = (temp / "ImpTmp-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        Complain("work folder: " + platform::ErrorText(errno));
        return false;
    }
    root = pattern;
    return true;
}

// The listed path of a file: absolute, with links resolved, as a file list shows it.
std::u16string ListedPath(const std::string& argument)
{
    std::error_code ec;
    std::filesystem::path path = std::filesystem::weakly_canonical(std::filesystem::absolute(argument, ec), ec);
    if (ec)
        path = std::filesystem::absolute(argument, ec);
    return platform::FromPath(path);
}

int ExitStatus(const std::vector<ConsoleRow>& rows, bool saving)
{
    if (g_interrupted)
        return kExitInterrupted;
    for (const ConsoleRow& row : rows) {
        if (!row.repaired || (saving && !row.saved.value_or(false)))
            return kExitNotRepaired;
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto options = ParseCliOptions(argc, argv, error);
    if (!options) {
        Complain(error);
        std::fputs(kCliUsage, stderr);
        return kExitUsage;
    }
    if (options->help) {
        std::fputs(kCliUsage, stdout);
        return kExitOk;
    }
    std::error_code ec;
    std::filesystem::path outDir;
    if (options->outDir) {
        outDir = std::filesystem::absolute(*options->outDir, ec);
        if (!std::filesystem::is_directory(outDir, ec)) {
            Complain(options->outDir->string() + ": Please select a valid folder path.");
            return kExitUsage;
        }
    }
    std::filesystem::path root;
    if (!ChooseWorkRoot(*options, root))
        return kExitUsage;
    SetWorkRoot(root);

    std::vector<std::u16string> files;
    for (const std::string& file : options->files)
        files.push_back(ListedPath(file));
    ConsoleOutput output;
    output.log = !options->quiet && !options->json;
    output.colours = ::isatty(STDOUT_FILENO) != 0;
    output.progress = !options->quiet && ::isatty(STDERR_FILENO) != 0;
    ConsoleJobUi ui(std::move(files), output);
    if (options->outDir)
        ui.SetSaveInputs(platform::FromPath(*options->outDir), options->media);

    std::signal(SIGINT, OnInterrupt);
    const JobThreadParams params{&g_jobRunning, &ui};
    StartRepairJob(ui, params).join();
    ui.NoteRepairOutcome();
    if (options->outDir && !g_interrupted) {
        std::thread save = StartSaveJob(ui, params);
        if (save.joinable())
            save.join();
    }
    ui.FinishProgress();

    ReportContext context{root, options->workDir.has_value(), options->outDir ? std::optional(outDir) : std::nullopt,
                          g_interrupted != 0};
    if (options->json)
        std::fputs(JsonReport(ui.Rows(), context).c_str(), stdout);
    if (!options->workDir)
        ClearWorkArea(ui);
    else if (!options->json && !options->quiet)
        std::fprintf(stderr, "Salvaged trees are in %s\n", root.c_str());
    return ExitStatus(ui.Rows(), options->outDir.has_value());
}
