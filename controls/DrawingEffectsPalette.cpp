// The palette-image background effects (noise, shades, bumps, metal): one palette
// index per pixel computed into the effect bitmap, drawn with one copy.
//
// Rows are counted from the bottom and pixels are computed in the bitmap's memory
// order, bottom row first, so each pixel draws its noise term in that order. All
// arithmetic is on plain integers with "/" truncating toward zero; only the final
// value is taken modulo 256 when it is stored.
#include "controls/DrawingEffects.h"
#include "controls/MsRandom.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRandomMax = MsRandom::kMax;
constexpr int kScratchCount = 200;
constexpr int kScratchValueDivisor = 819;

// The cubic bump profile: t from about -127 to 128 maps to about -125 to 128.
int Cube(int t)
{
    return t * t * t / 128 / 128;
}

// Spreads 0..kRandomMax over the noise range; a divisor below 1 (a size beyond the
// generator's range) is taken as 1 so nothing divides by zero.
int RandomDivisor(int range)
{
    return std::max(1, kRandomMax / std::max(1, range));
}

// The noise term of every generator output r, r / (32767 / R), looked up per pixel
// instead of dividing per pixel.
std::vector<std::uint16_t> NoiseTable(int granularity)
{
    const int range = granularity == 0 ? 1 : 2 * granularity;
    const int divisor = kRandomMax / range;
    std::vector<std::uint16_t> table(kRandomMax + 1);
    for (int r = 0; r <= kRandomMax; ++r)
        table[static_cast<std::size_t>(r)] = static_cast<std::uint16_t>(r / divisor);
    return table;
}

void BuildPalette(CCeXDib& dib, ColorRef begin, ColorRef middle, ColorRef end)
{
    constexpr int kHalf = 128;
    const auto mix = [](ColorRef a, ColorRef b, int i) {
        return std::array<int, 3>{(RedOf(a) * (kHalf - i) + RedOf(b) * i) / kHalf,
                                  (GreenOf(a) * (kHalf - i) + GreenOf(b) * i) / kHalf,
                                  (BlueOf(a) * (kHalf - i) + BlueOf(b) * i) / kHalf};
    };
    // End to middle over entries 0..127, then middle to begin over 128..255, so the
    // begin colour is entry 255.
    for (int i = 0; i < kHalf; ++i) {
        const auto c = mix(end, middle, i);
        dib.SetPaletteEntry(i, c[0], c[1], c[2]);
    }
    for (int j = 1; j <= kHalf; ++j) {
        const auto c = mix(middle, begin, j);
        dib.SetPaletteEntry(kHalf - 1 + j, c[0], c[1], c[2]);
    }
}

// Writes every pixel as value(x, y, its current value) + noise, in memory order.
template <typename Value>
void FillPixels(CCeXDib& dib, MsRandom& random, const std::vector<std::uint16_t>& noise, Value value)
{
    const int width = dib.Width();
    const int height = dib.Height();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < width; ++x)
            row[x] = static_cast<std::uint8_t>(value(x, y, row[x]) + noise[static_cast<std::size_t>(random.Next())]);
    }
}

// Per-column and per-row terms of the form k * (W - x) / W and k * y / H.
std::vector<int> FromRight(int k, int width)
{
    std::vector<int> terms(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        terms[static_cast<std::size_t>(x)] = k * (width - x) / width;
    return terms;
}

std::vector<int> FromBottom(int k, int height)
{
    std::vector<int> terms(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        terms[static_cast<std::size_t>(y)] = k * y / height;
    return terms;
}

// Brushed-metal scratches: 200 diagonal strokes of values 0 to 40 written into the
// zeroed bitmap before any noise is drawn. Stroke rows count from the top.
void DrawScratches(CCeXDib& dib, MsRandom& random)
{
    const int width = dib.Width();
    const int height = dib.Height();
    for (int y = 0; y < height; ++y)
        std::fill_n(dib.Row(y), width, std::uint8_t{0});
    const auto put = [&](int column, int rowFromTop, int v) {
        if (column >= 0 && column < width && rowFromTop >= 0 && rowFromTop < height)
            dib.Row(height - 1 - rowFromTop)[column] = static_cast<std::uint8_t>(v);
    };
    const int xDivisor = RandomDivisor(width);
    const int yDivisor = RandomDivisor(height);
    const int lengthDivisor = RandomDivisor(std::min(width, height));
    for (int stroke = 0; stroke < kScratchCount; ++stroke) {
        const int x0 = random.Next() / xDivisor;
        const int y0 = random.Next() / yDivisor;
        const int halfLength = random.Next() / lengthDivisor / 2;
        const int v = random.Next() / kScratchValueDivisor;
        for (int j = 0; j < halfLength; ++j) {
            if (x0 - j > 0 && y0 + j < height)
                put(x0 - j, y0 + j, v);
            // The second half starts mirrored at W - x0; strokes have always looked so.
            if (x0 + j < width && y0 - j > 0)
                put(width - x0 + j, y0 - j, v);
        }
    }
}

void FillHardBump(CCeXDib& dib, MsRandom& random, const std::vector<std::uint16_t>& noise, int g)
{
    const int width = dib.Width();
    const int height = dib.Height();
    const int e = std::min(width / 6, 16);
    const std::int64_t quarter = static_cast<std::int64_t>(height) * height / 4;
    std::vector<int> base(static_cast<std::size_t>(height));
    std::vector<int> limit(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        base[static_cast<std::size_t>(y)] = Cube(255 * y / height - 127) * (64 - g) * 2 / 128 + 128;
        const std::int64_t yy = y - height / 2;
        // A bitmap under two rows high has no quarter height; its band term is 0.
        const std::int64_t bend = quarter == 0 ? 0 : e * yy * yy / quarter;
        limit[static_cast<std::size_t>(y)] = static_cast<int>(bend) + width / 2 - e;
    }
    std::vector<int> dark(static_cast<std::size_t>(width));
    std::vector<int> bright(static_cast<std::size_t>(width));
    if (e > 0) {
        for (int x = 0; x < width; ++x) {
            dark[static_cast<std::size_t>(x)] = g + (width - x) * 128 / e;
            bright[static_cast<std::size_t>(x)] = (255 - g) - x * 128 / e;
        }
    }
    FillPixels(dib, random, noise, [&](int x, int y, int) {
        int s = base[static_cast<std::size_t>(y)];
        if (e > 0) {
            const int xx = x - width / 2;
            const int b = limit[static_cast<std::size_t>(y)];
            if (xx > b)
                s = dark[static_cast<std::size_t>(x)];
            else if (xx + b < 0)
                s = bright[static_cast<std::size_t>(x)];
        }
        return s - g;
    });
}

} // namespace

void CPPDrawManager::PaintPaletteEffect(QPainter& dc, const QRect& rect, int effect, ColorRef begin,
                                        ColorRef middle, ColorRef end, int g)
{
    if (!m_effectBitmap.Create(rect.width(), rect.height()))
        return;
    CCeXDib& dib = m_effectBitmap;
    BuildPalette(dib, begin, middle, end);
    const int width = dib.Width();
    const int height = dib.Height();
    const std::vector<std::uint16_t> noise = NoiseTable(g);
    MsRandom random(1);
    const auto at = [](const std::vector<int>& terms, int i) { return terms[static_cast<std::size_t>(i)]; };

    switch (effect) {
    case kEffectNoise:
        FillPixels(dib, random, noise, [&](int, int, int) { return 128 - g; });
        break;
    case kEffectDiagShade: {
        const int k = (255 - 2 * g) / 2;
        const std::vector<int> cols = FromRight(k, width);
        const std::vector<int> rows = FromBottom(k, height);
        FillPixels(dib, random, noise, [&](int x, int y, int) { return at(cols, x) + at(rows, y); });
        break;
    }
    case kEffectHShade: {
        const std::vector<int> rows = FromBottom(255 - 2 * g, height);
        FillPixels(dib, random, noise, [&](int, int y, int) { return at(rows, y); });
        break;
    }
    case kEffectVShade: {
        const std::vector<int> cols = FromRight(255 - 2 * g, width);
        FillPixels(dib, random, noise, [&](int x, int, int) { return at(cols, x); });
        break;
    }
    case kEffectHBump: {
        std::vector<int> rows(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            rows[static_cast<std::size_t>(y)] = Cube(255 * y / height - 127) * (128 - g) / 128 + 128 - g;
        FillPixels(dib, random, noise, [&](int, int y, int) { return at(rows, y); });
        break;
    }
    case kEffectVBump: {
        std::vector<int> cols(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x)
            cols[static_cast<std::size_t>(x)] =
                std::min(255, Cube(255 * (width - x) / width - 127) * (128 - g) / 128 + 128) - g;
        FillPixels(dib, random, noise, [&](int x, int, int) { return at(cols, x); });
        break;
    }
    case kEffectSoftBump: {
        std::vector<int> cols(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x)
            cols[static_cast<std::size_t>(x)] = Cube(255 * (width - x) / width - 127);
        std::vector<int> rows(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            rows[static_cast<std::size_t>(y)] = Cube(255 * y / height - 127);
        FillPixels(dib, random, noise, [&](int x, int y, int) {
            int s = (at(cols, x) + at(rows, y)) * (128 - g) / 128 + 128;
            s = std::max(s, g);
            s = std::min(s, 255 - g);
            return s - g;
        });
        break;
    }
    case kEffectHardBump:
        FillHardBump(dib, random, noise, g);
        break;
    case kEffectMetal: {
        DrawScratches(dib, random);
        const int u = (215 - 2 * g) / 2;
        const std::vector<int> cols = FromRight(u, width);
        const std::vector<int> rows = FromBottom(u, height);
        FillPixels(dib, random, noise,
                   [&](int x, int y, int scratch) { return scratch + at(cols, x) + at(rows, y); });
        break;
    }
    default:
        return;
    }
    dib.Draw(dc, rect.topLeft());
}
