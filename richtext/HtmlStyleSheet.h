#pragma once
// The style sheet of the markup: rules by selector and the properties they set.

#include "richtext/HtmlMarkup.h"

#include <QMap>
#include <QString>
#include <QStringView>

struct HtmlValueContext;

// Selectors ("h2", "a:hover", ".cpp-comment") are stored in lower case with their
// declaration text; a later rule with the same selector replaces the earlier one.
class HtmlStyleSheet
{
public:
    // The sheet a renderer starts with.
    static HtmlStyleSheet Default();
    // The default sheet's text, every line ending in "\r\n".
    static QString DefaultText();

    // Reads the rules "selector {declarations}" of the text in order.
    void AddRules(QStringView text);
    // The declaration text of the selector (any case), or an empty text.
    QString Declarations(QStringView selector) const;
    // Applies the selector's declarations in the order written; false, with the
    // style untouched, when there is no such rule.
    bool Apply(QStringView selector, TextStyle& style, const HtmlValueContext& context) const;

private:
    QMap<QString, QString> m_rules;
};

// Applies declaration text ("color:red; font-size: 10pt") to the style. The text is
// lowered first, so names and keyword values match in any case.
void ApplyDeclarations(QStringView declarations, TextStyle& style, const HtmlValueContext& context);
