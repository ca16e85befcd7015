// Reading prepared markup into items: text blocks, tags and tables.
#include "richtext/HtmlReader.h"

#include "richtext/HtmlBlocks.h"
#include "richtext/HtmlStyleSheet.h"

#include <algorithm>
#include <utility>

namespace {

// "br=N" and "t=N": N lines or tab stops; without "=" and a number, one.
int RepeatCount(const HtmlTag& tag, HtmlTagKind kind)
{
    std::uint32_t count = 1;
    if (tag.m_hasDirectValue && !ReadCNumber(tag.m_directValue.sliced(SkipSpaces(tag.m_directValue, 0)), count))
        count = 1;
    count = std::min<std::uint32_t>(count, kMaxRepeatCount);
    if (kind == HtmlTagKind::Tab && count == 0)
        count = 1; // a tab advances at least one stop
    return static_cast<int>(count);
}

class ItemReader
{
public:
    ItemReader(QStringView text, const HtmlStyleSheet& sheet, const HtmlValueContext& values,
               const HtmlReadOptions& options)
        : m_text(text)
        , m_state(sheet, values, options.m_hoveredLink, options.m_xHeightOf)
    {
    }

    std::vector<HtmlItem> Read()
    {
        ReadBlocks(0, m_text.size(), 0);
        return std::move(m_items);
    }

private:
    HtmlItem& Emit(HtmlItemKind kind)
    {
        HtmlItem& item = m_items.emplace_back();
        item.m_kind = kind;
        item.m_style = m_state.Current();
        if (item.m_style.m_linkKind != kLinkNone)
            item.m_link = m_state.LastLink();
        return item;
    }

    // Text and tables one after the other, up to `to`.
    void ReadBlocks(qsizetype from, qsizetype to, int depth)
    {
        const QStringView text = m_text.first(to);
        qsizetype pos = from;
        while (pos < to) {
            const qsizetype table = FindMarkupTag(text, kTableOpen, pos);
            if (table < 0) {
                ReadTextBlock(pos, to);
                return;
            }
            ReadTextBlock(pos, table);
            const qsizetype end = FindTableEnd(text, table);
            if (depth < kMaxTableDepth)
                ReadTable(table, end, depth + 1);
            pos = end + kTableClose.size();
        }
    }

    void ReadTextBlock(qsizetype from, qsizetype to)
    {
        if (from >= to)
            return;
        static const HtmlTagInfo& body = *FindHtmlTag(u"body");
        OpenContainerTag(m_state, body, {});
        HtmlTokenizer tokenizer(m_text.sliced(from, to - from));
        HtmlToken token;
        while (tokenizer.Next(token)) {
            if (token.m_kind == HtmlToken::Text)
                Emit(HtmlItemKind::Text).m_text = ApplyTextTransform(token.m_text, m_state.Current().m_textTransform);
            else
                ReadTag(ReadHtmlTag(token.m_tagText));
        }
        // Ignored, like any closing tag, when a tag inside was left open.
        (void)m_state.Close(body.m_group);
    }

    void ReadTag(const HtmlTag& tag)
    {
        const HtmlTagInfo* info = FindHtmlTag(tag.m_name);
        if (info == nullptr)
            return;
        if (tag.m_closing) {
            if (info->m_kind == HtmlTagKind::Container)
                (void)m_state.Close(info->m_group);
            return;
        }
        switch (info->m_kind) {
        case HtmlTagKind::Container:
            OpenContainerTag(m_state, *info, tag.m_attributes);
            break;
        case HtmlTagKind::Break:
            Emit(HtmlItemKind::Break).m_count = RepeatCount(tag, info->m_kind);
            break;
        case HtmlTagKind::Tab:
            Emit(HtmlItemKind::Tab).m_count = RepeatCount(tag, info->m_kind);
            break;
        case HtmlTagKind::Rule: {
            HtmlItem& item = EmitElement(HtmlItemKind::Rule, *info, tag);
            (void)m_state.Sheet().Apply(u"hr", item.m_style, m_state.Values());
            item.m_rule = ReadHorizontalRule(item.m_attributes, item.m_style, m_state.Values());
            break;
        }
        case HtmlTagKind::Image:
        case HtmlTagKind::String: {
            const auto kind = info->m_kind == HtmlTagKind::Image ? HtmlItemKind::Image : HtmlItemKind::String;
            HtmlItem& item = EmitElement(kind, *info, tag);
            item.m_image = ReadImageAttributes(item.m_attributes, m_state.Values());
            break;
        }
        }
    }

    HtmlItem& EmitElement(HtmlItemKind kind, const HtmlTagInfo& info, const HtmlTag& tag)
    {
        HtmlItem& item = Emit(kind);
        item.m_tag = info.m_name.toString();
        item.m_attributes = ReadHtmlAttributes(tag.m_attributes);
        return item;
    }

    // Saves the style under the part's group and applies the part's rule and
    // attributes; returns the depth to restore at the part's end.
    qsizetype OpenTablePart(HtmlTablePart part, QStringView name, const HtmlAttributes& attributes)
    {
        const qsizetype depth = m_state.Save(name);
        m_state.ApplyRule(name);
        ApplyTableAttributes(part, attributes, m_state.Current(), m_state.Values());
        m_state.MakeFont();
        return depth;
    }

    HtmlItem& EmitTablePart(HtmlItemKind kind, QStringView name, const HtmlAttributes& attributes = {})
    {
        HtmlItem& item = Emit(kind);
        item.m_tag = name.toString();
        item.m_attributes = attributes;
        return item;
    }

    void ReadTable(qsizetype start, qsizetype end, int depth)
    {
        const HtmlTableScan scan = ScanTable(m_text, start, end);
        int columns = 0;
        for (const HtmlRowScan& row : scan.m_rows) {
            int rowColumns = 0;
            for (const HtmlCellScan& cell : row.m_cells)
                rowColumns = std::min(rowColumns + ReadCellSpan(cell.m_attributes).m_colSpan, kMaxTableColumns);
            columns = std::max(columns, rowColumns);
        }
        const int rows = static_cast<int>(scan.m_rows.size());

        const qsizetype tableDepth = OpenTablePart(HtmlTablePart::Table, u"table", scan.m_attributes);
        HtmlItem& tableStart = EmitTablePart(HtmlItemKind::TableStart, u"table", scan.m_attributes);
        tableStart.m_grid.m_rows = rows;
        tableStart.m_grid.m_columns = columns;

        // Slots covered by cells placed so far, row by row.
        std::vector<std::vector<bool>> covered(static_cast<std::size_t>(rows),
                                               std::vector<bool>(static_cast<std::size_t>(columns)));
        for (int r = 0; r < rows; ++r) {
            const HtmlRowScan& row = scan.m_rows[r];
            const qsizetype rowDepth = OpenTablePart(HtmlTablePart::Row, u"tr", row.m_attributes);
            EmitTablePart(HtmlItemKind::RowStart, u"tr", row.m_attributes).m_grid.m_row = r;
            int column = 0;
            for (const HtmlCellScan& cell : row.m_cells) {
                auto& rowSlots = covered[static_cast<std::size_t>(r)];
                while (column < columns && rowSlots[static_cast<std::size_t>(column)])
                    ++column;
                if (column >= columns)
                    break; // no free slot is left in this row for the remaining cells
                HtmlGridPlace place = Place(covered, r, column, ReadCellSpan(cell.m_attributes));
                place.m_rows = rows;
                place.m_columns = columns;
                ReadCell(cell, place, depth);
                column += place.m_colSpan;
            }
            m_state.RestoreSaved(rowDepth);
            EmitTablePart(HtmlItemKind::RowEnd, u"tr").m_grid.m_row = r;
        }
        m_state.RestoreSaved(tableDepth);
        EmitTablePart(HtmlItemKind::TableEnd, u"table");
    }

    static HtmlGridPlace Place(std::vector<std::vector<bool>>& covered, int row, int column, HtmlCellSpan span)
    {
        HtmlGridPlace place;
        place.m_row = row;
        place.m_column = column;
        place.m_rowSpan = std::min(span.m_rowSpan, static_cast<int>(covered.size()) - row);
        place.m_colSpan = std::min(span.m_colSpan, static_cast<int>(covered[0].size()) - column);
        for (int r = row; r < row + place.m_rowSpan; ++r) {
            for (int c = column; c < column + place.m_colSpan; ++c)
                covered[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = true;
        }
        return place;
    }

    void ReadCell(const HtmlCellScan& cell, const HtmlGridPlace& place, int depth)
    {
        const qsizetype cellDepth = OpenTablePart(HtmlTablePart::Cell, u"td", cell.m_attributes);
        EmitTablePart(HtmlItemKind::CellStart, u"td", cell.m_attributes).m_grid = place;
        ReadBlocks(cell.m_contentFrom, cell.m_contentTo, depth);
        m_state.RestoreSaved(cellDepth);
        EmitTablePart(HtmlItemKind::CellEnd, u"td").m_grid = place;
    }

    QStringView m_text;
    HtmlStyleState m_state;
    std::vector<HtmlItem> m_items;
};

} // namespace

std::vector<HtmlItem> ReadHtmlItems(QStringView preparedText, const HtmlStyleSheet& sheet,
                                    const HtmlColorTable& colors, const HtmlReadOptions& options)
{
    HtmlValueContext values;
    values.m_dpi = options.m_dpi;
    values.m_colors = &colors;
    values.m_colorsEnabled = options.m_colorsEnabled;
    values.m_disabledColor = options.m_disabledColor;
    return ItemReader(preparedText, sheet, values, options).Read();
}
