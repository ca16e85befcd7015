// Text preparation, tokens, tags, attributes and text transform of the markup.
#include "richtext/HtmlMarkup.h"

#include "tests/richtext/MarkupTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct PrepareCase
{
    const char16_t* m_name;
    const char16_t* m_input;
    const char16_t* m_prepared;
};

TEST(PrepareHtmlText, ReplacesEntitiesInTableOrderAndConvertsBreaks)
{
    const PrepareCase cases[] = {
        { u"amp", u"a &amp; b", u"a & b" },
        { u"bull", u"&bull;", u"\u2022" },
        { u"copy", u"&copy;", u"\u00A9" },
        { u"euro", u"&euro;", u"\u20AC" },
        { u"gt", u"&gt;", u">" },
        { u"iquest", u"&iquest;", u"\u00BF" },
        { u"lt is the escape for a literal <", u"&lt;", u"<<" },
        { u"nbsp is a plain space", u"a&nbsp;b", u"a b" },
        { u"para", u"&para;", u"\u00B6" },
        { u"pound", u"&pound;", u"\u00A3" },
        { u"quot", u"&quot;", u"\"" },
        { u"reg", u"&reg;", u"\u00AE" },
        { u"trade", u"&trade;", u"\u2122" },
        { u"amp first, so amp-lt becomes lt", u"&amp;lt;", u"<<" },
        { u"one pass of amp", u"&amp;amp;", u"&amp;" },
        { u"entity names are case-sensitive", u"&AMP; &Lt;", u"&AMP; &Lt;" },
        { u"unknown entity stays", u"&hellip;", u"&hellip;" },
        { u"carriage returns vanish", u"a\r\nb\rc", u"a<br>bc" },
        { u"line feeds and tabs become tags", u"a\n\nb\tc", u"a<br><br>b<t>c" },
    };
    for (const PrepareCase& c : cases)
        EXPECT_EQ(PrepareHtmlText(QString::fromUtf16(c.m_input)), QString::fromUtf16(c.m_prepared))
            << QString::fromUtf16(c.m_name).toStdString();
}

TEST(PrepareHtmlText, KeepsLineFeedsAndTabsWhenConversionIsOff)
{
    EXPECT_EQ(PrepareHtmlText(QStringLiteral("a\r\n&gt;\tb"), false), QStringLiteral("a\n>\tb"));
}

// Tokens as "text" and "<tag text>", joined by "|".
QString Tokens(const QString& prepared)
{
    HtmlTokenizer tokenizer(prepared);
    HtmlToken token;
    QStringList parts;
    while (tokenizer.Next(token)) {
        if (token.m_kind == HtmlToken::Text)
            parts << token.m_text;
        else
            parts << u'<' + token.m_tagText.toString() + u'>';
    }
    return parts.join(u'|');
}

struct TokenCase
{
    const char* m_name;
    const char* m_prepared;
    const char* m_tokens;
};

TEST(HtmlTokenizer, SplitsRunsAtTagsAndHandlesLiteralAngles)
{
    const TokenCase cases[] = {
        { "plain text is one run", "plain text", "plain text" },
        { "tags split runs", "a<b>c</b>d", "a|<b>|c|</b>|d" },
        { "an unknown tag still splits", "a<x>b", "a|<x>|b" },
        { "doubled < is a literal", "a<<b>c", "a<b>c" },
        { "odd run of < ends in a tag", "<<<b>x", "<|<b>|x" },
        { "unclosed < is dropped and the run goes on", "a<b c", "ab c" },
        { "a final < stays", "a<", "a<" },
        { "a lone < stays", "<", "<" },
        { "text read as a tag", "5<7 and 8>3", "5|<7 and 8>|3" },
        { "a tag runs to the first >", "<a href='x>y'>z", "<a href='x>|y'>z" },
        { "an empty tag", "a<>b", "a|<>|b" },
        { "< inside a tag is part of it", "a<b<c>d", "a|<b<c>|d" },
        { "only tags", "<b><i>", "<b>|<i>" },
        { "empty text", "", "" },
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(Tokens(QString::fromUtf8(c.m_prepared)), QString::fromUtf8(c.m_tokens)) << c.m_name;
}

TEST(HtmlTokenizer, ReadsManyUnclosedAnglesWithoutLosingText)
{
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("x<");
    text += u'y';
    // Every "<" but none is closed, so each is dropped and all the text is one run.
    EXPECT_EQ(Tokens(text), QString(20000, u'x') + u'y');
}

TEST(ReadHtmlTag, SplitsNameClosingMarkAndAttributes)
{
    struct Case
    {
        const char* m_tagText;
        const char* m_name;
        bool m_closing;
        const char* m_attributes;
        bool m_direct;
        const char* m_directValue;
    };
    const Case cases[] = {
        { "b", "b", false, "", false, "" },
        { "/font", "font", true, "", false, "" },
        { "font   size=3 color=red", "font", false, "size=3 color=red", false, "" },
        { "br=3", "br", false, "=3", true, "3" },
        { "br 3", "br", false, "3", false, "" },
        { "br =3", "br", false, "=3", false, "" },
        { "B", "B", false, "", false, "" },
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.m_tagText);
        const HtmlTag tag = ReadHtmlTag(text);
        EXPECT_EQ(tag.m_name.toString(), QString::fromUtf8(c.m_name)) << c.m_tagText;
        EXPECT_EQ(tag.m_closing, c.m_closing) << c.m_tagText;
        EXPECT_EQ(tag.m_attributes.toString(), QString::fromUtf8(c.m_attributes)) << c.m_tagText;
        EXPECT_EQ(tag.m_hasDirectValue, c.m_direct) << c.m_tagText;
        EXPECT_EQ(tag.m_directValue.toString(), QString::fromUtf8(c.m_directValue)) << c.m_tagText;
    }
}

// Attributes as "name=value" joined by "|".
QString Attributes(const char* text)
{
    QStringList parts;
    for (const HtmlAttribute& attribute : ReadHtmlAttributes(QString::fromUtf8(text)))
        parts << attribute.m_name + u'=' + attribute.m_value;
    return parts.join(u'|');
}

TEST(ReadHtmlAttributes, ReadsQuotedUnquotedAndBareValues)
{
    const TokenCase cases[] = {
        { "single quotes keep spaces", "href='C:\\My Files\\a b' x=1", "href=C:\\My Files\\a b|x=1" },
        { "double quotes", "face=\"Courier New\"", "face=Courier New" },
        { "unquoted ends at a space", "href=a b", "href=a|b=" },
        { "spaces around =", "size = 3  color =red", "size=3|color=red" },
        { "no = means an empty value", "nowrap width=5", "nowrap=|width=5" },
        { "a quote of the other kind is kept", "title='say \"hi\"'", "title=say \"hi\"" },
        { "unterminated quote runs to the end", "href='abc", "href=abc" },
        { "names are kept as written", "HREF=x", "HREF=x" },
        { "a value after a lone = is a name", "=3", "3=" },
        { "leading junk is skipped", ";;  .cls=1", ".cls=1" },
        { "empty", "", "" },
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(Attributes(c.m_prepared), QString::fromUtf8(c.m_tokens)) << c.m_name;
}

TEST(FindHtmlTag, MatchesLowerCaseNamesExactly)
{
    for (const char16_t* name : { u"b", u"i", u"em", u"u", u"s", u"strike", u"font", u"left", u"center", u"right",
                                  u"justify", u"baseline", u"top", u"vcenter", u"middle", u"bottom", u"body",
                                  u"h1", u"h6", u"code", u"pre", u"big", u"small", u"sub", u"sup", u"span", u"a",
                                  u"hr", u"br", u"t", u"bmp", u"icon", u"ilst", u"string" })
        EXPECT_NE(FindHtmlTag(QString::fromUtf16(name)), nullptr) << QString::fromUtf16(name).toStdString();
    for (const char16_t* name : { u"B", u"Br", u"p", u"table", u"tr", u"td", u"h7", u"bold", u"" })
        EXPECT_EQ(FindHtmlTag(QString::fromUtf16(name)), nullptr) << QString::fromUtf16(name).toStdString();
}

TEST(FindHtmlTag, GivesTheClosingGroups)
{
    const std::pair<const char16_t*, const char16_t*> groups[] = {
        { u"b", u"bold" },         { u"i", u"italic" },       { u"em", u"italic" },   { u"u", u"underline" },
        { u"s", u"strikeout" },    { u"strike", u"strikeout" }, { u"a", u"link" },     { u"middle", u"vcenter" },
        { u"bottom", u"vcenter" }, { u"h3", u"h3" },          { u"span", u"span" },   { u"br", u"" },
    };
    for (const auto& [name, group] : groups)
        EXPECT_EQ(FindHtmlTag(QString::fromUtf16(name))->m_group.toString(), QString::fromUtf16(group));
}

TEST(ApplyTextTransform, TransformsRuns)
{
    EXPECT_EQ(ApplyTextTransform(QStringLiteral("MiXed"), kTransformNone), QStringLiteral("MiXed"));
    EXPECT_EQ(ApplyTextTransform(QStringLiteral("Straße"), kTransformUpper), QStringLiteral("STRASSE"));
    EXPECT_EQ(ApplyTextTransform(QStringLiteral("ÉCOLE Mixed"), kTransformLower), QStringLiteral("école mixed"));
    // Lowered first; only a to z after a space or at the start is raised.
    EXPECT_EQ(ApplyTextTransform(QStringLiteral("hello wORLD  x-ray éa"), kTransformCapitalize),
              QStringLiteral("Hello World  X-ray éa"));
    EXPECT_EQ(ApplyTextTransform(QStringLiteral(" a"), kTransformCapitalize), QStringLiteral(" A"));
}

} // namespace
