// Background effects: solid fills and the 64-band gradients. The palette-image
// effects are in DrawingEffectsPalette.cpp.
#include "controls/DrawingEffects.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace {

constexpr int kGradientBands = 64;

QColor QColorOf(ColorRef colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

int MixChannel(int a, int b, int band)
{
    return (a * (kGradientBands - band) + b * band) / kGradientBands;
}

// A complete gradient from `from` to `to` over the area: 64 bands, band i filled
// with the mix i/64 of the way, so the last band stops 1/64 short of `to`. On a
// narrow area some bands are empty and left unpainted.
void PaintBands(QPainter& dc, const QRect& area, ColorRef from, ColorRef to, bool horizontal)
{
    const int extent = horizontal ? area.width() : area.height();
    for (int band = 0; band < kGradientBands; ++band) {
        const int start = band * extent / kGradientBands;
        const int stop = (band + 1) * extent / kGradientBands;
        if (stop <= start)
            continue;
        const QColor colour(MixChannel(RedOf(from), RedOf(to), band), MixChannel(GreenOf(from), GreenOf(to), band),
                            MixChannel(BlueOf(from), BlueOf(to), band));
        const QRect bandRect = horizontal ? QRect(area.left() + start, area.top(), stop - start, area.height())
                                          : QRect(area.left(), area.top() + start, area.width(), stop - start);
        dc.fillRect(bandRect, colour);
    }
}

// Splits the area into a first half of trunc(extent / 2) and the rest.
std::pair<QRect, QRect> Halves(const QRect& area, bool horizontal)
{
    if (horizontal) {
        const int half = area.width() / 2;
        return {QRect(area.left(), area.top(), half, area.height()),
                QRect(area.left() + half, area.top(), area.width() - half, area.height())};
    }
    const int half = area.height() / 2;
    return {QRect(area.left(), area.top(), area.width(), half),
            QRect(area.left(), area.top() + half, area.width(), area.height() - half)};
}

} // namespace

void CPPDrawManager::PaintBackgroundEffect(QPainter& dc, const QRect& rect, int effect, ColorRef begin,
                                           ColorRef middle, ColorRef end, int granularity)
{
    if (rect.width() <= 0 || rect.height() <= 0 || effect == kEffectTransparent)
        return;
    // Granularities outside a byte would make the noise divisor 0.
    granularity = std::clamp(granularity, 0, 255);
    switch (effect) {
    case kEffectHGradient:
    case kEffectVGradient:
        PaintBands(dc, rect, begin, end, effect == kEffectHGradient);
        return;
    case kEffectHCGradient:
    case kEffectVCGradient:
    case kEffect3HGradient:
    case kEffect3VGradient: {
        // Centre gradients return to the begin colour; three-colour ones pass the middle.
        const bool horizontal = effect == kEffectHCGradient || effect == kEffect3HGradient;
        const bool centred = effect == kEffectHCGradient || effect == kEffectVCGradient;
        const ColorRef turn = centred ? end : middle;
        const auto [first, second] = Halves(rect, horizontal);
        PaintBands(dc, first, begin, turn, horizontal);
        PaintBands(dc, second, turn, centred ? begin : end, horizontal);
        return;
    }
    default:
        break;
    }
    if (effect >= kEffectNoise && effect <= kEffectMetal) {
        PaintPaletteEffect(dc, rect, effect, begin, middle, end, granularity);
        return;
    }
    dc.fillRect(rect, QColorOf(begin));
}
