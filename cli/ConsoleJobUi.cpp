#include "cli/ConsoleJobUi.h"

#include "platform/Text.h"

#include <cstdio>

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr const char* kGreen = "\033[32m";
constexpr const char* kRed = "\033[31m";
constexpr const char* kReset = "\033[0m";

// Log texts end their lines with "\r\n"; a terminal wants "\n".
std::string TerminalText(std::u16string_view text)
{
    std::string out;
    for (const char c : platform::ToUtf8(text)) {
        if (c != '\r')
            out += c;
    }
    return out;
}

} // namespace

std::string PlainTextOfMarkup(std::u16string_view markup)
{
    std::string out;
    const std::string text = platform::ToUtf8(markup);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '<') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find('>', i);
        if (end == std::string::npos) {
            out += text.substr(i);
            break;
        }
        if (text.compare(i, end - i + 1, "<br>") == 0)
            out += '\n';
        i = end;
    }
    return out;
}

ConsoleJobUi::ConsoleJobUi(std::vector<std::u16string> files, ConsoleOutput output) : m_output(output)
{
    for (auto& file : files) {
        ConsoleRow row;
        row.path = std::move(file);
        m_rows.push_back(std::move(row));
    }
}

void ConsoleJobUi::SetSaveInputs(std::u16string destination, bool media)
{
    m_destination = std::move(destination);
    m_media = media;
}

int ConsoleJobUi::FileCount()
{
    return static_cast<int>(m_rows.size());
}

std::u16string ConsoleJobUi::FilePath(int row)
{
    m_currentRow = row;
    return m_rows.at(static_cast<std::size_t>(row)).path;
}

int ConsoleJobUi::RepairedMark(int row)
{
    return m_rows.at(static_cast<std::size_t>(row)).mark;
}

void ConsoleJobUi::SetFileRow(int row, int image)
{
    ConsoleRow& r = m_rows.at(static_cast<std::size_t>(row));
    r.image = image;
    r.mark = 0;
}

void ConsoleJobUi::SetRepairedMark(int row, int value)
{
    m_rows.at(static_cast<std::size_t>(row)).mark = value;
}

void ConsoleJobUi::AppendLog(std::u16string_view text, ColorRef colour)
{
    if (!m_output.log)
        return;
    std::lock_guard lock(m_mutex);
    ClearProgressLine();
    std::string line = TerminalText(text);
    if (m_output.colours && colour != kLogBlack) {
        // The colour ends before the line break, so the next line starts plain.
        const bool ended = !line.empty() && line.back() == '\n';
        if (ended)
            line.pop_back();
        std::fprintf(stdout, "%s%s%s%s", colour == kLogGreen ? kGreen : kRed, line.c_str(), kReset, ended ? "\n" : "");
    } else
        std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

void ConsoleJobUi::SetProgressRange(ProgressBar bar, int, int maximum)
{
    (bar == ProgressBar::File ? m_file : m_total).maximum = maximum;
}

void ConsoleJobUi::SetProgressPos(ProgressBar bar, int position)
{
    (bar == ProgressBar::File ? m_file : m_total).position = position;
    if (!m_output.progress || m_total.maximum == 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw < kProgressInterval)
        return;
    m_lastDraw = now;
    std::lock_guard lock(m_mutex);
    DrawProgress();
}

void ConsoleJobUi::DrawProgress()
{
    std::fprintf(stderr, "\r\033[Kfiles %d/%d, entries %d/%d", m_total.position, m_total.maximum, m_file.position,
                 m_file.maximum);
    std::fflush(stderr);
    m_progressShown = true;
}

void ConsoleJobUi::ClearProgressLine()
{
    if (m_progressShown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_progressShown = false;
    }
}

void ConsoleJobUi::FinishProgress()
{
    std::lock_guard lock(m_mutex);
    ClearProgressLine();
}

DestinationText ConsoleJobUi::ReadDestination()
{
    return DestinationText{m_destination, m_destination.empty()};
}

bool ConsoleJobUi::ReadMediaSwitch()
{
    return m_media;
}

int ConsoleJobUi::Message(std::u16string_view text, unsigned style)
{
    std::string line = "deckmend-cli: ";
    if (m_currentRow >= 0 && m_currentRow < static_cast<int>(m_rows.size())) {
        line += platform::ToUtf8(m_rows[static_cast<std::size_t>(m_currentRow)].path) + ": ";
        m_rows[static_cast<std::size_t>(m_currentRow)].messages.push_back(platform::ToUtf8(text));
    }
    line += platform::ToUtf8(text);
    {
        std::lock_guard lock(m_mutex);
        ClearProgressLine();
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    // Nothing in a terminal run asks a question; a question is answered No.
    return style == kStyleQuestionYesNo ? kAnswerNo : kAnswerOk;
}

void ConsoleJobUi::CompletionNotice(std::u16string_view text)
{
    if (!m_output.log)
        return;
    std::lock_guard lock(m_mutex);
    ClearProgressLine();
    std::fprintf(stderr, "%s\n", PlainTextOfMarkup(text).c_str());
}

void ConsoleJobUi::ReportExtraction(const ExtractionReport& report)
{
    if (m_currentRow >= 0 && m_currentRow < static_cast<int>(m_rows.size()))
        m_rows[static_cast<std::size_t>(m_currentRow)].extraction = report;
}

void ConsoleJobUi::ReportSave(bool saved)
{
    if (m_currentRow >= 0 && m_currentRow < static_cast<int>(m_rows.size()))
        m_rows[static_cast<std::size_t>(m_currentRow)].saved = saved;
}

void ConsoleJobUi::NoteRepairOutcome()
{
    for (ConsoleRow& row : m_rows)
        row.repaired = row.mark == 1;
}
