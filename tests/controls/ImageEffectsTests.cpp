// Colour effects, transparency, the AND/OR versus alpha-blend choice, strip cells,
// icons and tiling.
#include "controls/DrawingEffects.h"
#include "tests/controls/EffectsTestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <ostream>

using namespace effectstest;

namespace {

constexpr ColorRef kMagenta = MakeColorRef(255, 0, 255);
constexpr ColorRef kTargetColour = MakeColorRef(10, 20, 30);

QImage OnePixel(QRgb pixel, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(1, 1, format);
    image.setPixel(0, 0, pixel);
    return image;
}

struct FlagCase
{
    const char* name;
    QRgb source;
    std::uint32_t flags;
    std::uint32_t expected; // raw 0xAARRGGBB
};

void PrintTo(const FlagCase& c, std::ostream* out)
{
    *out << c.name;
}

class ColourEffects : public ::testing::TestWithParam<FlagCase>
{
};

TEST_P(ColourEffects, AppliedInOrderGreyDarkerLighterReplaceInvert)
{
    const FlagCase c = GetParam();
    CPPDrawManager manager;
    // Replace colour 0x00112233: red 0x33, green 0x22, blue 0x11.
    const QImage result = manager.BuildEffectImage(OnePixel(c.source), 1, 1, c.flags, false, 0, 0x00112233);
    ASSERT_FALSE(result.isNull());
    EXPECT_EQ(RawAt(result, 0, 0), c.expected) << std::hex << RawAt(result, 0, 0);
    EXPECT_FALSE(manager.AlphaSeen());
}

INSTANTIATE_TEST_SUITE_P(
    Flags, ColourEffects,
    ::testing::Values(FlagCase{"none", qRgb(200, 100, 50), 0, 0x00C86432},
                      FlagCase{"grey", qRgb(200, 100, 50), kImageEffectGray, 0x007C7C7C},
                      // 0.587 x 160 + 0.114 x 220 is exactly 119, though not in floating point.
                      FlagCase{"grey exact", qRgb(0, 160, 220), kImageEffectGray, 0x00777777},
                      FlagCase{"darker", qRgb(200, 100, 50), kImageEffectDarker, 0x00964B25},
                      FlagCase{"lighter", qRgb(200, 100, 50), kImageEffectLighter, 0x00FA7D3E},
                      FlagCase{"lighter limited", qRgb(220, 210, 10), kImageEffectLighter, 0x00FFFF0C},
                      FlagCase{"replace", qRgb(200, 100, 50), kImageEffectReplace, 0x00332211},
                      FlagCase{"invert", qRgb(200, 100, 50), kImageEffectInvert, 0x00379BCD},
                      FlagCase{"grey then darker", qRgb(200, 100, 50), kImageEffectGray | kImageEffectDarker,
                               0x005D5D5D},
                      FlagCase{"grey darker invert", qRgb(200, 100, 50),
                               kImageEffectGray | kImageEffectDarker | kImageEffectInvert, 0x00A2A2A2},
                      FlagCase{"darker then lighter", qRgb(200, 100, 50), kImageEffectDarker | kImageEffectLighter,
                               0x00BB5D2E},
                      FlagCase{"replace after lighter", qRgb(200, 100, 50), kImageEffectLighter | kImageEffectReplace,
                               0x00332211},
                      FlagCase{"replace then invert", qRgb(200, 100, 50), kImageEffectReplace | kImageEffectInvert,
                               0x00CCDDEE},
                      FlagCase{"shadow bits change no colour", qRgb(200, 100, 50),
                               kImageEffectShadow | kImageEffectSoftShadow, 0x00C86432}));

TEST(BuildEffectImage, TransparentPixelsBecomeZeroAndAreStillInverted)
{
    QImage source(2, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(255, 0, 255));
    source.setPixel(1, 0, qRgb(200, 100, 50));
    CPPDrawManager manager;
    const QImage plain = manager.BuildEffectImage(source, 2, 1, kImageEffectDarker, true, kMagenta, 0);
    EXPECT_EQ(RawAt(plain, 0, 0), 0x00000000u);
    EXPECT_EQ(RawAt(plain, 1, 0), 0x00964B25u);
    const QImage mask = manager.BuildEffectImage(source, 2, 1, kImageEffectReplace | kImageEffectInvert, true,
                                                 kMagenta, 0x00FFFFFF);
    EXPECT_EQ(RawAt(mask, 0, 0), 0x00FFFFFFu) << "transparent pixels are white in the mask";
    EXPECT_EQ(RawAt(mask, 1, 0), 0x00000000u) << "image pixels are black in the mask";
}

TEST(BuildEffectImage, KeepsAlphaAndNotesIt)
{
    CPPDrawManager manager;
    const QImage result = manager.BuildEffectImage(OnePixel(qRgba(200, 100, 50, 0x40), QImage::Format_ARGB32), 1, 1,
                                                   kImageEffectDarker, false, 0, 0);
    EXPECT_EQ(RawAt(result, 0, 0), 0x40964B25u);
    EXPECT_TRUE(manager.AlphaSeen());
    // A pixel with alpha is never the transparent colour: all 32 bits are compared.
    const QImage keyed = manager.BuildEffectImage(OnePixel(qRgba(255, 0, 255, 0xFF), QImage::Format_ARGB32), 1, 1, 0,
                                                  true, kMagenta, 0);
    EXPECT_EQ(RawAt(keyed, 0, 0), 0xFFFF00FFu);
}

TEST(BuildEffectImage, CopiesTheTopLeftAndZeroFillsTheRest)
{
    QImage source(2, 2, QImage::Format_RGB32);
    source.fill(qRgb(9, 8, 7));
    CPPDrawManager manager;
    const QImage result = manager.BuildEffectImage(source, 3, 1, 0, false, 0, 0);
    ASSERT_EQ(result.size(), QSize(3, 1));
    EXPECT_EQ(RawAt(result, 1, 0), 0x00090807u);
    EXPECT_EQ(RawAt(result, 2, 0), 0x00000000u);
    EXPECT_TRUE(manager.BuildEffectImage(QImage(), 3, 1, 0, false, 0, 0).isNull());
}

// Draws a 2 x 1 picture at (1, 0) on a 4 x 1 canvas of kTargetColour.
QImage DrawPair(CPPDrawManager& manager, QRgb left, QRgb right, QImage::Format format, bool useTransparent = false)
{
    QImage source(2, 1, format);
    source.setPixel(0, 0, left);
    source.setPixel(1, 0, right);
    QImage canvas = Canvas(4, 1, kTargetColour);
    QPainter painter(&canvas);
    manager.PaintImage(painter, 1, 0, 2, 1, source, useTransparent, kMagenta, 0, false, 0, 0, 0, 0, 0);
    return canvas;
}

TEST(PaintImage, AllAlphaZeroIsDrawnWithAndOr)
{
    // Qt would call these pixels invisible; a bitmap whose alpha bytes are all 0
    // has no alpha, so its colours are drawn as they are.
    CPPDrawManager manager;
    const QImage canvas = DrawPair(manager, 0x00FF0000, 0x0000FF00, QImage::Format_ARGB32);
    EXPECT_FALSE(manager.AlphaSeen());
    EXPECT_EQ(ColourAt(canvas, 0, 0), kTargetColour);
    EXPECT_EQ(ColourAt(canvas, 1, 0), MakeColorRef(255, 0, 0));
    EXPECT_EQ(ColourAt(canvas, 2, 0), MakeColorRef(0, 255, 0));
    EXPECT_EQ(ColourAt(canvas, 3, 0), kTargetColour);
}

TEST(PaintImage, AnyAlphaByteBlendsEveryPixel)
{
    CPPDrawManager manager;
    const QImage canvas = DrawPair(manager, 0x00FF0000, 0x8000FF00, QImage::Format_ARGB32);
    EXPECT_TRUE(manager.AlphaSeen());
    EXPECT_EQ(ColourAt(canvas, 1, 0), kTargetColour) << "alpha 0 leaves the target";
    // trunc(s x 128 / 255 + t x 127 / 255) per channel.
    EXPECT_EQ(ColourAt(canvas, 2, 0), MakeColorRef(4, 137, 14));
}

TEST(PaintImage, TransparentColourKeepsTheTarget)
{
    CPPDrawManager manager;
    const QImage canvas = DrawPair(manager, qRgb(255, 0, 255), qRgb(1, 2, 3), QImage::Format_RGB32, true);
    EXPECT_EQ(ColourAt(canvas, 1, 0), kTargetColour);
    EXPECT_EQ(ColourAt(canvas, 2, 0), MakeColorRef(1, 2, 3));
}

TEST(PaintImage, AlphaSeenIsClearedByTheNextDrawing)
{
    CPPDrawManager manager;
    DrawPair(manager, 0x80FF0000, 0x80FF0000, QImage::Format_ARGB32);
    ASSERT_TRUE(manager.AlphaSeen());
    DrawPair(manager, qRgb(1, 1, 1), qRgb(2, 2, 2), QImage::Format_RGB32);
    EXPECT_FALSE(manager.AlphaSeen());
}

TEST(PaintImage, StretchesToTheRequestedSizeAndMovesInOffsetModeWithoutShadow)
{
    QImage source(2, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(255, 0, 0));
    source.setPixel(1, 0, qRgb(0, 0, 255));
    QImage canvas = Canvas(8, 5, 0x00FFFFFF);
    {
        QPainter painter(&canvas);
        CPPDrawManager manager;
        manager.PaintImage(painter, 0, 0, 4, 2, source, false, 0, 0, true, 3, 2, 7, 7, 0x00808080);
    }
    const std::vector<std::string> expected = {
        "........",
        "........",
        "...RRBB.",
        "...RRBB.",
        "........",
    };
    EXPECT_EQ(Picture(canvas, {{0x00FFFFFF, '.'}, {0x000000FF, 'R'}, {0x00FF0000, 'B'}}), expected);
}

TEST(BlendByAlpha, TruncatesTheExactWeightedSum)
{
    struct Case
    {
        int source, alpha, target, expected;
    };
    // Equal source and target must stay put whatever the alpha; floating point
    // would give 2 for the first case.
    const std::vector<Case> cases = {{3, 5, 3, 3}, {77, 51, 77, 77}, {200, 128, 100, 150}, {255, 255, 0, 255},
                                     {255, 0, 9, 9}, {0, 254, 255, 1}};
    for (const Case& c : cases) {
        QImage source(1, 1, QImage::Format_ARGB32);
        source.setPixel(0, 0, qRgba(c.source, c.source, c.source, c.alpha));
        QImage canvas = Canvas(1, 1, MakeColorRef(c.target, c.target, c.target));
        {
            QPainter painter(&canvas);
            CPPDrawManager().BlendByAlpha(source, painter, 0, 0, 1, 1);
        }
        EXPECT_EQ(RedOf(ColourAt(canvas, 0, 0)), c.expected)
            << "source " << c.source << " alpha " << c.alpha << " target " << c.target;
    }
}

// A 12 x 8 strip of 4 x 4 cells, cell k filled with grey 10 + k.
QImage Strip(int width = 12)
{
    QImage strip(width, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < width; ++x) {
            const int cell = (y / 4) * 3 + std::min(x / 4, 2);
            strip.setPixel(x, y, qRgb(10 + cell, 10 + cell, 10 + cell));
        }
    return strip;
}

TEST(PaintImageCell, DrawsTheCellRowByRowAndNothingPastTheLast)
{
    struct Case
    {
        int stripWidth, index, cellWidth, cellHeight;
        int expectedGrey; // 0: nothing drawn
    };
    const std::vector<Case> cases = {
        {12, 0, 4, 4, 10},  {12, 2, 4, 4, 12}, {12, 4, 4, 4, 14},  {12, 5, 4, 4, 15},
        {12, 6, 4, 4, 0},   {12, -1, 4, 4, 0}, {12, 0, 0, 4, 0},   {12, 0, 4, 0, 0},
        {12, 0, 13, 4, 0},  {12, 0, 4, 9, 0},  {14, 5, 4, 4, 15}, // a partial column is no cell
        {14, 6, 4, 4, 0},
    };
    for (const Case& c : cases) {
        QImage canvas = Canvas(6, 6, 0x00FFFFFF);
        {
            QPainter painter(&canvas);
            CPPDrawManager().PaintImageCell(painter, 1, 1, 4, 4, Strip(c.stripWidth), c.index, c.cellWidth,
                                            c.cellHeight, false, 0, 0, false, 0, 0, 0, 0, 0);
        }
        const ColorRef expected =
            c.expectedGrey == 0 ? 0x00FFFFFF : MakeColorRef(c.expectedGrey, c.expectedGrey, c.expectedGrey);
        const std::string what = "index " + std::to_string(c.index) + " cell " + std::to_string(c.cellWidth) + "x" +
                                 std::to_string(c.cellHeight) + " strip " + std::to_string(c.stripWidth);
        EXPECT_EQ(ColourAt(canvas, 1, 1), expected) << what;
        EXPECT_EQ(ColourAt(canvas, 4, 4), expected) << what;
        EXPECT_EQ(ColourAt(canvas, 5, 5), 0x00FFFFFFu) << what;
    }
}

TEST(TileImage, RepeatsFromTheTopLeftAndClipsTheLastColumnAndRow)
{
    QImage tile(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            tile.setPixel(x, y, qRgb(x * 10, y * 10, 1));
    QImage canvas = Canvas(10, 8, 0x00FFFFFF);
    {
        QPainter painter(&canvas);
        // Only the tile's first 3 columns are used.
        CPPDrawManager().TileImage(painter, 1, 2, 7, 5, tile, 3, 2);
    }
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 1 && x < 8 && y >= 2 && y < 7;
            const ColorRef expected = inside ? MakeColorRef(((x - 1) % 3) * 10, ((y - 2) % 2) * 10, 1) : 0x00FFFFFF;
            ASSERT_EQ(ColourAt(canvas, x, y), expected) << x << "," << y;
        }
}

TEST(Icons, SizeIsTwiceTheHotSpotAndResizingCentresIt)
{
    CPPDrawManager manager;
    QImage picture(4, 6, QImage::Format_ARGB32);
    picture.fill(qRgba(1, 2, 3, 255));
    const IconInfo icon = IconFromImage(picture);
    EXPECT_EQ(manager.QueryIconSize(icon), QSize(4, 6));
    EXPECT_EQ(manager.QueryBitmapSize(picture), QSize(4, 6));
    const IconInfo resized = manager.ResizeIcon(icon, 9, 8);
    EXPECT_EQ(resized.hotSpot, QPoint(4, 4));
    EXPECT_EQ(resized.color.size(), QSize(9, 8));
    EXPECT_EQ(resized.mask.size(), QSize(9, 8));
    EXPECT_TRUE(manager.ResizeIcon(icon, 0, 8).color.isNull());
}

// A 2 x 2 opaque icon: a red pixel, a blue one, and two transparent ones (black in
// the colour bitmap, white in the mask).
IconInfo TwoPixelIcon()
{
    IconInfo icon;
    icon.hotSpot = QPoint(1, 1);
    icon.color = QImage(2, 2, QImage::Format_RGB32);
    icon.color.fill(Qt::black);
    icon.color.setPixel(0, 0, qRgb(255, 0, 0));
    icon.color.setPixel(1, 1, qRgb(0, 0, 255));
    icon.mask = QImage(2, 2, QImage::Format_RGB32);
    icon.mask.fill(Qt::white);
    icon.mask.setPixel(0, 0, qRgb(0, 0, 0));
    icon.mask.setPixel(1, 1, qRgb(0, 0, 0));
    return icon;
}

TEST(Icons, PaintIconUsesTheMaskResizesAndReplaces)
{
    const std::map<ColorRef, char> letters = {
        {0x00FFFFFF, '.'}, {0x000000FF, 'R'}, {0x00FF0000, 'B'}, {0x0000FF00, 'G'}};
    QImage canvas = Canvas(6, 4, 0x00FFFFFF);
    {
        QPainter painter(&canvas);
        CPPDrawManager manager;
        manager.PaintIcon(painter, 0, 0, 2, 2, TwoPixelIcon(), 0, false, 0, 0, 0, 0, 0);
        manager.PaintIcon(painter, 2, 0, 4, 4, TwoPixelIcon(), 0, false, 0, 0, 0, 0, 0);
        manager.PaintIcon(painter, 0, 2, 2, 2, TwoPixelIcon(), kImageEffectReplace, false, 0, 0, 0, 0, 0x0000FF00);
    }
    const std::vector<std::string> expected = {
        "R.RR..",
        ".BRR..",
        "G...BB",
        ".G..BB",
    };
    EXPECT_EQ(Picture(canvas, letters), expected);
}

TEST(Icons, AlphaIconIsBlendedAndAnIconWithoutBitmapsDrawsNothing)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 255, 255, 0));
    picture.setPixel(1, 0, qRgba(200, 200, 200, 128));
    QImage canvas = Canvas(2, 1, MakeColorRef(100, 100, 100));
    CPPDrawManager manager;
    {
        QPainter painter(&canvas);
        manager.PaintIcon(painter, 0, 0, 2, 1, IconFromImage(picture), 0, false, 0, 0, 0, 0, 0);
        EXPECT_TRUE(manager.AlphaSeen());
        manager.PaintIcon(painter, 0, 0, 2, 1, IconInfo{}, 0, false, 0, 0, 0, 0, 0);
    }
    EXPECT_EQ(ColourAt(canvas, 0, 0), MakeColorRef(100, 100, 100));
    EXPECT_EQ(ColourAt(canvas, 1, 0), MakeColorRef(150, 150, 150));
}

} // namespace
