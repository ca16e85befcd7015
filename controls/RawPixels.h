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

// The rows of the painter's pixels under an area (in the painter's coordinates)
// when they can be changed in place: the painter paints, unclipped and with at
// most a translation, on an RGB32 or ARGB32 QImage that holds the whole area.
struct DirectRows
{
    std::uint8_t* first;
    qsizetype stride;
};
std::optional<DirectRows> FindDirectRows(const QPainter& painter, const QRect& area);

// The painter's pixels under an area (in the painter's coordinates) as 32-bit
// 0xAARRGGBB rows, for operations that read the target back. Valid only when the
// painter paints on a QImage with at most a translation. Where FindDirectRows
// finds them, the rows are the image's own; otherwise they are a copy (pixels
// outside the device read as 0) that Commit() copies back through the painter.
class TargetArea
{
public:
    TargetArea(QPainter& painter, const QRect& area);
    TargetArea(const TargetArea&) = delete;
    TargetArea& operator=(const TargetArea&) = delete;

    bool IsValid() const { return m_rows != nullptr; }
    std::uint32_t* Row(int y) { return reinterpret_cast<std::uint32_t*>(m_rows + y * m_stride); }
    void Commit();

private:
    QPainter& m_painter;
    QRect m_area;
    QImage m_copy;
    std::uint8_t* m_rows = nullptr;
    qsizetype m_stride = 0;
};

// Combines image with the painter's pixels at topLeft through a raster operation.
void DrawWithRasterOp(QPainter& painter, const QPoint& topLeft, const QImage& image, QPainter::CompositionMode op);

} // namespace rawpixels
