#pragma once
// A job interface that records every call in order, for checking what the
// engine asks of the window. The file list is given by the test.

#include "engine/JobUi.h"
#include "platform/Text.h"

#include <functional>
#include <string>
#include <vector>

class RecordingJobUi : public JobUiWithEntryTable
{
public:
    struct Row
    {
        std::u16string path;
        int image = RowImagePlain;
        int mark = 0;
    };

    explicit RecordingJobUi(std::vector<std::string> paths = {})
    {
        for (const auto& p : paths)
            rows.push_back(Row{platform::FromUtf8(p)});
    }

    std::vector<Row> rows;
    std::vector<std::string> calls;      // every call, in order
    std::vector<std::string> log;        // the log lines' texts
    std::vector<ColorRef> logColours;
    std::vector<std::string> messages;   // texts of Message calls
    int messageAnswer = kAnswerOk;
    std::u16string destination;
    bool destinationPrompt = false;
    bool mediaSwitch = false;
    std::vector<ExtractionReport> extractions;
    std::vector<bool> saves;
    // Called after each log line is recorded, e.g. to press Stop at a given line.
    std::function<void(const std::string&)> onLog;

    std::vector<std::string> LogFor(const std::string& prefix) const
    {
        std::vector<std::string> lines;
        for (const auto& l : log)
            if (l.rfind(prefix, 0) == 0)
                lines.push_back(l.substr(prefix.size()));
        return lines;
    }

    int FileCount() override { return Record("FileCount"), static_cast<int>(rows.size()); }
    std::u16string FilePath(int row) override
    {
        Record("FilePath " + std::to_string(row));
        return rows.at(static_cast<std::size_t>(row)).path;
    }
    int RepairedMark(int row) override
    {
        Record("RepairedMark " + std::to_string(row));
        return rows.at(static_cast<std::size_t>(row)).mark;
    }
    void SetFileRow(int row, int image) override
    {
        Record("SetFileRow " + std::to_string(row) + " " + std::to_string(image));
        rows.at(static_cast<std::size_t>(row)).image = image;
        rows.at(static_cast<std::size_t>(row)).mark = 0;
    }
    void SetRepairedMark(int row, int value) override
    {
        Record("SetRepairedMark " + std::to_string(row) + " " + std::to_string(value));
        rows.at(static_cast<std::size_t>(row)).mark = value;
    }
    void ClearEntries() override
    {
        Record("ClearEntries");
        JobUiWithEntryTable::ClearEntries();
    }
    void ClearLog() override
    {
        Record("ClearLog");
        log.clear();
        logColours.clear();
    }
    void AppendLog(std::u16string_view text, ColorRef colour) override
    {
        const std::string line = platform::ToUtf8(text);
        Record("AppendLog " + line + " " + std::to_string(colour));
        log.push_back(line);
        logColours.push_back(colour);
        if (onLog)
            onLog(line);
    }
    void SetHint(std::u16string_view text, const std::vector<HintRange>& ranges) override
    {
        std::string r;
        for (const auto& range : ranges)
            r += " " + std::to_string(range.from) + "-" + std::to_string(range.to);
        Record("SetHint " + platform::ToUtf8(text) + r);
    }
    void ShowProgressRows(bool file, bool total) override
    {
        Record(std::string("ShowProgressRows ") + (file ? "1" : "0") + (total ? "1" : "0"));
    }
    void RestartEstimate(ProgressBar bar) override { Record("RestartEstimate " + Bar(bar)); }
    void SetProgressRange(ProgressBar bar, int minimum, int maximum) override
    {
        Record("SetProgressRange " + Bar(bar) + " " + std::to_string(minimum) + " " + std::to_string(maximum));
    }
    void SetProgressPos(ProgressBar bar, int position) override
    {
        Record("SetProgressPos " + Bar(bar) + " " + std::to_string(position));
    }
    void EnableControl(JobControl control, bool on) override
    {
        Record("EnableControl " + std::to_string(static_cast<int>(control)) + (on ? " 1" : " 0"));
    }
    void ShowControl(JobControl control, bool on) override
    {
        Record("ShowControl " + std::to_string(static_cast<int>(control)) + (on ? " 1" : " 0"));
    }
    void SetMenuFlag(MenuFlag flag, bool on) override
    {
        Record("SetMenuFlag " + std::to_string(static_cast<int>(flag)) + (on ? " 1" : " 0"));
    }
    void SetPreviewState(int code) override { Record("SetPreviewState " + std::to_string(code)); }
    DestinationText ReadDestination() override
    {
        Record("ReadDestination");
        return DestinationText{destination, destinationPrompt};
    }
    bool ReadMediaSwitch() override { return Record("ReadMediaSwitch"), mediaSwitch; }
    int Message(std::u16string_view text, unsigned style) override
    {
        Record("Message " + platform::ToUtf8(text) + " " + std::to_string(style));
        messages.push_back(platform::ToUtf8(text));
        return messageAnswer;
    }
    void CompletionNotice(std::u16string_view text) override
    {
        Record("CompletionNotice " + platform::ToUtf8(text));
    }
    void ReportExtraction(const ExtractionReport& report) override { extractions.push_back(report); }
    void ReportSave(bool saved) override { saves.push_back(saved); }

private:
    static std::string Bar(ProgressBar bar) { return bar == ProgressBar::File ? "file" : "total"; }
    void Record(std::string call) { calls.push_back(std::move(call)); }
};
