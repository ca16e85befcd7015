// Frames and lines: pen widths, the light and dark sides, and the double pen.
#include "controls/DrawingEffects.h"
#include "tests/controls/EffectsTestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace effectstest;

namespace {

constexpr ColorRef kLight = MakeColorRef(255, 0, 0);
constexpr ColorRef kDark = MakeColorRef(0, 0, 255);
const std::map<ColorRef, char> kLetters = {{0x00FFFFFF, '.'}, {kLight, 'L'}, {kDark, 'D'}};

std::vector<std::string> Frame(QSize canvas, QRect frame, int penType, int penWidth)
{
    QImage image = Canvas(canvas.width(), canvas.height(), 0x00FFFFFF);
    {
        QPainter painter(&image);
        CPPDrawManager().PaintFrameLines(painter, frame.left(), frame.top(), frame.right(), frame.bottom(), kLight,
                                         kDark, penType, penWidth);
    }
    return Picture(image, kLetters);
}

std::vector<std::string> Line(QSize canvas, QPoint from, QPoint to, int penType, int penWidth)
{
    QImage image = Canvas(canvas.width(), canvas.height(), 0x00FFFFFF);
    {
        QPainter painter(&image);
        CPPDrawManager().PaintLine(painter, from.x(), from.y(), to.x(), to.y(), kDark, penType, penWidth);
    }
    return Picture(image, kLetters);
}

const std::vector<std::string> kBlank5x4 = {".....", ".....", ".....", "....."};

TEST(PaintFrameLines, WidthOneLightsTopAndLeftDarkensRightAndBottom)
{
    const std::vector<std::string> expected = {
        "..........",
        "..........",
        "..LLLLLLLD",
        "..L......D",
        "..L......D",
        "..LDDDDDDD",
        "..........",
    };
    EXPECT_EQ(Frame({10, 7}, QRect(QPoint(2, 2), QPoint(9, 5)), kPenSolid, 1), expected);
}

TEST(PaintFrameLines, WidthTwoIsInsetByHalfThePen)
{
    const std::vector<std::string> expected = {
        "...........",
        "...........",
        "..LLLLLDD..",
        "..LLLLLDD..",
        "..LL...DD..",
        "..LDDDDDD..",
        "..LDDDDDD..",
        "...........",
    };
    EXPECT_EQ(Frame({11, 8}, QRect(QPoint(2, 2), QPoint(9, 7)), kPenSolid, 2), expected);
}

TEST(PaintFrameLines, DoublePenDrawsASecondFrameTwiceThePenWidthInside)
{
    const std::vector<std::string> expected = {
        "................",
        ".LLLLLLLLLLLDD..",
        ".LLLLLLLLLLLDD..",
        ".LL.........DD..",
        ".LL.........DD..",
        ".LL..LLLDD..DD..",
        ".LL..LDDDD..DD..",
        ".LL..LDDDD..DD..",
        ".LL.........DD..",
        ".LL.........DD..",
        ".LDDDDDDDDDDDD..",
        ".LDDDDDDDDDDDD..",
        "................",
        "................",
    };
    EXPECT_EQ(Frame({16, 14}, QRect(QPoint(1, 1), QPoint(14, 12)), kPenDouble, 2), expected);
}

TEST(PaintFrameLines, NothingWithoutAPositiveWidth)
{
    EXPECT_EQ(Frame({5, 4}, QRect(QPoint(0, 0), QPoint(4, 3)), kPenSolid, 0), kBlank5x4);
    EXPECT_EQ(Frame({5, 4}, QRect(QPoint(0, 0), QPoint(4, 3)), kPenDouble, -2), kBlank5x4);
}

struct LineCase
{
    const char* name;
    QPoint from;
    QPoint to;
    int penType;
    int penWidth;
    std::vector<std::string> expected;
};

class Lines : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(Lines, Pixels)
{
    const LineCase& c = GetParam();
    const QSize size(static_cast<int>(c.expected.front().size()), static_cast<int>(c.expected.size()));
    EXPECT_EQ(Line(size, c.from, c.to, c.penType, c.penWidth), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WidthsAndTypes, Lines,
    ::testing::Values(
        LineCase{"width0", {1, 1}, {4, 1}, kPenSolid, 0, {".....", ".....", ".....", "....."}},
        LineCase{"width1_end_left_out", {1, 1}, {4, 1}, kPenSolid, 1, {".....", ".DDD.", ".....", "....."}},
        LineCase{"width1_backwards", {4, 1}, {1, 1}, kPenSolid, 1, {".....", "..DDD", ".....", "....."}},
        LineCase{"width2", {1, 2}, {4, 2}, kPenSolid, 2, {".....", "DDDD.", "DDDD.", "....."}},
        LineCase{"double_horizontal_below",
                 {1, 1},
                 {4, 1},
                 kPenDouble,
                 1,
                 {".....", ".DDD.", ".....", ".DDD.", "....."}},
        LineCase{"double_width2",
                 {1, 1},
                 {3, 1},
                 kPenDouble,
                 2,
                 {"DDD..", "DDD..", ".....", ".....", "DDD..", "DDD..", "....."}},
        LineCase{"double_vertical_right",
                 {1, 0},
                 {1, 3},
                 kPenDouble,
                 1,
                 {".D.D.", ".D.D.", ".D.D.", "....."}},
        LineCase{"double_slanted_both_ways",
                 {0, 3},
                 {3, 0},
                 kPenDouble,
                 1,
                 {"......", "..D...", ".D....", "D...D.", "...D..", "..D..."}},
        LineCase{"dotted",
                 {0, 0},
                 {14, 0},
                 kPenDotted,
                 1,
                 {"DDD...DDD...DD."}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(PaintLine, DashedAndDashDotPatterns)
{
    const auto row = [](int type) { return Line({48, 1}, {0, 0}, {48, 0}, type, 1).front(); };
    EXPECT_EQ(row(kPenDashed), std::string(18, 'D') + std::string(6, '.') + std::string(18, 'D') + std::string(6, '.'));
    EXPECT_EQ(row(kPenDashDot), std::string(9, 'D') + "......DDD......" + std::string(9, 'D') + "......DDD......");
    EXPECT_EQ(row(kPenDashDotDot).substr(0, 24), std::string(9, 'D') + "...DDD...DDD..." );
    EXPECT_EQ(row(kPenSolid), std::string(48, 'D'));
    EXPECT_EQ(row(99), std::string(48, 'D'));
}

} // namespace
