// Drop shadows: the target is darkened by a mask's blue bytes, for soft shadows
// averaged over a box. The box sums run along rows and then down columns, adding
// the entering and dropping the leaving values, so the cost does not grow with
// the blur size.
#include "controls/DrawingEffects.h"
#include "controls/RawPixels.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace rawpixels;

namespace {

constexpr std::uint32_t kWhitePixel = 0x00FFFFFFu;
constexpr int kOutside = 255; // mask value of positions outside the mask

// Per-pixel sums of blue bytes over a boxWidth x boxHeight box centred on each
// pixel (both odd), positions outside the mask counting as 255.
std::vector<std::int64_t> BoxSums(const QImage& mask, int boxWidth, int boxHeight)
{
    const int width = mask.width();
    const int height = mask.height();
    const int rx = boxWidth / 2;
    const int ry = boxHeight / 2;
    const auto w = static_cast<std::size_t>(width);

    std::vector<std::int64_t> rowSums(w * static_cast<std::size_t>(height));
    std::vector<int> padded(w + 2 * static_cast<std::size_t>(rx), kOutside);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(mask.constScanLine(y));
        for (int x = 0; x < width; ++x)
            padded[static_cast<std::size_t>(x + rx)] = static_cast<int>(row[x] & 0xFF);
        std::int64_t sum = 0;
        for (int i = 0; i < boxWidth; ++i)
            sum += padded[static_cast<std::size_t>(i)];
        std::int64_t* out = &rowSums[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < width; ++x) {
            out[x] = sum;
            sum += padded[static_cast<std::size_t>(x + boxWidth)] - padded[static_cast<std::size_t>(x)];
        }
    }

    // Rows outside the mask add a whole box row of 255s.
    const std::int64_t outsideRow = static_cast<std::int64_t>(boxWidth) * kOutside;
    const auto rowAt = [&](int y, std::size_t x) {
        return (y < 0 || y >= height) ? outsideRow : rowSums[static_cast<std::size_t>(y) * w + x];
    };
    std::vector<std::int64_t> sums(rowSums.size());
    std::vector<std::int64_t> columns(w, 0);
    for (int y = -ry; y <= ry; ++y)
        for (std::size_t x = 0; x < w; ++x)
            columns[x] += rowAt(y, x);
    for (int y = 0; y < height; ++y) {
        std::copy(columns.begin(), columns.end(), sums.begin() + static_cast<std::ptrdiff_t>(y * w));
        for (std::size_t x = 0; x < w; ++x)
            columns[x] += rowAt(y + ry + 1, x) - rowAt(y - ry, x);
    }
    return sums;
}

// Every channel becomes trunc(channel x sum / full) where sum < full. Adding half a
// step before scaling makes the floating-point product truncate exactly, since the
// exact quotients are multiples of 1 / full.
void Darken(QImage& area, const std::vector<std::int64_t>& sums, std::int64_t full)
{
    const double scale = 1.0 / static_cast<double>(full);
    const int width = area.width();
    for (int y = 0; y < area.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(area.scanLine(y));
        const std::int64_t* factor = &sums[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
        for (int x = 0; x < width; ++x) {
            if (factor[x] >= full)
                continue;
            const double f = static_cast<double>(factor[x]);
            std::uint32_t out = row[x] & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const double channel = static_cast<double>((row[x] >> shift) & 0xFF);
                out |= static_cast<std::uint32_t>((channel * f + 0.5) * scale) << shift;
            }
            row[x] = out;
        }
    }
}

} // namespace

void CPPDrawManager::PaintShadow(QPainter& dc, int x, int y, int width, int height, const QImage& shadowMask,
                                 bool soft, int blurWidth, int blurHeight)
{
    if (shadowMask.isNull() || width <= 0 || height <= 0)
        return;
    QImage mask;
    if (soft) {
        // An even blur grows by one so the box has a centre; below 1 it is 1.
        blurWidth = std::max(blurWidth, 1) | 1;
        blurHeight = std::max(blurHeight, 1) | 1;
        mask = MakeRaw32(width, height);
        if (mask.isNull())
            return;
        mask.fill(kWhitePixel);
        const QImage inner = StretchRaw32(ToRaw32(shadowMask), width - blurWidth, height - blurHeight);
        for (int row = 0; row < inner.height(); ++row)
            std::copy_n(reinterpret_cast<const std::uint32_t*>(inner.constScanLine(row)), inner.width(),
                        reinterpret_cast<std::uint32_t*>(mask.scanLine(row + blurHeight / 2)) + blurWidth / 2);
    } else {
        mask = CopyRaw32(shadowMask, width, height);
        blurWidth = 1;
        blurHeight = 1;
    }
    std::optional<QImage> area = ReadTargetArea(dc, QRect(x, y, width, height));
    if (mask.isNull() || !area)
        return;
    const std::int64_t full = static_cast<std::int64_t>(blurWidth) * blurHeight * kOutside;
    Darken(*area, BoxSums(mask, blurWidth, blurHeight), full);
    WriteTargetArea(dc, {x, y}, *area);
}
