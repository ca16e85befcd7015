// 32-bit working images and target read-back for the drawing effects.
#include "controls/RawPixels.h"

#include <QPaintDevice>
#include <QTransform>

#include <algorithm>

namespace rawpixels {

QImage MakeRaw32(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    if (!image.isNull())
        image.fill(0);
    return image;
}

QImage ToRaw32(const QImage& source)
{
    if (source.isNull())
        return {};
    if (source.hasAlphaChannel())
        return source.convertToFormat(QImage::Format_ARGB32);
    // Opaque formats keep their colour bits; the alpha byte is cleared, as a plain
    // bitmap copied into a 32-bit section has none.
    QImage image = source.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] &= 0x00FFFFFFu;
    }
    return image;
}

QImage CopyRaw32(const QImage& source, int width, int height)
{
    QImage image = MakeRaw32(width, height);
    if (image.isNull() || source.isNull())
        return image;
    const QImage raw = ToRaw32(source);
    const int w = std::min(width, raw.width());
    const int h = std::min(height, raw.height());
    for (int y = 0; y < h; ++y)
        std::copy_n(reinterpret_cast<const std::uint32_t*>(raw.constScanLine(y)), w,
                    reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    return image;
}

QImage StretchRaw32(const QImage& raw, int width, int height)
{
    if (raw.isNull() || width <= 0 || height <= 0)
        return {};
    if (raw.width() == width && raw.height() == height)
        return raw;
    QImage image = MakeRaw32(width, height);
    if (image.isNull())
        return image;
    const std::int64_t sw = raw.width();
    const std::int64_t sh = raw.height();
    for (int y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(raw.constScanLine(static_cast<int>(y * sh / height)));
        auto* to = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            to[x] = from[x * sw / width];
    }
    return image;
}

QImage OpaqueCopy(const QImage& raw)
{
    QImage image(raw.size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < raw.height(); ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(raw.constScanLine(y));
        auto* to = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < raw.width(); ++x)
            to[x] = from[x] | 0xFF000000u;
    }
    return image;
}

namespace {

// The device image of a painter with at most a translation, and the area in its pixels.
const QImage* DeviceImage(const QPainter& painter, const QRect& area, QRect& deviceArea)
{
    const QPaintDevice* device = painter.device();
    if (device == nullptr || device->devType() != QInternal::Image || area.isEmpty())
        return nullptr;
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate)
        return nullptr;
    deviceArea = area.translated(qRound(transform.dx()), qRound(transform.dy()));
    return static_cast<const QImage*>(device);
}

} // namespace

std::optional<DirectRows> FindDirectRows(const QPainter& painter, const QRect& area)
{
    QRect deviceArea;
    const QImage* image = DeviceImage(painter, area, deviceArea);
    if (image == nullptr || painter.hasClipping() || !image->rect().contains(deviceArea) ||
        (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32))
        return std::nullopt;
    // An image being painted on is never shared (copies taken meanwhile are deep),
    // so its pixels can be changed in place, as the painter itself does.
    const qsizetype stride = image->bytesPerLine();
    return DirectRows{const_cast<std::uint8_t*>(image->constBits()) + deviceArea.top() * stride +
                          static_cast<qsizetype>(deviceArea.left()) * 4,
                      stride};
}

TargetArea::TargetArea(QPainter& painter, const QRect& area)
    : m_painter(painter)
    , m_area(area)
{
    if (const auto direct = FindDirectRows(painter, area)) {
        m_rows = direct->first;
        m_stride = direct->stride;
        return;
    }
    QRect deviceArea;
    const QImage* image = DeviceImage(painter, area, deviceArea);
    if (image == nullptr)
        return;
    m_copy = image->copy(deviceArea).convertToFormat(QImage::Format_ARGB32);
    if (m_copy.isNull())
        return;
    m_stride = m_copy.bytesPerLine();
    m_rows = m_copy.bits();
}

void TargetArea::Commit()
{
    if (IsValid() && !m_copy.isNull())
        DrawWithRasterOp(m_painter, m_area.topLeft(), m_copy, QPainter::CompositionMode_Source);
}

void DrawWithRasterOp(QPainter& painter, const QPoint& topLeft, const QImage& image, QPainter::CompositionMode op)
{
    if (image.isNull())
        return;
    painter.save();
    painter.setCompositionMode(op);
    painter.drawImage(topLeft, image);
    painter.restore();
}

} // namespace rawpixels
