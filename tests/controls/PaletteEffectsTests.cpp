// The palette-image effects 7 to 15, checked against a plain per-pixel reading
// of their formulas and against values worked out by hand.
#include "controls/DrawingEffects.h"
#include "controls/MsRandom.h"
#include "tests/controls/EffectsTestSupport.h"
#include "tests/controls/PaletteReference.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

using namespace effectstest;

namespace {

// With these colours every palette entry i is the grey (i, i, i), so a pixel's red
// channel is its palette index.
constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr ColorRef kMidGrey = 0x00808080;
constexpr ColorRef kBlack = 0x00000000;

QImage PaintEffect(int effect, int width, int height, int g, ColorRef begin = kWhite, ColorRef middle = kMidGrey,
                   ColorRef end = kBlack, QImage::Format format = QImage::Format_RGB32)
{
    QImage image = Canvas(width + 2, height + 2, MakeColorRef(7, 7, 7), format);
    QPainter painter(&image);
    CPPDrawManager manager;
    manager.PaintBackgroundEffect(painter, QRect(1, 1, width, height), effect, begin, middle, end, g);
    return image;
}

// Red channel of the effect's pixel at column x, row from the bottom y.
int IndexAt(const QImage& image, int x, int y)
{
    const int height = image.height() - 2;
    return RedOf(ColourAt(image, x + 1, 1 + height - 1 - y));
}

TEST(PaletteEffects, GeneratorFollowsTheCLibrarySequence)
{
    MsRandom random;
    const std::array<int, 10> expected = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (const int value : expected)
        EXPECT_EQ(random.Next(), value);
}

TEST(PaletteEffects, NoiseTermsAreDrawnBottomRowFirst)
{
    // Granularity 5: n = r / 3276 for the generator's first ten numbers, so the
    // bottom row is 128 + n - 5 of the first five and the top row of the next five.
    const QImage image = PaintEffect(kEffectNoise, 5, 2, 5);
    const std::array<int, 5> bottom = {123, 128, 124, 131, 128};
    const std::array<int, 5> top = {127, 126, 131, 131, 130};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(IndexAt(image, x, 0), bottom[static_cast<std::size_t>(x)]) << x;
        EXPECT_EQ(IndexAt(image, x, 1), top[static_cast<std::size_t>(x)]) << x;
    }
    EXPECT_EQ(ColourAt(image, 0, 0), MakeColorRef(7, 7, 7)) << "nothing outside the rectangle";
}

TEST(PaletteEffects, PaletteRunsFromEndThroughMiddleToBegin)
{
    const ColorRef begin = MakeColorRef(0x40, 0x80, 0xFF);
    const ColorRef middle = MakeColorRef(0x60, 0x40, 0x20);
    const ColorRef end = MakeColorRef(0x10, 0xF0, 0x00);
    // Noise at granularity 0 is index 128: (127 x middle + begin) / 128 per channel.
    EXPECT_EQ(ColourAt(PaintEffect(kEffectNoise, 1, 1, 0, begin, middle, end), 1, 1), MakeColorRef(95, 64, 33));
    // Vbump's left column is index 255, the begin colour; hshade's bottom row index 0, the end colour.
    EXPECT_EQ(ColourAt(PaintEffect(kEffectVBump, 8, 1, 0, begin, middle, end), 1, 1), begin);
    EXPECT_EQ(ColourAt(PaintEffect(kEffectHShade, 1, 8, 0, begin, middle, end), 1, 8), end);
    // Hshade at granularity 0 over 255 rows: row y is index y; index 100 is
    // (28 x end + 100 x middle) / 128, index 200 (55 x middle + 73 x begin) / 128.
    const QImage shade = PaintEffect(kEffectHShade, 1, 255, 0, begin, middle, end);
    EXPECT_EQ(ColourAt(shade, 1, 1 + 254 - 100), MakeColorRef(78, 102, 25));
    EXPECT_EQ(ColourAt(shade, 1, 1 + 254 - 200), MakeColorRef(77, 100, 159));
}

TEST(PaletteEffects, VbumpGoesFromBeginThroughMiddleToNearlyEnd)
{
    const QImage image = PaintEffect(kEffectVBump, 100, 1, 0);
    EXPECT_EQ(IndexAt(image, 0, 0), 255);
    EXPECT_EQ(IndexAt(image, 50, 0), 128);
    EXPECT_EQ(IndexAt(image, 99, 0), 9);
    // Slow near the centre, fast near the edges.
    EXPECT_LE(IndexAt(image, 45, 0) - IndexAt(image, 55, 0), 2);
    EXPECT_GE(IndexAt(image, 89, 0) - IndexAt(image, 99, 0), 60);
}

TEST(PaletteEffects, HardbumpBandsAreWidestOnTheMiddleRow)
{
    // 60 x 21 at granularity 0: e = 10, the middle row is y = 10.
    const QImage image = PaintEffect(kEffectHardBump, 60, 21, 0);
    const std::vector<std::pair<int, int>> middleRow = {{0, 255}, {5, 191}, {9, 140}, {10, 128},
                                                        {50, 128}, {51, 115}, {55, 64}, {59, 12}};
    for (const auto& [x, index] : middleRow)
        EXPECT_EQ(IndexAt(image, x, 10), index) << "middle row, x " << x;
    // On the top row the bands have shrunk to the left column alone.
    const std::vector<std::pair<int, int>> topRow = {{0, 255}, {1, 220}, {58, 220}, {59, 220}};
    for (const auto& [x, index] : topRow)
        EXPECT_EQ(IndexAt(image, x, 20), index) << "top row, x " << x;
}

TEST(PaletteEffects, HardbumpOnOneRowAndNarrowRectangles)
{
    // One row: the band term is 0, so the bands are those of a middle row.
    const QImage row = PaintEffect(kEffectHardBump, 60, 1, 0);
    EXPECT_EQ(IndexAt(row, 0, 0), 255);
    EXPECT_EQ(IndexAt(row, 30, 0), 3);
    EXPECT_EQ(IndexAt(row, 59, 0), 12);
    // Under 6 pixels wide e is 0 and no band is drawn: every pixel is the base.
    const QImage narrow = PaintEffect(kEffectHardBump, 5, 3, 0);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(IndexAt(narrow, x, 2), 132) << x;
}

TEST(PaletteEffects, MetalIsScratched)
{
    const int W = 120;
    const int H = 80;
    const QImage image = PaintEffect(kEffectMetal, W, H, 0);
    int scratched = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const int u = 215 / 2;
            const int lift = IndexAt(image, x, y) - (u * (W - x) / W + u * y / H);
            ASSERT_GE(lift, 0);
            ASSERT_LE(lift, 41);
            scratched += lift > 1 ? 1 : 0;
        }
    }
    EXPECT_GT(scratched, W * H / 20);
}

struct PaletteCase
{
    int effect;
    int width;
    int height;
    int granularity;
};

void PrintTo(const PaletteCase& c, std::ostream* out)
{
    *out << "effect " << c.effect << " " << c.width << "x" << c.height << " granularity " << c.granularity;
}

class PaletteEffectPixels : public ::testing::TestWithParam<PaletteCase>
{
};

TEST_P(PaletteEffectPixels, EveryPixelMatchesTheFormula)
{
    const PaletteCase c = GetParam();
    const auto expected = ReferenceIndices(c.effect, c.width, c.height, c.granularity);
    const QImage image = PaintEffect(c.effect, c.width, c.height, c.granularity);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            ASSERT_EQ(IndexAt(image, x, y), expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])
                << "x " << x << ", row from the bottom " << y;
}

std::vector<PaletteCase> AllPaletteCases()
{
    std::vector<PaletteCase> cases;
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        for (const int g : {0, 5, 200}) {
            cases.push_back({effect, 37, 23, g});
            cases.push_back({effect, 64, 1, g});
        }
        cases.push_back({effect, 3, 90, 5});
    }
    // Wider than the generator's range: the scaling divisor is held at 1.
    cases.push_back({kEffectMetal, 40000, 2, 5});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Effects7To15, PaletteEffectPixels, ::testing::ValuesIn(AllPaletteCases()),
                         [](const ::testing::TestParamInfo<PaletteCase>& info) {
                             const PaletteCase& c = info.param;
                             return "effect" + std::to_string(c.effect) + "_" + std::to_string(c.width) + "x" +
                                    std::to_string(c.height) + "_g" + std::to_string(c.granularity);
                         });

TEST(PaletteEffects, RepeatsExactlyAndDrawsAlikeOnEveryTargetFormat)
{
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        const QImage first = PaintEffect(effect, 41, 17, 5, 0x0051ECFD, 0x00A9F3FE, 0x00804000);
        const QImage again = PaintEffect(effect, 41, 17, 5, 0x0051ECFD, 0x00A9F3FE, 0x00804000);
        EXPECT_EQ(first, again) << effect;
        const QImage premultiplied = PaintEffect(effect, 41, 17, 5, 0x0051ECFD, 0x00A9F3FE, 0x00804000,
                                                 QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(premultiplied.convertToFormat(QImage::Format_RGB32), first) << effect;
    }
}

TEST(PaletteEffects, GranularityIsHeldToAByte)
{
    EXPECT_EQ(PaintEffect(kEffectNoise, 9, 4, 1000), PaintEffect(kEffectNoise, 9, 4, 255));
    EXPECT_EQ(PaintEffect(kEffectNoise, 9, 4, -3), PaintEffect(kEffectNoise, 9, 4, 0));
}

} // namespace
