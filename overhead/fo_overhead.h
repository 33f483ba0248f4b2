// The first officer's overhead: its records and switch states, visible to the module's own
// tests. Element names follow the gauge's element table (number in the comment).
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
extern IconElement toggle1001;                 // 21
extern IconElement eventSwitch971;             // 22
extern IconElement eventSwitch942;             // 23
extern IconElement toggle912, toggle882;       // 24, 25
extern IconElement toggle852;                  // 26
extern IconElement toggle691, toggle669;       // 27, 28
extern IconElement gangedSwitch647;            // 29
extern IconElement gangedSwitch625;            // 30
extern IconElement toggle601, toggle577;       // 31, 32
extern IconElement engine2Toggle;              // 33
extern IconElement engine1Toggle;              // 34
extern IconElement starterSelectorIcon;        // 35
extern IconElement selectorBIcon;              // 36
extern IconElement selectorAIcon;              // 37
extern IconElement orangeDot;                  // 38
extern IconElement blankPlacard;               // 39
extern StringElement fiveDigitReadout;         // 40
extern StringElement signedFourDigitReadout;   // 41
extern StringElement frequency27Readout;       // 42
extern StringElement extendedFrequencyReadout; // 43
extern StringElement frequency23Readout;       // 44
extern StringElement codeReadout;              // 45

extern int32_t selectorAPosition, selectorBPosition, starterPosition;
extern int32_t gangedSwitchState, eventSwitch942State, eventSwitch971State;
extern int32_t leftHandleState, rightHandleState;

extern MouseRect mouseList[];
extern ElementHeader* rootElement;
