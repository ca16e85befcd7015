#pragma once
// The --json report of a run: one object listing each file's outcome.

#include "cli/ConsoleJobUi.h"

#include <filesystem>
#include <optional>
#include <string>

struct ReportContext
{
    std::filesystem::path workRoot;
    bool workFoldersKept = false;
    std::optional<std::filesystem::path> outDir;
    bool interrupted = false;
};

std::string JsonReport(const std::vector<ConsoleRow>& rows, const ReportContext& context);

// A JSON string literal for UTF-8 text.
std::string JsonString(const std::string& text);
