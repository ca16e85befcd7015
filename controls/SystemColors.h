#pragma once
// The system colours the drawing and text layers ask for, by their Windows
// index (COLOR_BTNFACE is 15). Read from the application's palette when a Qt
// application exists, else the classic fixed values, so off-screen renders are
// reproducible.

#include "platform/ColorRef.h"

enum SysColorIndex : int
{
    kColorScrollbar = 0,
    kColorBackground = 1,
    kColorActiveCaption = 2,
    kColorInactiveCaption = 3,
    kColorMenu = 4,
    kColorWindow = 5,
    kColorWindowFrame = 6,
    kColorMenuText = 7,
    kColorWindowText = 8,
    kColorCaptionText = 9,
    kColorActiveBorder = 10,
    kColorInactiveBorder = 11,
    kColorAppWorkspace = 12,
    kColorHighlight = 13,
    kColorHighlightText = 14,
    kColorBtnFace = 15,
    kColorBtnShadow = 16,
    kColorGrayText = 17,
    kColorBtnText = 18,
    kColorInactiveCaptionText = 19,
    kColorBtnHighlight = 20,
    kColor3DDkShadow = 21,
    kColor3DLight = 22,
    kColorInfoText = 23,
    kColorInfoBk = 24,
};

ColorRef GetSysColor(int index);

// The system metrics the controls use.
enum SysMetricIndex : int
{
    kMetricCxIcon = 11,
    kMetricCyIcon = 12,
    kMetricCxSmIcon = 49,
    kMetricCySmIcon = 50,
};

int GetSystemMetric(int index);
