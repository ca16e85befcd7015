// Hard and soft drop shadows, alone and under an image, on every kind of target.
#include "controls/DrawingEffects.h"
#include "tests/controls/EffectsTestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace effectstest;

namespace {

constexpr ColorRef kGrey200 = MakeColorRef(200, 200, 200);

TEST(PaintShadow, HardShadowScalesByTheMaskBlueByte)
{
    QImage mask(3, 1, QImage::Format_RGB32);
    mask.setPixel(0, 0, qRgb(255, 255, 0));
    mask.setPixel(1, 0, qRgb(0, 0, 128));
    mask.setPixel(2, 0, qRgb(0, 0, 255));
    QImage canvas = Canvas(3, 1, MakeColorRef(200, 100, 50));
    {
        QPainter painter(&canvas);
        CPPDrawManager().PaintShadow(painter, 0, 0, 3, 1, mask, false, 9, 9);
    }
    EXPECT_EQ(ColourAt(canvas, 0, 0), MakeColorRef(0, 0, 0));
    EXPECT_EQ(ColourAt(canvas, 1, 0), MakeColorRef(100, 50, 25)); // trunc(c x 128 / 255)
    EXPECT_EQ(ColourAt(canvas, 2, 0), MakeColorRef(200, 100, 50));
}

struct SoftCase
{
    int size;
    int blur;
    int grey;
};

// The soft shadow of a black mask over a size x size area of the given grey: the mask
// fills the area less half the (odd) blur on each side; each pixel keeps the share
// of white (inside the area off the mask, or outside the area) in its box.
QImage ExpectedSoftShadow(int size, int blur, int grey)
{
    const int b = blur % 2 == 0 ? blur + 1 : std::max(blur, 1);
    const QRect black = size > b ? QRect(b / 2, b / 2, size - b, size - b) : QRect();
    QImage expected = Canvas(size, size, MakeColorRef(grey, grey, grey));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int white = 0;
            for (int dy = -(b / 2); dy <= b / 2; ++dy)
                for (int dx = -(b / 2); dx <= b / 2; ++dx)
                    white += black.contains(x + dx, y + dy) ? 0 : 1;
            if (white < b * b) {
                const int v = grey * white / (b * b);
                expected.setPixel(x, y, qRgb(v, v, v));
            }
        }
    return expected;
}

void PrintTo(const SoftCase& c, std::ostream* out)
{
    *out << c.size << "x" << c.size << " blur " << c.blur << " grey " << c.grey;
}

class SoftShadows : public ::testing::TestWithParam<SoftCase>
{
};

TEST_P(SoftShadows, AverageOverTheBlurBox)
{
    const SoftCase c = GetParam();
    QImage mask(4, 4, QImage::Format_RGB32);
    mask.fill(Qt::black);
    QImage canvas = Canvas(c.size, c.size, MakeColorRef(c.grey, c.grey, c.grey));
    {
        QPainter painter(&canvas);
        CPPDrawManager().PaintShadow(painter, 0, 0, c.size, c.size, mask, true, c.blur, c.blur);
    }
    const QImage expected = ExpectedSoftShadow(c.size, c.blur, c.grey);
    for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x)
            ASSERT_EQ(ColourAt(canvas, x, y), ColourAt(expected, x, y)) << x << "," << y;
}

// Blur 2 is blur 3; a blur wider than the area leaves no mask and no shadow. Grey 14
// under blur 7 has exact quotients (14 x 7 / 49 = 2) that floating point lands just below.
INSTANTIATE_TEST_SUITE_P(Boxes, SoftShadows,
                         ::testing::Values(SoftCase{11, 3, 200}, SoftCase{11, 2, 200}, SoftCase{12, 7, 200},
                                           SoftCase{9, 1, 200}, SoftCase{30, 9, 200}, SoftCase{5, 7, 200},
                                           SoftCase{20, 7, 14}));

// A 4 x 4 red square with a magenta-keyed corner, drawn at (1, 1) with a shadow
// of grey 128 offset by (2, 2).
QImage DrawWithShadow(std::uint32_t flags, int blur)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    picture.setPixel(3, 3, qRgb(255, 0, 255));
    QImage canvas = Canvas(9, 9, 0x00FFFFFF);
    QPainter painter(&canvas);
    CPPDrawManager().PaintImage(painter, 1, 1, 4, 4, picture, true, MakeColorRef(255, 0, 255), flags, true, 2, 2,
                                blur, blur, MakeColorRef(128, 128, 128));
    return canvas;
}

TEST(ImageShadows, HardShadowFollowsTheImageShape)
{
    const std::vector<std::string> expected = {
        ".........",
        ".RRRR....",
        ".RRRR....",
        ".RRRRss..",
        ".RRRsss..",
        "...ssss..",
        "...sss...",
        ".........",
        ".........",
    };
    // Shadow pixels: trunc(255 x 128 / 255) = 128. The keyed corner of the image
    // shows the shadow below it, and the shadow has a keyed corner of its own.
    EXPECT_EQ(Picture(DrawWithShadow(kImageEffectShadow, 0),
                      {{0x00FFFFFF, '.'}, {0x000000FF, 'R'}, {MakeColorRef(128, 128, 128), 's'}}),
              expected);
}

TEST(ImageShadows, SoftShadowBlursTheShrunkMask)
{
    // Blur 3 over 4 x 4: the mask (grey 128 where the image is) shrinks to the
    // 1 x 1 centre at (1, 1) of the shadow area, which starts at (3, 3).
    const QImage canvas = DrawWithShadow(kImageEffectSoftShadow, 3);
    for (int y = 3; y < 7; ++y)
        for (int x = 3; x < 7; ++x) {
            if (x < 5 && y < 5)
                continue; // under the image
            // Boxes touching the centre hold one 128 and eight 255s: 255 x (8 x 255 + 128) / 2295.
            const bool touches = x - 3 <= 2 && y - 3 <= 2;
            const int v = touches ? 255 * (8 * 255 + 128) / 2295 : 255;
            EXPECT_EQ(ColourAt(canvas, x, y), MakeColorRef(v, v, v)) << x << "," << y;
        }
    EXPECT_EQ(ColourAt(canvas, 1, 1), 0x000000FFu);
}

TEST(ImageShadows, NoShadowOutsideOffsetMode)
{
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    QImage canvas = Canvas(6, 6, 0x00FFFFFF);
    {
        QPainter painter(&canvas);
        CPPDrawManager().PaintImage(painter, 0, 0, 2, 2, picture, false, 0, kImageEffectShadow, false, 2, 2, 0, 0,
                                    0x00808080);
    }
    EXPECT_EQ(ColourAt(canvas, 0, 0), 0x000000FFu);
    EXPECT_EQ(ColourAt(canvas, 3, 3), 0x00FFFFFFu);
}

TEST(PaintShadow, SameOnEveryTargetKindAndOnlyTouchesThePaintedImage)
{
    QImage mask(20, 16, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter(&mask).fillRect(4, 3, 9, 8, QColor(60, 60, 60));
    const auto paint = [&](QImage& canvas, const std::function<void(QPainter&)>& setUp) {
        QPainter painter(&canvas);
        setUp(painter);
        CPPDrawManager().PaintShadow(painter, 2, 1, 20, 16, mask, true, 5, 5);
    };
    QImage direct = Canvas(24, 20, kGrey200);
    const QImage sharedCopy = direct;
    paint(direct, [](QPainter&) {});
    EXPECT_EQ(ColourAt(sharedCopy, 10, 8), kGrey200) << "a copy taken before painting is not changed";
    EXPECT_NE(ColourAt(direct, 10, 8), kGrey200);

    QImage premultiplied = Canvas(24, 20, kGrey200, QImage::Format_ARGB32_Premultiplied);
    paint(premultiplied, [](QPainter&) {});
    EXPECT_EQ(premultiplied.convertToFormat(QImage::Format_RGB32), direct);

    QImage clipped = Canvas(24, 20, kGrey200);
    paint(clipped, [](QPainter& p) { p.setClipRect(0, 0, 24, 20); });
    EXPECT_EQ(clipped, direct);

    QImage translated = Canvas(24, 20, kGrey200);
    paint(translated, [](QPainter& p) { p.translate(-2, -1); });
    EXPECT_EQ(translated.copy(0, 0, 20, 16), direct.copy(2, 1, 20, 16));
}

} // namespace
