#pragma once
// The style in force while a text is read: the current record, the stack of saved
// records with their closing groups, and what the container tags do to them.

#include "richtext/HtmlMarkup.h"
#include "richtext/HtmlValues.h"

#include <QList>

#include <functional>

class HtmlStyleSheet;

constexpr int kNoHoveredLink = -2;

// Height of the letter "x" in the font made from a style. Without one, the font's
// cell height is taken, which is the height a text extent of "x" has.
using XHeightFunction = std::function<int(const TextStyle&)>;

class HtmlStyleState
{
public:
    // The sheet must outlive the state. values gives the dpi and colour settings.
    HtmlStyleState(const HtmlStyleSheet& sheet, const HtmlValueContext& values, int hoveredLink = kNoHoveredLink,
                   XHeightFunction xHeightOf = {});

    // Start of a pass: no saved styles, the defaults with the rule "body", the font
    // made, and the link counter at 0.
    void Reset();

    const TextStyle& Current() const { return m_current; }
    TextStyle& Current() { return m_current; }
    // Values read now depend on the font made last.
    const HtmlValueContext& Values() const { return m_values; }
    const HtmlStyleSheet& Sheet() const { return m_sheet; }
    qsizetype Depth() const { return m_stack.size(); }

    // Gives the current style the group and saves a copy; returns the depth before,
    // which RestoreSaved takes.
    qsizetype Save(QStringView group);
    // Makes the style saved at that depth current again and forgets everything saved
    // after it, whatever tags were left open in between; makes the font again.
    void RestoreSaved(qsizetype depth);
    // A closing tag: when the last saved style carries the group it becomes current
    // (true, font made again); otherwise nothing changes.
    bool Close(QStringView group);

    // Applies a rule of the sheet to the current style (nothing when it is missing).
    void ApplyRule(QStringView selector);
    // The font is made again from the current style.
    void MakeFont();

    // Numbers links from 0 in the order of their "a" tags.
    int OpenLink() { return m_lastLink = m_nextLink++; }
    // The number of the last link opened, or -1 before the first.
    int LastLink() const { return m_lastLink; }
    bool IsHovered(int link) const { return link == m_hoveredLink; }

private:
    const HtmlStyleSheet& m_sheet;
    HtmlValueContext m_values;
    int m_hoveredLink;
    XHeightFunction m_xHeightOf;
    TextStyle m_current;
    QList<TextStyle> m_stack;
    int m_nextLink = 0;
    int m_lastLink = -1;
};

// An opening container tag: saves the style under the tag's group, applies the tag's
// effect with its attributes, and makes the font again.
void OpenContainerTag(HtmlStyleState& state, const HtmlTagInfo& tag, QStringView attributeText);

// "style" of "font": "b", "i", "u", "s", "o" switch bold, italic, underline,
// strike-out and overline on, or off after "-".
void ApplyFontStyleLetters(QStringView letters, TextStyle& style);
