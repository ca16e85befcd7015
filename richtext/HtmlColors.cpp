// The colour names of the markup: 140 named colours and the system colour names.
#include "richtext/HtmlColors.h"

#include "controls/SystemColors.h"

#include <array>

namespace {

struct NamedColor
{
    QStringView m_name;
    ColorRef m_color;
};

// One spelling per colour: "gray" forms, except "lightgrey".
constexpr std::array<NamedColor, 140> kNamedColors = { {
    { u"aqua", MakeColorRef(0, 255, 255) },
    { u"black", MakeColorRef(0, 0, 0) },
    { u"blue", MakeColorRef(0, 0, 255) },
    { u"brown", MakeColorRef(165, 42, 42) },
    { u"cyan", MakeColorRef(0, 255, 255) },
    { u"gold", MakeColorRef(255, 215, 0) },
    { u"gray", MakeColorRef(128, 128, 128) },
    { u"green", MakeColorRef(0, 128, 0) },
    { u"magenta", MakeColorRef(255, 0, 255) },
    { u"maroon", MakeColorRef(128, 0, 0) },
    { u"navy", MakeColorRef(0, 0, 128) },
    { u"olive", MakeColorRef(128, 128, 0) },
    { u"orange", MakeColorRef(255, 165, 0) },
    { u"pink", MakeColorRef(255, 192, 203) },
    { u"purple", MakeColorRef(128, 0, 128) },
    { u"red", MakeColorRef(255, 0, 0) },
    { u"silver", MakeColorRef(192, 192, 192) },
    { u"snow", MakeColorRef(255, 250, 250) },
    { u"violet", MakeColorRef(238, 130, 238) },
    { u"white", MakeColorRef(255, 255, 255) },
    { u"yellow", MakeColorRef(255, 255, 0) },
    { u"aliceblue", MakeColorRef(240, 248, 255) },
    { u"antiquewhite", MakeColorRef(250, 235, 215) },
    { u"aquamarine", MakeColorRef(127, 255, 212) },
    { u"azure", MakeColorRef(240, 255, 255) },
    { u"beige", MakeColorRef(245, 245, 220) },
    { u"bisque", MakeColorRef(255, 228, 196) },
    { u"blanchedalmond", MakeColorRef(255, 235, 205) },
    { u"blueviolet", MakeColorRef(138, 43, 226) },
    { u"burlywood", MakeColorRef(222, 184, 135) },
    { u"cadetblue", MakeColorRef(95, 158, 160) },
    { u"chartreuse", MakeColorRef(127, 255, 0) },
    { u"chocolate", MakeColorRef(210, 105, 30) },
    { u"coral", MakeColorRef(255, 127, 80) },
    { u"cornflowerblue", MakeColorRef(100, 149, 237) },
    { u"cornsilk", MakeColorRef(255, 248, 220) },
    { u"crimson", MakeColorRef(220, 20, 60) },
    { u"darkblue", MakeColorRef(0, 0, 139) },
    { u"darkcyan", MakeColorRef(0, 139, 139) },
    { u"darkgoldenrod", MakeColorRef(184, 134, 11) },
    { u"darkgray", MakeColorRef(169, 169, 169) },
    { u"darkgreen", MakeColorRef(0, 100, 0) },
    { u"darkkhaki", MakeColorRef(189, 183, 107) },
    { u"darkmagenta", MakeColorRef(139, 0, 139) },
    { u"darkolivegreen", MakeColorRef(85, 107, 47) },
    { u"darkorange", MakeColorRef(255, 140, 0) },
    { u"darkorchid", MakeColorRef(153, 50, 204) },
    { u"darkred", MakeColorRef(139, 0, 0) },
    { u"darksalmon", MakeColorRef(233, 150, 122) },
    { u"darkseagreen", MakeColorRef(143, 188, 143) },
    { u"darkslateblue", MakeColorRef(72, 61, 139) },
    { u"darkslategray", MakeColorRef(47, 79, 79) },
    { u"darkturquoise", MakeColorRef(0, 206, 209) },
    { u"darkviolet", MakeColorRef(148, 0, 211) },
    { u"deeppink", MakeColorRef(255, 20, 147) },
    { u"deepskyblue", MakeColorRef(0, 191, 255) },
    { u"dimgray", MakeColorRef(105, 105, 105) },
    { u"dodgerblue", MakeColorRef(30, 144, 255) },
    { u"firebrick", MakeColorRef(178, 34, 34) },
    { u"floralwhite", MakeColorRef(255, 250, 240) },
    { u"forestgreen", MakeColorRef(34, 139, 34) },
    { u"fuchsia", MakeColorRef(255, 0, 255) },
    { u"gainsboro", MakeColorRef(220, 220, 220) },
    { u"ghostwhite", MakeColorRef(248, 248, 255) },
    { u"goldenrod", MakeColorRef(218, 165, 32) },
    { u"greenyellow", MakeColorRef(173, 255, 47) },
    { u"honeydew", MakeColorRef(240, 255, 240) },
    { u"hotpink", MakeColorRef(255, 105, 180) },
    { u"indianred", MakeColorRef(205, 92, 92) },
    { u"indigo", MakeColorRef(75, 0, 130) },
    { u"ivory", MakeColorRef(255, 255, 240) },
    { u"khaki", MakeColorRef(240, 230, 140) },
    { u"lavender", MakeColorRef(230, 230, 250) },
    { u"lavenderblush", MakeColorRef(255, 240, 245) },
    { u"lawngreen", MakeColorRef(124, 252, 0) },
    { u"lemonchiffon", MakeColorRef(255, 250, 205) },
    { u"lightblue", MakeColorRef(173, 216, 230) },
    { u"lightcoral", MakeColorRef(240, 128, 128) },
    { u"lightcyan", MakeColorRef(224, 255, 255) },
    { u"lightgoldenrodyellow", MakeColorRef(250, 250, 210) },
    { u"lightgreen", MakeColorRef(144, 238, 144) },
    { u"lightgrey", MakeColorRef(211, 211, 211) },
    { u"lightpink", MakeColorRef(255, 182, 193) },
    { u"lightsalmon", MakeColorRef(255, 160, 122) },
    { u"lightseagreen", MakeColorRef(32, 178, 170) },
    { u"lightskyblue", MakeColorRef(135, 206, 250) },
    { u"lightslategray", MakeColorRef(119, 136, 153) },
    { u"lightsteelblue", MakeColorRef(176, 196, 222) },
    { u"lightyellow", MakeColorRef(255, 255, 224) },
    { u"lime", MakeColorRef(0, 255, 0) },
    { u"limegreen", MakeColorRef(50, 205, 50) },
    { u"linen", MakeColorRef(250, 240, 230) },
    { u"mediumaquamarine", MakeColorRef(102, 205, 170) },
    { u"mediumblue", MakeColorRef(0, 0, 205) },
    { u"mediumorchid", MakeColorRef(186, 85, 211) },
    { u"mediumpurple", MakeColorRef(147, 112, 219) },
    { u"mediumseagreen", MakeColorRef(60, 179, 113) },
    { u"mediumslateblue", MakeColorRef(123, 104, 238) },
    { u"mediumspringgreen", MakeColorRef(0, 250, 154) },
    { u"mediumturquoise", MakeColorRef(72, 209, 204) },
    { u"mediumvioletred", MakeColorRef(199, 21, 133) },
    { u"midnightblue", MakeColorRef(25, 25, 112) },
    { u"mintcream", MakeColorRef(245, 255, 250) },
    { u"mistyrose", MakeColorRef(255, 228, 225) },
    { u"moccasin", MakeColorRef(255, 228, 181) },
    { u"navajowhite", MakeColorRef(255, 222, 173) },
    { u"oldlace", MakeColorRef(253, 245, 230) },
    { u"olivedrab", MakeColorRef(107, 142, 35) },
    { u"orangered", MakeColorRef(255, 69, 0) },
    { u"orchid", MakeColorRef(218, 112, 214) },
    { u"palegoldenrod", MakeColorRef(238, 232, 170) },
    { u"palegreen", MakeColorRef(152, 251, 152) },
    { u"paleturquoise", MakeColorRef(175, 238, 238) },
    { u"palevioletred", MakeColorRef(219, 112, 147) },
    { u"papayawhip", MakeColorRef(255, 239, 213) },
    { u"peachpuff", MakeColorRef(255, 218, 185) },
    { u"peru", MakeColorRef(205, 133, 63) },
    { u"plum", MakeColorRef(221, 160, 221) },
    { u"powderblue", MakeColorRef(176, 224, 230) },
    { u"rosybrown", MakeColorRef(188, 143, 143) },
    { u"royalblue", MakeColorRef(65, 105, 225) },
    { u"saddlebrown", MakeColorRef(139, 69, 19) },
    { u"salmon", MakeColorRef(250, 128, 114) },
    { u"sandybrown", MakeColorRef(244, 164, 96) },
    { u"seagreen", MakeColorRef(46, 139, 87) },
    { u"seashell", MakeColorRef(255, 245, 238) },
    { u"sienna", MakeColorRef(160, 82, 45) },
    { u"skyblue", MakeColorRef(135, 206, 235) },
    { u"slateblue", MakeColorRef(106, 90, 205) },
    { u"slategray", MakeColorRef(112, 128, 144) },
    { u"springgreen", MakeColorRef(0, 255, 127) },
    { u"steelblue", MakeColorRef(70, 130, 180) },
    { u"tan", MakeColorRef(210, 180, 140) },
    { u"teal", MakeColorRef(0, 128, 128) },
    { u"thistle", MakeColorRef(216, 191, 216) },
    { u"tomato", MakeColorRef(255, 99, 71) },
    { u"turquoise", MakeColorRef(64, 224, 208) },
    { u"wheat", MakeColorRef(245, 222, 179) },
    { u"whitesmoke", MakeColorRef(245, 245, 245) },
    { u"yellowgreen", MakeColorRef(154, 205, 50) },
} };

struct SystemColorName
{
    QStringView m_name;
    int m_index;
};

constexpr std::array<SystemColorName, 28> kSystemColorNames = { {
    { u"activeborder", kColorActiveBorder },
    { u"activecaption", kColorActiveCaption },
    { u"appworkspace", kColorAppWorkspace },
    { u"background", kColorBackground },
    { u"buttonface", kColorBtnFace },
    { u"buttonhighlight", kColorBtnHighlight },
    { u"buttonshadow", kColorBtnShadow },
    { u"buttontext", kColorBtnText },
    { u"captiontext", kColorCaptionText },
    { u"graytext", kColorGrayText },
    { u"highlight", kColorHighlight },
    { u"highlighttext", kColorHighlightText },
    { u"inactiveborder", kColorInactiveBorder },
    { u"inactivecaption", kColorInactiveCaption },
    { u"inactivecaptiontext", kColorInactiveCaptionText },
    { u"infobackground", kColorInfoBk },
    { u"infotext", kColorInfoText },
    { u"menu", kColorMenu },
    { u"menutext", kColorMenuText },
    { u"scrollbar", kColorScrollbar },
    { u"threeddarkshadow", kColor3DDkShadow },
    { u"threedface", kColorBtnFace },
    { u"threedhighlight", kColorBtnHighlight },
    { u"threedlightshadow", kColor3DLight },
    { u"threedshadow", kColorBtnShadow },
    { u"window", kColorWindow },
    { u"windowframe", kColorWindowFrame },
    { u"windowtext", kColorWindowText },
} };

} // namespace

HtmlColorTable::HtmlColorTable()
{
    m_colors.reserve(kNamedColors.size() + kSystemColorNames.size());
    for (const NamedColor& named : kNamedColors)
        m_colors.insert(named.m_name.toString(), named.m_color);
    for (const SystemColorName& system : kSystemColorNames)
        m_colors.insert(system.m_name.toString(), GetSysColor(system.m_index));
}

std::optional<ColorRef> HtmlColorTable::Find(QStringView name) const
{
    const auto it = m_colors.constFind(name.toString());
    if (it == m_colors.cend())
        return std::nullopt;
    return *it;
}
