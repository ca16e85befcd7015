// The style stack and the effects of the container tags.
#include "richtext/HtmlStyleState.h"

#include "richtext/HtmlStyleSheet.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr int kMaxWeight = 900;

void ApplyFontAttributes(const HtmlAttributes& attributes, TextStyle& style, const HtmlValueContext& values)
{
    for (const HtmlAttribute& attribute : attributes) {
        const QString& name = attribute.m_name;
        const QString& value = attribute.m_value;
        if (name == u"face")
            style.m_face = value;
        else if (name == u"size")
            style.m_size = ReadSizeValue(value, style.m_size, values, SizeKind::HtmlSizes);
        else if (name == u"color")
            style.m_color = ReadColorValue(value, style.m_color, values);
        else if (name == u"style")
            ApplyFontStyleLetters(value, style);
        else if (name == u"weight")
            style.m_weight = ReadWeightValue(value);
        else if (name == u"bkgnd")
            ApplyBackgroundColor(value, style, values);
    }
}

void ApplyLink(HtmlStyleState& state, const HtmlAttributes& attributes)
{
    TextStyle& style = state.Current();
    style.m_linkKind = kLinkMessage;
    style.m_linkText.clear();
    for (const HtmlAttribute& attribute : attributes) {
        if (attribute.m_name == u"href") {
            style.m_linkKind = kLinkAddress;
            style.m_linkText = attribute.m_value;
        } else if (attribute.m_name == u"msg") {
            style.m_linkKind = kLinkMessage;
            style.m_linkText = attribute.m_value;
        }
    }
    const int link = state.OpenLink();
    state.ApplyRule(state.IsHovered(link) ? u"a:hover" : u"a:link");
}

void ApplySpan(HtmlStyleState& state, const HtmlAttributes& attributes)
{
    for (const HtmlAttribute& attribute : attributes) {
        if (attribute.m_name == u"class")
            state.ApplyRule(QString(u'.' + attribute.m_value));
    }
}

} // namespace

HtmlStyleState::HtmlStyleState(const HtmlStyleSheet& sheet, const HtmlValueContext& values, int hoveredLink,
                               XHeightFunction xHeightOf)
    : m_sheet(sheet)
    , m_values(values)
    , m_hoveredLink(hoveredLink)
    , m_xHeightOf(std::move(xHeightOf))
{
    Reset();
}

void HtmlStyleState::Reset()
{
    m_stack.clear();
    m_current = TextStyle();
    m_nextLink = 0;
    m_lastLink = -1;
    MakeFont(); // the rule's "em" and "ex" refer to the font before it
    ApplyRule(u"body");
    MakeFont();
}

qsizetype HtmlStyleState::Save(QStringView group)
{
    const qsizetype depth = m_stack.size();
    m_current.m_group = group.toString();
    m_stack.append(m_current);
    return depth;
}

void HtmlStyleState::RestoreSaved(qsizetype depth)
{
    if (depth < 0 || depth >= m_stack.size())
        return;
    m_current = m_stack[depth];
    m_stack.resize(depth);
    MakeFont();
}

bool HtmlStyleState::Close(QStringView group)
{
    if (m_stack.isEmpty() || m_stack.constLast().m_group != group)
        return false;
    m_current = m_stack.takeLast();
    MakeFont();
    return true;
}

void HtmlStyleState::ApplyRule(QStringView selector)
{
    (void)m_sheet.Apply(selector, m_current, m_values);
}

void HtmlStyleState::MakeFont()
{
    m_values.m_fontHeight = m_current.m_size; // the font's cell height is the style's size
    m_values.m_fontXHeight = m_xHeightOf ? m_xHeightOf(m_current) : m_current.m_size;
}

void OpenContainerTag(HtmlStyleState& state, const HtmlTagInfo& tag, QStringView attributeText)
{
    (void)state.Save(tag.m_group);
    TextStyle& style = state.Current();
    switch (tag.m_effect) {
    case HtmlTagEffect::Bold:
        style.m_weight = static_cast<int>(std::min<std::int64_t>(std::int64_t { style.m_weight } * 2, kMaxWeight));
        break;
    case HtmlTagEffect::Italic:
        style.m_italic = !style.m_italic;
        break;
    case HtmlTagEffect::Underline:
        style.m_underline = !style.m_underline;
        break;
    case HtmlTagEffect::StrikeOut:
        style.m_strikeOut = !style.m_strikeOut;
        break;
    case HtmlTagEffect::Font:
        ApplyFontAttributes(ReadHtmlAttributes(attributeText), style, state.Values());
        break;
    case HtmlTagEffect::AlignLeft:
        style.m_hAlign = kAlignLeft;
        break;
    case HtmlTagEffect::AlignCenter:
        style.m_hAlign = kAlignCenter;
        break;
    case HtmlTagEffect::AlignRight:
        style.m_hAlign = kAlignRight;
        break;
    case HtmlTagEffect::AlignJustify:
        style.m_hAlign = kAlignJustify;
        break;
    case HtmlTagEffect::AlignBaseline:
        style.m_vAlign = kAlignBaseline;
        break;
    case HtmlTagEffect::AlignTop:
        style.m_vAlign = kAlignTop;
        break;
    case HtmlTagEffect::AlignMiddle:
        style.m_vAlign = kAlignMiddle;
        break;
    case HtmlTagEffect::AlignBottom:
        style.m_vAlign = kAlignBottom;
        break;
    case HtmlTagEffect::SheetRule:
        state.ApplyRule(tag.m_name);
        break;
    case HtmlTagEffect::Span:
        ApplySpan(state, ReadHtmlAttributes(attributeText));
        break;
    case HtmlTagEffect::Link:
        ApplyLink(state, ReadHtmlAttributes(attributeText));
        break;
    case HtmlTagEffect::None:
        break;
    }
    state.MakeFont();
}

void ApplyFontStyleLetters(QStringView letters, TextStyle& style)
{
    bool on = true;
    for (const QChar c : letters) {
        if (c == u'-' || c == u'+') {
            on = c == u'+';
            continue;
        }
        switch (c.unicode()) {
        case u'b':
            style.m_weight = on ? 700 : 400;
            break;
        case u'i':
            style.m_italic = on;
            break;
        case u'u':
            style.m_underline = on;
            break;
        case u's':
            style.m_strikeOut = on;
            break;
        case u'o':
            style.m_overline = on;
            break;
        default:
            break;
        }
        on = true; // a sign holds for the letter right after it only
    }
}
