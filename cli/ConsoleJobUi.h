#pragma once
// The job interface in a terminal: the file list is the command line's files, log
// lines go to standard output (coloured on a terminal), progress and messages to
// standard error.

#include "engine/JobUi.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct ConsoleOutput
{
    bool log = true;       // print the job log on standard output
    bool colours = false;  // standard output is a terminal
    bool progress = false; // standard error is a terminal and progress is wanted
};

// What the jobs did to one listed file, for the report.
struct ConsoleRow
{
    std::u16string path;
    int image = RowImagePlain;
    int mark = 0;
    bool repaired = false; // the repair job's mark, before a save could clear it
    std::optional<ExtractionReport> extraction;
    std::optional<bool> saved;
    std::vector<std::string> messages;
};

class ConsoleJobUi final : public JobUiWithEntryTable
{
public:
    ConsoleJobUi(std::vector<std::u16string> files, ConsoleOutput output);

    void SetSaveInputs(std::u16string destination, bool media);
    const std::vector<ConsoleRow>& Rows() const { return m_rows; }
    // Ends a progress line so that what follows starts on a fresh line.
    void FinishProgress();

    int FileCount() override;
    std::u16string FilePath(int row) override;
    int RepairedMark(int row) override;
    void SetFileRow(int row, int image) override;
    void SetRepairedMark(int row, int value) override;

    void ClearLog() override {}
    void AppendLog(std::u16string_view text, ColorRef colour) override;
    void SetHint(std::u16string_view, const std::vector<HintRange>&) override {}

    void ShowProgressRows(bool, bool) override {}
    void RestartEstimate(ProgressBar) override {}
    void SetProgressRange(ProgressBar bar, int minimum, int maximum) override;
    void SetProgressPos(ProgressBar bar, int position) override;

    void EnableControl(JobControl, bool) override {}
    void ShowControl(JobControl, bool) override {}
    void SetMenuFlag(MenuFlag, bool) override {}
    void SetPreviewState(int) override {}

    DestinationText ReadDestination() override;
    bool ReadMediaSwitch() override;

    int Message(std::u16string_view text, unsigned style) override;
    void CompletionNotice(std::u16string_view text) override;
    void ReportExtraction(const ExtractionReport& report) override;
    void ReportSave(bool saved) override;
    // Takes the rows' marks as the outcome of the repair.
    void NoteRepairOutcome();

private:
    struct Bar
    {
        int maximum = 0;
        int position = 0;
    };
    void DrawProgress();
    void ClearProgressLine();

    std::mutex m_mutex;
    std::vector<ConsoleRow> m_rows;
    ConsoleOutput m_output;
    int m_currentRow = -1;
    Bar m_file;
    Bar m_total;
    bool m_progressShown = false;
    std::chrono::steady_clock::time_point m_lastDraw;
    std::u16string m_destination;
    bool m_media = false;
};

// The notice's markup as plain text: "<br>" becomes a line break, tags are dropped.
std::string PlainTextOfMarkup(std::u16string_view markup);
