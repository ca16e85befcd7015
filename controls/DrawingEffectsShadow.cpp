// Drop shadows: the target is darkened by a mask's blue bytes, for soft shadows
// averaged over a box. The box sums run along each row and then down the columns,
// adding the entering and dropping the leaving values, so the cost does not grow
// with the blur size.
#include "controls/DrawingEffects.h"
#include "controls/RawPixels.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace rawpixels;

namespace {

constexpr std::uint8_t kOutside = 255; // mask value of positions outside the mask

// The rows of the shadow mask as the blur reads them: inside `inner` the blue
// bytes of the mask, stretched to it (soft) or as they stand with 0 past the
// mask's edge (hard); 255 around it. Each row's sums over a box width centred on
// each column run along the row; a row outside the area sums to box width x 255.
class MaskRows
{
public:
    MaskRows(const QImage& mask, int width, int height, const QRect& inner, bool stretch, int boxWidth)
        : m_mask(mask)
        , m_height(height)
        , m_inner(inner)
        , m_stretch(stretch)
        , m_boxWidth(boxWidth)
        , m_padded(static_cast<std::size_t>(width + boxWidth - 1), kOutside)
        , m_sums(static_cast<std::size_t>(width))
    {
    }

    const std::vector<std::int64_t>& SumsOf(int y)
    {
        if (y < 0 || y >= m_height) {
            std::fill(m_sums.begin(), m_sums.end(), static_cast<std::int64_t>(m_boxWidth) * kOutside);
            return m_sums;
        }
        std::uint8_t* row = m_padded.data() + m_boxWidth / 2;
        std::fill_n(row, m_sums.size(), kOutside);
        if (y >= m_inner.top() && y <= m_inner.bottom())
            ReadInner(y - m_inner.top(), row + m_inner.left());
        std::int64_t sum = 0;
        for (int i = 0; i < m_boxWidth; ++i)
            sum += m_padded[static_cast<std::size_t>(i)];
        for (std::size_t x = 0; x < m_sums.size(); ++x) {
            m_sums[x] = sum;
            sum += m_padded[x + static_cast<std::size_t>(m_boxWidth)] - m_padded[x];
        }
        return m_sums;
    }

private:
    void ReadInner(int y, std::uint8_t* out) const
    {
        const int w = m_inner.width();
        if (m_stretch) {
            const auto sourceY = static_cast<int>(static_cast<std::int64_t>(y) * m_mask.height() / m_inner.height());
            const auto* from = reinterpret_cast<const std::uint32_t*>(m_mask.constScanLine(sourceY));
            for (int x = 0; x < w; ++x)
                out[x] = static_cast<std::uint8_t>(from[static_cast<std::int64_t>(x) * m_mask.width() / w] & 0xFF);
            return;
        }
        if (y >= m_mask.height()) {
            std::fill_n(out, w, std::uint8_t{0});
            return;
        }
        const auto* from = reinterpret_cast<const std::uint32_t*>(m_mask.constScanLine(y));
        for (int x = 0; x < w; ++x)
            out[x] = x < m_mask.width() ? static_cast<std::uint8_t>(from[x] & 0xFF) : std::uint8_t{0};
    }

    const QImage& m_mask;
    int m_height;
    QRect m_inner;
    bool m_stretch;
    int m_boxWidth;
    std::vector<std::uint8_t> m_padded;
    std::vector<std::int64_t> m_sums;
};

// Every channel becomes trunc(channel x sum / full) where sum < full. Adding half a
// step before scaling makes the floating-point product truncate exactly, since the
// exact quotients are multiples of 1 / full.
void DarkenRow(std::uint32_t* row, const std::vector<std::int64_t>& sums, std::int64_t full)
{
    const double scale = 1.0 / static_cast<double>(full);
    for (std::size_t x = 0; x < sums.size(); ++x) {
        if (sums[x] >= full)
            continue;
        const double f = static_cast<double>(sums[x]);
        std::uint32_t out = row[x] & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const double channel = static_cast<double>((row[x] >> shift) & 0xFF);
            out |= static_cast<std::uint32_t>((channel * f + 0.5) * scale) << shift;
        }
        row[x] = out;
    }
}

} // namespace

void CPPDrawManager::PaintShadow(QPainter& dc, int x, int y, int width, int height, const QImage& shadowMask,
                                 bool soft, int blurWidth, int blurHeight)
{
    if (shadowMask.isNull() || width <= 0 || height <= 0)
        return;
    // Only the blue bytes are read: they are the same in RGB32 and ARGB32 images.
    const QImage mask =
        (shadowMask.format() == QImage::Format_RGB32 || shadowMask.format() == QImage::Format_ARGB32)
            ? shadowMask
            : ToRaw32(shadowMask);
    QRect inner(0, 0, width, height);
    if (soft) {
        // An even blur grows by one so the box has a centre; below 1 it is 1. The
        // mask shrinks into the area less half the blur on each side, white around.
        blurWidth = std::max(blurWidth, 1) | 1;
        blurHeight = std::max(blurHeight, 1) | 1;
        inner = QRect(blurWidth / 2, blurHeight / 2, width - blurWidth, height - blurHeight);
    } else {
        blurWidth = 1;
        blurHeight = 1;
    }
    TargetArea area(dc, QRect(x, y, width, height));
    if (mask.isNull() || !area.IsValid())
        return;

    const std::int64_t full = static_cast<std::int64_t>(blurWidth) * blurHeight * kOutside;
    const int ry = blurHeight / 2;
    MaskRows entering(mask, width, height, inner, soft, blurWidth);
    MaskRows leaving(mask, width, height, inner, soft, blurWidth);
    std::vector<std::int64_t> box(static_cast<std::size_t>(width), 0);
    for (int row = -ry; row <= ry; ++row) {
        const std::vector<std::int64_t>& sums = entering.SumsOf(row);
        for (std::size_t i = 0; i < box.size(); ++i)
            box[i] += sums[i];
    }
    for (int row = 0; row < height; ++row) {
        DarkenRow(area.Row(row), box, full);
        const std::vector<std::int64_t>& in = entering.SumsOf(row + ry + 1);
        const std::vector<std::int64_t>& out = leaving.SumsOf(row - ry);
        for (std::size_t i = 0; i < box.size(); ++i)
            box[i] += in[i] - out[i];
    }
    area.Commit();
}
