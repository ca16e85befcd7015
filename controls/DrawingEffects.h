#pragma once
// CPPDrawManager: the drawing toolbox of the rich message box and the HTML
// renderer. It paints rectangles with numbered background effects, draws bitmaps,
// icons and strip cells with colour effects, transparency, per-pixel alpha and
// drop shadows, and draws lines and frames in several pen styles.
//
// The painter stands in for a device context. Operations that read the target
// back (shadows and alpha blending) need a painter on a QImage with at most a
// translation; on any other device they draw nothing.

#include "controls/CeXDib.h"
#include "platform/ColorRef.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>

class QPainter;

// Background effect numbers.
enum BackgroundEffect : int
{
    kEffectTransparent = -1,
    kEffectSolid = 0,
    kEffectHGradient = 1,
    kEffectVGradient = 2,
    kEffectHCGradient = 3,
    kEffectVCGradient = 4,
    kEffect3HGradient = 5,
    kEffect3VGradient = 6,
    kEffectNoise = 7,
    kEffectDiagShade = 8,
    kEffectHShade = 9,
    kEffectVShade = 10,
    kEffectHBump = 11,
    kEffectVBump = 12,
    kEffectSoftBump = 13,
    kEffectHardBump = 14,
    kEffectMetal = 15,
};

// Image effect flags.
enum ImageEffect : std::uint32_t
{
    kImageEffectGray = 0x0001,
    kImageEffectDarker = 0x0002,
    kImageEffectLighter = 0x0004,
    kImageEffectReplace = 0x0008,
    kImageEffectShadow = 0x0100,
    kImageEffectSoftShadow = 0x0200,
    kImageEffectInvert = 0x8000,
};

// Pen types of lines and frames; any other value is solid.
enum PenType : int
{
    kPenSolid = 0,
    kPenDashed = 2,
    kPenDotted = 3,
    kPenDashDot = 4,
    kPenDashDotDot = 5,
    kPenDouble = 6,
};

// An icon as its two bitmaps: the colour bitmap (black, and alpha 0 where it has
// alpha, in transparent places) and the mask (white where transparent, black where
// the icon covers), with the hot spot at the centre.
struct IconInfo
{
    QPoint hotSpot;
    QImage mask;
    QImage color;
};

// An icon made from a picture: transparent where its alpha is 0.
IconInfo IconFromImage(const QImage& image);

class CPPDrawManager
{
public:
    CPPDrawManager() = default;
    virtual ~CPPDrawManager() = default;

    // Fills rect with effect number `effect` (other numbers paint solid; -1 paints
    // nothing). Granularity 0 to 255 sets the noise of the palette effects.
    void PaintBackgroundEffect(QPainter& dc, const QRect& rect, int effect, ColorRef begin, ColorRef middle,
                               ColorRef end, int granularity);

    // Draws the bitmap scaled to width x height at (x, y). Pixels equal to
    // transparentColour are left out when useTransparent is set. In offset mode a
    // shadow flag draws the shadow at (x + shadowDx, y + shadowDy); without one the
    // image itself moves there. `colour` is the replace colour and the shadow colour.
    void PaintImage(QPainter& dc, int x, int y, int width, int height, const QImage& bitmap, bool useTransparent,
                    ColorRef transparentColour, std::uint32_t flags, bool offsetMode, int shadowDx, int shadowDy,
                    int blurWidth, int blurHeight, ColorRef colour);

    // Draws the icon like PaintImage, resized first when its size differs.
    void PaintIcon(QPainter& dc, int x, int y, int width, int height, const IconInfo& icon, std::uint32_t flags,
                   bool offsetMode, int shadowDx, int shadowDy, int blurWidth, int blurHeight, ColorRef colour);

    // Draws cell `index` (row by row) of a strip of cellWidth x cellHeight cells;
    // nothing when the index is outside the strip.
    void PaintImageCell(QPainter& dc, int x, int y, int width, int height, const QImage& strip, int index,
                        int cellWidth, int cellHeight, bool useTransparent, ColorRef transparentColour,
                        std::uint32_t flags, bool offsetMode, int shadowDx, int shadowDy, int blurWidth,
                        int blurHeight, ColorRef colour);

    // Darkens the target area by the mask's blue bytes (255 leaves a pixel alone),
    // blurred over blurWidth x blurHeight when soft.
    void PaintShadow(QPainter& dc, int x, int y, int width, int height, const QImage& shadowMask, bool soft,
                     int blurWidth, int blurHeight);

    // A new width x height working image (Format_ARGB32, alpha bytes as the source
    // had them, 0 for bitmaps without alpha) with the colour effects of flags
    // applied; transparent pixels become 0 before the invert. Sets the alpha-seen
    // flag when any source pixel has a non-zero alpha byte.
    QImage BuildEffectImage(const QImage& bitmap, int width, int height, std::uint32_t flags, bool useTransparent,
                            ColorRef transparentColour, ColorRef colour);

    // Blends the source's top-left width x height by its own alpha onto the target at (x, y).
    void BlendByAlpha(const QImage& source, QPainter& target, int x, int y, int width, int height);

    // The icon with both bitmaps stretched to width x height; null bitmaps when the size is not positive.
    IconInfo ResizeIcon(const IconInfo& icon, int width, int height);
    // Twice the hot spot.
    QSize QueryIconSize(const IconInfo& icon) const;
    QSize QueryBitmapSize(const QImage& bitmap) const;

    // Copies the tile's top-left tileWidth x tileHeight over the area, column by
    // column from the left, each from the top, clipped at the right and bottom.
    void TileImage(QPainter& target, int left, int top, int width, int height, const QImage& tile, int tileWidth,
                   int tileHeight);

    // A frame on the pixels left..right, top..bottom inset by half the pen width:
    // left and top sides light, right and bottom dark; type 6 adds a second frame
    // twice the pen width further in. Nothing when penWidth is not positive.
    void PaintFrameLines(QPainter& dc, int left, int top, int right, int bottom, ColorRef light, ColorRef dark,
                         int penType, int penWidth);

    // A line from (x1, y1) to (x2, y2), the end point left out; type 6 adds a second
    // line twice the pen width below, to the right, or both for a slanted one.
    void PaintLine(QPainter& dc, int x1, int y1, int x2, int y2, ColorRef colour, int penType, int penWidth);

    bool AlphaSeen() const { return m_alphaSeen; }
    const CCeXDib& EffectBitmap() const { return m_effectBitmap; }

private:
    void PaintPaletteEffect(QPainter& dc, const QRect& rect, int effect, ColorRef begin, ColorRef middle,
                            ColorRef end, int granularity);
    // In offset mode with a shadow flag, paints the shadow of `shape` offset from the
    // box; returns where the image itself goes.
    QPoint PlaceWithShadow(QPainter& dc, const QRect& box, const QImage& shape, bool useTransparent,
                           ColorRef transparentColour, std::uint32_t flags, bool offsetMode, const QPoint& offset,
                           const QSize& blur, ColorRef colour);
    // Blends the image by its alpha when any was seen, else ANDs the mask and ORs the image.
    void DrawMaskedImage(QPainter& dc, int x, int y, int width, int height, const QImage& image, const QImage& mask);

    CCeXDib m_effectBitmap;
    bool m_alphaSeen = false;
};
