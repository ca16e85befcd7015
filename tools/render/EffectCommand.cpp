// deckmend-render effect: paints one background effect into a picture.
#include "controls/DrawingEffects.h"
#include "tools/render/Commands.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <array>
#include <cstdio>
#include <optional>

namespace {

constexpr int kUsageError = 2;
constexpr int kMaxSide = 32767;

int Usage(const char* problem)
{
    std::fprintf(stderr,
                 "deckmend-render effect: %s\n"
                 "usage: deckmend-render effect --effect N --size WxH --colors BEGIN,MIDDLE,END "
                 "[--granularity G] OUT.png\n"
                 "  colours are 0x00BBGGRR numbers, decimal or 0x hexadecimal\n",
                 problem);
    return kUsageError;
}

std::optional<long long> ReadNumber(const QString& text)
{
    bool ok = false;
    // Base 0 takes "0x" as hexadecimal; a leading 0 alone would read as octal, so
    // plain digits are read as decimal.
    const QString trimmed = text.trimmed();
    const bool hex = trimmed.startsWith("0x", Qt::CaseInsensitive);
    const long long value = hex ? trimmed.mid(2).toLongLong(&ok, 16) : trimmed.toLongLong(&ok, 10);
    if (!ok || (hex && trimmed.size() == 2))
        return std::nullopt;
    return value;
}

struct EffectArguments
{
    int effect = 0;
    int width = 0;
    int height = 0;
    std::array<ColorRef, 3> colours{};
    int granularity = 0;
    QString output;
};

// Reads the arguments; returns the problem text, or nullptr when they are complete.
const char* ReadArguments(const QStringList& args, EffectArguments& out)
{
    bool haveEffect = false;
    bool haveSize = false;
    bool haveColours = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith("--")) {
            if (!out.output.isEmpty())
                return "more than one output file";
            out.output = arg;
            continue;
        }
        if (i + 1 >= args.size())
            return "an option lacks its value";
        const QString value = args[++i];
        if (arg == "--effect") {
            const auto n = ReadNumber(value);
            if (!n || *n < -1000 || *n > 1000)
                return "--effect needs a number";
            out.effect = static_cast<int>(*n);
            haveEffect = true;
        } else if (arg == "--size") {
            const QRegularExpressionMatch m = QRegularExpression("^(\\d{1,5})[xX](\\d{1,5})$").match(value);
            if (!m.hasMatch())
                return "--size needs WxH";
            out.width = m.captured(1).toInt();
            out.height = m.captured(2).toInt();
            if (out.width < 1 || out.height < 1 || out.width > kMaxSide || out.height > kMaxSide)
                return "--size needs a width and height from 1 to 32767";
            haveSize = true;
        } else if (arg == "--colors") {
            const QStringList parts = value.split(',');
            if (parts.size() != 3)
                return "--colors needs three colours BEGIN,MIDDLE,END";
            for (int c = 0; c < 3; ++c) {
                const auto n = ReadNumber(parts[c]);
                if (!n || *n < 0 || *n > 0xFFFFFF)
                    return "a colour must be a number from 0 to 0xFFFFFF";
                out.colours[static_cast<std::size_t>(c)] = static_cast<ColorRef>(*n);
            }
            haveColours = true;
        } else if (arg == "--granularity") {
            const auto n = ReadNumber(value);
            if (!n || *n < 0 || *n > 255)
                return "--granularity needs a number from 0 to 255";
            out.granularity = static_cast<int>(*n);
        } else {
            return "unknown option";
        }
    }
    if (!haveEffect || !haveSize || !haveColours)
        return "--effect, --size and --colors are required";
    if (out.output.isEmpty())
        return "no output file";
    return nullptr;
}

} // namespace

int RunEffectCommand(const QStringList& args)
{
    EffectArguments a;
    if (const char* problem = ReadArguments(args, a))
        return Usage(problem);
    QImage image(a.width, a.height, QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "deckmend-render effect: cannot make a %dx%d picture\n", a.width, a.height);
        return 1;
    }
    // Effect -1 paints nothing, so what shows is this white.
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CPPDrawManager manager;
        manager.PaintBackgroundEffect(painter, image.rect(), a.effect, a.colours[0], a.colours[1], a.colours[2],
                                      a.granularity);
    }
    if (!image.save(a.output, "PNG")) {
        std::fprintf(stderr, "deckmend-render effect: cannot write %s\n", qPrintable(a.output));
        return 1;
    }
    return 0;
}
