#pragma once
// Readers of the values that tags, style-sheet rules and table attributes take.
// Each gets the current value and returns it unchanged when the text is empty or
// not understood, unless its own rule says otherwise.

#include "richtext/HtmlMarkup.h"

#include <QStringView>

#include <cstdint>

class HtmlColorTable;

// What a value depends on besides its text: the surface's vertical resolution, the
// font made from the current style, and the colour settings of the renderer.
struct HtmlValueContext
{
    int m_dpi = 96; // off-screen surfaces
    int m_fontHeight = 16;
    int m_fontXHeight = 16; // height of the letter "x" in the current font
    const HtmlColorTable* m_colors = nullptr;
    bool m_colorsEnabled = true;
    ColorRef m_disabledColor = 0; // every colour while colours are disabled
};

// The value of the character as an ASCII digit of the base (at most 16), or -1.
int DigitValue(QChar c, int base);

// Reads an unsigned number in C notation at the start of the text ("0x" hexadecimal,
// a leading 0 octal, else decimal), up to the first character that is no digit of
// it. False when the text does not start with a digit. Saturates at 0xFFFFFFFF.
bool ReadCNumber(QStringView text, std::uint32_t& value);

enum class SizeKind
{
    Pixels,
    HtmlSizes, // a plain 1 to 7 is one of the classic HTML font sizes
};

// Size value in pixels: "%" of the current value, a number with a unit (px, ex, em,
// in, cm, mm, pt, pc) or a plain number. Results saturate at the int range.
int ReadSizeValue(QStringView text, int current, const HtmlValueContext& context,
                  SizeKind kind = SizeKind::Pixels);
// As above; false (and value untouched) when the text is empty or not a size.
bool TryReadSizeValue(QStringView text, int current, const HtmlValueContext& context, SizeKind kind,
                      int& value);

// A size that may be given as a percentage ("50%") instead of pixels.
struct SizeOrPercent
{
    int m_value = 100;
    bool m_percent = true;

    bool operator==(const SizeOrPercent&) const = default;
};
SizeOrPercent ReadSizeOrPercent(QStringView text, SizeOrPercent current, const HtmlValueContext& context);

// "#rrggbb", a C-notation number (0x00BBGGRR) or a colour name.
ColorRef ReadColorValue(QStringView text, ColorRef current, const HtmlValueContext& context);

// "normal" (or empty), "bold", "bolder", "lighter", else the leading number (0 when none).
int ReadWeightValue(QStringView text);

bool ReadFontStyle(QStringView text, bool currentItalic);
HorizontalAlign ReadHorizontalAlign(QStringView text, HorizontalAlign current);
VerticalAlign ReadVerticalAlign(QStringView text, VerticalAlign current);
TextTransform ReadTextTransform(QStringView text, TextTransform current);
// Words separated by spaces or commas: "none", "underline", "line-through", "overline".
void ApplyTextDecoration(QStringView text, TextStyle& style);
// "thin" and "thick" scale the current width; "medium" keeps it; else a size value.
int ReadBorderWidth(QStringView text, int current, const HtmlValueContext& context);
BorderStyle ReadBorderStyle(QStringView text, BorderStyle current);
// An effect name, or else a number read as a size value.
int ReadEffectValue(QStringView text, int current, const HtmlValueContext& context);

// Border width and style keep each other sensible: no width means no style, a width
// without a style is solid, and a style without a width is one pixel wide.
void ApplyBorderWidth(QStringView text, TextStyle& style, const HtmlValueContext& context);
void ApplyBorderStyle(QStringView text, TextStyle& style);
// "transparent" makes the background transparent; any other value makes it opaque
// in that colour, unless colours are disabled, which keeps backgrounds transparent.
void ApplyBackgroundColor(QStringView text, TextStyle& style, const HtmlValueContext& context);
