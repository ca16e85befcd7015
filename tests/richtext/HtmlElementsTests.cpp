// Empty elements and tables as a pass reads them: breaks, tabs, rules, images,
// strings, the table structure, its attributes and the border rule.
#include "richtext/HtmlElements.h"
#include "richtext/HtmlReader.h"

#include "tests/richtext/MarkupTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr ColorRef kRed = MakeColorRef(255, 0, 0);

struct OutlineCase
{
    const char* m_name;
    const char* m_markup;
    const char* m_outline;
};

void ExpectOutlines(const OutlineCase* begin, const OutlineCase* end)
{
    for (const OutlineCase* c = begin; c != end; ++c)
        EXPECT_EQ(Outline(ReadMarkup(QString::fromUtf8(c->m_markup))), QString::fromUtf8(c->m_outline)) << c->m_name;
}

TEST(HtmlElements, BreaksTabsAndTextAroundThem)
{
    const OutlineCase cases[] = {
        { "br=3 breaks three lines", "a<br=3>b", "a|<br=3>|b" },
        { "br 3 breaks one", "a<br 3>b", "a|<br=1>|b" },
        { "br =3 is not a count", "a<br =3>b", "a|<br=1>|b" },
        { "br= 3 allows the space after =", "<br= 3>", "<br=3>" },
        { "br=0 moves no line", "<br=0>", "<br=0>" },
        { "br=x counts one", "<br=x>", "<br=1>" },
        { "absurd counts are capped", "<br=99999999>", "<br=1000>" },
        { "t=2 advances two stops", "<t=2>", "<t=2>" },
        { "a tab advances at least one stop", "<t=0>", "<t=1>" },
        { "line feed is a break, carriage return nothing", "one\r\ntwo", "one|<br=1>|two" },
        { "tab is a tab", "a\tb", "a|<t=1>|b" },
        { "entities between tags", "&lt;word&gt;", "<word>" },
        { "amp then lt is one literal <", "&amp;lt;", "<" },
        { "text read as a tag is lost", "5<7 and 8>3", "5|3" },
        { "escaped angle keeps it", "5&lt;7 and 8&gt;3", "5<7 and 8>3" },
        { "doubled angle keeps it", "5<<7 and 8>3", "5<7 and 8>3" },
        { "capital tag names vanish", "<BR>x<B>y", "x|y" },
        { "a style change splits runs", "ab<b>cd</b>ef", "ab|cd|ef" },
        { "an unknown tag splits runs", "ab<blink>cd", "ab|cd" },
        { "an unclosed < joins the run", "ab<cd", "abcd" },
        { "tags only give nothing", "<b><i></i></b>", "" },
    };
    ExpectOutlines(std::begin(cases), std::end(cases));
}

TEST(HtmlElements, RulesTakeTheHrRuleAndTheirAttributes)
{
    const std::vector<HtmlItem> plain = ReadMarkup(QStringLiteral("<font color=#00ff00><hr>"));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].m_kind, HtmlItemKind::Rule);
    EXPECT_EQ(plain[0].m_rule.m_thickness, 1);
    EXPECT_EQ(plain[0].m_rule.m_width, (SizeOrPercent { 100, true }));
    EXPECT_EQ(plain[0].m_rule.m_color, MakeColorRef(0, 255, 0)); // the text colour

    const std::vector<HtmlItem> items = ReadMarkup(QStringLiteral("<hr width=50% size=3 color=red><hr width=120>"));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].m_rule.m_width, (SizeOrPercent { 50, true }));
    EXPECT_EQ(items[0].m_rule.m_thickness, 3);
    EXPECT_EQ(items[0].m_rule.m_color, kRed);
    EXPECT_EQ(items[0].m_attributes.size(), 3);
    EXPECT_EQ(items[1].m_rule.m_width, (SizeOrPercent { 120, false }));
}

TEST(HtmlElements, ImagesAndStringsCarryTheirAttributes)
{
    const std::vector<HtmlItem> items = ReadMarkup(QStringLiteral(
        "<bmp idres=101 mask=0x00ff00 style=gs hotstyle=l width=50% height=20>"
        "<icon handle=0x1A2B><icon handle=123 style=d><ilst file='strip a.png' cx=16 index=3 speed=5>"
        "<bmp srcdll=x.dll iddll=7><string idres=12>"));
    ASSERT_EQ(Outline(items), QStringLiteral("<bmp>|<icon>|<icon>|<ilst>|<bmp>|<string>"));

    const HtmlImage& bmp = items[0].m_image;
    EXPECT_EQ(bmp.m_idres, 101);
    EXPECT_TRUE(bmp.m_useMask);
    EXPECT_EQ(bmp.m_mask, MakeColorRef(0, 255, 0));
    EXPECT_EQ(bmp.m_effects, kImageGrey | kImageShadow);
    EXPECT_EQ(bmp.m_hotEffects, kImageLighter);
    EXPECT_EQ(bmp.m_width, (SizeOrPercent { 50, true }));
    EXPECT_EQ(bmp.m_height, (SizeOrPercent { 20, false }));

    EXPECT_EQ(items[1].m_image.m_handle, 0x1A2Bu);
    EXPECT_FALSE(items[1].m_image.m_useMask);
    EXPECT_EQ(items[1].m_image.m_mask, MakeColorRef(255, 0, 255));
    EXPECT_EQ(items[1].m_image.m_width, (SizeOrPercent { 100, true }));
    EXPECT_EQ(items[2].m_image.m_handle, 123u);
    EXPECT_EQ(items[2].m_image.m_effects, kImageDarker);
    EXPECT_EQ(items[2].m_image.m_hotEffects, kImageDarker); // "style" also sets the hover effects

    const HtmlImage& strip = items[3].m_image;
    EXPECT_EQ(strip.m_file, QStringLiteral("strip a.png"));
    EXPECT_EQ(strip.m_cx, 16);
    EXPECT_EQ(strip.m_cy, 0);
    EXPECT_EQ(strip.m_index, 3);
    EXPECT_EQ(strip.m_speed, 5);

    EXPECT_EQ(items[4].m_image.m_srcdll, QStringLiteral("x.dll"));
    EXPECT_EQ(items[4].m_image.m_iddll, 7);
    EXPECT_EQ(items[5].m_image.m_idres, 12);
}

TEST(HtmlElements, ElementsInsideALinkCarryIt)
{
    const std::vector<HtmlItem> items = ReadMarkup(QStringLiteral("<a href=x><icon handle=1></a><icon handle=2>"));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].m_style.m_linkKind, kLinkAddress);
    EXPECT_EQ(items[0].m_link, 0);
    EXPECT_EQ(items[1].m_link, -1);
}

TEST(HtmlTables, StructureOfTablesRowsAndCells)
{
    const OutlineCase cases[] = {
        { "the message-box table",
          "<table cellpadding=5><tr><td width=32><icon handle=0x10></td><td>Saved.</td></tr></table>",
          "<table>|<tr>|<td>|<icon>|</td>|<td>|Saved.|</td>|</tr>|</table>" },
        { "text around a table", "a<table><tr><td>b</td></tr></table>c",
          "a|<table>|<tr>|<td>|b|</td>|</tr>|</table>|c" },
        { "nested tables", "<table><tr><td>x<table><tr><td>in</td></tr></table>y</td></tr></table>",
          "<table>|<tr>|<td>|x|<table>|<tr>|<td>|in|</td>|</tr>|</table>|y|</td>|</tr>|</table>" },
        { "rows of a nested table are not rows of the outer one",
          "<table><tr><td><table><tr><td>1</td></tr><tr><td>2</td></tr></table></td></tr></table>",
          "<table>|<tr>|<td>|<table>|<tr>|<td>|1|</td>|</tr>|<tr>|<td>|2|</td>|</tr>|</table>|</td>|</tr>|</table>" },
        { "missing closing tags end at the end", "<table><tr><td>a", "<table>|<tr>|<td>|a|</td>|</tr>|</table>" },
        { "a cell without </td> runs to the end of its row", "<table><tr><td>a<td>b</tr><tr><td>c</td></tr></table>",
          "<table>|<tr>|<td>|a|b|</td>|</tr>|<tr>|<td>|c|</td>|</tr>|</table>" },
        { "text outside cells belongs to none", "<table>lost<tr>lost<td>kept</td>lost</tr>lost</table>",
          "<table>|<tr>|<td>|kept|</td>|</tr>|</table>" },
        { "an escaped table is text", "<<table><tr>x", "<table>|x" },
        { "an empty table", "<table></table>x", "<table>|</table>|x" },
        { "a stray closing table is nothing", "a</table>b", "a|b" },
    };
    ExpectOutlines(std::begin(cases), std::end(cases));
}

TEST(HtmlTables, MessageBoxTableAttributes)
{
    const std::vector<HtmlItem> items = ReadMarkup(
        QStringLiteral("<table cellpadding=5><tr><td width=32><icon handle=0x10></td><td>Saved.</td></tr></table>"));
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0].m_style.m_margin, 5);
    EXPECT_EQ(items[0].m_grid.m_rows, 1);
    EXPECT_EQ(items[0].m_grid.m_columns, 2);
    EXPECT_EQ(items[2].m_style.m_width, 32);
    EXPECT_EQ(items[2].m_style.m_margin, 5); // cells inherit the table's style
    EXPECT_EQ(items[5].m_style.m_width, 0);  // the explicit width is the cell's own
    EXPECT_EQ(items[5].m_grid.m_column, 1);
    EXPECT_EQ(items[6].m_style.m_size, 13); // the cell's text is read inside "body"
}

TEST(HtmlTables, CellsTakeGridSlotsAroundSpans)
{
    const std::vector<HtmlItem> items = ReadMarkup(QStringLiteral(
        "<table><tr><td rowspan=2 colspan=2>a</td><td>b</td></tr><tr><td>c</td></tr>"
        "<tr><td colspan=9>d</td><td rowspan=4>e</td></tr></table>"));
    std::vector<HtmlGridPlace> cells;
    for (const HtmlItem& item : items) {
        if (item.m_kind == HtmlItemKind::CellStart)
            cells.push_back(item.m_grid);
    }
    ASSERT_EQ(items[0].m_grid.m_columns, 10); // the widest row: 9 + 1
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[0].m_row, 0);
    EXPECT_EQ(cells[0].m_column, 0);
    EXPECT_EQ(cells[0].m_rowSpan, 2);
    EXPECT_EQ(cells[0].m_colSpan, 2);
    EXPECT_EQ(cells[1].m_column, 2);
    EXPECT_EQ(cells[2].m_row, 1); // "c" starts after the slots "a" reserves
    EXPECT_EQ(cells[2].m_column, 2);
    EXPECT_EQ(cells[3].m_row, 2);
    EXPECT_EQ(cells[3].m_colSpan, 9);
    // "e" has the last column; its four rows are cut to the one row left.
    EXPECT_EQ(cells[4].m_row, 2);
    EXPECT_EQ(cells[4].m_column, 9);
    EXPECT_EQ(cells[4].m_rowSpan, 1);
}

TEST(HtmlTables, CellsWithoutAFreeSlotAreLeftOut)
{
    const std::vector<HtmlItem> items = ReadMarkup(QStringLiteral(
        "<table><tr><td rowspan=2 colspan=2>a</td></tr><tr><td>b</td><td>c</td></tr></table>"));
    EXPECT_EQ(Outline(items), QStringLiteral("<table>|<tr>|<td>|a|</td>|</tr>|<tr>|</tr>|</table>"));

    const std::vector<HtmlItem> clipped = ReadMarkup(QStringLiteral("<table><tr><td rowspan=5>a</td></tr></table>"));
    EXPECT_EQ(clipped[2].m_grid.m_rowSpan, 1);
}

TEST(HtmlTables, StyleChangesInsideACellEndWithTheCell)
{
    const std::vector<HtmlItem> runs = TextRuns(ReadMarkup(QStringLiteral(
        "<table><tr><td><b><font color=red>x</td><td>y</td></tr></table>z")));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].m_style.m_weight, 800);
    EXPECT_EQ(runs[1].m_style.m_weight, 400);
    EXPECT_EQ(runs[1].m_style.m_color, MakeColorRef(0, 0, 0));
    EXPECT_EQ(runs[2].m_style.m_weight, 400);
}

TEST(HtmlTables, TableAttributesAndInheritedAlignment)
{
    const std::vector<HtmlItem> items = ReadMarkup(QStringLiteral(
        "<table cellspacing=3 background='file:back.png' bgcolor=red bgmidcolor=#00ff00 bgendcolor=blue "
        "bordercolorlight=red bordercolordark=0x00ff00 align=center valign=middle>"
        "<tr bgeffect=vbump><td bgcolor=blue>x</td></tr></table>"));
    const TextStyle& table = items[0].m_style;
    EXPECT_EQ(table.m_padding, 3);
    EXPECT_EQ(table.m_bgImage, QStringLiteral("file:back.png"));
    EXPECT_EQ(table.m_bgColor, kRed);
    EXPECT_EQ(table.m_bgEffect, 0); // a colour without an effect is solid
    EXPECT_EQ(table.m_bgMidColor, MakeColorRef(0, 255, 0));
    EXPECT_EQ(table.m_bgEndColor, MakeColorRef(0, 0, 255));
    EXPECT_EQ(table.m_borderColorLight, kRed);
    EXPECT_EQ(table.m_borderColorDark, MakeColorRef(0, 255, 0));
    EXPECT_EQ(table.m_hAlign, kAlignCenter);
    EXPECT_EQ(table.m_vAlign, kAlignMiddle);
    EXPECT_EQ(items[1].m_style.m_bgEffect, 12);
    EXPECT_EQ(items[2].m_style.m_bgEffect, 12); // an effect set stays
    EXPECT_EQ(items[2].m_style.m_bgColor, MakeColorRef(0, 0, 255));
    EXPECT_EQ(items[3].m_style.m_hAlign, kAlignCenter); // the text inside the cell is aligned too
}

struct BorderCase
{
    const char* m_name;
    BorderStyle m_style;
    int m_width;
    bool m_atMostOne;
    BorderStyle m_expectedStyle;
    int m_expectedWidth;
};

TEST(HtmlTables, BordersAreMadeConsistent)
{
    const BorderCase cases[] = {
        { "a style without width is no border", kBorderSolid, 0, false, kBorderNone, 0 },
        { "double without width is no border", kBorderDouble, 0, false, kBorderNone, 0 },
        { "a style other than solid is one pixel", kBorderDashed, 3, false, kBorderDashed, 1 },
        { "double is one pixel", kBorderDouble, 4, false, kBorderDouble, 1 },
        { "no style means no width", kBorderNone, 4, false, kBorderNone, 0 },
        { "solid keeps its width", kBorderSolid, 3, false, kBorderSolid, 3 },
        { "rows and cells are at most one pixel", kBorderSolid, 3, true, kBorderSolid, 1 },
    };
    for (const BorderCase& c : cases) {
        TextStyle style;
        style.m_borderStyle = c.m_style;
        style.m_borderWidth = c.m_width;
        MakeBordersConsistent(style, c.m_atMostOne);
        EXPECT_EQ(style.m_borderStyle, c.m_expectedStyle) << c.m_name;
        EXPECT_EQ(style.m_borderWidth, c.m_expectedWidth) << c.m_name;
    }
}

TEST(HtmlTables, BorderAttributesOfTablesAndCells)
{
    const struct
    {
        const char* m_markup;
        int m_item; // 0 the table, 1 the row, 2 the cell
        BorderStyle m_style;
        int m_width;
    } cases[] = {
        { "<table border=2><tr><td>x</td></tr></table>", 0, kBorderSolid, 2 },
        { "<table border=2><tr><td>x</td></tr></table>", 2, kBorderSolid, 2 }, // no attributes: inherited
        { "<table border=2><tr><td bgcolor=red>x</td></tr></table>", 2, kBorderSolid, 1 },
        { "<table border=2><tr align=left><td>x</td></tr></table>", 1, kBorderSolid, 1 },
        { "<table border=0><tr><td>x</td></tr></table>", 0, kBorderNone, 0 },
        { "<table borderstyle=dashed><tr><td>x</td></tr></table>", 0, kBorderDashed, 1 },
        { "<table border=3 borderstyle=dotted><tr><td>x</td></tr></table>", 0, kBorderDotted, 1 },
        { "<table borderstyle=double border=2><tr><td>x</td></tr></table>", 0, kBorderDouble, 1 },
        { "<table border=thick><tr><td>x</td></tr></table>", 0, kBorderNone, 0 }, // 125% of nothing
        { "<table><tr><td border=4>x</td></tr></table>", 2, kBorderSolid, 1 },
    };
    for (const auto& c : cases) {
        const std::vector<HtmlItem> items = ReadMarkup(QString::fromUtf8(c.m_markup));
        ASSERT_GT(items.size(), static_cast<std::size_t>(c.m_item)) << c.m_markup;
        EXPECT_EQ(items[c.m_item].m_style.m_borderStyle, c.m_style) << c.m_markup << " item " << c.m_item;
        EXPECT_EQ(items[c.m_item].m_style.m_borderWidth, c.m_width) << c.m_markup << " item " << c.m_item;
    }
}

TEST(HtmlTables, CellSizesAndSpans)
{
    const std::vector<HtmlItem> items =
        ReadMarkup(QStringLiteral("<table><tr><td width=40% height=1in colspan=0 rowspan=x>a</td></tr></table>"));
    EXPECT_EQ(items[2].m_style.m_width, 0); // a percentage counts as no width
    EXPECT_EQ(items[2].m_style.m_height, 96);
    EXPECT_EQ(items[2].m_grid.m_colSpan, 1);
    EXPECT_EQ(items[2].m_grid.m_rowSpan, 1);

    EXPECT_EQ(ReadCellSpan({ { QStringLiteral("colspan"), QStringLiteral("99999") } }).m_colSpan, kMaxSpan);
}

TEST(HtmlTables, DeepNestingStopsAtTheDepthLimit)
{
    QString markup;
    for (int i = 0; i < 200; ++i)
        markup += QStringLiteral("<table><tr><td>");
    markup += QStringLiteral("deep");
    const std::vector<HtmlItem> items = ReadMarkup(markup);
    const auto tables = std::count_if(items.begin(), items.end(),
                                      [](const HtmlItem& item) { return item.m_kind == HtmlItemKind::TableStart; });
    EXPECT_EQ(tables, kMaxTableDepth);
    EXPECT_TRUE(TextRuns(items).empty()); // the text sat in a table past the limit
}

TEST(HtmlTables, EveryCutOfAMarkupTextReadsWithBalancedParts)
{
    // Texts cut anywhere, as a truncated message would be: inside tags, quotes,
    // entities and nested tables. Starts and ends must pair up, outermost last.
    const QString markup = QStringLiteral(
        "<b>A &amp;lt; <<x <font color='red' size=+2>y</font><br=2>\t<table border=2 cellpadding=5><tr bgcolor=red>"
        "<td rowspan=2 colspan=3 width=40%><a href='a b'>l</a><table><tr><td>in<<table</td></tr></table></td>"
        "<td>z</td></tr><tr><td><hr width=50%><icon handle=0x1F></td></tr></table>tail<");
    for (qsizetype length = 0; length <= markup.size(); ++length) {
        int open = 0;
        for (const HtmlItem& item : ReadMarkup(markup.first(length))) {
            switch (item.m_kind) {
            case HtmlItemKind::TableStart:
            case HtmlItemKind::RowStart:
            case HtmlItemKind::CellStart:
                ++open;
                break;
            case HtmlItemKind::TableEnd:
            case HtmlItemKind::RowEnd:
            case HtmlItemKind::CellEnd:
                --open;
                ASSERT_GE(open, 0) << "cut at " << length;
                break;
            default:
                break;
            }
        }
        EXPECT_EQ(open, 0) << "cut at " << length;
    }
}

} // namespace
