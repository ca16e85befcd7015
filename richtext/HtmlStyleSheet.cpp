// The style sheet: the default rules, the rule reader and the properties.
#include "richtext/HtmlStyleSheet.h"

#include "richtext/HtmlValues.h"

namespace {

// Exactly as a renderer starts with it; faces and keywords are lowered when applied.
constexpr QStringView kDefaultSheet =
    u"body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
    u"p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    u"h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    u"h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    u"h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
    u"h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    u"h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    u"h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
    u"pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
    u"code {color:#990000; font-family:Arial}\r\n"
    u"a:link {text-decoration:none; color:blue}\r\n"
    u"a:hover {text-decoration:underline; color:blue}\r\n"
    u"sub {font-size:65%; vertical-align:bottom}\r\n"
    u"sup {font-size:65%; vertical-align:top}\r\n"
    u"big {font-size:125%}\r\n"
    u"small {font-size:75%}\r\n"
    u".cpp-comment {color:green; font-style:italic}\r\n";

void ApplyProperty(QStringView name, QStringView value, TextStyle& style, const HtmlValueContext& context)
{
    if (name == u"font-size") {
        style.m_size = ReadSizeValue(value, style.m_size, context, SizeKind::HtmlSizes);
    } else if (name == u"font-family") {
        if (!value.isEmpty())
            style.m_face = value.toString();
    } else if (name == u"font-style") {
        style.m_italic = ReadFontStyle(value, style.m_italic);
    } else if (name == u"font-weight") {
        style.m_weight = ReadWeightValue(value);
    } else if (name == u"text-align") {
        style.m_hAlign = ReadHorizontalAlign(value, style.m_hAlign);
    } else if (name == u"text-transform") {
        style.m_textTransform = ReadTextTransform(value, style.m_textTransform);
    } else if (name == u"color") {
        style.m_color = ReadColorValue(value, style.m_color, context);
    } else if (name == u"background-color") {
        ApplyBackgroundColor(value, style, context);
    } else if (name == u"text-decoration") {
        ApplyTextDecoration(value, style);
    } else if (name == u"vertical-align") {
        style.m_vAlign = ReadVerticalAlign(value, style.m_vAlign);
    } else if (name == u"border-color") {
        style.m_borderColorLight = ReadColorValue(value, style.m_borderColorLight, context);
        style.m_borderColorDark = ReadColorValue(value, style.m_borderColorDark, context);
    } else if (name == u"border-width" || name == u"size") {
        ApplyBorderWidth(value, style, context);
    } else if (name == u"border-style") {
        ApplyBorderStyle(value, style);
    } else if (name == u"margin") {
        style.m_margin = ReadSizeValue(value, style.m_margin, context);
    } else if (name == u"padding") {
        style.m_padding = ReadSizeValue(value, style.m_padding, context);
    }
}

} // namespace

HtmlStyleSheet HtmlStyleSheet::Default()
{
    HtmlStyleSheet sheet;
    sheet.AddRules(kDefaultSheet);
    return sheet;
}

QString HtmlStyleSheet::DefaultText()
{
    return kDefaultSheet.toString();
}

void HtmlStyleSheet::AddRules(QStringView text)
{
    qsizetype pos = 0;
    for (;;) {
        pos = SkipToNameStart(text, pos);
        if (pos == text.size())
            return;
        const qsizetype selectorEnd = FindEither(text, pos, u' ', u'{');
        const qsizetype open = text.indexOf(u'{', selectorEnd);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'}', open + 1);
        if (close < 0)
            return; // an unfinished rule ends the sheet
        m_rules.insert(text.sliced(pos, selectorEnd - pos).toString().toLower(),
                       text.sliced(open + 1, close - open - 1).toString());
        pos = close + 1;
    }
}

QString HtmlStyleSheet::Declarations(QStringView selector) const
{
    return m_rules.value(selector.toString().toLower());
}

bool HtmlStyleSheet::Apply(QStringView selector, TextStyle& style, const HtmlValueContext& context) const
{
    const auto it = m_rules.constFind(selector.toString().toLower());
    if (it == m_rules.cend())
        return false;
    ApplyDeclarations(*it, style, context);
    return true;
}

void ApplyDeclarations(QStringView declarations, TextStyle& style, const HtmlValueContext& context)
{
    const QString lowered = declarations.toString().toLower();
    const QStringView text(lowered);
    qsizetype pos = 0;
    for (;;) {
        pos = SkipToNameStart(text, pos);
        if (pos == text.size())
            return;
        const qsizetype nameEnd = FindEither(text, pos, u' ', u':');
        const QStringView name = text.sliced(pos, nameEnd - pos);
        pos = SkipSpaces(text, nameEnd);
        if (pos == text.size() || text[pos] != u':')
            continue; // a name without ":" sets nothing; the next name is read from here
        pos = SkipSpaces(text, pos + 1);
        QStringView value;
        if (pos < text.size() && text[pos] == u'"') {
            qsizetype close = text.indexOf(u'"', pos + 1);
            if (close < 0)
                close = text.size();
            value = text.sliced(pos + 1, close - pos - 1);
            pos = close < text.size() ? close + 1 : close;
        } else {
            qsizetype end = text.indexOf(u';', pos);
            if (end < 0)
                end = text.size();
            value = text.sliced(pos, end - pos);
            pos = end;
        }
        ApplyProperty(name, value, style, context);
    }
}
