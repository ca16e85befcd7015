// Solid fills and the 64-band gradients.
#include "controls/DrawingEffects.h"
#include "tests/controls/EffectsTestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace effectstest;

namespace {

constexpr ColorRef kCanvas = MakeColorRef(1, 2, 3);
constexpr ColorRef kRed = MakeColorRef(255, 0, 0);
constexpr ColorRef kBlue = MakeColorRef(0, 0, 255);
constexpr ColorRef kGreenish = MakeColorRef(40, 200, 90);

// Channel mix of band i: floor((A * (64 - i) + B * i) / 64).
ColorRef BandColour(ColorRef a, ColorRef b, int i)
{
    const auto mix = [i](int ca, int cb) { return (ca * (64 - i) + cb * i) / 64; };
    return MakeColorRef(mix(RedOf(a), RedOf(b)), mix(GreenOf(a), GreenOf(b)), mix(BlueOf(a), BlueOf(b)));
}

// The band covering offset k of an extent: the i with floor(i E / 64) <= k < floor((i + 1) E / 64).
int BandAt(int k, int extent)
{
    for (int i = 0; i < 64; ++i)
        if (i * extent / 64 <= k && k < (i + 1) * extent / 64)
            return i;
    return -1;
}

QImage Paint(int effect, const QRect& rect, QSize canvas, ColorRef begin, ColorRef middle, ColorRef end)
{
    QImage image = Canvas(canvas.width(), canvas.height(), kCanvas);
    QPainter painter(&image);
    CPPDrawManager manager;
    manager.PaintBackgroundEffect(painter, rect, effect, begin, middle, end, 0);
    return image;
}

TEST(GradientEffects, NarrowRectangleGetsTheLaterBandOfEachPixel)
{
    // Ten pixels for 64 bands: most bands are empty; the painted ones were worked
    // out by hand from floor(i * 10 / 64).
    const std::vector<std::pair<int, int>> pixelBand = {{0, 6},  {1, 12}, {2, 19}, {3, 25}, {4, 31},
                                                        {5, 38}, {6, 44}, {7, 51}, {8, 57}, {9, 63}};
    const QImage image = Paint(kEffectHGradient, QRect(0, 0, 10, 2), {10, 2}, kRed, 0, kBlue);
    for (const auto& [x, band] : pixelBand) {
        EXPECT_EQ(ColourAt(image, x, 0), BandColour(kRed, kBlue, band)) << "x " << x;
        EXPECT_EQ(ColourAt(image, x, 1), BandColour(kRed, kBlue, band)) << "x " << x;
    }
    EXPECT_EQ(ColourAt(image, 9, 0), MakeColorRef(3, 0, 251)) << "the last band stops 1/64 short of the end colour";
}

TEST(GradientEffects, BandBoundariesOnWideRectangle)
{
    // 130 pixels: bands of 2 or 3 pixels (band 63 has three); boundaries at floor(i * 130 / 64).
    const QImage image = Paint(kEffectHGradient, QRect(0, 0, 130, 1), {130, 1}, kRed, 0, kBlue);
    const std::vector<std::pair<int, int>> pixelBand = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2},
                                                        {5, 2}, {64, 31}, {65, 32}, {127, 63}, {129, 63}};
    for (const auto& [x, band] : pixelBand)
        EXPECT_EQ(ColourAt(image, x, 0), BandColour(kRed, kBlue, band)) << "x " << x;
}

TEST(GradientEffects, VerticalGradientRunsTopToBottomInsideTheRectangleOnly)
{
    const QRect rect(3, 2, 5, 20);
    const QImage image = Paint(kEffectVGradient, rect, {12, 25}, kGreenish, 0, kRed);
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 12; ++x) {
            const ColorRef expected =
                rect.contains(x, y) ? BandColour(kGreenish, kRed, BandAt(y - rect.top(), 20)) : kCanvas;
            ASSERT_EQ(ColourAt(image, x, y), expected) << x << "," << y;
        }
    }
}

struct SplitCase
{
    int effect;
    bool horizontal;
    ColorRef firstFrom, firstTo, secondFrom, secondTo;
};

class SplitGradients : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitGradients, HalvesAreCompleteGradientsSplitAtHalfTheExtent)
{
    const SplitCase c = GetParam();
    // An odd extent: the first half gets trunc(129 / 2) = 64 pixels, the second 65.
    const int extent = 129;
    const QRect rect = c.horizontal ? QRect(2, 1, extent, 3) : QRect(1, 2, 3, extent);
    const QImage image = Paint(c.effect, rect, {extent + 4, extent + 4}, kRed, kGreenish, kBlue);
    for (int k = 0; k < extent; ++k) {
        const ColorRef expected = k < 64 ? BandColour(c.firstFrom, c.firstTo, BandAt(k, 64))
                                         : BandColour(c.secondFrom, c.secondTo, BandAt(k - 64, 65));
        const QPoint p = c.horizontal ? QPoint(rect.left() + k, rect.top() + 1) : QPoint(rect.left() + 1, rect.top() + k);
        ASSERT_EQ(ColourAt(image, p.x(), p.y()), expected) << "offset " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Effects3To6, SplitGradients,
                         ::testing::Values(SplitCase{kEffectHCGradient, true, kRed, kBlue, kBlue, kRed},
                                           SplitCase{kEffectVCGradient, false, kRed, kBlue, kBlue, kRed},
                                           SplitCase{kEffect3HGradient, true, kRed, kGreenish, kGreenish, kBlue},
                                           SplitCase{kEffect3VGradient, false, kRed, kGreenish, kGreenish, kBlue}));

TEST(GradientEffects, SolidForZeroAndEveryUnknownNumber)
{
    for (const int effect : {0, 16, 100, -2, -1000}) {
        const QImage image = Paint(effect, QRect(1, 1, 3, 2), {5, 4}, kGreenish, kRed, kBlue);
        EXPECT_EQ(ColourAt(image, 1, 1), kGreenish) << effect;
        EXPECT_EQ(ColourAt(image, 3, 2), kGreenish) << effect;
        EXPECT_EQ(ColourAt(image, 4, 3), kCanvas) << effect;
        EXPECT_EQ(ColourAt(image, 0, 0), kCanvas) << effect;
    }
}

TEST(GradientEffects, TransparentAndEmptyRectanglesPaintNothing)
{
    const QImage untouched = Canvas(6, 6, kCanvas);
    EXPECT_EQ(Paint(kEffectTransparent, QRect(0, 0, 6, 6), {6, 6}, kRed, kRed, kRed), untouched);
    for (const int effect : {kEffectSolid, kEffectHGradient, kEffectNoise, kEffectMetal}) {
        EXPECT_EQ(Paint(effect, QRect(1, 1, 0, 4), {6, 6}, kRed, kRed, kRed), untouched) << effect;
        EXPECT_EQ(Paint(effect, QRect(1, 1, 4, -2), {6, 6}, kRed, kRed, kRed), untouched) << effect;
    }
}

} // namespace
