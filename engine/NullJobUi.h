#pragma once
// A job interface with no window: a fixed file list and nothing shown. For runs
// that only want the engine's work (benchmarks, fuzzing).

#include "engine/JobUi.h"

#include <string>
#include <vector>

class NullJobUi : public JobUiWithEntryTable
{
public:
    explicit NullJobUi(std::vector<std::u16string> files = {}) : m_files(std::move(files)), m_marks(m_files.size()) {}

    int FileCount() override { return static_cast<int>(m_files.size()); }
    std::u16string FilePath(int row) override { return m_files.at(static_cast<std::size_t>(row)); }
    int RepairedMark(int row) override { return m_marks.at(static_cast<std::size_t>(row)); }
    void SetFileRow(int row, int) override { m_marks.at(static_cast<std::size_t>(row)) = 0; }
    void SetRepairedMark(int row, int value) override { m_marks.at(static_cast<std::size_t>(row)) = value; }
    void ClearLog() override {}
    void AppendLog(std::u16string_view, ColorRef) override {}
    void SetHint(std::u16string_view, const std::vector<HintRange>&) override {}
    void ShowProgressRows(bool, bool) override {}
    void RestartEstimate(ProgressBar) override {}
    void SetProgressRange(ProgressBar, int, int) override {}
    void SetProgressPos(ProgressBar, int) override {}
    void EnableControl(JobControl, bool) override {}
    void ShowControl(JobControl, bool) override {}
    void SetMenuFlag(MenuFlag, bool) override {}
    void SetPreviewState(int) override {}
    DestinationText ReadDestination() override { return {}; }
    bool ReadMediaSwitch() override { return false; }
    int Message(std::u16string_view, unsigned) override { return kAnswerOk; }
    void CompletionNotice(std::u16string_view) override {}

private:
    std::vector<std::u16string> m_files;
    std::vector<int> m_marks;
};
