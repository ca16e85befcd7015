// HTML-subset markup: text preparation, the tokenizer, tags, attributes and the tag table.
#include "richtext/HtmlMarkup.h"

#include <array>
#include <utility>

namespace {

struct Entity
{
    QStringView m_name;
    QStringView m_text;
};

// Replaced in this order, each over the whole text, so "&amp;lt;" ends as "<<".
constexpr std::array<Entity, 13> kEntities = { {
    { u"&amp;", u"&" },
    { u"&bull;", u"\u2022" },
    { u"&copy;", u"\u00A9" },
    { u"&euro;", u"\u20AC" },
    { u"&gt;", u">" },
    { u"&iquest;", u"\u00BF" },
    { u"&lt;", u"<<" },
    { u"&nbsp;", u" " },
    { u"&para;", u"\u00B6" },
    { u"&pound;", u"\u00A3" },
    { u"&quot;", u"\"" },
    { u"&reg;", u"\u00AE" },
    { u"&trade;", u"\u2122" },
} };

using Kind = HtmlTagKind;
using Effect = HtmlTagEffect;

constexpr std::array<HtmlTagInfo, 38> kTags = { {
    { u"b", u"bold", Kind::Container, Effect::Bold },
    { u"i", u"italic", Kind::Container, Effect::Italic },
    { u"em", u"italic", Kind::Container, Effect::Italic },
    { u"u", u"underline", Kind::Container, Effect::Underline },
    { u"s", u"strikeout", Kind::Container, Effect::StrikeOut },
    { u"strike", u"strikeout", Kind::Container, Effect::StrikeOut },
    { u"font", u"font", Kind::Container, Effect::Font },
    { u"left", u"left", Kind::Container, Effect::AlignLeft },
    { u"center", u"center", Kind::Container, Effect::AlignCenter },
    { u"right", u"right", Kind::Container, Effect::AlignRight },
    { u"justify", u"justify", Kind::Container, Effect::AlignJustify },
    { u"baseline", u"baseline", Kind::Container, Effect::AlignBaseline },
    { u"top", u"top", Kind::Container, Effect::AlignTop },
    { u"vcenter", u"vcenter", Kind::Container, Effect::AlignMiddle },
    { u"middle", u"vcenter", Kind::Container, Effect::AlignMiddle },
    // "bottom" shares the group of "vcenter", so "</vcenter>" closes it.
    { u"bottom", u"vcenter", Kind::Container, Effect::AlignBottom },
    { u"body", u"body", Kind::Container, Effect::SheetRule },
    { u"h1", u"h1", Kind::Container, Effect::SheetRule },
    { u"h2", u"h2", Kind::Container, Effect::SheetRule },
    { u"h3", u"h3", Kind::Container, Effect::SheetRule },
    { u"h4", u"h4", Kind::Container, Effect::SheetRule },
    { u"h5", u"h5", Kind::Container, Effect::SheetRule },
    { u"h6", u"h6", Kind::Container, Effect::SheetRule },
    { u"code", u"code", Kind::Container, Effect::SheetRule },
    { u"pre", u"pre", Kind::Container, Effect::SheetRule },
    { u"big", u"big", Kind::Container, Effect::SheetRule },
    { u"small", u"small", Kind::Container, Effect::SheetRule },
    { u"sub", u"sub", Kind::Container, Effect::SheetRule },
    { u"sup", u"sup", Kind::Container, Effect::SheetRule },
    { u"span", u"span", Kind::Container, Effect::Span },
    { u"a", u"link", Kind::Container, Effect::Link },
    { u"hr", u"", Kind::Rule, Effect::None },
    { u"br", u"", Kind::Break, Effect::None },
    { u"t", u"", Kind::Tab, Effect::None },
    { u"bmp", u"", Kind::Image, Effect::None },
    { u"icon", u"", Kind::Image, Effect::None },
    { u"ilst", u"", Kind::Image, Effect::None },
    { u"string", u"", Kind::String, Effect::None },
} };

} // namespace

bool IsNameStart(QChar c)
{
    return c.isLetter() || c.isDigit() || c == u'.';
}

qsizetype SkipToNameStart(QStringView text, qsizetype pos)
{
    while (pos < text.size() && !IsNameStart(text[pos]))
        ++pos;
    return pos;
}

qsizetype SkipSpaces(QStringView text, qsizetype pos)
{
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
    return pos;
}

qsizetype FindEither(QStringView text, qsizetype pos, QChar a, QChar b)
{
    while (pos < text.size() && text[pos] != a && text[pos] != b)
        ++pos;
    return pos;
}

QString PrepareHtmlText(const QString& text, bool convertBreaks)
{
    QString prepared = text;
    for (const Entity& entity : kEntities)
        prepared.replace(entity.m_name.toString(), entity.m_text.toString());
    prepared.remove(u'\r');
    if (convertBreaks) {
        prepared.replace(u'\n', QStringLiteral("<br>"));
        prepared.replace(u'\t', QStringLiteral("<t>"));
    }
    return prepared;
}

HtmlTokenizer::HtmlTokenizer(QStringView text)
    : m_text(text)
{
}

bool HtmlTokenizer::HasCloseAfter(qsizetype pos)
{
    // Remembers the last search, so a text full of unclosed "<" is read in one pass.
    if (m_closePos == -2)
        return false;
    if (m_closePos < pos) {
        m_closePos = m_text.indexOf(u'>', pos);
        if (m_closePos < 0) {
            m_closePos = -2;
            return false;
        }
    }
    return true;
}

bool HtmlTokenizer::Next(HtmlToken& token)
{
    const qsizetype size = m_text.size();
    QString run;
    while (m_pos < size) {
        if (m_text[m_pos] != u'<') {
            qsizetype next = m_text.indexOf(u'<', m_pos);
            if (next < 0)
                next = size;
            run += m_text.sliced(m_pos, next - m_pos);
            m_pos = next;
            continue;
        }
        if (m_pos + 1 == size) {
            run += u'<'; // a "<" ending the text is literal
            ++m_pos;
            continue;
        }
        if (m_text[m_pos + 1] == u'<') {
            run += u'<';
            m_pos += 2;
            continue;
        }
        if (!HasCloseAfter(m_pos + 1)) {
            ++m_pos; // an unclosed "<" is dropped and the run goes on
            continue;
        }
        if (!run.isEmpty())
            break; // the tag is read on the next call
        token.m_kind = HtmlToken::Tag;
        token.m_text.clear();
        token.m_tagText = m_text.sliced(m_pos + 1, m_closePos - m_pos - 1);
        m_pos = m_closePos + 1;
        return true;
    }
    if (run.isEmpty())
        return false;
    token.m_kind = HtmlToken::Text;
    token.m_text = std::move(run);
    token.m_tagText = {};
    return true;
}

HtmlTag ReadHtmlTag(QStringView tagText)
{
    HtmlTag tag;
    const qsizetype nameEnd = FindEither(tagText, 0, u' ', u'=');
    tag.m_name = tagText.first(nameEnd);
    if (tag.m_name.startsWith(u'/')) {
        tag.m_closing = true;
        tag.m_name = tag.m_name.sliced(1);
    }
    tag.m_attributes = tagText.sliced(SkipSpaces(tagText, nameEnd));
    if (nameEnd < tagText.size() && tagText[nameEnd] == u'=') {
        tag.m_hasDirectValue = true;
        tag.m_directValue = tagText.sliced(nameEnd + 1);
    }
    return tag;
}

HtmlAttributes ReadHtmlAttributes(QStringView text)
{
    HtmlAttributes attributes;
    const qsizetype size = text.size();
    qsizetype pos = 0;
    for (;;) {
        pos = SkipToNameStart(text, pos);
        if (pos == size)
            break;
        const qsizetype nameEnd = FindEither(text, pos, u' ', u'=');
        HtmlAttribute attribute { text.sliced(pos, nameEnd - pos).toString(), {} };
        pos = SkipSpaces(text, nameEnd);
        if (pos < size && text[pos] == u'=') {
            pos = SkipSpaces(text, pos + 1);
            if (pos < size && (text[pos] == u'\'' || text[pos] == u'"')) {
                const QChar quote = text[pos];
                qsizetype close = text.indexOf(quote, pos + 1);
                if (close < 0)
                    close = size;
                attribute.m_value = text.sliced(pos + 1, close - pos - 1).toString();
                pos = close < size ? close + 1 : size;
            } else {
                qsizetype end = text.indexOf(u' ', pos);
                if (end < 0)
                    end = size;
                attribute.m_value = text.sliced(pos, end - pos).toString();
                pos = end;
            }
        }
        attributes.append(std::move(attribute));
    }
    return attributes;
}

const HtmlTagInfo* FindHtmlTag(QStringView name)
{
    for (const HtmlTagInfo& tag : kTags) {
        if (tag.m_name == name)
            return &tag;
    }
    return nullptr;
}

QString ApplyTextTransform(const QString& run, TextTransform transform)
{
    switch (transform) {
    case kTransformUpper:
        return run.toUpper();
    case kTransformLower:
        return run.toLower();
    case kTransformCapitalize: {
        QString text = run.toLower();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool atWordStart = i == 0 || text[i - 1] == u' ';
            if (atWordStart && text[i] >= u'a' && text[i] <= u'z')
                text[i] = QChar(text[i].unicode() - u'a' + u'A');
        }
        return text;
    }
    case kTransformNone:
        break;
    }
    return run;
}
