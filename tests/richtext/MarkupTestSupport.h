#pragma once
// Reading markup the way a renderer pass does, for the markup tests.

#include "richtext/HtmlColors.h"
#include "richtext/HtmlReader.h"
#include "richtext/HtmlStyleSheet.h"

#include <QStringList>

#include <ostream>
#include <vector>

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline std::vector<HtmlItem> ReadMarkup(const QString& text, const HtmlReadOptions& options = {})
{
    static const HtmlStyleSheet sheet = HtmlStyleSheet::Default();
    static const HtmlColorTable colors;
    const QString prepared = PrepareHtmlText(text);
    return ReadHtmlItems(prepared, sheet, colors, options);
}

// Styles compare without their group, which only matters on the stack.
inline TextStyle WithoutGroup(TextStyle style)
{
    style.m_group.clear();
    return style;
}

inline void PrintTo(const TextStyle& s, std::ostream* out)
{
    *out << "{size " << s.m_size << ", weight " << s.m_weight << (s.m_italic ? ", italic" : "")
         << (s.m_underline ? ", underline" : "") << (s.m_strikeOut ? ", strikeout" : "")
         << (s.m_overline ? ", overline" : "") << ", face " << s.m_face.toStdString() << ", color " << std::hex
         << s.m_color << ", bg " << s.m_bgColor << '/' << std::dec << s.m_bgMode << ", effect " << s.m_bgEffect
         << ", align " << s.m_hAlign << '/' << s.m_vAlign << ", border " << s.m_borderStyle << '/'
         << s.m_borderWidth << " " << std::hex << s.m_borderColorLight << '/' << s.m_borderColorDark << std::dec
         << ", transform " << s.m_textTransform << ", margin " << s.m_margin << ", padding " << s.m_padding
         << ", link " << s.m_linkKind << ' ' << s.m_linkText.toStdString() << '}';
}

// The text runs only, in order.
inline std::vector<HtmlItem> TextRuns(const std::vector<HtmlItem>& items)
{
    std::vector<HtmlItem> runs;
    for (const HtmlItem& item : items) {
        if (item.m_kind == HtmlItemKind::Text)
            runs.push_back(item);
    }
    return runs;
}

// A short picture of the items: runs as their text, elements and table parts as
// "<name>" or "</name>", breaks and tabs with their count ("<br=2>").
inline QString Outline(const std::vector<HtmlItem>& items)
{
    QStringList parts;
    for (const HtmlItem& item : items) {
        switch (item.m_kind) {
        case HtmlItemKind::Text:
            parts << item.m_text;
            break;
        case HtmlItemKind::Break:
            parts << QStringLiteral("<br=%1>").arg(item.m_count);
            break;
        case HtmlItemKind::Tab:
            parts << QStringLiteral("<t=%1>").arg(item.m_count);
            break;
        case HtmlItemKind::TableEnd:
        case HtmlItemKind::RowEnd:
        case HtmlItemKind::CellEnd:
            parts << QStringLiteral("</%1>").arg(item.m_tag);
            break;
        default:
            parts << QStringLiteral("<%1>").arg(item.m_tag);
            break;
        }
    }
    return parts.join(u'|');
}
