// The 8-bit palettised effect bitmap.
#include "controls/CeXDib.h"

#include "controls/RawPixels.h"

#include <QPainter>

bool CCeXDib::Create(int width, int height)
{
    if (width <= 0 || height <= 0) {
        m_image = QImage();
        return false;
    }
    // A bitmap of the same size is reused: every pixel and palette entry is written
    // again, and repeated effects do not pay for fresh memory each time.
    if (m_image.isNull() || m_image.width() != width || m_image.height() != height) {
        m_image = QImage();
        QImage image(width, height, QImage::Format_Indexed8);
        if (image.isNull())
            return false;
        m_image = std::move(image);
    }
    // Palette entries carry a full alpha byte; with alpha 0 Qt would draw them as
    // nothing, which the bitmap's blue-green-red-zero entries never mean.
    m_image.setColorTable(QList<QRgb>(kPaletteSize, qRgb(0, 0, 0)));
    return true;
}

void CCeXDib::SetPaletteEntry(int index, int red, int green, int blue)
{
    if (IsValid() && index >= 0 && index < kPaletteSize)
        m_image.setColor(index, qRgb(red, green, blue));
}

void CCeXDib::Draw(QPainter& painter, const QPoint& topLeft) const
{
    if (!IsValid())
        return;
    // On a plain 32-bit image the palette is looked up straight into the target,
    // which spares Qt's conversion of the whole bitmap.
    if (const auto direct = rawpixels::FindDirectRows(painter, QRect(topLeft, m_image.size()))) {
        const QList<QRgb> palette = m_image.colorTable();
        const QRgb* table = palette.constData();
        for (int y = 0; y < m_image.height(); ++y) {
            const std::uint8_t* from = m_image.constScanLine(y);
            auto* to = reinterpret_cast<std::uint32_t*>(direct->first + y * direct->stride);
            for (int x = 0; x < m_image.width(); ++x)
                to[x] = table[from[x]];
        }
        return;
    }
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(topLeft, m_image);
    painter.restore();
}
