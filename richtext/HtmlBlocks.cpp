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

// A row or a cell: the attributes of its tag and its content up to its closing tag.
struct Part
{
    HtmlAttributes m_attributes;
    qsizetype m_contentFrom = 0;
    qsizetype m_contentTo = 0;
    qsizetype m_next = 0; // where the next part is looked for
};

// The next part opened at this level from `from` on; without its closing tag it
// runs to the end of the text.
bool FindPart(QStringView text, QStringView open, QStringView close, qsizetype from, Part& part)
{
    const qsizetype start = FindAtLevel(text, open, from);
    if (start < 0)
        return false;
    qsizetype end = FindAtLevel(text, close, start + open.size());
    if (end < 0)
        end = text.size();
    part.m_attributes = ReadTagAt(text, start, end, part.m_contentFrom);
    part.m_contentTo = end;
    part.m_next = end + close.size();
    return true;
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
    Part row;
    while (FindPart(table, kRowOpen, kRowClose, pos, row)) {
        HtmlRowScan& rowScan = scan.m_rows.emplace_back();
        rowScan.m_attributes = std::move(row.m_attributes);
        const QStringView rowText = table.first(row.m_contentTo);
        Part cell;
        qsizetype cellPos = row.m_contentFrom;
        while (FindPart(rowText, kCellOpen, kCellClose, cellPos, cell)) {
            rowScan.m_cells.append({ std::move(cell.m_attributes), cell.m_contentFrom, cell.m_contentTo });
            cellPos = cell.m_next;
        }
        pos = row.m_next;
    }
    return scan;
}
