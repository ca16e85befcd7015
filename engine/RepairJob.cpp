#include "engine/RepairJob.h"

#include "engine/EntryExtraction.h"
#include "engine/JobLog.h"
#include "engine/SalvageScanner.h"
#include "engine/WorkArea.h"
#include "platform/FileSystem.h"

namespace {

constexpr std::u16string_view kHintRepairing = u"Please wait while .odp file(s) are Repairing....";
constexpr std::u16string_view kHintRepaired =
    u"Click item in the list to see the preview in right side.\nClick Browse folder to select destination path.\n"
    u"Click Save.... to save .odp file(s)";
constexpr std::u16string_view kStopQuestion = u"Are you sure to stop the running process?";

void StopHandling(IJobUi& view, int from, int count)
{
    for (int j = from; j < count; ++j) {
        const std::u16string path = view.FilePath(j);
        view.SetFileRow(j, RowImageNotRepaired);
        AppendFileLine(view, path, joblog::kRepairStopped, kLogBlack);
        AppendFileLine(view, path, joblog::kNotRepaired, kLogRed);
        view.AppendLog(joblog::Separator(), kLogBlack);
        view.SetRepairedMark(j, 0);
    }
}

void RepairFile(const JobThreadParams& params, const std::filesystem::path& root, int row, const std::u16string& path)
{
    IJobUi& view = *params.view;
    if (!ScanForEntries(view, path, params)) {
        AppendFileLine(view, path, joblog::kExtractionFailed, kLogBlack);
        // Its work folder from an earlier run is gone: the row is plain again.
        view.SetFileRow(row, RowImagePlain);
        view.SetRepairedMark(row, 0);
        return;
    }
    const std::filesystem::path workFolder = WorkFolderOf(root, path, row);
    platform::CreateFolder(workFolder);
    ExtractEntries(view, workFolder, path);
    view.SetFileRow(row, RowImageRepaired);
    AppendFileLine(view, path, joblog::kPreviewAvailable, kLogBlack);
    AppendFileLine(view, path, joblog::kRepaired, kLogGreen);
    view.AppendLog(joblog::Separator(), kLogBlack);
    view.SetRepairedMark(row, 1);
}

void RepairAll(const JobThreadParams& params, int count)
{
    IJobUi& view = *params.view;
    const std::filesystem::path root = GetWorkRoot();
    platform::CreateFolder(root);
    view.ShowProgressRows(true, true);
    view.RestartEstimate(ProgressBar::Total);
    view.SetProgressRange(ProgressBar::Total, 0, count);
    view.SetProgressPos(ProgressBar::Total, 0);
    for (int i = 0; i < count; ++i) {
        const std::u16string path = view.FilePath(i);
        view.ClearEntries();
        if (!JobRunning(params)) {
            StopHandling(view, i, count);
            break;
        }
        RepairFile(params, root, i, path);
        view.SetProgressPos(ProgressBar::Total, i + 1);
    }
}

void EndRepairJob(const JobThreadParams& params, int count)
{
    IJobUi& view = *params.view;
    view.SetProgressPos(ProgressBar::Total, count);
    view.SetPreviewState(kPreviewSelectFile);
    view.AppendLog(joblog::kRepairCompleted, kLogBlack);
    view.AppendLog(joblog::Rule(), kLogBlack);
    view.EnableControl(JobControl::SelectFiles, true);
    view.SetMenuFlag(MenuFlag::SelectAllowed, true);
    view.ShowControl(JobControl::Stop, false);
    view.SetMenuFlag(MenuFlag::SaveAllowed, true);
    view.EnableControl(JobControl::Browse, true);
    view.EnableControl(JobControl::Save, true);
    view.EnableControl(JobControl::ExtractMedia, true);
    view.EnableControl(JobControl::DestinationEdit, true);
    view.SetMenuFlag(MenuFlag::RepairAllowed, true);
    view.EnableControl(JobControl::RepairFiles, true);
    view.EnableControl(JobControl::RemoveFiles, true);
    view.SetHint(kHintRepaired, {{6, 22}, {62, 76}, {110, 118}, {127, 132}});
    params.jobRunning->store(false);
    view.ShowProgressRows(false, false);
}

} // namespace

std::thread StartRepairJob(IJobUi& view, const JobThreadParams& params)
{
    const std::filesystem::path root = GetWorkRoot();
    if (!root.empty() && platform::KindOf(root) == platform::PathKind::Folder)
        ClearWorkArea(view);
    view.SetHint(kHintRepairing, {{19, 30}});
    view.SetMenuFlag(MenuFlag::RepairAllowed, false);
    view.EnableControl(JobControl::RepairFiles, false);
    view.EnableControl(JobControl::RemoveFiles, false);
    view.EnableControl(JobControl::Stop, true);
    view.ShowControl(JobControl::Stop, true);
    view.EnableControl(JobControl::SelectFiles, false);
    view.SetMenuFlag(MenuFlag::SelectAllowed, false);
    params.jobRunning->store(true);
    view.SetPreviewState(kPreviewRepairing);
    view.ClearLog();
    view.SetProgressPos(ProgressBar::File, 0);
    view.SetProgressPos(ProgressBar::Total, 0);
    return std::thread(RepairJobProc, params);
}

int RepairJobProc(JobThreadParams params)
{
    // Nothing may escape the worker: an escaped exception would end the process.
    int count = 0;
    try {
        count = params.view->FileCount();
        RepairAll(params, count);
    } catch (...) {
    }
    try {
        EndRepairJob(params, count);
    } catch (...) {
        params.jobRunning->store(false);
    }
    return 1;
}

bool StopJob(IJobUi& view, std::atomic<bool>& jobRunning)
{
    if (view.Message(kStopQuestion, kStyleQuestionYesNo) != kAnswerYes)
        return false;
    view.EnableControl(JobControl::Stop, false);
    jobRunning.store(false);
    return true;
}
