#include "engine/JobLog.h"

#include "engine/JobUi.h"

namespace joblog {

std::u16string Separator()
{
    return std::u16string(85, u'*') + u"\r\n";
}

std::u16string Rule()
{
    return std::u16string(64, u'_') + u"\r\n\r\n";
}

} // namespace joblog

void AppendFileLine(IJobUi& view, std::u16string_view path, std::u16string_view message, ColorRef colour)
{
    std::u16string line(path);
    line += message;
    view.AppendLog(line, colour);
}
