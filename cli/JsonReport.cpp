#include "cli/JsonReport.h"

#include "engine/WorkArea.h"
#include "platform/Text.h"

#include <cstdio>

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

namespace {

const char* Bool(bool value)
{
    return value ? "true" : "false";
}

std::string FileObject(const ConsoleRow& row, std::size_t index, const ReportContext& context)
{
    std::string o = "{\"path\": " + JsonString(platform::ToUtf8(row.path));
    o += ", \"repaired\": " + std::string(Bool(row.repaired));
    if (row.extraction) {
        const ExtractionReport& e = *row.extraction;
        o += ", \"entriesFound\": " + std::to_string(e.entriesFound);
        o += ", \"entriesExtracted\": " + std::to_string(e.entriesExtracted);
        o += ", \"entriesDropped\": " + std::to_string(e.entriesFound - e.entriesExtracted);
        o += ", \"contentXml\": " + JsonString(e.contentXmlSalvaged ? "salvaged" : "template");
        if (context.workFoldersKept)
            o += ", \"workFolder\": " +
                 JsonString(WorkFolderOf(context.workRoot, row.path, static_cast<int>(index)).string());
        else
            o += ", \"workFolder\": null";
    }
    if (context.outDir) {
        const std::u16string name = u"NOVRAK_" + FileNameOf(row.path);
        o += ", \"container\": " + JsonString((*context.outDir / platform::ToPath(name)).string());
        o += ", \"saved\": " + std::string(Bool(row.saved.value_or(false)));
    }
    if (!row.messages.empty()) {
        o += ", \"messages\": [";
        for (std::size_t i = 0; i < row.messages.size(); ++i)
            o += (i ? ", " : "") + JsonString(row.messages[i]);
        o += "]";
    }
    return o + "}";
}

} // namespace

std::string JsonReport(const std::vector<ConsoleRow>& rows, const ReportContext& context)
{
    std::string out = "{\"interrupted\": " + std::string(Bool(context.interrupted)) + ", \"files\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += i ? ",\n  " : "\n  ";
        out += FileObject(rows[i], i, context);
    }
    out += rows.empty() ? "]}\n" : "\n]}\n";
    return out;
}
