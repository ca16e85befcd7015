#pragma once
// The texts of the job log: each file line is the file's listed path followed by
// one of these messages.

#include "platform/ColorRef.h"

#include <string>
#include <string_view>

namespace joblog {

inline constexpr std::u16string_view kFileIsOpen = u" file is open....\r\n";
inline constexpr std::u16string_view kFileIsExtracted = u" file is extracted....\r\n";
inline constexpr std::u16string_view kFileIsClosed = u" file is closed....\r\n";
inline constexpr std::u16string_view kPreviewAvailable = u" preview of file is available....\r\n";
inline constexpr std::u16string_view kRepaired = u"  Repaired....\r\n";
inline constexpr std::u16string_view kExtractionFailed = u" extraction of file failed....\r\n";
inline constexpr std::u16string_view kRepairStopped =
    u" file is not extracting as process has been stop by the user.... \r\n";
inline constexpr std::u16string_view kNotRepaired = u" not Repaired....\r\n";
inline constexpr std::u16string_view kRepairCompleted = u"Repairing process completed....\r\n";
inline constexpr std::u16string_view kSavingStarts = u" saving of file starts....\r\n";
inline constexpr std::u16string_view kNoMediaContent = u" no media content is present in the file....\r\n";
inline constexpr std::u16string_view kMediaDone = u" Media extration is done....\r\n";
inline constexpr std::u16string_view kSavingDone = u" saving of file done....\r\n";
inline constexpr std::u16string_view kSavingFailed = u" saving of file failed....\r\n";
inline constexpr std::u16string_view kNotRepairedCannotSave = u" cannot be saved,as it is not Repaired.\r\n";
inline constexpr std::u16string_view kSaveStopped = u" file is not saving as process has been stop by the user.... \r\n";
inline constexpr std::u16string_view kNotSaved = u" not saved....\r\n";
inline constexpr std::u16string_view kSaveCompleted = u"Saving processing completed....\r\n";

// 85 asterisks: the end of a file's block.
std::u16string Separator();
// 64 underscores and an empty line: the end of a job.
std::u16string Rule();

} // namespace joblog

class IJobUi;

// Appends the file's path and the message in the colour.
void AppendFileLine(IJobUi& view, std::u16string_view path, std::u16string_view message, ColorRef colour);
