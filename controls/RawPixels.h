#pragma once
// Helpers of the drawing effects for 32-bit working images. A working image is a
// Format_ARGB32 QImage whose top byte is the bitmap's own alpha byte, never
// premultiplied: 0 for bitmaps that carry no alpha, so that "any pixel with a
// non-zero alpha byte" means the source really had per-pixel alpha.

#include "platform/ColorRef.h"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <optional>

namespace rawpixels {

// A colour value 0x00BBGGRR as a pixel 0x00RRGGBB.
constexpr std::uint32_t PixelOf(ColorRef colour)
{
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

// A zero-filled working image; null when the size is not positive.
QImage MakeRaw32(int width, int height);

// The source as a working image of its own size: sources without an alpha
// channel get alpha bytes 0, others keep their (unpremultiplied) alpha.
QImage ToRaw32(const QImage& source);

// A working image of width x height holding the source's top-left corner,
// zeros where the source is smaller.
QImage CopyRaw32(const QImage& source, int width, int height);

// The source stretched to width x height by picking the nearest source pixel,
// every 32 bits kept.
QImage StretchRaw32(const QImage& raw, int width, int height);

// The colour bits of a working image in an opaque image, for raster operations.
QImage OpaqueCopy(const QImage& raw);

// The painter's pixels under area (in the painter's coordinates) as Format_ARGB32,
// when it paints on a QImage with at most a translation; pixels outside the
// device read as 0. Empty otherwise.
std::optional<QImage> ReadTargetArea(const QPainter& painter, const QRect& area);

// Copies image onto the painter at topLeft, replacing what was there.
void WriteTargetArea(QPainter& painter, const QPoint& topLeft, const QImage& image);

// Combines image with the painter's pixels at topLeft through a raster operation.
void DrawWithRasterOp(QPainter& painter, const QPoint& topLeft, const QImage& image, QPainter::CompositionMode op);

} // namespace rawpixels
