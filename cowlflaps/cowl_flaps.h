// The cowl flap levers gauge's records and shared lever position, visible to the module's
// own tests.
#pragma once

#include "frame/records.h"

// The position last chosen on either lever (one value for both levers), as a position
// number: 0 OPEN, 1 OFF on the opening side, 2 CLOSE, 3 OFF on the closing side, 4 TRAIL.
extern int32_t cowlFlapPosition;

extern StaticImageElement plate;
extern IconElement leftLever, rightLever;
extern MouseRect mouseList[];
extern ElementHeader* rootElement;
