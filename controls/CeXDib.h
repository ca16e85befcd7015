#pragma once
// An 8-bit palettised bitmap whose rows are addressed from the bottom, as the
// noise-type drawing effects compute them, drawn 1:1 onto a painter.

#include <QImage>

#include <cstdint>

class QPainter;
class QPoint;

class CCeXDib
{
public:
    static constexpr int kPaletteSize = 256;

    CCeXDib() = default;
    virtual ~CCeXDib() = default;

    // Makes the bitmap width x height with a black palette; its pixels are
    // undefined until written. False (and no bitmap) when a size is not positive
    // or the memory cannot be had.
    bool Create(int width, int height);
    bool IsValid() const { return !m_image.isNull(); }

    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    // Bytes from one stored row to the next: rows are padded to four bytes.
    static int RowStride(int width) { return ((width * 8 + 31) / 32) * 4; }

    // Row y counted from the bottom (0 is the bottom row), Width() bytes of
    // palette indices. Only valid while the bitmap exists.
    std::uint8_t* Row(int y) { return m_image.scanLine(m_image.height() - 1 - y); }
    const std::uint8_t* Row(int y) const { return m_image.constScanLine(m_image.height() - 1 - y); }

    void SetPaletteEntry(int index, int red, int green, int blue);
    QRgb PaletteEntry(int index) const { return m_image.color(index); }

    // Copies the bitmap 1:1 onto the painter with its top-left corner at topLeft,
    // replacing what was there.
    void Draw(QPainter& painter, const QPoint& topLeft) const;

private:
    QImage m_image;
};
