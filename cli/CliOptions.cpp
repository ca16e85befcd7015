#include "cli/CliOptions.h"

#include <cstring>

const char* const kCliUsage =
    "usage: deckmend-cli [--work-dir DIR] [--out DIR [--media]] [--json] [--quiet] FILE...\n"
    "\n"
    "Repairs damaged OpenDocument presentations: salvages every entry their ZIP local\n"
    "headers still describe into a work folder, then (with --out) packs each repaired\n"
    "tree into DIR/NOVRAK_<name>.\n"
    "\n"
    "  --work-dir DIR  keep the salvaged trees in DIR (empty or not yet existing)\n"
    "  --out DIR       save the repaired presentations into the existing folder DIR\n"
    "  --media         with --out: also copy each file's pictures to DIR/<name>_MediaContent\n"
    "  --json          print one JSON report instead of the job log\n"
    "  --quiet         print neither the job log nor progress\n"
    "\n"
    "Exit status: 0 when every file was repaired (and saved), 1 when any was not,\n"
    "2 for a usage error, 130 when interrupted.\n";

std::optional<CliOptions> ParseCliOptions(int argc, char** argv, std::string& error)
{
    CliOptions options;
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            options.files.push_back(arg);
            continue;
        }
        auto takeValue = [&](std::optional<std::filesystem::path>& into) {
            if (i + 1 >= argc || std::strlen(argv[i + 1]) == 0) {
                error = arg + " needs a folder";
                return false;
            }
            into = std::filesystem::path(argv[++i]);
            return true;
        };
        if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--work-dir") {
            if (!takeValue(options.workDir))
                return std::nullopt;
        } else if (arg == "--out") {
            if (!takeValue(options.outDir))
                return std::nullopt;
        } else if (arg == "--media") {
            options.media = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (options.help)
        return options;
    if (options.media && !options.outDir) {
        error = "--media goes with --out";
        return std::nullopt;
    }
    if (options.files.empty()) {
        error = "no file given";
        return std::nullopt;
    }
    return options;
}
