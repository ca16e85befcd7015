// The value readers: sizes, colours, weights, alignments, borders, effects.
#include "richtext/HtmlValues.h"

#include "controls/SystemColors.h"
#include "richtext/HtmlColors.h"

#include "tests/richtext/MarkupTestSupport.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <climits>

namespace {

class HtmlValuesTest : public ::testing::Test
{
protected:
    HtmlValuesTest()
    {
        m_context.m_dpi = 96;
        m_context.m_fontHeight = 16;
        m_context.m_fontXHeight = 7;
        m_context.m_colors = &m_colors;
    }

    HtmlColorTable m_colors;
    HtmlValueContext m_context;
};

struct SizeCase
{
    const char* m_text;
    int m_current;
    SizeKind m_kind;
    int m_expected;
};

TEST_F(HtmlValuesTest, SizeValues)
{
    constexpr SizeKind px = SizeKind::Pixels;
    constexpr SizeKind html = SizeKind::HtmlSizes;
    const SizeCase cases[] = {
        { "", 20, px, 20 },
        // percentages of the current value, rounded
        { "50%", 20, px, 10 },
        { "65%", 13, px, 8 },   // 8.45
        { "125%", 13, px, 16 }, // 16.25
        { "75%", 13, px, 10 },  // 9.75
        { "50%", 3, px, 2 },    // 1.5
        { "-50%", 20, px, 10 },
        { "%", 20, px, 20 },
        // units; the sign is dropped
        { "10px", 0, px, 10 },
        { "+10px", 0, px, 10 },
        { "-10px", 0, px, 10 },
        { "2em", 0, px, 32 },
        { "1.5em", 0, px, 16 }, // the number is the leading digits
        { "3ex", 0, px, 21 },
        { "1in", 0, px, 96 },
        { "1cm", 0, px, 37 },    // 37.8 truncated
        { "10mm", 0, px, 37 },
        { "254mm", 0, px, 960 }, // exactly 10 inches
        { "10pt", 0, px, 13 },   // 960 / 72
        { "9pt", 0, px, 12 },
        { "14pt", 0, px, 18 },
        { "1pc", 0, px, 16 },
        { "10 pt", 0, px, 13 },
        { "px", 20, px, 20 },
        // plain numbers in C notation, HTML sizes where allowed
        { "3", 0, html, 12 },
        { "12", 0, html, 12 },
        { "1", 0, html, 8 },
        { "2", 0, html, 10 },
        { "4", 0, html, 14 },
        { "5", 0, html, 18 },
        { "6", 0, html, 24 },
        { "7", 0, html, 36 },
        { "8", 0, html, 8 },
        { "0", 5, html, 0 },
        { "-3", 0, html, 12 },
        { "3", 0, px, 3 },
        { "3px", 0, html, 3 },
        { "0x10", 0, px, 16 },
        { "010", 0, px, 8 },
        { "08", 0, px, 0 },
        { "12abc", 0, px, 12 },
        { "large", 20, px, 20 },
        { "99999999999px", 0, px, INT_MAX },
    };
    for (const SizeCase& c : cases)
        EXPECT_EQ(ReadSizeValue(QString::fromUtf8(c.m_text), c.m_current, m_context, c.m_kind), c.m_expected)
            << '"' << c.m_text << "\" from " << c.m_current;
}

TEST_F(HtmlValuesTest, SizeValuesFollowTheSurfaceDpi)
{
    m_context.m_dpi = 120;
    EXPECT_EQ(ReadSizeValue(u"10pt", 0, m_context), 16); // 1200 / 72
    EXPECT_EQ(ReadSizeValue(u"1in", 0, m_context), 120);
    EXPECT_EQ(ReadSizeValue(u"2pc", 0, m_context), 40);
}

TEST_F(HtmlValuesTest, SizeOrPercent)
{
    const SizeOrPercent hundred { 100, true };
    EXPECT_EQ(ReadSizeOrPercent(u"50%", hundred, m_context), (SizeOrPercent { 50, true }));
    EXPECT_EQ(ReadSizeOrPercent(u"40", hundred, m_context), (SizeOrPercent { 40, false }));
    EXPECT_EQ(ReadSizeOrPercent(u"1in", hundred, m_context), (SizeOrPercent { 96, false }));
    EXPECT_EQ(ReadSizeOrPercent(u"wide", hundred, m_context), hundred);
    EXPECT_EQ(ReadSizeOrPercent(u"", hundred, m_context), hundred);
}

struct ColorCase
{
    const char* m_text;
    ColorRef m_expected;
};

TEST_F(HtmlValuesTest, ColorValues)
{
    constexpr ColorRef current = 0x123456;
    const ColorCase cases[] = {
        { "", current },
        { "#ff9900", MakeColorRef(255, 153, 0) },
        { "#FF9900", MakeColorRef(255, 153, 0) },
        { "#fff", current },
        { "#ff99000", current },
        { "#gg9900", current },
        { "0x0000ff", MakeColorRef(255, 0, 0) }, // a number is a 0x00BBGGRR value
        { "255", MakeColorRef(255, 0, 0) },
        { "0xff0000", MakeColorRef(0, 0, 255) },
        { "0xFFFFFFFF", 0x00FFFFFF },
        { "red", MakeColorRef(255, 0, 0) },
        { "Red", current },
        { "RED", current },
        { "gold", MakeColorRef(255, 215, 0) },
        { "orange", MakeColorRef(255, 165, 0) },
        { "brown", MakeColorRef(165, 42, 42) },
        { "darkseagreen", MakeColorRef(143, 188, 143) },
        { "lightgrey", MakeColorRef(211, 211, 211) },
        { "lightgray", current },
        { "grey", current },
        { "darkgrey", current },
        { "rebeccapurple", current },
        { " red", current },
    };
    for (const ColorCase& c : cases)
        EXPECT_EQ(ReadColorValue(QString::fromUtf8(c.m_text), current, m_context), c.m_expected)
            << '"' << c.m_text << '"';
}

TEST_F(HtmlValuesTest, DisabledColoursTurnEveryColourIntoTheDisabledOne)
{
    m_context.m_colorsEnabled = false;
    m_context.m_disabledColor = 0x00A0A0A0;
    for (const char16_t* text : { u"red", u"#ff0000", u"0x00ff00", u"", u"Nonsense" })
        EXPECT_EQ(ReadColorValue(QString::fromUtf16(text), 0x123456, m_context), 0x00A0A0A0u);
}

// The 140 names, each checked against Qt's table of the same (SVG/CSS) colours.
TEST_F(HtmlValuesTest, NamedColoursHaveTheirCssValues)
{
    const char* const names[] = {
        "aqua", "black", "blue", "brown", "cyan", "gold", "gray", "green", "magenta", "maroon", "navy", "olive",
        "orange", "pink", "purple", "red", "silver", "snow", "violet", "white", "yellow", "aliceblue",
        "antiquewhite", "aquamarine", "azure", "beige", "bisque", "blanchedalmond", "blueviolet", "burlywood",
        "cadetblue", "chartreuse", "chocolate", "coral", "cornflowerblue", "cornsilk", "crimson", "darkblue",
        "darkcyan", "darkgoldenrod", "darkgray", "darkgreen", "darkkhaki", "darkmagenta", "darkolivegreen",
        "darkorange", "darkorchid", "darkred", "darksalmon", "darkseagreen", "darkslateblue", "darkslategray",
        "darkturquoise", "darkviolet", "deeppink", "deepskyblue", "dimgray", "dodgerblue", "firebrick",
        "floralwhite", "forestgreen", "fuchsia", "gainsboro", "ghostwhite", "goldenrod", "greenyellow",
        "honeydew", "hotpink", "indianred", "indigo", "ivory", "khaki", "lavender", "lavenderblush", "lawngreen",
        "lemonchiffon", "lightblue", "lightcoral", "lightcyan", "lightgoldenrodyellow", "lightgreen", "lightgrey",
        "lightpink", "lightsalmon", "lightseagreen", "lightskyblue", "lightslategray", "lightsteelblue",
        "lightyellow", "lime", "limegreen", "linen", "mediumaquamarine", "mediumblue", "mediumorchid",
        "mediumpurple", "mediumseagreen", "mediumslateblue", "mediumspringgreen", "mediumturquoise",
        "mediumvioletred", "midnightblue", "mintcream", "mistyrose", "moccasin", "navajowhite", "oldlace",
        "olivedrab", "orangered", "orchid", "palegoldenrod", "palegreen", "paleturquoise", "palevioletred",
        "papayawhip", "peachpuff", "peru", "plum", "powderblue", "rosybrown", "royalblue", "saddlebrown", "salmon",
        "sandybrown", "seagreen", "seashell", "sienna", "skyblue", "slateblue", "slategray", "springgreen",
        "steelblue", "tan", "teal", "thistle", "tomato", "turquoise", "wheat", "whitesmoke", "yellowgreen",
    };
    ASSERT_EQ(std::size(names), 140u);
    for (const char* name : names) {
        const QColor css = QColor::fromString(QString::fromUtf8(name));
        ASSERT_TRUE(css.isValid()) << name;
        const auto found = m_colors.Find(QString::fromUtf8(name));
        ASSERT_TRUE(found.has_value()) << name;
        EXPECT_EQ(*found, MakeColorRef(css.red(), css.green(), css.blue())) << name;
    }
}

TEST(HtmlColorTable, SystemColourNamesReadTheSystemColoursWhenBuilt)
{
    // Distinct palette colours, so a name mapped to the wrong system colour shows.
    struct PaletteRestorer
    {
        QPalette m_saved = QGuiApplication::palette();
        ~PaletteRestorer() { QGuiApplication::setPalette(m_saved); }
    } restorer;
    QPalette palette;
    int shade = 10;
    for (const QPalette::ColorRole role :
         { QPalette::Base, QPalette::Text, QPalette::Window, QPalette::WindowText, QPalette::Highlight,
           QPalette::HighlightedText, QPalette::Button, QPalette::ButtonText, QPalette::Dark, QPalette::Light,
           QPalette::Shadow, QPalette::Midlight, QPalette::ToolTipBase, QPalette::ToolTipText,
           QPalette::PlaceholderText }) {
        palette.setColor(role, QColor(shade, 255 - shade, shade / 2));
        shade += 13;
    }
    QGuiApplication::setPalette(palette);
    const HtmlColorTable colors;

    // Windows colour indexes: COLOR_SCROLLBAR is 0 ... COLOR_INFOBK is 24.
    const std::pair<const char*, int> names[] = {
        { "activeborder", 10 },    { "activecaption", 2 },        { "appworkspace", 12 },   { "background", 1 },
        { "buttonface", 15 },      { "buttonhighlight", 20 },     { "buttonshadow", 16 },   { "buttontext", 18 },
        { "captiontext", 9 },      { "graytext", 17 },            { "highlight", 13 },      { "highlighttext", 14 },
        { "inactiveborder", 11 },  { "inactivecaption", 3 },      { "inactivecaptiontext", 19 },
        { "infobackground", 24 },  { "infotext", 23 },            { "menu", 4 },            { "menutext", 7 },
        { "scrollbar", 0 },        { "threeddarkshadow", 21 },    { "threedface", 15 },     { "threedhighlight", 20 },
        { "threedlightshadow", 22 }, { "threedshadow", 16 },      { "window", 5 },          { "windowframe", 6 },
        { "windowtext", 8 },
    };
    for (const auto& [name, index] : names) {
        const auto found = colors.Find(QString::fromUtf8(name));
        ASSERT_TRUE(found.has_value()) << name;
        EXPECT_EQ(*found, GetSysColor(index)) << name;
    }
    EXPECT_FALSE(colors.Find(u"ButtonFace").has_value());
}

TEST(HtmlValueWords, Weights)
{
    const std::pair<const char*, int> cases[] = {
        { "", 400 },       { "normal", 400 }, { "bold", 700 },  { "bolder", 900 }, { "lighter", 100 },
        { "600", 600 },    { "550x", 550 },   { "heavy", 0 },   { "Bold", 0 },
    };
    for (const auto& [text, weight] : cases)
        EXPECT_EQ(ReadWeightValue(QString::fromUtf8(text)), weight) << '"' << text << '"';
}

TEST(HtmlValueWords, FontStyleAlignmentsAndTransform)
{
    EXPECT_FALSE(ReadFontStyle(u"", true));
    EXPECT_FALSE(ReadFontStyle(u"normal", true));
    EXPECT_TRUE(ReadFontStyle(u"italic", false));
    EXPECT_TRUE(ReadFontStyle(u"oblique", false));
    EXPECT_TRUE(ReadFontStyle(u"slanted", true));

    EXPECT_EQ(ReadHorizontalAlign(u"", kAlignRight), kAlignLeft);
    EXPECT_EQ(ReadHorizontalAlign(u"center", kAlignLeft), kAlignCenter);
    EXPECT_EQ(ReadHorizontalAlign(u"right", kAlignLeft), kAlignRight);
    EXPECT_EQ(ReadHorizontalAlign(u"justify", kAlignCenter), kAlignCenter); // only the tag justifies
    EXPECT_EQ(ReadHorizontalAlign(u"Center", kAlignLeft), kAlignLeft);

    EXPECT_EQ(ReadVerticalAlign(u"", kAlignTop), kAlignBaseline);
    EXPECT_EQ(ReadVerticalAlign(u"middle", kAlignTop), kAlignMiddle);
    EXPECT_EQ(ReadVerticalAlign(u"vcenter", kAlignTop), kAlignMiddle);
    EXPECT_EQ(ReadVerticalAlign(u"top", kAlignBottom), kAlignTop);
    EXPECT_EQ(ReadVerticalAlign(u"bottom", kAlignTop), kAlignBottom);
    EXPECT_EQ(ReadVerticalAlign(u"sideways", kAlignTop), kAlignTop);

    EXPECT_EQ(ReadTextTransform(u"", kTransformUpper), kTransformNone);
    EXPECT_EQ(ReadTextTransform(u"uppercase", kTransformNone), kTransformUpper);
    EXPECT_EQ(ReadTextTransform(u"lowercase", kTransformNone), kTransformLower);
    EXPECT_EQ(ReadTextTransform(u"capitalize", kTransformNone), kTransformCapitalize);
    EXPECT_EQ(ReadTextTransform(u"smallcaps", kTransformLower), kTransformLower);
}

TEST_F(HtmlValuesTest, BorderWidthsAndStyles)
{
    EXPECT_EQ(ReadBorderWidth(u"thin", 4, m_context), 3);
    EXPECT_EQ(ReadBorderWidth(u"thin", 2, m_context), 2); // 1.5 rounded
    EXPECT_EQ(ReadBorderWidth(u"thick", 4, m_context), 5);
    EXPECT_EQ(ReadBorderWidth(u"thick", 2, m_context), 3); // 2.5 rounded
    EXPECT_EQ(ReadBorderWidth(u"medium", 4, m_context), 4);
    EXPECT_EQ(ReadBorderWidth(u"3px", 4, m_context), 3);
    EXPECT_EQ(ReadBorderWidth(u"", 4, m_context), 4);

    const std::pair<const char*, BorderStyle> styles[] = {
        { "", kBorderNone },         { "none", kBorderNone },     { "solid", kBorderSolid },
        { "dashed", kBorderDashed }, { "dotted", kBorderDotted }, { "double", kBorderDouble },
        { "groove", kBorderDotted }, // unknown: the current style
    };
    for (const auto& [text, style] : styles)
        EXPECT_EQ(ReadBorderStyle(QString::fromUtf8(text), kBorderDotted), style) << '"' << text << '"';
}

TEST_F(HtmlValuesTest, EffectNamesAndNumbers)
{
    const std::pair<const char*, int> effects[] = {
        { "transparent", -1 }, { "solid", 0 },     { "hgradient", 1 },   { "vgradient", 2 },  { "hcgradient", 3 },
        { "vcgradient", 4 },   { "3hgradient", 5 }, { "3vgradient", 6 }, { "noise", 7 },      { "diagshade", 8 },
        { "hshade", 9 },       { "vshade", 10 },   { "hbump", 11 },      { "vbump", 12 },     { "softbump", 13 },
        { "hardbump", 14 },    { "metal", 15 },    { "9", 9 },           { "0x0c", 12 },      { "", 4 },
        { "Metal", 4 },        { "glow", 4 },
    };
    for (const auto& [text, effect] : effects)
        EXPECT_EQ(ReadEffectValue(QString::fromUtf8(text), 4, m_context), effect) << '"' << text << '"';
}

TEST_F(HtmlValuesTest, BorderWidthAndStyleKeepEachOtherSensible)
{
    TextStyle style;
    ApplyBorderWidth(u"2", style, m_context);
    EXPECT_EQ(style.m_borderStyle, kBorderSolid); // a width without a style is solid
    EXPECT_EQ(style.m_borderWidth, 2);
    ApplyBorderStyle(u"dashed", style);
    EXPECT_EQ(style.m_borderStyle, kBorderDashed);
    EXPECT_EQ(style.m_borderWidth, 2);
    ApplyBorderWidth(u"0", style, m_context);
    EXPECT_EQ(style.m_borderStyle, kBorderNone); // no width, no style
    ApplyBorderStyle(u"dotted", style);
    EXPECT_EQ(style.m_borderWidth, 1); // a style without a width gets one pixel
    ApplyBorderStyle(u"none", style);
    EXPECT_EQ(style.m_borderStyle, kBorderNone);
    EXPECT_EQ(style.m_borderWidth, 1);
}

TEST(ReadCNumber, ReadsCNotation)
{
    std::uint32_t value = 77;
    EXPECT_FALSE(ReadCNumber(u"", value));
    EXPECT_FALSE(ReadCNumber(u"x1", value));
    EXPECT_FALSE(ReadCNumber(u" 1", value));
    EXPECT_EQ(value, 77u);
    ASSERT_TRUE(ReadCNumber(u"0x1A2b", value));
    EXPECT_EQ(value, 0x1A2Bu);
    ASSERT_TRUE(ReadCNumber(u"0X10", value));
    EXPECT_EQ(value, 16u);
    ASSERT_TRUE(ReadCNumber(u"0x", value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(ReadCNumber(u"0777", value));
    EXPECT_EQ(value, 511u);
    ASSERT_TRUE(ReadCNumber(u"42px", value));
    EXPECT_EQ(value, 42u);
    ASSERT_TRUE(ReadCNumber(u"123456789012", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

} // namespace
