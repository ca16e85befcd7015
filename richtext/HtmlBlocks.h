#pragma once
// Where tables, rows and cells begin and end in prepared text. Searches look for
// "<" and a name as plain text, count nested tables, and treat a "<" doubled in
// front ("<<table") as literal text. Positions index the whole text.

#include "richtext/HtmlMarkup.h"

#include <QList>
#include <QStringView>

constexpr QStringView kTableOpen = u"<table";
constexpr QStringView kTableClose = u"</table>";

// The first occurrence of the needle at or after from that starts a tag, or -1.
qsizetype FindMarkupTag(QStringView text, QStringView needle, qsizetype from);

// The position of the "</table>" closing the table that starts at start, with
// nested tables counted, or the end of the text when it is missing.
qsizetype FindTableEnd(QStringView text, qsizetype start);

struct HtmlCellScan
{
    HtmlAttributes m_attributes;
    qsizetype m_contentFrom = 0; // after the "<td ...>" tag
    qsizetype m_contentTo = 0;   // at its "</td>", or the end of the row
};

struct HtmlRowScan
{
    HtmlAttributes m_attributes;
    QList<HtmlCellScan> m_cells;
};

struct HtmlTableScan
{
    HtmlAttributes m_attributes;
    QList<HtmlRowScan> m_rows;
};

// Cuts the table from start ("<table") to end (its "</table>") into rows and cells;
// text outside rows and cells belongs to none. A missing "</tr>" or "</td>" ends
// the row or cell at the end of what holds it.
HtmlTableScan ScanTable(QStringView text, qsizetype start, qsizetype end);
