// Bitmaps, icons and strip cells with colour effects, transparency, per-pixel
// alpha and drop shadows; tiling.
#include "controls/DrawingEffects.h"
#include "controls/RawPixels.h"

#include <QPainter>

#include <algorithm>

using namespace rawpixels;

namespace {

constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr ColorRef kBlack = 0x00000000;
// Replace every image pixel, then invert: a silhouette in the inverse colour on white.
constexpr std::uint32_t kMaskFlags = kImageEffectReplace | kImageEffectInvert;

struct Rgb
{
    int r;
    int g;
    int b;
};

// The colour effects grey, darker, lighter and replace, in that order. Integer
// arithmetic gives the exact truncation of the weighted sums.
Rgb ApplyColourEffects(Rgb c, std::uint32_t flags, std::uint32_t replacement)
{
    if (flags & kImageEffectGray) {
        const int grey = (299 * c.r + 587 * c.g + 114 * c.b) / 1000;
        c = {grey, grey, grey};
    }
    if (flags & kImageEffectDarker)
        c = {c.r * 3 / 4, c.g * 3 / 4, c.b * 3 / 4};
    if (flags & kImageEffectLighter)
        c = {std::min(255, c.r * 5 / 4), std::min(255, c.g * 5 / 4), std::min(255, c.b * 5 / 4)};
    if (flags & kImageEffectReplace)
        c = {static_cast<int>((replacement >> 16) & 0xFF), static_cast<int>((replacement >> 8) & 0xFF),
             static_cast<int>(replacement & 0xFF)};
    return c;
}

} // namespace

IconInfo IconFromImage(const QImage& image)
{
    IconInfo icon;
    if (image.isNull())
        return icon;
    icon.hotSpot = QPoint(image.width() / 2, image.height() / 2);
    icon.mask = QImage(image.size(), QImage::Format_RGB32);
    if (!image.hasAlphaChannel()) {
        icon.color = image.convertToFormat(QImage::Format_RGB32);
        icon.mask.fill(Qt::black);
        return icon;
    }
    icon.color = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* colour = reinterpret_cast<std::uint32_t*>(icon.color.scanLine(y));
        auto* mask = reinterpret_cast<std::uint32_t*>(icon.mask.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool transparent = (colour[x] >> 24) == 0;
            if (transparent)
                colour[x] = 0;
            mask[x] = transparent ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
    return icon;
}

QImage CPPDrawManager::BuildEffectImage(const QImage& bitmap, int width, int height, std::uint32_t flags,
                                        bool useTransparent, ColorRef transparentColour, ColorRef colour)
{
    if (bitmap.isNull())
        return {};
    QImage image = CopyRaw32(bitmap, width, height);
    if (image.isNull())
        return image;
    const std::uint32_t transparent = PixelOf(transparentColour);
    const std::uint32_t replacement = PixelOf(colour);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const std::uint32_t pixel = row[x];
            const std::uint32_t alpha = pixel & 0xFF000000u;
            if (alpha != 0)
                m_alphaSeen = true;
            Rgb c{0, 0, 0};
            if (!useTransparent || pixel != transparent)
                c = ApplyColourEffects({static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
                                        static_cast<int>(pixel & 0xFF)},
                                       flags, replacement);
            if (flags & kImageEffectInvert)
                c = {255 - c.r, 255 - c.g, 255 - c.b};
            row[x] = alpha | (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) |
                     static_cast<std::uint32_t>(c.b);
        }
    }
    return image;
}

void CPPDrawManager::DrawMaskedImage(QPainter& dc, int x, int y, int width, int height, const QImage& image,
                                     const QImage& mask)
{
    if (m_alphaSeen) {
        BlendByAlpha(image, dc, x, y, width, height);
        return;
    }
    DrawWithRasterOp(dc, {x, y}, OpaqueCopy(CopyRaw32(mask, width, height)),
                     QPainter::RasterOp_SourceAndDestination);
    DrawWithRasterOp(dc, {x, y}, OpaqueCopy(image), QPainter::RasterOp_SourceOrDestination);
}

QPoint CPPDrawManager::PlaceWithShadow(QPainter& dc, const QRect& box, const QImage& shape, bool useTransparent,
                                       ColorRef transparentColour, std::uint32_t flags, bool offsetMode,
                                       const QPoint& offset, const QSize& blur, ColorRef colour)
{
    if (!offsetMode)
        return box.topLeft();
    if (!(flags & (kImageEffectShadow | kImageEffectSoftShadow)))
        return box.topLeft() + offset;
    // The shadow mask takes the colour where the image is and is white elsewhere.
    const QImage shadowMask = BuildEffectImage(shape, box.width(), box.height(), kMaskFlags, useTransparent,
                                               transparentColour, colour ^ kWhite);
    PaintShadow(dc, box.x() + offset.x(), box.y() + offset.y(), box.width(), box.height(), shadowMask,
                (flags & kImageEffectSoftShadow) != 0, blur.width(), blur.height());
    return box.topLeft();
}

void CPPDrawManager::PaintImage(QPainter& dc, int x, int y, int width, int height, const QImage& bitmap,
                                bool useTransparent, ColorRef transparentColour, std::uint32_t flags,
                                bool offsetMode, int shadowDx, int shadowDy, int blurWidth, int blurHeight,
                                ColorRef colour)
{
    m_alphaSeen = false;
    if (bitmap.isNull() || width <= 0 || height <= 0)
        return;
    const QImage sized = StretchRaw32(ToRaw32(bitmap), width, height);
    if (sized.isNull())
        return;
    const QImage mask = BuildEffectImage(sized, width, height, kMaskFlags, useTransparent, transparentColour, kWhite);
    const QImage image = BuildEffectImage(sized, width, height, flags, useTransparent, transparentColour, colour);
    const QPoint at = PlaceWithShadow(dc, QRect(x, y, width, height), sized, useTransparent, transparentColour, flags,
                                      offsetMode, QPoint(shadowDx, shadowDy), QSize(blurWidth, blurHeight), colour);
    DrawMaskedImage(dc, at.x(), at.y(), width, height, image, mask);
}

void CPPDrawManager::PaintIcon(QPainter& dc, int x, int y, int width, int height, const IconInfo& icon,
                               std::uint32_t flags, bool offsetMode, int shadowDx, int shadowDy, int blurWidth,
                               int blurHeight, ColorRef colour)
{
    m_alphaSeen = false;
    if (icon.color.isNull() || icon.mask.isNull() || width <= 0 || height <= 0)
        return;
    const IconInfo sized = QSize(width, height) == QueryIconSize(icon) ? icon : ResizeIcon(icon, width, height);
    if (sized.color.isNull() || sized.mask.isNull())
        return;
    // A replaced icon is built from its mask, so the whole covered shape takes the colour.
    const QImage image = (flags & kImageEffectReplace)
                             ? BuildEffectImage(sized.mask, width, height, flags, true, kWhite, colour)
                             : BuildEffectImage(sized.color, width, height, flags, true, kBlack, colour);
    const QPoint at = PlaceWithShadow(dc, QRect(x, y, width, height), sized.mask, true, kWhite, flags, offsetMode,
                                      QPoint(shadowDx, shadowDy), QSize(blurWidth, blurHeight), colour);
    DrawMaskedImage(dc, at.x(), at.y(), width, height, image, sized.mask);
}

void CPPDrawManager::PaintImageCell(QPainter& dc, int x, int y, int width, int height, const QImage& strip,
                                    int index, int cellWidth, int cellHeight, bool useTransparent,
                                    ColorRef transparentColour, std::uint32_t flags, bool offsetMode, int shadowDx,
                                    int shadowDy, int blurWidth, int blurHeight, ColorRef colour)
{
    m_alphaSeen = false;
    if (strip.isNull() || cellWidth <= 0 || cellHeight <= 0 || index < 0)
        return;
    const int columns = strip.width() / cellWidth;
    const int rows = strip.height() / cellHeight;
    if (columns == 0 || rows == 0 || index >= columns * rows)
        return;
    const QImage cell =
        strip.copy(cellWidth * (index % columns), cellHeight * (index / columns), cellWidth, cellHeight);
    PaintImage(dc, x, y, width, height, cell, useTransparent, transparentColour, flags, offsetMode, shadowDx,
               shadowDy, blurWidth, blurHeight, colour);
}

void CPPDrawManager::BlendByAlpha(const QImage& source, QPainter& target, int x, int y, int width, int height)
{
    if (source.isNull() || width <= 0 || height <= 0)
        return;
    const QImage from = CopyRaw32(source, width, height);
    TargetArea area(target, QRect(x, y, width, height));
    if (from.isNull() || !area.IsValid())
        return;
    for (int row = 0; row < height; ++row) {
        const auto* s = reinterpret_cast<const std::uint32_t*>(from.constScanLine(row));
        std::uint32_t* t = area.Row(row);
        for (int column = 0; column < width; ++column) {
            const std::uint32_t a = s[column] >> 24;
            std::uint32_t out = t[column] & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t sc = (s[column] >> shift) & 0xFF;
                const std::uint32_t tc = (t[column] >> shift) & 0xFF;
                out |= ((sc * a + tc * (255 - a)) / 255) << shift;
            }
            t[column] = out;
        }
    }
    area.Commit();
}

IconInfo CPPDrawManager::ResizeIcon(const IconInfo& icon, int width, int height)
{
    IconInfo resized;
    if (width <= 0 || height <= 0)
        return resized;
    // A new icon always has its hot spot at the centre.
    resized.hotSpot = QPoint(width / 2, height / 2);
    resized.mask = StretchRaw32(ToRaw32(icon.mask), width, height);
    resized.color = StretchRaw32(ToRaw32(icon.color), width, height);
    return resized;
}

QSize CPPDrawManager::QueryIconSize(const IconInfo& icon) const
{
    return {2 * icon.hotSpot.x(), 2 * icon.hotSpot.y()};
}

QSize CPPDrawManager::QueryBitmapSize(const QImage& bitmap) const
{
    return bitmap.size();
}

void CPPDrawManager::TileImage(QPainter& target, int left, int top, int width, int height, const QImage& tile,
                               int tileWidth, int tileHeight)
{
    if (tile.isNull() || tileWidth <= 0 || tileHeight <= 0 || width <= 0 || height <= 0)
        return;
    target.save();
    target.setCompositionMode(QPainter::CompositionMode_Source);
    for (int x = 0; x < width; x += tileWidth) {
        for (int y = 0; y < height; y += tileHeight) {
            const QRect part(0, 0, std::min(tileWidth, width - x), std::min(tileHeight, height - y));
            target.drawImage(QPoint(left + x, top + y), tile, part);
        }
    }
    target.restore();
}
