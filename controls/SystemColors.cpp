#include "controls/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>
#include <optional>

namespace {

// The classic Windows scheme, used where no palette role fits and off screen.
constexpr std::array<ColorRef, 25> kClassic = {
    MakeColorRef(200, 200, 200), // scrollbar
    MakeColorRef(0, 0, 0),       // background (desktop)
    MakeColorRef(153, 180, 209), // active caption
    MakeColorRef(191, 205, 219), // inactive caption
    MakeColorRef(240, 240, 240), // menu
    MakeColorRef(255, 255, 255), // window
    MakeColorRef(100, 100, 100), // window frame
    MakeColorRef(0, 0, 0),       // menu text
    MakeColorRef(0, 0, 0),       // window text
    MakeColorRef(0, 0, 0),       // caption text
    MakeColorRef(180, 180, 180), // active border
    MakeColorRef(244, 247, 252), // inactive border
    MakeColorRef(171, 171, 171), // app workspace
    MakeColorRef(0, 120, 215),   // highlight
    MakeColorRef(255, 255, 255), // highlight text
    MakeColorRef(240, 240, 240), // button face
    MakeColorRef(160, 160, 160), // button shadow
    MakeColorRef(109, 109, 109), // gray text
    MakeColorRef(0, 0, 0),       // button text
    MakeColorRef(0, 0, 0),       // inactive caption text
    MakeColorRef(255, 255, 255), // button highlight
    MakeColorRef(105, 105, 105), // 3D dark shadow
    MakeColorRef(227, 227, 227), // 3D light
    MakeColorRef(0, 0, 0),       // info text
    MakeColorRef(255, 255, 225), // info background
};

std::optional<QPalette::ColorRole> RoleOf(int index)
{
    switch (index) {
    case kColorWindow: return QPalette::Base;
    case kColorWindowText: return QPalette::Text;
    case kColorMenu: return QPalette::Window;
    case kColorMenuText: return QPalette::WindowText;
    case kColorHighlight: return QPalette::Highlight;
    case kColorHighlightText: return QPalette::HighlightedText;
    case kColorBtnFace: return QPalette::Button;
    case kColorBtnText: return QPalette::ButtonText;
    case kColorBtnShadow: return QPalette::Dark;
    case kColorBtnHighlight: return QPalette::Light;
    case kColor3DDkShadow: return QPalette::Shadow;
    case kColor3DLight: return QPalette::Midlight;
    case kColorInfoBk: return QPalette::ToolTipBase;
    case kColorInfoText: return QPalette::ToolTipText;
    case kColorGrayText: return QPalette::PlaceholderText;
    default: return std::nullopt;
    }
}

} // namespace

ColorRef GetSysColor(int index)
{
    if (index < 0 || index >= static_cast<int>(kClassic.size()))
        return 0;
    if (qGuiApp != nullptr) {
        if (const auto role = RoleOf(index)) {
            const QColor c = QGuiApplication::palette().color(QPalette::Active, *role);
            return MakeColorRef(c.red(), c.green(), c.blue());
        }
    }
    return kClassic[static_cast<std::size_t>(index)];
}

int GetSystemMetric(int index)
{
    switch (index) {
    case kMetricCxIcon:
    case kMetricCyIcon:
        return 32;
    case kMetricCxSmIcon:
    case kMetricCySmIcon:
        return 16;
    default:
        return 0;
    }
}
