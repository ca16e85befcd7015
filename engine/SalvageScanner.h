#pragma once
// Finds every ZIP local header of a damaged file, ignoring the central directory
// and the end record, and fills the entry table in file order.

#include "engine/EntryTime.h"
#include "engine/JobUi.h"

#include <cstdint>
#include <string>
#include <string_view>

// Scans the file at filePath (the path as the file list shows it). On success the
// entry table holds the kept entries, also when a stop request ended the scan
// early; when the file cannot be opened the system's error text is shown and the
// table is left as it was.
bool ScanForEntries(IJobUi& view, std::u16string_view filePath, const JobThreadParams& params);
