#pragma once
// The engine's only way to the window. Each call returns once its effect has
// taken place; an implementation carries it over to the window thread.

#include "engine/EntryTable.h"
#include "platform/ColorRef.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Colours of log lines.
constexpr ColorRef kLogBlack = 0x00000000;
constexpr ColorRef kLogGreen = 0x00009900;
constexpr ColorRef kLogRed = 0x000000FF;

// Row images of the file list.
enum RowImage : int
{
    RowImageNotRepaired = 0, // red repair mark: a job was stopped
    RowImageRepaired = 1,    // green tick
    RowImagePlain = 2,       // every new row
};

// Message styles and answers.
constexpr unsigned kStyleInfoOk = 0x40;
constexpr unsigned kStyleQuestionYesNo = 0x24;
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Notice codes of the preview pane that the engine sets.
constexpr int kPreviewRepairing = 2;
constexpr int kPreviewSelectFile = 3;
constexpr int kPreviewBlank = 6;

enum class ProgressBar
{
    File,  // ID_FIRST_PROGRESS_CTRL, entries of the file being extracted
    Total, // ID_SECOND_PROGRESS_CTRL, files of the job
};

// The command buttons and inputs the jobs enable, disable, show and hide.
enum class JobControl
{
    SelectFiles,     // ID_VESK_BTN_SELECT_FILES
    RemoveFiles,     // ID_VESK_BTN_REMOVE_FILES
    RepairFiles,     // ID_VESK_BTN_RECOVER_FILES
    Stop,            // ID_VESK_BTN_STOP
    Browse,          // the "..." button
    Save,            // ID_VESK_BTN_SAVE_FILES
    ExtractMedia,    // ID_CHECK_BTN_EXTRACT_FILE_CONTENT
    DestinationEdit, // ID_VESK_BROWSE_EDIT_CTRL
};

// The three flags the main frame's command-update handlers read.
enum class MenuFlag
{
    SelectAllowed,
    RepairAllowed, // covers Remove and Repair
    SaveAllowed,   // covers Browse and Save
};

// A bold range of the hint text: characters from `from` up to but excluding `to`,
// the line break counting as one character.
struct HintRange
{
    int from;
    int to;
};

struct DestinationText
{
    std::u16string text;
    bool promptShowing = false; // the edit shows its grey prompt instead of a path
};

// What extraction made of one file's entry table; for front ends that report it.
struct ExtractionReport
{
    std::size_t entriesFound = 0;     // rows of the entry table
    std::size_t entriesExtracted = 0; // rows that produced their output file
    bool contentXmlSalvaged = false;  // false: the work folder holds the built-in template
};

class IJobUi
{
public:
    virtual ~IJobUi() = default;

    // File list.
    virtual int FileCount() = 0;
    virtual std::u16string FilePath(int row) = 0;
    virtual int RepairedMark(int row) = 0;
    // Deletes the row and inserts it again with the same text and this image; its mark becomes 0.
    virtual void SetFileRow(int row, int image) = 0;
    virtual void SetRepairedMark(int row, int value) = 0;

    // Entry table of the current file.
    virtual void ClearEntries() = 0;
    virtual std::size_t EntryCount() = 0;
    virtual void AppendEntry(std::u16string name, std::unique_ptr<SalvagedEntry> record) = 0;
    virtual std::u16string EntryName(std::size_t row) = 0;
    virtual SalvagedEntry EntryRecord(std::size_t row) = 0;

    // Job log.
    virtual void ClearLog() = 0;
    virtual void AppendLog(std::u16string_view text, ColorRef colour) = 0;

    // Hint box.
    virtual void SetHint(std::u16string_view text, const std::vector<HintRange>& boldRanges) = 0;

    // Progress rows and bars.
    virtual void ShowProgressRows(bool fileRowShown, bool totalRowShown) = 0;
    virtual void RestartEstimate(ProgressBar bar) = 0;
    virtual void SetProgressRange(ProgressBar bar, int minimum, int maximum) = 0;
    virtual void SetProgressPos(ProgressBar bar, int position) = 0;

    // Controls and menu flags.
    virtual void EnableControl(JobControl control, bool on) = 0;
    virtual void ShowControl(JobControl control, bool on) = 0;
    virtual void SetMenuFlag(MenuFlag flag, bool on) = 0;

    // Preview pane notice; shows no picture.
    virtual void SetPreviewState(int code) = 0;

    // Save inputs.
    virtual DestinationText ReadDestination() = 0;
    virtual bool ReadMediaSwitch() = 0;

    // Rich message box without owner; returns the id of the button pressed.
    virtual int Message(std::u16string_view text, unsigned style) = 0;
    // The save job's completion notice, owned by the main view.
    virtual void CompletionNotice(std::u16string_view text) = 0;

    // Told once per extracted file, after its bar has reached its end. The window
    // has no use for it; the command line reports it.
    virtual void ReportExtraction(const ExtractionReport&) {}
    // Told once per file the save job packed, with whether its container was written.
    virtual void ReportSave(bool /*saved*/) {}
};

// Handed to a job's worker thread. The flag belongs to the main frame: set when
// a job starts, cleared when it ends or when the user confirms Stop.
struct JobThreadParams
{
    std::atomic<bool>* jobRunning = nullptr;
    IJobUi* view = nullptr;
};

inline bool JobRunning(const JobThreadParams& params)
{
    return params.jobRunning->load(std::memory_order_relaxed);
}

// The entry-table operations over a table the implementation holds. Only the
// worker touches the table, between clearing it for a file and the end of that
// file's extraction, so these calls need not reach the window thread.
class JobUiWithEntryTable : public IJobUi
{
public:
    void ClearEntries() override { m_entries.Clear(); }
    std::size_t EntryCount() override { return m_entries.Count(); }
    void AppendEntry(std::u16string name, std::unique_ptr<SalvagedEntry> record) override
    {
        m_entries.Append(std::move(name), std::move(record));
    }
    std::u16string EntryName(std::size_t row) override { return m_entries.Name(row); }
    SalvagedEntry EntryRecord(std::size_t row) override { return m_entries.Record(row); }

protected:
    EntryTable m_entries;
};
