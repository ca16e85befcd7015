// deckmend-render markup: the JSON lines a user of the tool reads.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

#ifdef DECKMEND_RENDER_TOOL

QList<QByteArray> RunMarkupTool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral(DECKMEND_RENDER_TOOL), QStringList { QStringLiteral("markup") } + args);
    EXPECT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 0);
    QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
    EXPECT_TRUE(lines.last().isEmpty()); // every line ends in a line feed
    lines.removeLast();
    return lines;
}

TEST(MarkupCommand, PrintsRunsWithTheirStyleInTheGivenKeyOrder)
{
    const QList<QByteArray> lines = RunMarkupTool({ QStringLiteral("<b>Hi \"you\"</b><br=2><a href='x y'>go</a>") });
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0],
              QByteArray(R"({"text":"Hi \"you\"","size":13,"weight":800,"italic":false,"underline":false,)"
                         R"("strikeout":false,"overline":false,"face":"verdana","color":0,"bgcolor":16777215,)"
                         R"("bgmode":1,"halign":0,"valign":3,"link":0,"href":""})"));
    EXPECT_EQ(lines[1], QByteArray(R"({"tag":"br","count":2})"));
    const QJsonObject link = QJsonDocument::fromJson(lines[2]).object();
    EXPECT_EQ(link.value("link").toInt(), 1);
    EXPECT_EQ(link.value("href").toString(), QStringLiteral("x y"));
    EXPECT_EQ(link.value("color").toInteger(), 0xFF0000); // blue as 0x00BBGGRR
}

TEST(MarkupCommand, TakesTheDpiAndPrintsElementAttributes)
{
    const QList<QByteArray> lines =
        RunMarkupTool({ QStringLiteral("--dpi"), QStringLiteral("144"), QStringLiteral("x<hr width=50% size=2>") });
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(QJsonDocument::fromJson(lines[0]).object().value("size").toInt(), 20); // 10pt at 144 dpi
    EXPECT_EQ(lines[1], QByteArray(R"({"tag":"hr","width":"50%","size":"2"})"));
}

TEST(MarkupCommand, RefusesMissingText)
{
    QProcess tool;
    tool.start(QStringLiteral(DECKMEND_RENDER_TOOL), { QStringLiteral("markup"), QStringLiteral("--dpi") });
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 2);
    EXPECT_TRUE(tool.readAllStandardOutput().isEmpty());
}

#else

TEST(MarkupCommand, NeedsTheRenderTool)
{
    GTEST_SKIP() << "deckmend-render is not part of this build";
}

#endif

} // namespace
