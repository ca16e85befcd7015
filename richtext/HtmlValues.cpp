// Readers of markup values: sizes, colours, weights, alignments, borders and effects.
#include "richtext/HtmlValues.h"

#include "richtext/HtmlColors.h"

#include <array>
#include <climits>
#include <cstdint>

namespace {

constexpr std::uint32_t kNumberLimit = 0xFFFFFFFFu;
constexpr ColorRef kColorMask = 0x00FFFFFFu;
constexpr std::array<int, 7> kHtmlFontSizes = { 8, 10, 12, 14, 18, 24, 36 };

struct EffectName
{
    QStringView m_name;
    int m_effect;
};

constexpr std::array<EffectName, 17> kEffectNames = { {
    { u"transparent", kNoEffect },
    { u"solid", 0 },
    { u"hgradient", 1 },
    { u"vgradient", 2 },
    { u"hcgradient", 3 },
    { u"vcgradient", 4 },
    { u"3hgradient", 5 },
    { u"3vgradient", 6 },
    { u"noise", 7 },
    { u"diagshade", 8 },
    { u"hshade", 9 },
    { u"vshade", 10 },
    { u"hbump", 11 },
    { u"vbump", 12 },
    { u"softbump", 13 },
    { u"hardbump", 14 },
    { u"metal", 15 },
} };

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Accumulates digits of the base from pos on; the value saturates.
std::uint32_t ReadDigits(QStringView text, qsizetype pos, int base, qsizetype* end = nullptr)
{
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos], base);
        if (digit < 0)
            break;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > kNumberLimit)
            value = kNumberLimit;
    }
    if (end != nullptr)
        *end = pos;
    return static_cast<std::uint32_t>(value);
}

// The leading decimal digits; false when there are none.
bool ReadLeadingDecimal(QStringView text, std::uint32_t& value)
{
    qsizetype end = 0;
    value = ReadDigits(text, 0, 10, &end);
    return end > 0;
}

int Saturate(std::int64_t value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::int64_t Multiply(std::int64_t a, std::int64_t b)
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return (a < 0) != (b < 0) ? INT64_MIN : INT64_MAX;
    return product;
}

// a / b rounded half away from zero, b > 0.
std::int64_t RoundedDivide(std::int64_t a, std::int64_t b)
{
    if (a >= 0)
        return (a / b) + ((a % b) * 2 >= b ? 1 : 0);
    return -RoundedDivide(-a, b);
}

int Percent(int current, std::int64_t percent)
{
    return Saturate(RoundedDivide(Multiply(current, percent), 100));
}

QStringView WithoutSign(QStringView text)
{
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-'))
        return text.sliced(1);
    return text;
}

// A number followed by one of the two-letter units; false for any other text.
bool TryReadUnit(QStringView text, const HtmlValueContext& context, int& value)
{
    if (text.size() < 2)
        return false;
    const QStringView unit = text.last(2);
    std::int64_t perUnit = 0;
    std::int64_t divisor = 1;
    if (unit == u"px") {
        perUnit = 1;
    } else if (unit == u"ex") {
        perUnit = context.m_fontXHeight;
    } else if (unit == u"em") {
        perUnit = context.m_fontHeight;
    } else if (unit == u"in") {
        perUnit = context.m_dpi;
    } else if (unit == u"cm") {
        perUnit = Multiply(context.m_dpi, 100); // dpi / 2.54, kept exact in integers
        divisor = 254;
    } else if (unit == u"mm") {
        perUnit = Multiply(context.m_dpi, 10);
        divisor = 254;
    } else if (unit == u"pt") {
        perUnit = context.m_dpi;
        divisor = 72;
    } else if (unit == u"pc") {
        perUnit = context.m_dpi;
        divisor = 6;
    } else {
        return false;
    }
    std::uint32_t number = 0;
    if (!ReadLeadingDecimal(text, number))
        return false;
    value = Saturate(Multiply(number, perUnit) / divisor);
    return true;
}

} // namespace

int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int digit = -1;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    return digit < base ? digit : -1;
}

bool ReadCNumber(QStringView text, std::uint32_t& value)
{
    if (text.isEmpty() || !IsAsciiDigit(text[0]))
        return false;
    if (text[0] != u'0') {
        value = ReadDigits(text, 0, 10);
    } else if (text.size() > 2 && (text[1] == u'x' || text[1] == u'X') && DigitValue(text[2], 16) >= 0) {
        value = ReadDigits(text, 2, 16);
    } else {
        value = ReadDigits(text, 1, 8); // "0x" without digits reads as 0, like "0"
    }
    return true;
}

bool TryReadSizeValue(QStringView text, int current, const HtmlValueContext& context, SizeKind kind, int& value)
{
    if (text.isEmpty())
        return false;
    if (text.endsWith(u'%')) {
        std::uint32_t percent = 0;
        if (!ReadLeadingDecimal(WithoutSign(text.chopped(1)), percent))
            return false;
        value = Percent(current, percent);
        return true;
    }
    const QStringView bare = WithoutSign(text);
    if (TryReadUnit(bare, context, value))
        return true;
    std::uint32_t number = 0;
    if (!ReadCNumber(bare, number))
        return false;
    if (kind == SizeKind::HtmlSizes && number >= 1 && number <= kHtmlFontSizes.size())
        value = kHtmlFontSizes[number - 1];
    else
        value = Saturate(number);
    return true;
}

int ReadSizeValue(QStringView text, int current, const HtmlValueContext& context, SizeKind kind)
{
    int value = current;
    (void)TryReadSizeValue(text, current, context, kind, value);
    return value;
}

SizeOrPercent ReadSizeOrPercent(QStringView text, SizeOrPercent current, const HtmlValueContext& context)
{
    std::uint32_t percent = 0;
    if (text.endsWith(u'%')) {
        if (ReadLeadingDecimal(WithoutSign(text.chopped(1)), percent))
            return { Saturate(percent), true };
        return current;
    }
    int pixels = 0;
    if (TryReadSizeValue(text, current.m_percent ? 0 : current.m_value, context, SizeKind::Pixels, pixels))
        return { pixels, false };
    return current;
}

ColorRef ReadColorValue(QStringView text, ColorRef current, const HtmlValueContext& context)
{
    if (!context.m_colorsEnabled)
        return context.m_disabledColor;
    if (text.isEmpty())
        return current;
    if (text[0] == u'#') {
        if (text.size() != 7)
            return current;
        int channels[3] = {};
        for (int i = 0; i < 3; ++i) {
            const int high = DigitValue(text[1 + 2 * i], 16);
            const int low = DigitValue(text[2 + 2 * i], 16);
            if (high < 0 || low < 0)
                return current;
            channels[i] = high * 16 + low;
        }
        return MakeColorRef(channels[0], channels[1], channels[2]);
    }
    std::uint32_t number = 0;
    if (ReadCNumber(text, number))
        return number & kColorMask; // the top byte of a colour value is always 0
    if (context.m_colors != nullptr) {
        if (const auto named = context.m_colors->Find(text))
            return *named;
    }
    return current;
}

int ReadWeightValue(QStringView text)
{
    if (text.isEmpty() || text == u"normal")
        return 400;
    if (text == u"bold")
        return 700;
    if (text == u"bolder")
        return 900;
    if (text == u"lighter")
        return 100;
    std::uint32_t weight = 0;
    (void)ReadLeadingDecimal(text, weight);
    return Saturate(weight);
}

bool ReadFontStyle(QStringView text, bool currentItalic)
{
    if (text.isEmpty() || text == u"normal")
        return false;
    if (text == u"italic" || text == u"oblique")
        return true;
    return currentItalic;
}

HorizontalAlign ReadHorizontalAlign(QStringView text, HorizontalAlign current)
{
    if (text.isEmpty() || text == u"left")
        return kAlignLeft;
    if (text == u"center")
        return kAlignCenter;
    if (text == u"right")
        return kAlignRight;
    return current;
}

VerticalAlign ReadVerticalAlign(QStringView text, VerticalAlign current)
{
    if (text.isEmpty() || text == u"baseline")
        return kAlignBaseline;
    if (text == u"middle" || text == u"vcenter")
        return kAlignMiddle;
    if (text == u"top")
        return kAlignTop;
    if (text == u"bottom")
        return kAlignBottom;
    return current;
}

TextTransform ReadTextTransform(QStringView text, TextTransform current)
{
    if (text.isEmpty() || text == u"none")
        return kTransformNone;
    if (text == u"uppercase")
        return kTransformUpper;
    if (text == u"lowercase")
        return kTransformLower;
    if (text == u"capitalize")
        return kTransformCapitalize;
    return current;
}

void ApplyTextDecoration(QStringView text, TextStyle& style)
{
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u' ' && text[end] != u',')
            ++end;
        const QStringView word = text.sliced(pos, end - pos);
        if (word == u"none") {
            style.m_underline = false;
            style.m_strikeOut = false;
            style.m_overline = false;
        } else if (word == u"underline") {
            style.m_underline = true;
        } else if (word == u"line-through") {
            style.m_strikeOut = true;
        } else if (word == u"overline") {
            style.m_overline = true;
        }
        pos = end + 1;
    }
}

int ReadBorderWidth(QStringView text, int current, const HtmlValueContext& context)
{
    if (text == u"thin")
        return Percent(current, 75);
    if (text == u"thick")
        return Percent(current, 125);
    if (text == u"medium")
        return current;
    return ReadSizeValue(text, current, context);
}

BorderStyle ReadBorderStyle(QStringView text, BorderStyle current)
{
    if (text.isEmpty() || text == u"none")
        return kBorderNone;
    if (text == u"solid")
        return kBorderSolid;
    if (text == u"dashed")
        return kBorderDashed;
    if (text == u"dotted")
        return kBorderDotted;
    if (text == u"double")
        return kBorderDouble;
    return current;
}

int ReadEffectValue(QStringView text, int current, const HtmlValueContext& context)
{
    for (const EffectName& effect : kEffectNames) {
        if (effect.m_name == text)
            return effect.m_effect;
    }
    return ReadSizeValue(text, current, context);
}

void ApplyBorderWidth(QStringView text, TextStyle& style, const HtmlValueContext& context)
{
    style.m_borderWidth = ReadBorderWidth(text, style.m_borderWidth, context);
    if (style.m_borderWidth == 0)
        style.m_borderStyle = kBorderNone;
    else if (style.m_borderStyle == kBorderNone)
        style.m_borderStyle = kBorderSolid;
}

void ApplyBorderStyle(QStringView text, TextStyle& style)
{
    style.m_borderStyle = ReadBorderStyle(text, style.m_borderStyle);
    // "none" itself needs no width; any drawn style needs at least one pixel.
    if (style.m_borderStyle != kBorderNone && style.m_borderWidth == 0)
        style.m_borderWidth = 1;
}

void ApplyBackgroundColor(QStringView text, TextStyle& style, const HtmlValueContext& context)
{
    if (text == u"transparent" || !context.m_colorsEnabled) {
        style.m_bgMode = kBackgroundTransparent;
        return;
    }
    style.m_bgMode = kBackgroundOpaque;
    style.m_bgColor = ReadColorValue(text, style.m_bgColor, context);
}
