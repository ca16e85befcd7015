// deckmend-render markup: prints what the markup layer reads from a text, one JSON
// object a line: text runs with their style, empty elements and table parts.
#include "tools/render/Commands.h"

#include "controls/SystemColors.h"
#include "richtext/HtmlColors.h"
#include "richtext/HtmlMarkup.h"
#include "richtext/HtmlReader.h"
#include "richtext/HtmlStyleSheet.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <cstdio>

namespace {

// QJsonObject sorts its keys; the line is written by hand to keep them in order.
class JsonLine
{
public:
    void Add(const QString& key, const QJsonValue& value)
    {
        m_line += m_line.isEmpty() ? "{" : ",";
        m_line += Encode(key) + ':' + Encode(value);
    }

    QByteArray Finish() const { return m_line + "}\n"; }

private:
    // A lone value, escaped as JSON: the one element of a compact array.
    static QByteArray Encode(const QJsonValue& value)
    {
        const QByteArray array = QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    }

    QByteArray m_line;
};

// Attributes as written; a name given twice shows once, with its last value, and
// "tag" is left out since it names the element.
void AddAttributes(JsonLine& line, const HtmlAttributes& attributes)
{
    QStringList order;
    QHash<QString, QString> values;
    for (const HtmlAttribute& attribute : attributes) {
        if (attribute.m_name == u"tag")
            continue;
        if (!values.contains(attribute.m_name))
            order.append(attribute.m_name);
        values.insert(attribute.m_name, attribute.m_value);
    }
    for (const QString& name : order)
        line.Add(name, values.value(name));
}

QByteArray TextRunLine(const HtmlItem& item)
{
    const TextStyle& style = item.m_style;
    JsonLine line;
    line.Add("text", item.m_text);
    line.Add("size", style.m_size);
    line.Add("weight", style.m_weight);
    line.Add("italic", style.m_italic);
    line.Add("underline", style.m_underline);
    line.Add("strikeout", style.m_strikeOut);
    line.Add("overline", style.m_overline);
    line.Add("face", style.m_face);
    line.Add("color", static_cast<qint64>(style.m_color));
    line.Add("bgcolor", static_cast<qint64>(style.m_bgColor));
    line.Add("bgmode", style.m_bgMode);
    line.Add("halign", style.m_hAlign);
    line.Add("valign", style.m_vAlign);
    line.Add("link", style.m_linkKind);
    line.Add("href", style.m_linkText);
    return line.Finish();
}

QByteArray ItemLine(const HtmlItem& item)
{
    if (item.m_kind == HtmlItemKind::Text)
        return TextRunLine(item);
    JsonLine line;
    switch (item.m_kind) {
    case HtmlItemKind::Break:
    case HtmlItemKind::Tab:
        line.Add("tag", item.m_kind == HtmlItemKind::Break ? "br" : "t");
        line.Add("count", item.m_count);
        break;
    case HtmlItemKind::TableEnd:
    case HtmlItemKind::RowEnd:
    case HtmlItemKind::CellEnd:
        line.Add("tag", QString(u'/' + item.m_tag));
        break;
    default:
        line.Add("tag", item.m_tag);
        AddAttributes(line, item.m_attributes);
        break;
    }
    return line.Finish();
}

bool ReadArguments(const QStringList& args, int& dpi, QString& text)
{
    qsizetype i = 0;
    if (!args.isEmpty() && args[0] == u"--dpi") {
        if (args.size() < 2)
            return false;
        bool ok = false;
        dpi = args[1].toInt(&ok);
        if (!ok || dpi <= 0)
            return false;
        i = 2;
    }
    if (args.size() != i + 1)
        return false;
    text = args[i];
    return true;
}

} // namespace

int RunMarkupCommand(const QStringList& args)
{
    int dpi = 96;
    QString text;
    if (!ReadArguments(args, dpi, text)) {
        std::fprintf(stderr, "usage: deckmend-render markup [--dpi 96] TEXT\n");
        return 2;
    }
    const HtmlStyleSheet sheet = HtmlStyleSheet::Default();
    const HtmlColorTable colors;
    HtmlReadOptions options;
    options.m_dpi = dpi;
    options.m_disabledColor = GetSysColor(kColorBtnShadow);
    const QString prepared = PrepareHtmlText(text);
    for (const HtmlItem& item : ReadHtmlItems(prepared, sheet, colors, options)) {
        const QByteArray line = ItemLine(item);
        std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
