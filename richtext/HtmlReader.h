#pragma once
// Reads prepared markup into the items a pass of the renderer meets, in order: text
// runs with their style, empty elements with their attributes, and the starts and
// ends of tables, rows and cells. The renderer lays the items out and draws them.

#include "richtext/HtmlElements.h"
#include "richtext/HtmlMarkup.h"
#include "richtext/HtmlStyleState.h"

#include <vector>

class HtmlColorTable;
class HtmlStyleSheet;

enum class HtmlItemKind
{
    Text,
    Break,
    Tab,
    Rule,
    Image,  // "bmp", "icon", "ilst"
    String, // a string resource drawn as text
    TableStart,
    TableEnd,
    RowStart,
    RowEnd,
    CellStart,
    CellEnd,
};

// Where a cell sits in its table's grid, and the size of the grid. Spans are cut
// to the grid, so a cell never reaches past the last row or column.
struct HtmlGridPlace
{
    int m_row = 0;
    int m_column = 0;
    int m_rowSpan = 1;
    int m_colSpan = 1;
    int m_rows = 0;    // of the table
    int m_columns = 0; // of the table
};

struct HtmlItem
{
    HtmlItemKind m_kind = HtmlItemKind::Text;
    // The style in force: for a rule with the rule "hr" applied, for a table part
    // after its attributes, for an end the style restored.
    TextStyle m_style;
    QString m_text;              // Text: the run after its text transform
    QString m_tag;               // elements and table parts: the tag name
    HtmlAttributes m_attributes; // elements and table parts: as written
    int m_count = 1;             // Break: lines; Tab: tab stops
    int m_link = -1;             // number of the link the item is in, -1 outside links
    HtmlHorizontalRule m_rule;         // Rule
    HtmlImage m_image;       // Image, String
    HtmlGridPlace m_grid;        // TableStart: rows and columns; RowStart: row; CellStart: all
};

struct HtmlReadOptions
{
    int m_dpi = 96; // vertical resolution of the surface
    bool m_colorsEnabled = true;
    ColorRef m_disabledColor = 0;
    int m_hoveredLink = kNoHoveredLink; // styled with "a:hover"
    XHeightFunction m_xHeightOf;
};

// Counts in "br=N" and "t=N" stop here, so a line never moves by absurd amounts.
constexpr int kMaxRepeatCount = 1000;
// Tables nested deeper than this are left out with all they hold.
constexpr int kMaxTableDepth = 16;
// Cells past this column find no slot and are left out.
constexpr int kMaxTableColumns = 256;

// Reads prepared text (PrepareHtmlText) as one pass does: the style starts from the
// defaults with the rule "body", every text block is read as if enclosed in "body",
// and links are numbered from 0.
std::vector<HtmlItem> ReadHtmlItems(QStringView preparedText, const HtmlStyleSheet& sheet,
                                    const HtmlColorTable& colors, const HtmlReadOptions& options = {});
