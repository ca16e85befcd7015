// deckmend-render: a developer tool that writes what the drawing effects and the
// markup layer produce, so they can be looked at and compared.

#include "tools/render/Commands.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

void PrintUsage()
{
    std::fprintf(stderr,
                 "usage: deckmend-render effect --effect N --size WxH --colors BEGIN,MIDDLE,END [--granularity G] OUT.png\n"
                 "       deckmend-render markup [--dpi 96] TEXT\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        PrintUsage();
        return 2;
    }
    const QString command = args.takeFirst();
#ifdef DECKMEND_RENDER_EFFECT
    if (command == "effect")
        return RunEffectCommand(args);
#endif
#ifdef DECKMEND_RENDER_MARKUP
    if (command == "markup")
        return RunMarkupCommand(args);
#endif
    PrintUsage();
    return 2;
}
