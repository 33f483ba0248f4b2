// The captain's overhead: its records and switch states, visible to the module's own tests.
// Element names follow the gauge's element table (number in the comment).
#pragma once

#include <cstdint>

#include "frame/records.h"

extern StaticImageElement background;          // 1
extern StaticImageElement compassWindow;       // 2
extern MovingImageElement compassCard;         // 3
extern StringElement frequency24Readout;       // 4
extern IconElement buttonStrip;                // 5
extern IconElement locLamp, appLamp, navLamp;  // 6, 7, 8
extern IconElement altLamp, hdgLamp, autoLamp; // 9, 10, 11
extern StringElement threeDigitReadout;        // 12
extern IconElement ignitionCutLeverIcon;       // 13
extern IconElement engine2MagnetoSelector;     // 14
extern IconElement engine1MagnetoSelector;     // 15
extern IconElement rightHandleIcon;            // 16
extern IconElement leftHandleIcon;             // 17
extern IconElement greenDot21, greenDot29, greenDot26;  // 18, 19, 20
extern IconElement toggle1017;                 // 21
extern IconElement engine2Toggle;              // 22
extern IconElement engine1Toggle;              // 23
extern IconElement starterSelectorIcon;        // 24
extern IconElement selectorBIcon;              // 25
extern IconElement selectorAIcon;              // 26
extern IconElement toggle210, toggle181;       // 27, 28
extern IconElement toggle155, toggle117;       // 29, 30
extern IconElement eventSwitch90;              // 31
extern IconElement gangedSwitch66;             // 32
extern IconElement gangedSwitch43;             // 33
extern IconElement toggle20;                   // 34
extern IconElement commandToggle;              // 35
extern StringElement fiveDigitReadout;         // 36
extern StringElement signedFourDigitReadout;   // 37
extern StringElement frequency27Readout;       // 38
extern StringElement extendedFrequencyReadout; // 39
extern StringElement frequency23Readout;       // 40
extern StringElement codeReadout;              // 41

extern int32_t selectorAPosition, selectorBPosition, starterPosition;
extern int32_t gangedSwitchState, eventSwitch90State;
extern int32_t leftHandleState, rightHandleState;

extern MouseRect mouseList[];
extern ElementHeader* rootElement;
