// The 8-bit palettised effect bitmap.
#include "controls/CeXDib.h"

#include <QPainter>

bool CCeXDib::Create(int width, int height)
{
    m_image = QImage();
    if (width <= 0 || height <= 0)
        return false;
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        return false;
    // Palette entries carry a full alpha byte; with alpha 0 Qt would draw them as
    // nothing, which the bitmap's blue-green-red-zero entries never mean.
    image.setColorTable(QList<QRgb>(kPaletteSize, qRgb(0, 0, 0)));
    m_image = std::move(image);
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
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(topLeft, m_image);
    painter.restore();
}
