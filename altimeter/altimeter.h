// The twin altimeter's records, visible to the module's own tests.
#pragma once

#include "frame/records.h"

extern StaticImageElement leftDial, rightDial;
extern StringElement leftWindow, rightWindow;
extern NeedleElement leftShortNeedle, rightShortNeedle, leftMiddleNeedle, rightMiddleNeedle, leftLongNeedle,
    rightLongNeedle;
extern ModuleVar settingUnitVar;
extern MouseRect mouseList[];
extern ElementHeader* rootElement;
