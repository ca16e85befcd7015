// Tags, the style stack and the style sheet, read through a whole pass.
#include "richtext/HtmlReader.h"
#include "richtext/HtmlStyleSheet.h"
#include "richtext/HtmlStyleState.h"

#include "tests/richtext/MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr ColorRef kBlack = MakeColorRef(0, 0, 0);
constexpr ColorRef kRed = MakeColorRef(255, 0, 0);
constexpr ColorRef kBlue = MakeColorRef(0, 0, 255);
constexpr ColorRef kGreen = MakeColorRef(0, 128, 0);
constexpr ColorRef kOrange9900 = MakeColorRef(0xff, 0x99, 0x00);

// The style of the only text run of the markup.
TextStyle RunStyle(const QString& markup, const HtmlReadOptions& options = {})
{
    const std::vector<HtmlItem> runs = TextRuns(ReadMarkup(markup, options));
    EXPECT_EQ(runs.size(), 1u) << markup.toStdString();
    return runs.empty() ? TextStyle() : runs.front().m_style;
}

TEST(HtmlStyle, BodyRuleGivesThePlainTextStyle)
{
    const TextStyle style = RunStyle(QStringLiteral("plain"));
    EXPECT_EQ(style.m_size, 13); // 10pt at 96 dpi
    EXPECT_EQ(style.m_weight, 400);
    EXPECT_EQ(style.m_face, QStringLiteral("verdana")); // declarations are lowered
    EXPECT_EQ(style.m_color, kBlack);
    EXPECT_EQ(style.m_bgMode, kBackgroundTransparent);
    EXPECT_EQ(style.m_vAlign, kAlignBaseline);
    EXPECT_EQ(style.m_margin, 2);
    EXPECT_EQ(style.m_linkKind, kLinkNone);
}

TEST(TextStyle, DefaultsOfTheRecord)
{
    const TextStyle style;
    EXPECT_TRUE(style.m_group.isEmpty());
    EXPECT_EQ(style.m_size, 16);
    EXPECT_EQ(style.m_weight, 400);
    EXPECT_FALSE(style.m_italic || style.m_underline || style.m_strikeOut || style.m_overline);
    EXPECT_EQ(style.m_face, QStringLiteral("Verdana"));
    EXPECT_EQ(style.m_color, kBlack);
    EXPECT_EQ(style.m_bgColor, MakeColorRef(255, 255, 255));
    EXPECT_EQ(style.m_borderColorLight, kBlack);
    EXPECT_EQ(style.m_borderColorDark, kBlack);
    EXPECT_EQ(style.m_bgMidColor, MakeColorRef(255, 255, 255));
    EXPECT_EQ(style.m_bgEndColor, MakeColorRef(255, 255, 255));
    EXPECT_EQ(style.m_bgMode, 1);
    EXPECT_EQ(style.m_bgEffect, -1);
    EXPECT_TRUE(style.m_bgImage.isEmpty());
    EXPECT_EQ(style.m_hAlign, 0);
    EXPECT_EQ(style.m_vAlign, 3);
    EXPECT_EQ(style.m_borderStyle, 0);
    EXPECT_EQ(style.m_borderWidth, 0);
    EXPECT_EQ(style.m_width, 0);
    EXPECT_EQ(style.m_height, 0);
    EXPECT_EQ(style.m_textTransform, 0);
    EXPECT_EQ(style.m_margin, 2);
    EXPECT_EQ(style.m_padding, 0);
    EXPECT_EQ(style.m_linkKind, 0);
    EXPECT_TRUE(style.m_linkText.isEmpty());
}

struct SheetCase
{
    const char* m_markup;
    int m_size;
    int m_weight;
    const char* m_face;
    ColorRef m_color;
};

TEST(HtmlStyle, DefaultStyleSheetStylesTheMainTags)
{
    const SheetCase cases[] = {
        { "<h1>x</h1>", 18, 700, "verdana", kBlack },    // 14pt
        { "<h2>x</h2>", 17, 700, "verdana", kOrange9900 }, // 13pt
        { "<h3>x</h3>", 16, 700, "arial", kOrange9900 },
        { "<h4>x</h4>", 13, 700, "verdana", kBlack },
        { "<h5>x</h5>", 12, 700, "verdana", kOrange9900 },
        { "<h6>x</h6>", 8, 400, "verdana", MakeColorRef(0x62, 0x62, 0x62) }, // 65% of 13
        { "<code>x</code>", 13, 400, "arial", MakeColorRef(0x99, 0, 0) },
        { "<big>x</big>", 16, 400, "verdana", kBlack },   // 125% of 13
        { "<small>x</small>", 10, 400, "verdana", kBlack }, // 75% of 13
        { "<p>x</p>", 13, 400, "verdana", kBlack },       // no tag applies the rule "p"
        { "<span class=cpp-comment>x</span>", 13, 400, "verdana", kGreen },
    };
    for (const SheetCase& c : cases) {
        const TextStyle style = RunStyle(QString::fromUtf8(c.m_markup));
        EXPECT_EQ(style.m_size, c.m_size) << c.m_markup;
        EXPECT_EQ(style.m_weight, c.m_weight) << c.m_markup;
        EXPECT_EQ(style.m_face, QString::fromUtf8(c.m_face)) << c.m_markup;
        EXPECT_EQ(style.m_color, c.m_color) << c.m_markup;
    }
}

TEST(HtmlStyle, DefaultStyleSheetBackgroundsShiftsAndClasses)
{
    const TextStyle pre = RunStyle(QStringLiteral("<pre>x</pre>"));
    EXPECT_EQ(pre.m_size, 12); // 9pt
    EXPECT_EQ(pre.m_face, QStringLiteral("courier"));
    EXPECT_EQ(pre.m_bgMode, kBackgroundOpaque);
    EXPECT_EQ(pre.m_bgColor, MakeColorRef(0xfb, 0xed, 0xbb));

    const TextStyle sub = RunStyle(QStringLiteral("<sub>x</sub>"));
    EXPECT_EQ(sub.m_size, 8);
    EXPECT_EQ(sub.m_vAlign, kAlignBottom);
    const TextStyle sup = RunStyle(QStringLiteral("<sup>x</sup>"));
    EXPECT_EQ(sup.m_size, 8);
    EXPECT_EQ(sup.m_vAlign, kAlignTop);

    EXPECT_TRUE(RunStyle(QStringLiteral("<span class=CPP-Comment>x</span>")).m_italic); // selectors are lowered
    EXPECT_EQ(WithoutGroup(RunStyle(QStringLiteral("<span class=none>x</span>"))),
              WithoutGroup(RunStyle(QStringLiteral("x"))));
}

// Styles of the runs, one line each: "text weight italic".
QString RunSummary(const QString& markup)
{
    QStringList lines;
    for (const HtmlItem& run : TextRuns(ReadMarkup(markup)))
        lines << QStringLiteral("%1 %2%3")
                     .arg(run.m_text)
                     .arg(run.m_style.m_weight)
                     .arg(run.m_style.m_italic ? " i" : "");
    return lines.join(u'|');
}

struct StackCase
{
    const char* m_name;
    const char* m_markup;
    const char* m_runs;
};

TEST(HtmlStyle, ClosingTagsRestoreOnlyTheirOwnGroup)
{
    const StackCase cases[] = {
        { "mismatched closing bold is ignored", "<b>1<i>2</b>3</i>4", "1 800|2 800 i|3 800 i|4 800" },
        { "nested closing restores everything inside", "<b>1<i>2</i>3</b>4", "1 800|2 800 i|3 800|4 400" },
        { "closing i closes em", "<em>1</i>2", "1 400 i|2 400" },
        { "capital tags are not tags", "<B>1</B><I>2", "1 400|2 400" },
        { "bold doubles up to 900", "<b><b>1</b>2</b>3", "1 900|2 800|3 400" },
        { "bold on a bold heading", "<h1><b>1", "1 900" },
        { "italic toggles", "<i><i>1</i>2", "1 400|2 400 i" },
        { "a close with nothing open", "</b>1", "1 400" },
        { "closing an empty element does nothing", "<b>1</br>2", "1 800|2 800" },
    };
    for (const StackCase& c : cases)
        EXPECT_EQ(RunSummary(QString::fromUtf8(c.m_markup)), QString::fromUtf8(c.m_runs)) << c.m_name;
}

using StyleChange = std::function<void(TextStyle&)>;

struct TagCase
{
    const char* m_markup;
    StyleChange m_change; // what the tag does to the plain text style
};

TEST(HtmlStyle, TagsChangeTheStyle)
{
    const TagCase cases[] = {
        { "<u>x", [](TextStyle& s) { s.m_underline = true; } },
        { "<s>x", [](TextStyle& s) { s.m_strikeOut = true; } },
        { "<strike>x", [](TextStyle& s) { s.m_strikeOut = true; } },
        { "<center>x", [](TextStyle& s) { s.m_hAlign = kAlignCenter; } },
        { "<right>x", [](TextStyle& s) { s.m_hAlign = kAlignRight; } },
        { "<justify>x", [](TextStyle& s) { s.m_hAlign = kAlignJustify; } },
        { "<right><left>x", [](TextStyle& s) { s.m_hAlign = kAlignLeft; } },
        { "<top>x", [](TextStyle& s) { s.m_vAlign = kAlignTop; } },
        { "<vcenter>x", [](TextStyle& s) { s.m_vAlign = kAlignMiddle; } },
        { "<middle>x", [](TextStyle& s) { s.m_vAlign = kAlignMiddle; } },
        { "<bottom>x", [](TextStyle& s) { s.m_vAlign = kAlignBottom; } },
        { "<top><baseline>x", [](TextStyle&) {} },
        { "<top><bottom></vcenter>x", [](TextStyle& s) { s.m_vAlign = kAlignTop; } },
        { "<right></center>x", [](TextStyle& s) { s.m_hAlign = kAlignRight; } },
        // "font" attributes
        { "<font size=3>x", [](TextStyle& s) { s.m_size = 12; } },
        { "<font size=12>x", [](TextStyle& s) { s.m_size = 12; } },
        { "<font size=7>x", [](TextStyle& s) { s.m_size = 36; } },
        { "<font size=200%>x", [](TextStyle& s) { s.m_size = 26; } },
        { "<font size=2em>x", [](TextStyle& s) { s.m_size = 26; } },
        { "<font face='Courier New'>x", [](TextStyle& s) { s.m_face = QStringLiteral("Courier New"); } },
        { "<font color=red>x", [](TextStyle& s) { s.m_color = kRed; } },
        { "<font color=Red>x", [](TextStyle&) {} },
        { "<font color=#0000ff>x", [](TextStyle& s) { s.m_color = kBlue; } },
        { "<font weight=bolder>x", [](TextStyle& s) { s.m_weight = 900; } },
        { "<font weight=300>x", [](TextStyle& s) { s.m_weight = 300; } },
        { "<font style=b>x", [](TextStyle& s) { s.m_weight = 700; } },
        { "<font style='biuso'>x",
          [](TextStyle& s) {
              s.m_weight = 700;
              s.m_italic = s.m_underline = s.m_strikeOut = s.m_overline = true;
          } },
        { "<font style=bi-b+u>x",
          [](TextStyle& s) {
              s.m_italic = true;
              s.m_underline = true;
          } },
        { "<i><font style=-i>x", [](TextStyle&) {} },
        { "<font style=-xi>x", [](TextStyle& s) { s.m_italic = true; } }, // the sign holds for the next letter
        { "<font bkgnd=yellow>x",
          [](TextStyle& s) {
              s.m_bgMode = kBackgroundOpaque;
              s.m_bgColor = MakeColorRef(255, 255, 0);
          } },
        { "<font bkgnd=yellow><font bkgnd=transparent>x",
          [](TextStyle& s) { s.m_bgColor = MakeColorRef(255, 255, 0); } },
        { "<font FACE=arial Size=3>x", [](TextStyle&) {} },
        { "<font size=3 size=5>x", [](TextStyle& s) { s.m_size = 18; } },
    };
    const TextStyle plain = WithoutGroup(RunStyle(QStringLiteral("x")));
    for (const TagCase& c : cases) {
        TextStyle expected = plain;
        c.m_change(expected);
        EXPECT_EQ(WithoutGroup(RunStyle(QString::fromUtf8(c.m_markup))), expected) << c.m_markup;
    }
}

TEST(HtmlStyle, FontSizesInEmAndExUseTheFontBeforeTheTag)
{
    HtmlReadOptions options;
    options.m_xHeightOf = [](const TextStyle& style) { return style.m_size / 2; };
    EXPECT_EQ(RunStyle(QStringLiteral("<font size=20px><font size=2em>x"), options).m_size, 40);
    EXPECT_EQ(RunStyle(QStringLiteral("<font size=20px><font size=3ex>x"), options).m_size, 30);
    // Without a measure the letter "x" is as high as the font's cell.
    EXPECT_EQ(RunStyle(QStringLiteral("<font size=20px><font size=3ex>x")).m_size, 60);
}

TEST(HtmlStyle, DisabledColoursReachEveryColourAndKeepBackgroundsTransparent)
{
    HtmlReadOptions options;
    options.m_colorsEnabled = false;
    options.m_disabledColor = 0x00A0A0A0;
    const TextStyle style = RunStyle(QStringLiteral("<font color=red bkgnd=yellow>x"), options);
    EXPECT_EQ(style.m_color, 0x00A0A0A0u);
    EXPECT_EQ(style.m_bgMode, kBackgroundTransparent);
    EXPECT_EQ(RunStyle(QStringLiteral("<pre>x"), options).m_bgMode, kBackgroundTransparent);
}

TEST(HtmlStyle, LinksTakeTheirKindTextNumberAndHoverRule)
{
    const QString markup =
        QStringLiteral("<a href='C:\\My Folder'>one</a> <a msg=\"say hi\">two</a><a>three</a><a href=x y>four</a>");
    HtmlReadOptions options;
    options.m_hoveredLink = 1;
    const std::vector<HtmlItem> runs = TextRuns(ReadMarkup(markup, options));
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].m_style.m_linkKind, kLinkAddress);
    EXPECT_EQ(runs[0].m_style.m_linkText, QStringLiteral("C:\\My Folder"));
    EXPECT_EQ(runs[0].m_link, 0);
    EXPECT_EQ(runs[0].m_style.m_color, kBlue); // "a:link"
    EXPECT_FALSE(runs[0].m_style.m_underline);

    EXPECT_EQ(runs[1].m_text, QStringLiteral(" "));
    EXPECT_EQ(runs[1].m_style.m_linkKind, kLinkNone);
    EXPECT_EQ(runs[1].m_link, -1);
    EXPECT_EQ(runs[1].m_style.m_color, kBlack);

    EXPECT_EQ(runs[2].m_style.m_linkKind, kLinkMessage);
    EXPECT_EQ(runs[2].m_style.m_linkText, QStringLiteral("say hi"));
    EXPECT_EQ(runs[2].m_link, 1);
    EXPECT_TRUE(runs[2].m_style.m_underline); // the hovered link: "a:hover"

    EXPECT_EQ(runs[3].m_style.m_linkKind, kLinkMessage);
    EXPECT_TRUE(runs[3].m_style.m_linkText.isEmpty());
    EXPECT_EQ(runs[3].m_link, 2);
    EXPECT_FALSE(runs[3].m_style.m_underline);

    EXPECT_EQ(runs[4].m_style.m_linkText, QStringLiteral("x")); // unquoted ends at the space
}

TEST(HtmlStyle, TextTransformAppliesToEachRun)
{
    HtmlStyleSheet sheet = HtmlStyleSheet::Default();
    sheet.AddRules(u".up {text-transform:uppercase} .cap {text-transform:capitalize}");
    const HtmlColorTable colors;
    const QString prepared =
        PrepareHtmlText(QStringLiteral("<span class=up>shout it</span> <span class=cap>hello <b>wORLD</b></span>"));
    const std::vector<HtmlItem> runs = TextRuns(ReadHtmlItems(prepared, sheet, colors));
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].m_text, QStringLiteral("SHOUT IT"));
    EXPECT_EQ(runs[1].m_text, QStringLiteral(" "));
    EXPECT_EQ(runs[2].m_text, QStringLiteral("Hello "));
    EXPECT_EQ(runs[3].m_text, QStringLiteral("World")); // a run starts a word
}

struct PropertyCase
{
    const char* m_declarations;
    StyleChange m_change;
};

TEST(ApplyDeclarations, EveryPropertySetsItsField)
{
    const PropertyCase cases[] = {
        { "font-size: 3", [](TextStyle& s) { s.m_size = 12; } },
        { "font-size: 12", [](TextStyle& s) { s.m_size = 12; } },
        { "font-size: 10pt", [](TextStyle& s) { s.m_size = 13; } },
        { "font-size: 50%", [](TextStyle& s) { s.m_size = 8; } },
        { "font-family: Arial", [](TextStyle& s) { s.m_face = QStringLiteral("arial"); } },
        { "font-family: \"Courier New\"", [](TextStyle& s) { s.m_face = QStringLiteral("courier new"); } },
        { "font-family:", [](TextStyle&) {} },
        { "font-style: italic", [](TextStyle& s) { s.m_italic = true; } },
        { "font-style: oblique", [](TextStyle& s) { s.m_italic = true; } },
        { "font-style: italic; font-style: normal", [](TextStyle&) {} },
        { "font-weight: bold", [](TextStyle& s) { s.m_weight = 700; } },
        { "font-weight: 600", [](TextStyle& s) { s.m_weight = 600; } },
        { "text-align: center", [](TextStyle& s) { s.m_hAlign = kAlignCenter; } },
        { "text-align: right", [](TextStyle& s) { s.m_hAlign = kAlignRight; } },
        { "text-transform: uppercase", [](TextStyle& s) { s.m_textTransform = kTransformUpper; } },
        { "text-transform: capitalize", [](TextStyle& s) { s.m_textTransform = kTransformCapitalize; } },
        { "color: #ff0000", [](TextStyle& s) { s.m_color = kRed; } },
        { "COLOR: RED", [](TextStyle& s) { s.m_color = kRed; } }, // lowered before reading
        { "background-color: red",
          [](TextStyle& s) {
              s.m_bgMode = kBackgroundOpaque;
              s.m_bgColor = kRed;
          } },
        { "background-color: transparent", [](TextStyle&) {} },
        { "text-decoration: underline, line-through overline",
          [](TextStyle& s) { s.m_underline = s.m_strikeOut = s.m_overline = true; } },
        { "text-decoration: underline overline; text-decoration: none", [](TextStyle&) {} },
        { "vertical-align: middle", [](TextStyle& s) { s.m_vAlign = kAlignMiddle; } },
        { "vertical-align: vcenter", [](TextStyle& s) { s.m_vAlign = kAlignMiddle; } },
        { "vertical-align: top", [](TextStyle& s) { s.m_vAlign = kAlignTop; } },
        { "vertical-align: bottom", [](TextStyle& s) { s.m_vAlign = kAlignBottom; } },
        { "border-color: red", [](TextStyle& s) { s.m_borderColorLight = s.m_borderColorDark = kRed; } },
        { "border-width: 2",
          [](TextStyle& s) {
              s.m_borderWidth = 2;
              s.m_borderStyle = kBorderSolid;
          } },
        { "size: 3",
          [](TextStyle& s) {
              s.m_borderWidth = 3;
              s.m_borderStyle = kBorderSolid;
          } },
        { "border-style: dotted",
          [](TextStyle& s) {
              s.m_borderWidth = 1;
              s.m_borderStyle = kBorderDotted;
          } },
        { "border-style: double; border-width: 0", [](TextStyle& s) { s.m_borderWidth = 0; } },
        { "margin: 5", [](TextStyle& s) { s.m_margin = 5; } },
        { "padding: 1em", [](TextStyle& s) { s.m_padding = 16; } },
        { "bogus: 5; color:red", [](TextStyle& s) { s.m_color = kRed; } },
        { "bogus color:red", [](TextStyle& s) { s.m_color = kRed; } },
        { "color : red ; margin:7", [](TextStyle& s) { s.m_margin = 7; } }, // "red " is no colour
    };
    const HtmlColorTable colors;
    HtmlValueContext context;
    context.m_colors = &colors;
    for (const PropertyCase& c : cases) {
        TextStyle expected;
        c.m_change(expected);
        TextStyle actual;
        ApplyDeclarations(QString::fromUtf8(c.m_declarations), actual, context);
        EXPECT_EQ(actual, expected) << c.m_declarations;
    }
}

TEST(HtmlStyleSheet, DefaultTextIsVerbatim)
{
    const QString text = HtmlStyleSheet::DefaultText();
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 18); // 17 rules, each line ended by CR LF
    EXPECT_TRUE(lines.last().isEmpty());
    EXPECT_EQ(lines[0], QStringLiteral("body {font-size: 10pt; color:black; font-family:Verdana}"));
    EXPECT_EQ(lines[8], QStringLiteral("pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}"));
    EXPECT_EQ(lines[16], QStringLiteral(".cpp-comment {color:green; font-style:italic}"));
    EXPECT_EQ(text.count(u'\n'), text.count(u'\r'));

    const HtmlStyleSheet sheet = HtmlStyleSheet::Default();
    EXPECT_EQ(sheet.Declarations(u"p"),
              QStringLiteral("font-size: 10pt; color:black; font-family:Verdana; font-weight:bold"));
    EXPECT_EQ(sheet.Declarations(u"A:HOVER"), QStringLiteral("text-decoration:underline; color:blue"));
    for (const char16_t* missing : { u"hr", u"table", u"tr", u"td" })
        EXPECT_TRUE(sheet.Declarations(QString::fromUtf16(missing)).isEmpty());
}

TEST(HtmlStyleSheet, ReadsRulesReplacesAndStopsAtAnUnfinishedRule)
{
    HtmlStyleSheet sheet;
    sheet.AddRules(u"  H1 {color:red}\r\n.Note{font-weight:bold}td {margin:4} p {color:blue");
    EXPECT_EQ(sheet.Declarations(u"h1"), QStringLiteral("color:red"));
    EXPECT_EQ(sheet.Declarations(u".note"), QStringLiteral("font-weight:bold"));
    EXPECT_EQ(sheet.Declarations(u"td"), QStringLiteral("margin:4"));
    EXPECT_TRUE(sheet.Declarations(u"p").isEmpty());

    sheet.AddRules(u"h1 {color:green}");
    EXPECT_EQ(sheet.Declarations(u"h1"), QStringLiteral("color:green"));

    const HtmlColorTable colors;
    HtmlValueContext context;
    context.m_colors = &colors;
    TextStyle style;
    EXPECT_TRUE(sheet.Apply(u"H1", style, context));
    EXPECT_EQ(style.m_color, kGreen);
    const TextStyle before = style;
    EXPECT_FALSE(sheet.Apply(u"h2", style, context));
    EXPECT_EQ(style, before);
}

TEST(HtmlStyleState, SavedStylesComeBackWholeAndDropWhatWasLeftOpen)
{
    const HtmlStyleSheet sheet = HtmlStyleSheet::Default();
    HtmlStyleState state(sheet, HtmlValueContext {});
    const TextStyle body = state.Current();
    const qsizetype depth = state.Save(u"td");
    OpenContainerTag(state, *FindHtmlTag(u"b"), {});
    OpenContainerTag(state, *FindHtmlTag(u"font"), u"color=red size=7");
    EXPECT_EQ(state.Depth(), depth + 3);
    EXPECT_EQ(state.Values().m_fontHeight, 36); // the font follows the style
    state.RestoreSaved(depth);
    EXPECT_EQ(state.Depth(), depth);
    EXPECT_EQ(state.Current().m_group, QStringLiteral("td"));
    EXPECT_EQ(WithoutGroup(state.Current()), WithoutGroup(body));
    EXPECT_EQ(state.Values().m_fontHeight, 13);
}

} // namespace
