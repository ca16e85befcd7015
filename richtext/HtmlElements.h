#pragma once
// The attributes of the markup's elements: rules, images and strings, and tables,
// rows and cells. Read here; laid out and drawn by the renderer.

#include "richtext/HtmlMarkup.h"
#include "richtext/HtmlValues.h"

#include <cstdint>

// A horizontal rule: its thickness, its width in pixels or as a percentage of the
// area, and its colour.
struct HtmlHorizontalRule
{
    int m_thickness = 1;
    SizeOrPercent m_width;
    ColorRef m_color = 0;
};

// ruleStyle is the current style with the rule "hr" applied; it gives the colour.
HtmlHorizontalRule ReadHorizontalRule(const HtmlAttributes& attributes, const TextStyle& ruleStyle,
                          const HtmlValueContext& context);

// Image effects named by the letters of "style" and "hotstyle"; the colour bits are
// those of the drawing effects, the shadow is hard or soft as the renderer is set.
enum ImageEffect : unsigned
{
    kImageGrey = 0x0001,
    kImageDarker = 0x0002,
    kImageLighter = 0x0004,
    kImageShadow = 0x0100,
};

unsigned ReadImageEffects(QStringView letters);

constexpr ColorRef kDefaultMaskColor = MakeColorRef(255, 0, 255);

// What "bmp", "icon", "ilst" (and the resource id of "string") ask for. A resource
// id or handle of 0 and an empty file name mean not given.
struct HtmlImage
{
    int m_index = 0;
    int m_idres = 0;
    int m_iddll = 0;
    QString m_srcdll;
    std::uint64_t m_handle = 0;
    QString m_file;
    bool m_useMask = false;
    ColorRef m_mask = kDefaultMaskColor;
    unsigned m_effects = 0;
    unsigned m_hotEffects = 0; // inside the hovered link
    int m_cx = 0;
    int m_cy = 0;
    SizeOrPercent m_width;  // of the natural size by default
    SizeOrPercent m_height;
    int m_speed = 0; // accepted; strips are not animated
};

HtmlImage ReadImageAttributes(const HtmlAttributes& attributes, const HtmlValueContext& context);

enum class HtmlTablePart
{
    Table,
    Row,
    Cell,
};

// Spans are at least 1 and at most this, so a table's grid stays small.
constexpr int kMaxSpan = 256;

struct HtmlCellSpan
{
    int m_colSpan = 1;
    int m_rowSpan = 1;
};

// "colspan" and "rowspan" of a cell: numbers, 1 when missing or 0.
HtmlCellSpan ReadCellSpan(const HtmlAttributes& attributes);

// Reads the attributes of a table, row or cell into the style, which already holds
// the inherited style with the part's rule, and makes its borders consistent. For a
// cell the explicit width and height start at 0.
void ApplyTableAttributes(HtmlTablePart part, const HtmlAttributes& attributes, TextStyle& style,
                                  const HtmlValueContext& context);

// A style without width draws no border, a style other than solid is one pixel
// wide, and no style means no width; atMostOnePixel also caps a solid border.
void MakeBordersConsistent(TextStyle& style, bool atMostOnePixel);
