#include "engine/SaveJob.h"

#include "archive/FolderZipper.h"
#include "engine/JobLog.h"
#include "engine/MediaExport.h"
#include "engine/WorkArea.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <atomic>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::u16string_view kBusyMessage = u"Please stop the running process before saving the file(s).";
constexpr std::u16string_view kInvalidFolder = u"Please select a valid folder path.";
constexpr std::u16string_view kHintSaving = u"Please wait while .odp file(s) are saving....";
constexpr std::u16string_view kHintSaved =
    u"Saving of .odp file(s) completed....\n Click exit to end the application or \nSelect new .odp file(s) to repair....";
constexpr std::u16string_view kContainerPrefix = u"NOVRAK_";
constexpr std::u16string_view kMediaSuffix = u"_MediaContent";

std::atomic<unsigned> g_temporaryCounter{0};

// A name of our own beside the container, created so nobody else has it.
bool CreateTemporaryBeside(const std::filesystem::path& containerPath, std::filesystem::path& temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = containerPath.parent_path() /
                    ("." + containerPath.filename().string() + ".saving-" + std::to_string(::getpid()) + "-" +
                     std::to_string(g_temporaryCounter.fetch_add(1)));
        platform::FileHandle file;
        const int rc = platform::CreateNewFile(temporary, file);
        if (rc == 0)
            return true;
        if (rc != EEXIST)
            return false;
    }
    return false;
}

void SetSavingControls(IJobUi& view, bool on)
{
    view.EnableControl(JobControl::Browse, on);
    view.EnableControl(JobControl::Save, on);
    view.EnableControl(JobControl::ExtractMedia, on);
    view.EnableControl(JobControl::DestinationEdit, on);
}

void SetListControls(IJobUi& view, bool on)
{
    view.EnableControl(JobControl::SelectFiles, on);
    view.EnableControl(JobControl::RepairFiles, on);
    view.EnableControl(JobControl::RemoveFiles, on);
}

void ExportMedia(IJobUi& view, std::u16string_view path, const std::filesystem::path& workFolder,
                 const std::filesystem::path& mediaFolder)
{
    platform::CreateFolder(mediaFolder);
    SetMediaFolder(mediaFolder);
    CopyMediaFiles(workFolder, mediaFolder);
    // Only an empty folder can be removed: then nothing was copied.
    if (platform::RemoveFolder(mediaFolder) == 0)
        AppendFileLine(view, path, joblog::kNoMediaContent, kLogBlack);
    else
        AppendFileLine(view, path, joblog::kMediaDone, kLogBlack);
}

void SaveFile(IJobUi& view, const std::filesystem::path& destination, const std::filesystem::path& root, int row,
              const std::u16string& path)
{
    AppendFileLine(view, path, joblog::kSavingStarts, kLogBlack);
    const std::u16string name = FileNameOf(path);
    const std::filesystem::path container = destination / platform::ToPath(std::u16string(kContainerPrefix) + name);
    const std::filesystem::path mediaFolder = destination / platform::ToPath(name + std::u16string(kMediaSuffix));
    const std::filesystem::path workFolder = WorkFolderOf(root, path, row);
    // A missing work folder would give an empty container that looks like a saved file.
    const bool saved =
        platform::KindOf(workFolder) == platform::PathKind::Folder && WriteContainer(workFolder, container);
    if (view.ReadMediaSwitch())
        ExportMedia(view, path, workFolder, mediaFolder);
    view.ReportSave(saved);
    if (saved)
        AppendFileLine(view, path, joblog::kSavingDone, kLogGreen);
    else
        AppendFileLine(view, path, joblog::kSavingFailed, kLogRed);
}

void StopHandling(IJobUi& view, int from, int count)
{
    for (int j = from; j < count; ++j) {
        const std::u16string path = view.FilePath(j);
        AppendFileLine(view, path, joblog::kSaveStopped, kLogBlack);
        AppendFileLine(view, path, joblog::kNotSaved, kLogRed);
        view.AppendLog(joblog::Separator(), kLogBlack);
        view.SetRepairedMark(j, 0);
    }
}

void SaveAll(const JobThreadParams& params, const std::filesystem::path& destination, int count)
{
    IJobUi& view = *params.view;
    const std::filesystem::path root = GetWorkRoot();
    for (int i = 0; i < count; ++i) {
        const std::u16string path = view.FilePath(i);
        if (view.RepairedMark(i) != 1) {
            AppendFileLine(view, path, joblog::kNotRepairedCannotSave, kLogRed);
        } else if (!JobRunning(params)) {
            StopHandling(view, i, count);
            return;
        } else {
            SaveFile(view, destination, root, i, path);
        }
        view.AppendLog(joblog::Separator(), kLogBlack);
        view.SetProgressPos(ProgressBar::Total, i + 1);
    }
}

void BeginSaveJob(const JobThreadParams& params)
{
    IJobUi& view = *params.view;
    params.jobRunning->store(true);
    view.SetProgressPos(ProgressBar::File, 0);
    view.SetProgressPos(ProgressBar::Total, 0);
    view.SetMenuFlag(MenuFlag::SaveAllowed, false);
    SetSavingControls(view, false);
    view.ClearLog();
    view.SetMenuFlag(MenuFlag::SelectAllowed, false);
    view.SetMenuFlag(MenuFlag::RepairAllowed, false);
    SetListControls(view, false);
    view.SetHint(kHintSaving, {{19, 30}});
    view.EnableControl(JobControl::Stop, true);
    view.ShowControl(JobControl::Stop, true);
}

void EndSaveJob(const JobThreadParams& params, int count, const std::u16string& enteredDestination)
{
    IJobUi& view = *params.view;
    view.SetProgressPos(ProgressBar::Total, count);
    view.AppendLog(joblog::kSaveCompleted, kLogBlack);
    view.AppendLog(joblog::Rule(), kLogBlack);
    view.SetHint(kHintSaved, {{11, 22}});
    view.ShowControl(JobControl::Stop, false);
    view.SetMenuFlag(MenuFlag::SaveAllowed, true);
    SetSavingControls(view, true);
    view.SetMenuFlag(MenuFlag::SelectAllowed, true);
    view.SetMenuFlag(MenuFlag::RepairAllowed, true);
    SetListControls(view, true);
    view.ShowProgressRows(false, false);
    params.jobRunning->store(false);
    view.CompletionNotice(u"File(s) saving process has been completed.Saved file(s) location is:<br><a href='" +
                          enteredDestination + u"'>" + enteredDestination + u"</a>");
}

} // namespace

bool WriteContainer(const std::filesystem::path& workFolder, const std::filesystem::path& containerPath)
{
    std::filesystem::path temporary;
    if (!CreateTemporaryBeside(containerPath, temporary))
        return false;
    CFolderZipper zipper;
    if (zipper.ZipFolder(workFolder, temporary) && platform::SyncToDisk(temporary) == 0 &&
        platform::KindOf(containerPath) != platform::PathKind::Folder &&
        platform::RenameReplacing(temporary, containerPath) == 0)
        return true;
    platform::RemoveFile(temporary);
    return false;
}

std::thread StartSaveJob(IJobUi& view, const JobThreadParams& params)
{
    if (JobRunning(params)) {
        view.Message(kBusyMessage, kStyleInfoOk);
        return {};
    }
    return std::thread(SaveJobProc, params);
}

int SaveJobProc(JobThreadParams params)
{
    IJobUi& view = *params.view;
    int count = 0;
    std::u16string entered;
    try {
        const DestinationText destination = view.ReadDestination();
        entered = destination.promptShowing ? std::u16string() : destination.text;
        std::error_code ec;
        const std::filesystem::path folder = platform::ToPath(entered);
        if (entered.empty() || !std::filesystem::is_directory(folder, ec)) {
            view.Message(kInvalidFolder, kStyleInfoOk);
            return 0;
        }
        BeginSaveJob(params);
        count = view.FileCount();
        view.ShowProgressRows(false, true);
        view.RestartEstimate(ProgressBar::Total);
        view.SetProgressRange(ProgressBar::Total, 0, count);
        view.SetProgressPos(ProgressBar::Total, 0);
        SaveAll(params, folder, count);
    } catch (...) {
        // Nothing may escape the worker; the job still ends properly below.
    }
    try {
        EndSaveJob(params, count, entered);
    } catch (...) {
        params.jobRunning->store(false);
    }
    return 1;
}
