#pragma once
// Small helpers of the drawing-effect tests: canvases, pixel reads as colour
// values, and pictures of a canvas as rows of letters.

#include "platform/ColorRef.h"

#include <QImage>

#include <map>
#include <string>
#include <vector>

namespace effectstest {

inline QImage Canvas(int width, int height, ColorRef fill, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(QColor(RedOf(fill), GreenOf(fill), BlueOf(fill)));
    return image;
}

inline ColorRef ColourAt(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return MakeColorRef(qRed(p), qGreen(p), qBlue(p));
}

// The canvas as rows of letters: each colour of `letters` by its letter, any
// other colour as '?'.
inline std::vector<std::string> Picture(const QImage& image, const std::map<ColorRef, char>& letters)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const auto found = letters.find(ColourAt(image, x, y));
            row += found == letters.end() ? '?' : found->second;
        }
        rows.push_back(row);
    }
    return rows;
}

// The raw 32 bits of a pixel of a Format_ARGB32 image.
inline std::uint32_t RawAt(const QImage& image, int x, int y)
{
    return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y))[x];
}

} // namespace effectstest
