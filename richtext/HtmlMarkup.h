#pragma once
// HTML-subset markup: the text style record, text preparation, tokens, tags and
// their attributes. Nothing here draws; the renderer reads tokens and styles.

#include "platform/ColorRef.h"

#include <QList>
#include <QString>
#include <QStringView>

enum HorizontalAlign : int
{
    kAlignLeft = 0,
    kAlignCenter = 1,
    kAlignRight = 2,
    kAlignJustify = 3,
};

enum VerticalAlign : int
{
    kAlignTop = 0,
    kAlignMiddle = 1,
    kAlignBottom = 2,
    kAlignBaseline = 3,
};

enum BackgroundMode : int
{
    kBackgroundTransparent = 1,
    kBackgroundOpaque = 2,
};

enum BorderStyle : int
{
    kBorderNone = 0,
    kBorderSolid = 1,
    kBorderDashed = 2,
    kBorderDotted = 3,
    kBorderDouble = 6,
};

enum TextTransform : int
{
    kTransformNone = 0,
    kTransformUpper = 1,
    kTransformLower = 2,
    kTransformCapitalize = 3,
};

enum LinkKind : int
{
    kLinkNone = 0,
    kLinkAddress = 1,
    kLinkMessage = 2,
};

constexpr int kNoEffect = -1;

// The style in force at a point of the text. The renderer keeps one current record
// and a stack of saved ones; m_group names the tag that saved a record.
struct TextStyle
{
    QString m_group;
    int m_size = 16; // font cell height in pixels
    int m_weight = 400;
    bool m_italic = false;
    bool m_underline = false;
    bool m_strikeOut = false;
    bool m_overline = false;
    QString m_face = QStringLiteral("Verdana");
    ColorRef m_color = MakeColorRef(0, 0, 0);
    ColorRef m_bgColor = MakeColorRef(255, 255, 255);
    ColorRef m_borderColorLight = MakeColorRef(0, 0, 0);
    ColorRef m_borderColorDark = MakeColorRef(0, 0, 0);
    ColorRef m_bgMidColor = MakeColorRef(255, 255, 255);
    ColorRef m_bgEndColor = MakeColorRef(255, 255, 255);
    BackgroundMode m_bgMode = kBackgroundTransparent;
    int m_bgEffect = kNoEffect;
    QString m_bgImage;
    HorizontalAlign m_hAlign = kAlignLeft;
    VerticalAlign m_vAlign = kAlignBaseline;
    BorderStyle m_borderStyle = kBorderNone;
    int m_borderWidth = 0;
    int m_width = 0;  // explicit table cell width
    int m_height = 0; // explicit table cell height
    TextTransform m_textTransform = kTransformNone;
    int m_margin = 2;  // inner space of table cells
    int m_padding = 0; // space between table cells
    LinkKind m_linkKind = kLinkNone;
    QString m_linkText;

    bool operator==(const TextStyle&) const = default;
};

// Decodes the entities, drops carriage returns and, when convertBreaks is set, turns
// line feeds into "<br>" and tabs into "<t>". Runs once per text handed over.
QString PrepareHtmlText(const QString& text, bool convertBreaks = true);

// One token of prepared text. Text runs own their text ("<<" already reduced to
// "<"); tag views point into the text given to the tokenizer.
struct HtmlToken
{
    enum Kind
    {
        Text,
        Tag,
    };
    Kind m_kind = Text;
    QString m_text;
    QStringView m_tagText; // between "<" and ">"
};

// Reads prepared text into text runs and tags, in order. A run is everything
// between two tags; the text must outlive the tokenizer and its tokens.
class HtmlTokenizer
{
public:
    explicit HtmlTokenizer(QStringView text);
    // False at the end of the text.
    bool Next(HtmlToken& token);

private:
    bool HasCloseAfter(qsizetype pos);

    QStringView m_text;
    qsizetype m_pos = 0;
    qsizetype m_closePos = -1; // last ">" found, or -2 once none is left
};

// A tag split into its name and attribute text (views into the tag text).
struct HtmlTag
{
    QStringView m_name; // without the "/" of a closing tag
    bool m_closing = false;
    QStringView m_attributes;
    // "=" right after the name ("br=3") and the text after it.
    bool m_hasDirectValue = false;
    QStringView m_directValue;
};

HtmlTag ReadHtmlTag(QStringView tagText);

struct HtmlAttribute
{
    QString m_name;
    QString m_value; // quotes removed; empty without "="
};
using HtmlAttributes = QList<HtmlAttribute>;

// Reads the attributes of a tag in the order written.
HtmlAttributes ReadHtmlAttributes(QStringView attributeText);

// Scanning helpers of the markup readers; positions never pass the end of the text.
// Letters, digits and "." start names in attributes and the style sheet.
bool IsNameStart(QChar c);
qsizetype SkipToNameStart(QStringView text, qsizetype pos);
qsizetype SkipSpaces(QStringView text, qsizetype pos);
// The first of the two characters at or after pos, or the end of the text.
qsizetype FindEither(QStringView text, qsizetype pos, QChar a, QChar b);

enum class HtmlTagKind
{
    Container,
    Break,
    Tab,
    Rule,
    Image,
    String,
};

enum class HtmlTagEffect
{
    None,
    Bold,
    Italic,
    Underline,
    StrikeOut,
    Font,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    AlignBaseline,
    AlignTop,
    AlignMiddle,
    AlignBottom,
    SheetRule, // apply the style-sheet rule named like the tag
    Span,
    Link,
};

struct HtmlTagInfo
{
    QStringView m_name;
    QStringView m_group; // empty for empty elements
    HtmlTagKind m_kind;
    HtmlTagEffect m_effect;
};

// The tag of that exact name (lower case), or null for a name that is not a tag.
const HtmlTagInfo* FindHtmlTag(QStringView name);

// The run as it is measured and drawn under the given transform.
QString ApplyTextTransform(const QString& run, TextTransform transform);
