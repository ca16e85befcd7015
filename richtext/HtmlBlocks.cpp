// Finding tables, rows and cells in prepared text.
#include "richtext/HtmlBlocks.h"

namespace {

constexpr QStringView kRowOpen = u"<tr";
constexpr QStringView kRowClose = u"</tr>";
constexpr QStringView kCellOpen = u"<td";
constexpr QStringView kCellClose = u"</td>";

// The "<" at pos starts a tag unless it is the second of a "<<" pair: the tokenizer
// pairs a run of "<" from its start, so only an odd run ends in a tag.
bool StartsTag(QStringView text, qsizetype pos)
{
    qsizetype run = 1;
    while (pos - run >= 0 && text[pos - run] == u'<')
        ++run;
    return run % 2 == 1;
}

// The needle at this nesting level: tables met before it are skipped whole.
qsizetype FindAtLevel(QStringView text, QStringView needle, qsizetype from)
{
    qsizetype found = FindMarkupTag(text, needle, from);
    while (found >= 0) {
        // Only a table starting before the needle can hide it.
        const qsizetype table = FindMarkupTag(text.first(found), kTableOpen, from);
        if (table < 0)
            return found;
        const qsizetype tableEnd = FindTableEnd(text, table);
        if (tableEnd >= text.size())
            return -1;
        from = tableEnd + kTableClose.size();
        if (found < from)
            found = FindMarkupTag(text, needle, from);
    }
    return -1;
}

// Attributes of the tag at pos (up to its ">", or the limit) and where it ends.
HtmlAttributes ReadTagAt(QStringView text, qsizetype pos, qsizetype limit, qsizetype& after)
{
    qsizetype close = text.first(limit).indexOf(u'>', pos);
    after = close < 0 ? limit : close + 1;
    if (close < 0)
        close = limit;
    return ReadHtmlAttributes(ReadHtmlTag(text.sliced(pos + 1, close - pos - 1)).m_attributes);
}

QList<HtmlCellScan> ScanCells(QStringView text, qsizetype from, qsizetype rowEnd)
{
    const QStringView row = text.first(rowEnd);
    QList<HtmlCellScan> cells;
    qsizetype pos = from;
    for (;;) {
        const qsizetype start = FindAtLevel(row, kCellOpen, pos);
        if (start < 0)
            return cells;
        qsizetype end = FindAtLevel(row, kCellClose, start + kCellOpen.size());
        if (end < 0)
            end = rowEnd;
        HtmlCellScan cell;
        cell.m_attributes = ReadTagAt(row, start, end, cell.m_contentFrom);
        cell.m_contentTo = end;
        cells.append(std::move(cell));
        pos = end + kCellClose.size();
    }
}

} // namespace

qsizetype FindMarkupTag(QStringView text, QStringView needle, qsizetype from)
{
    while (from < text.size()) {
        const qsizetype found = text.indexOf(needle, from);
        if (found < 0)
            return -1;
        if (StartsTag(text, found))
            return found;
        from = found + 1;
    }
    return -1;
}

qsizetype FindTableEnd(QStringView text, qsizetype start)
{
    int open = 1;
    qsizetype pos = start + kTableOpen.size();
    qsizetype close = -1;
    for (;;) {
        if (close < pos) {
            close = FindMarkupTag(text, kTableClose, pos);
            if (close < 0)
                return text.size();
        }
        const qsizetype nested = FindMarkupTag(text.first(close), kTableOpen, pos);
        if (nested >= 0) {
            ++open;
            pos = nested + kTableOpen.size();
            continue;
        }
        if (--open == 0)
            return close;
        pos = close + kTableClose.size();
    }
}

HtmlTableScan ScanTable(QStringView text, qsizetype start, qsizetype end)
{
    const QStringView table = text.first(end);
    HtmlTableScan scan;
    qsizetype pos = 0;
    scan.m_attributes = ReadTagAt(table, start, end, pos);
    for (;;) {
        const qsizetype rowStart = FindAtLevel(table, kRowOpen, pos);
        if (rowStart < 0)
            return scan;
        qsizetype rowEnd = FindAtLevel(table, kRowClose, rowStart + kRowOpen.size());
        if (rowEnd < 0)
            rowEnd = end;
        HtmlRowScan row;
        qsizetype contentFrom = 0;
        row.m_attributes = ReadTagAt(table, rowStart, rowEnd, contentFrom);
        row.m_cells = ScanCells(table, contentFrom, rowEnd);
        scan.m_rows.append(std::move(row));
        pos = rowEnd + kRowClose.size();
    }
}
