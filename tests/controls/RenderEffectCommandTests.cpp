// deckmend-render effect: arguments, colours, and lossless pictures of every effect.
#include "controls/DrawingEffects.h"
#include "tests/controls/EffectsTestSupport.h"
#include "tests/controls/PaletteReference.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace effectstest;

namespace {

const QString kRender = QStringLiteral(DECKMEND_BINARY_DIR "/tools/deckmend-render");

class RenderEffectCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(kRender))
            GTEST_SKIP() << "deckmend-render is not built";
        ASSERT_TRUE(m_dir.isValid());
    }

    int Run(QStringList args)
    {
        args.prepend("effect");
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process.start(kRender, args);
        if (!process.waitForFinished(30000))
            return -1;
        m_stderr = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString Out(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_stderr;
};

TEST_F(RenderEffectCommand, PaletteEffectsMatchTheFormulas)
{
    // Grey palette: a pixel's red channel is its palette index.
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        for (const QSize size : {QSize(33, 19), QSize(70, 3)}) {
            for (const int g : {0, 5}) {
                const QString file = Out(QString("e%1.png").arg(effect));
                ASSERT_EQ(Run({"--effect", QString::number(effect), "--size",
                               QString("%1x%2").arg(size.width()).arg(size.height()), "--colors",
                               "0xFFFFFF,8421504,0", "--granularity", QString::number(g), file}),
                          0);
                const QImage image(file);
                ASSERT_EQ(image.size(), size);
                const auto expected = ReferenceIndices(effect, size.width(), size.height(), g);
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        ASSERT_EQ(RedOf(ColourAt(image, x, size.height() - 1 - y)),
                                  expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])
                            << "effect " << effect << " granularity " << g << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(RenderEffectCommand, EveryEffectNumberPaintsAsTheManagerDoes)
{
    const ColorRef begin = 0x0051ECFD;
    const ColorRef middle = 0x00A9F3FE;
    const ColorRef end = 0x00804000;
    for (int effect = -1; effect <= 16; ++effect) {
        const QString file = Out("any.png");
        ASSERT_EQ(Run({"--effect", QString::number(effect), "--size", "45x31", "--colors",
                       "0x0051ECFD,0x00A9F3FE,0x00804000", "--granularity", "5", file}),
                  0);
        QImage expected = Canvas(45, 31, 0x00FFFFFF);
        {
            QPainter painter(&expected);
            CPPDrawManager().PaintBackgroundEffect(painter, expected.rect(), effect, begin, middle, end, 5);
        }
        EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), expected) << "effect " << effect;
    }
}

TEST_F(RenderEffectCommand, ColoursAreBlueGreenRedNumbers)
{
    const QString file = Out("solid.png");
    ASSERT_EQ(Run({"--effect", "0", "--size", "2x2", "--colors", "0x0000FF,0,0", file}), 0);
    EXPECT_EQ(ColourAt(QImage(file), 1, 1), MakeColorRef(255, 0, 0));
    ASSERT_EQ(Run({"--effect", "0", "--size", "2x2", "--colors", "16711680,0,0", file}), 0);
    EXPECT_EQ(ColourAt(QImage(file), 1, 1), MakeColorRef(0, 0, 255));
}

TEST_F(RenderEffectCommand, UsageErrorsExitWithTwo)
{
    const QString file = Out("never.png");
    const std::vector<QStringList> cases = {
        {},
        {"--effect", "1", "--size", "4x4", file},
        {"--effect", "1", "--colors", "1,2,3", file},
        {"--size", "4x4", "--colors", "1,2,3", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,2,3"},
        {"--effect", "x", "--size", "4x4", "--colors", "1,2,3", file},
        {"--effect", "1", "--size", "4", "--colors", "1,2,3", file},
        {"--effect", "1", "--size", "0x4", "--colors", "1,2,3", file},
        {"--effect", "1", "--size", "40000x4", "--colors", "1,2,3", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,2", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,2,0x1000000", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,-2,3", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,0x,3", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,2,3", "--granularity", "256", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,2,3", "--granularity", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,2,3", "--shade", "2", file},
        {"--effect", "1", "--size", "4x4", "--colors", "1,2,3", file, Out("second.png")},
    };
    for (const QStringList& args : cases) {
        EXPECT_EQ(Run(args), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(m_stderr.contains("usage:")) << args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(RenderEffectCommand, UnwritableOutputFails)
{
    EXPECT_EQ(Run({"--effect", "0", "--size", "2x2", "--colors", "0,0,0", Out("no/such/folder/x.png")}), 1);
}

} // namespace
