#pragma once
// The command line of deckmend-cli.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct CliOptions
{
    std::optional<std::filesystem::path> workDir; // keep the salvaged trees there
    std::optional<std::filesystem::path> outDir;  // save the repaired containers there
    bool media = false;                           // with outDir: also export the pictures
    bool json = false;
    bool quiet = false;
    bool help = false;
    std::vector<std::string> files;
};

// Parses argv; on a usage error returns nothing and sets error.
std::optional<CliOptions> ParseCliOptions(int argc, char** argv, std::string& error);

extern const char* const kCliUsage;
