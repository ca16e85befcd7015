// deckmend-bench-effects: prints the median time of painting each palette-image
// effect and a soft shadow over 1000 x 1000 pixels.
#include "controls/DrawingEffects.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSide = 1000;
constexpr int kRuns = 15;

template <typename Work>
double MedianMilliseconds(Work work)
{
    std::vector<double> times;
    work(); // warm caches and allocations
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A mask like the one PaintImage builds for a shadow: grey where the image is,
// white around it.
QImage ShadowMask()
{
    QImage mask(kSide, kSide, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter painter(&mask);
    painter.fillRect(QRect(kSide / 4, kSide / 4, kSide / 2, kSide / 2), QColor(128, 128, 128));
    return mask;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QImage target(kSide, kSide, QImage::Format_RGB32);
    target.fill(Qt::white);
    CPPDrawManager manager;

    std::printf("%d x %d pixels, median of %d runs\n", kSide, kSide, kRuns);
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        const double ms = MedianMilliseconds([&] {
            QPainter painter(&target);
            manager.PaintBackgroundEffect(painter, target.rect(), effect, 0x0051ECFD, 0x00A9F3FE, 0x00804000, 5);
        });
        std::printf("effect %2d            %7.2f ms\n", effect, ms);
    }
    const QImage mask = ShadowMask();
    for (const int blur : {7, 31}) {
        const double ms = MedianMilliseconds([&] {
            QPainter painter(&target);
            manager.PaintShadow(painter, 0, 0, kSide, kSide, mask, true, blur, blur);
        });
        std::printf("soft shadow blur %2d  %7.2f ms\n", blur, ms);
    }
    return 0;
}
