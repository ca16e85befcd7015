// Attributes of rules, images, tables, rows and cells.
#include "richtext/HtmlElements.h"

#include <algorithm>

namespace {

// "handle": decimal, or hexadecimal after "0x"; 0 when it is neither.
std::uint64_t ReadHandle(QStringView text)
{
    int base = 10;
    qsizetype pos = 0;
    if (text.size() > 1 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        pos = 2;
    }
    std::uint64_t handle = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos], base);
        if (digit < 0)
            break;
        if (handle > (UINT64_MAX - static_cast<unsigned>(digit)) / static_cast<unsigned>(base))
            return UINT64_MAX;
        handle = handle * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    return handle;
}

int ReadCellSize(QStringView text, int current, const HtmlValueContext& context)
{
    // Cells have no percentage sizes; one counts as no explicit size.
    if (text.endsWith(u'%'))
        return 0;
    return ReadSizeValue(text, current, context);
}

// Attributes that tables, rows and cells share; false for any other name.
bool ApplySharedAttribute(const HtmlAttribute& attribute, TextStyle& style, const HtmlValueContext& context)
{
    const QString& name = attribute.m_name;
    const QString& value = attribute.m_value;
    if (name == u"border") {
        ApplyBorderWidth(value, style, context);
    } else if (name == u"borderstyle") {
        ApplyBorderStyle(value, style);
    } else if (name == u"bordercolor") {
        style.m_borderColorLight = ReadColorValue(value, style.m_borderColorLight, context);
        style.m_borderColorDark = ReadColorValue(value, style.m_borderColorDark, context);
    } else if (name == u"bordercolorlight") {
        style.m_borderColorLight = ReadColorValue(value, style.m_borderColorLight, context);
    } else if (name == u"bordercolordark") {
        style.m_borderColorDark = ReadColorValue(value, style.m_borderColorDark, context);
    } else if (name == u"bgcolor") {
        style.m_bgColor = ReadColorValue(value, style.m_bgColor, context);
        if (style.m_bgEffect == kNoEffect)
            style.m_bgEffect = 0; // solid
    } else if (name == u"bgmidcolor") {
        style.m_bgMidColor = ReadColorValue(value, style.m_bgMidColor, context);
    } else if (name == u"bgendcolor") {
        style.m_bgEndColor = ReadColorValue(value, style.m_bgEndColor, context);
    } else if (name == u"bgeffect") {
        style.m_bgEffect = ReadEffectValue(value, style.m_bgEffect, context);
    } else if (name == u"align") {
        style.m_hAlign = ReadHorizontalAlign(value, style.m_hAlign);
    } else if (name == u"valign") {
        style.m_vAlign = ReadVerticalAlign(value, style.m_vAlign);
    } else {
        return false;
    }
    return true;
}

int ReadSpan(QStringView text)
{
    // Spans stay small, so a grid of rows by columns stays small.
    std::uint32_t span = 0;
    if (!ReadCNumber(text, span) || span == 0)
        return 1;
    return static_cast<int>(std::min<std::uint32_t>(span, kMaxSpan));
}

} // namespace

HtmlHorizontalRule ReadHorizontalRule(const HtmlAttributes& attributes, const TextStyle& ruleStyle,
                          const HtmlValueContext& context)
{
    HtmlHorizontalRule rule;
    rule.m_color = ruleStyle.m_color;
    for (const HtmlAttribute& attribute : attributes) {
        if (attribute.m_name == u"width")
            rule.m_width = ReadSizeOrPercent(attribute.m_value, rule.m_width, context);
        else if (attribute.m_name == u"size")
            rule.m_thickness = ReadSizeValue(attribute.m_value, rule.m_thickness, context);
        else if (attribute.m_name == u"color")
            rule.m_color = ReadColorValue(attribute.m_value, rule.m_color, context);
    }
    return rule;
}

unsigned ReadImageEffects(QStringView letters)
{
    unsigned effects = 0;
    for (const QChar c : letters) {
        if (c == u'g')
            effects |= kImageGrey;
        else if (c == u'd')
            effects |= kImageDarker;
        else if (c == u'l')
            effects |= kImageLighter;
        else if (c == u's')
            effects |= kImageShadow;
    }
    return effects;
}

HtmlImage ReadImageAttributes(const HtmlAttributes& attributes, const HtmlValueContext& context)
{
    HtmlImage image;
    for (const HtmlAttribute& attribute : attributes) {
        const QString& name = attribute.m_name;
        const QString& value = attribute.m_value;
        if (name == u"index") {
            image.m_index = ReadSizeValue(value, image.m_index, context);
        } else if (name == u"idres") {
            image.m_idres = ReadSizeValue(value, image.m_idres, context);
        } else if (name == u"iddll") {
            image.m_iddll = ReadSizeValue(value, image.m_iddll, context);
        } else if (name == u"srcdll") {
            image.m_srcdll = value;
        } else if (name == u"handle") {
            image.m_handle = ReadHandle(value);
        } else if (name == u"file") {
            image.m_file = value;
        } else if (name == u"mask") {
            image.m_useMask = true;
            image.m_mask = ReadColorValue(value, image.m_mask, context);
        } else if (name == u"style") {
            image.m_effects = ReadImageEffects(value);
            image.m_hotEffects = image.m_effects;
        } else if (name == u"hotstyle") {
            image.m_hotEffects = ReadImageEffects(value);
        } else if (name == u"cx") {
            image.m_cx = ReadSizeValue(value, image.m_cx, context);
        } else if (name == u"cy") {
            image.m_cy = ReadSizeValue(value, image.m_cy, context);
        } else if (name == u"width") {
            image.m_width = ReadSizeOrPercent(value, image.m_width, context);
        } else if (name == u"height") {
            image.m_height = ReadSizeOrPercent(value, image.m_height, context);
        } else if (name == u"speed") {
            image.m_speed = ReadSizeValue(value, image.m_speed, context);
        }
    }
    return image;
}

HtmlCellSpan ReadCellSpan(const HtmlAttributes& attributes)
{
    HtmlCellSpan span;
    for (const HtmlAttribute& attribute : attributes) {
        if (attribute.m_name == u"colspan")
            span.m_colSpan = ReadSpan(attribute.m_value);
        else if (attribute.m_name == u"rowspan")
            span.m_rowSpan = ReadSpan(attribute.m_value);
    }
    return span;
}

void ApplyTableAttributes(HtmlTablePart part, const HtmlAttributes& attributes, TextStyle& style,
                          const HtmlValueContext& context)
{
    if (part == HtmlTablePart::Cell) {
        style.m_width = 0;
        style.m_height = 0;
    }
    for (const HtmlAttribute& attribute : attributes) {
        if (ApplySharedAttribute(attribute, style, context))
            continue;
        const QString& name = attribute.m_name;
        const QString& value = attribute.m_value;
        if (part == HtmlTablePart::Table) {
            if (name == u"cellpadding")
                style.m_margin = ReadSizeValue(value, style.m_margin, context);
            else if (name == u"cellspacing")
                style.m_padding = ReadSizeValue(value, style.m_padding, context);
            else if (name == u"background")
                style.m_bgImage = value;
        } else if (part == HtmlTablePart::Cell) {
            if (name == u"width")
                style.m_width = ReadCellSize(value, style.m_width, context);
            else if (name == u"height")
                style.m_height = ReadCellSize(value, style.m_height, context);
        }
    }
    // A table always gets consistent borders; a row or cell without attributes keeps
    // the border it inherits, and one with attributes never draws wider than 1.
    if (part == HtmlTablePart::Table)
        MakeBordersConsistent(style, false);
    else if (!attributes.isEmpty())
        MakeBordersConsistent(style, true);
}

void MakeBordersConsistent(TextStyle& style, bool atMostOnePixel)
{
    if (style.m_borderStyle != kBorderNone && style.m_borderWidth == 0)
        style.m_borderStyle = kBorderNone;
    if (style.m_borderStyle != kBorderNone && style.m_borderStyle != kBorderSolid)
        style.m_borderWidth = 1;
    if (style.m_borderStyle == kBorderNone)
        style.m_borderWidth = 0;
    if (atMostOnePixel)
        style.m_borderWidth = std::min(style.m_borderWidth, 1);
}
