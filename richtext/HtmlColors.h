#pragma once
// The colour names of the markup: the named colours and the system colour names.

#include "platform/ColorRef.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <optional>

// Names map to colours by exact match (lower case). System colour names take the
// system colours read when the table is built, as the renderer does once.
class HtmlColorTable
{
public:
    HtmlColorTable();

    std::optional<ColorRef> Find(QStringView name) const;

private:
    QHash<QString, ColorRef> m_colors;
};
