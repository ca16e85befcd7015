// Lines and frames. Pens are rasterised here rather than by QPainter so the
// pixels are those of the device-context model the callers lay out for: a line
// leaves out its end point, and a pen of width w covers the w x w square from
// (x - w/2, y - w/2) at every point of the one-pixel path, so sides of a frame
// join without notches.
#include "controls/DrawingEffects.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>

namespace {

constexpr std::array<int, 2> kDashPattern = {18, 6};
constexpr std::array<int, 2> kDotPattern = {3, 3};
constexpr std::array<int, 4> kDashDotPattern = {9, 6, 3, 6};
constexpr std::array<int, 6> kDashDotDotPattern = {9, 3, 3, 3, 3, 3};

std::span<const int> PatternOf(int penType)
{
    switch (penType) {
    case kPenDashed: return kDashPattern;
    case kPenDotted: return kDotPattern;
    case kPenDashDot: return kDashDotPattern;
    case kPenDashDotDot: return kDashDotDotPattern;
    default: return {};
    }
}

// Rounds a / b to the nearest integer (b > 0), halves away from zero.
int RoundedQuotient(long long a, long long b)
{
    return static_cast<int>(a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b)));
}

// Strokes consecutive segments with one pen; the dash pattern runs on across them.
class Stroker
{
public:
    Stroker(QPainter& dc, ColorRef colour, int penType, int penWidth)
        : m_dc(dc)
        , m_colour(RedOf(colour), GreenOf(colour), BlueOf(colour))
        , m_pattern(PatternOf(penType))
        , m_width(penWidth)
    {
    }

    // The points from `from` up to, but not including, `to`.
    void Segment(QPoint from, QPoint to)
    {
        const int dx = to.x() - from.x();
        const int dy = to.y() - from.y();
        const int steps = std::max(std::abs(dx), std::abs(dy));
        const bool straight = dx == 0 || dy == 0;
        int runStart = -1;
        for (int k = 0; k <= steps; ++k) {
            const bool on = k < steps && NextIsOn();
            if (on && runStart < 0)
                runStart = k;
            if ((!on || !straight) && runStart >= 0) {
                const int runEnd = on ? k + 1 : k;
                Fill(PointAt(from, dx, dy, steps, runStart), PointAt(from, dx, dy, steps, runEnd - 1));
                runStart = -1;
            }
        }
    }

private:
    static QPoint PointAt(QPoint from, int dx, int dy, int steps, int k)
    {
        return {from.x() + RoundedQuotient(static_cast<long long>(k) * dx, steps),
                from.y() + RoundedQuotient(static_cast<long long>(k) * dy, steps)};
    }

    // Dash lengths grow with the pen width so wide dashes keep their shape.
    bool NextIsOn()
    {
        if (m_pattern.empty())
            return true;
        const bool on = m_dash % 2 == 0;
        if (++m_step >= m_pattern[m_dash] * m_width) {
            m_step = 0;
            m_dash = (m_dash + 1) % m_pattern.size();
        }
        return on;
    }

    // The pen squares of a straight run from a to b, both included.
    void Fill(QPoint a, QPoint b)
    {
        const int half = m_width / 2;
        const int left = std::min(a.x(), b.x());
        const int top = std::min(a.y(), b.y());
        const int width = std::abs(a.x() - b.x()) + m_width;
        const int height = std::abs(a.y() - b.y()) + m_width;
        m_dc.fillRect(QRect(left - half, top - half, width, height), m_colour);
    }

    QPainter& m_dc;
    QColor m_colour;
    std::span<const int> m_pattern;
    int m_width;
    std::size_t m_dash = 0;
    int m_step = 0;
};

void PaintFrame(QPainter& dc, int left, int top, int right, int bottom, ColorRef light, ColorRef dark, int penType,
                int penWidth)
{
    const int half = penWidth / 2;
    const QPoint topLeft(left + half, top + half);
    const QPoint topRight(right - half, top + half);
    const QPoint bottomRight(right - half, bottom - half);
    const QPoint bottomLeft(left + half, bottom - half);
    Stroker lightSides(dc, light, penType, penWidth);
    lightSides.Segment(bottomLeft, topLeft);
    lightSides.Segment(topLeft, topRight);
    Stroker darkSides(dc, dark, penType, penWidth);
    darkSides.Segment(topRight, bottomRight);
    darkSides.Segment(bottomRight, bottomLeft);
}

} // namespace

void CPPDrawManager::PaintFrameLines(QPainter& dc, int left, int top, int right, int bottom, ColorRef light,
                                     ColorRef dark, int penType, int penWidth)
{
    if (penWidth <= 0)
        return;
    PaintFrame(dc, left, top, right, bottom, light, dark, penType, penWidth);
    if (penType == kPenDouble) {
        const int inset = 2 * penWidth;
        PaintFrame(dc, left + inset, top + inset, right - inset, bottom - inset, light, dark, penType, penWidth);
    }
}

void CPPDrawManager::PaintLine(QPainter& dc, int x1, int y1, int x2, int y2, ColorRef colour, int penType,
                               int penWidth)
{
    if (penWidth <= 0)
        return;
    Stroker(dc, colour, penType, penWidth).Segment({x1, y1}, {x2, y2});
    if (penType == kPenDouble) {
        const int shift = 2 * penWidth;
        const int dx = x1 == x2 ? shift : (y1 == y2 ? 0 : shift);
        const int dy = y1 == y2 ? shift : (x1 == x2 ? 0 : shift);
        Stroker(dc, colour, penType, penWidth).Segment({x1 + dx, y1 + dy}, {x2 + dx, y2 + dy});
    }
}
