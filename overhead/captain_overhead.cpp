// The captain's half of the overhead panel, "QTX-K7M-Captains-Overhead-FS98-v1s": every element
// and mouse rectangle of the gauge, row for row in the order of its element and mouse tables,
// built from the overhead families. Elements at x 1023 or more, or y 85 or more, lie outside
// the background and are never seen: they are the part of the shared readout set this gauge
// hides. Uses the frame, the overhead families and the platform seam through them; never the
// host.
#include "captain_overhead.h"

#include "frame/content.h"
#include "magneto.h"
#include "readouts.h"
#include "sound/player.h"
#include "switches.h"

// One cache entry for each of the six sounds the module carries.
constinit SoundCacheEntries<6> soundCacheEntries{};
constinit SoundCache soundCache = soundCacheOver(soundCacheEntries);

namespace {

// The module's WAVE resources (captain_overhead.rc): the first officer's sounds under ids of
// their own.
constexpr int32_t switchClick = 9001;
constexpr int32_t magnetoClick = 9201;
constexpr int32_t knobClick = 9401;
constexpr int32_t selectorSound = 9601;
constexpr int32_t longToggleSound = 9801;
constexpr int32_t ignitionCutSound = 9901;

// Switch instances. Each record names the icons its functions write and the sounds and events
// of its rectangles; the templates stamp one function per record (and position or half).
constexpr PositionSwitch selectorA{selectorAIcon, selectorAPosition, {switchClick, switchClick, switchClick}};
constexpr PositionSwitch selectorB{selectorBIcon, selectorBPosition, {switchClick, selectorSound, selectorSound}};
constexpr StarterSelector starterSelector{
    starterSelectorIcon, starterPosition, switchClick,
    {{selectorAIcon, selectorBIcon, ignitionCutLeverIcon, engine1Toggle, 65931},
     {selectorAIcon, selectorBIcon, ignitionCutLeverIcon, engine2Toggle, 65937}}};

constexpr Toggle buttonStripToggle{buttonStrip, switchClick};
// The leftmost toggle is the one control of either overhead that also sends the panel command.
constexpr Toggle commandToggleSwitch{commandToggle, switchClick, true};
constexpr Toggle toggle20Switch{toggle20, switchClick};
constexpr Toggle toggle117Switch{toggle117, switchClick};
constexpr Toggle toggle155Switch{toggle155, switchClick};
constexpr Toggle toggle181Switch{toggle181, switchClick};
constexpr Toggle toggle210Switch{toggle210, switchClick};
constexpr Toggle engine1ToggleUpper{engine1Toggle, longToggleSound};
constexpr Toggle engine1ToggleLower{engine1Toggle, switchClick};
constexpr Toggle engine2ToggleUpper{engine2Toggle, longToggleSound};
constexpr Toggle engine2ToggleLower{engine2Toggle, switchClick};
constexpr Toggle toggle1017Switch{toggle1017, switchClick};

constexpr EventSwitch gangedSwitch{{&gangedSwitch43, &gangedSwitch66}, gangedSwitchState, switchClick, {66060, 66059}};
constexpr EventSwitch eventSwitch90Switch{{&eventSwitch90, nullptr}, eventSwitch90State, switchClick, {66053, 66052}};

constexpr Handle leftHandle{leftHandleIcon, leftHandleState, switchClick, 66003, 66007};
constexpr Handle rightHandle{rightHandleIcon, rightHandleState, switchClick, 66008, 66012};

constexpr MagnetoSelector engine1Selector{magnetoEngine1, magnetoClick};
constexpr MagnetoSelector engine2Selector{magnetoEngine2, magnetoClick};
constexpr IgnitionCutLever ignitionCutLever{ignitionCutSound, magnetoClick};

// The tree: the background holds the compass window, which holds the card; the card holds the
// chain from the frequency readout #4 down to #35 and the four radio readouts #38 to #41; the
// AUTO lamp #11 also holds the two decimal readouts #36 and #37.
constinit NextList underBackground[] = {element(compassWindow), nullptr};
constinit NextList underCompassWindow[] = {element(compassCard), nullptr};
constinit NextList underCompassCard[] = {element(frequency24Readout), element(frequency27Readout),
                                         element(extendedFrequencyReadout), element(frequency23Readout),
                                         element(codeReadout), nullptr};
constinit NextList underFrequency24[] = {element(buttonStrip), nullptr};
constinit NextList underButtonStrip[] = {element(locLamp), nullptr};
constinit NextList underLocLamp[] = {element(appLamp), nullptr};
constinit NextList underAppLamp[] = {element(navLamp), nullptr};
constinit NextList underNavLamp[] = {element(altLamp), nullptr};
constinit NextList underAltLamp[] = {element(hdgLamp), nullptr};
constinit NextList underHdgLamp[] = {element(autoLamp), nullptr};
constinit NextList underAutoLamp[] = {element(threeDigitReadout), element(fiveDigitReadout),
                                      element(signedFourDigitReadout), nullptr};
constinit NextList underThreeDigit[] = {element(ignitionCutLeverIcon), nullptr};
constinit NextList underIgnitionCutLever[] = {element(engine2MagnetoSelector), nullptr};
constinit NextList underEngine2Magneto[] = {element(engine1MagnetoSelector), nullptr};
constinit NextList underEngine1Magneto[] = {element(rightHandleIcon), nullptr};
constinit NextList underRightHandle[] = {element(leftHandleIcon), nullptr};
constinit NextList underLeftHandle[] = {element(greenDot21), nullptr};
constinit NextList underGreenDot21[] = {element(greenDot29), nullptr};
constinit NextList underGreenDot29[] = {element(greenDot26), nullptr};
constinit NextList underGreenDot26[] = {element(toggle1017), nullptr};
constinit NextList underToggle1017[] = {element(engine2Toggle), nullptr};
constinit NextList underEngine2Toggle[] = {element(engine1Toggle), nullptr};
constinit NextList underEngine1Toggle[] = {element(starterSelectorIcon), nullptr};
constinit NextList underStarterSelector[] = {element(selectorBIcon), nullptr};
constinit NextList underSelectorB[] = {element(selectorAIcon), nullptr};
constinit NextList underSelectorA[] = {element(toggle210), nullptr};
constinit NextList underToggle210[] = {element(toggle181), nullptr};
constinit NextList underToggle181[] = {element(toggle155), nullptr};
constinit NextList underToggle155[] = {element(toggle117), nullptr};
constinit NextList underToggle117[] = {element(eventSwitch90), nullptr};
constinit NextList underEventSwitch90[] = {element(gangedSwitch66), nullptr};
constinit NextList underGanged66[] = {element(gangedSwitch43), nullptr};
constinit NextList underGanged43[] = {element(toggle20), nullptr};
constinit NextList underToggle20[] = {element(commandToggle), nullptr};

}  // namespace

constinit int32_t selectorAPosition = 0;
constinit int32_t selectorBPosition = 0;
constinit int32_t starterPosition = 0;
constinit int32_t gangedSwitchState = 0;
constinit int32_t eventSwitch90State = 0;
constinit int32_t leftHandleState = 0;
constinit int32_t rightHandleState = 0;

// Elements, in the order of the element table.
constinit StaticImageElement background =
    staticImage({.imageId = 1000, .x = 0, .y = 0, .imageFlags = 0x1, .next = underBackground});
constinit StaticImageElement compassWindow =
    staticImage({.imageId = 3600, .x = 690, .y = 134, .imageFlags = 0x1, .next = underCompassWindow});
constinit MovingImageElement compassCard = movingImage(
    {.imageId = 3800, .x = 712, .y = 175, .imageFlags = 0x3, .next = underCompassCard, .failure = compassFailure},
    {.xToken = 83, .xLaw = compassCardX, .xMin = 0, .xMax = 360, .yToken = 0, .yLaw = compassCardY, .yMin = 0, .yMax = 0});
constinit StringElement frequency24Readout = string(
    {.x = 313, .y = 10, .imageFlags = 0x6, .next = underFrequency24, .failure = frequency24Failure},
    readout({.tokens = {24, 0, 0}, .law = bcdFrequencyText<frequency24Readout>, .boxWidth = 44, .boxHeight = 10,
             .maxChars = 6, .highlights = frequency24Highlights}));
constinit IconElement buttonStrip =
    icon({.imageId = 3410, .x = 443, .y = 3, .imageFlags = 0x7, .next = underButtonStrip}, {.stateCount = 2});
constinit IconElement locLamp =
    icon({.imageId = 3010, .x = 540, .y = 3, .imageFlags = 0x7, .next = underLocLamp, .failure = lampFailure},
         {.token = 112, .law = armedTestState<hdgLampLit>, .stateCount = 3});
constinit IconElement appLamp =
    icon({.imageId = 2810, .x = 518, .y = 3, .imageFlags = 0x7, .next = underAppLamp, .failure = lampFailure},
         {.token = 111, .law = armedTestState<altLampLit>, .stateCount = 3});
constinit IconElement navLamp =
    icon({.imageId = 2610, .x = 496, .y = 3, .imageFlags = 0x7, .next = underNavLamp, .failure = lampFailure},
         {.token = 105, .law = armedTestState<hdgLampLit>, .stateCount = 3});
constinit IconElement altLamp =
    icon({.imageId = 2410, .x = 474, .y = 3, .imageFlags = 0x7, .next = underAltLamp, .failure = lampFailure},
         {.token = 108, .law = zeroTestStateWithFlag<altLampLit>, .stateCount = 3});
constinit IconElement hdgLamp =
    icon({.imageId = 3210, .x = 562, .y = 3, .imageFlags = 0x7, .next = underHdgLamp, .failure = lampFailure},
         {.token = 106, .law = zeroTestStateWithFlag<hdgLampLit>, .stateCount = 3});
constinit IconElement autoLamp =
    icon({.imageId = 2210, .x = 443, .y = 3, .imageFlags = 0x7, .next = underAutoLamp, .failure = lampFailure},
         {.token = 103, .law = zeroTestState, .stateCount = 3});
constinit StringElement threeDigitReadout = string(
    {.x = 558, .y = 36, .imageFlags = 0x6, .extraFlags = 2, .next = underThreeDigit, .failure = readoutFailure},
    readout({.tokens = {107, 0, 0}, .law = roundedThreeDigitText<threeDigitReadout>, .boxWidth = 22, .boxHeight = 10,
             .maxChars = 3}));
constinit IconElement ignitionCutLeverIcon = icon(
    {.imageId = 2000, .x = 730, .y = -3, .imageFlags = 0x3, .next = underIgnitionCutLever, .failure = magnetoClusterFailure},
    {.law = ignitionCutState, .stateCount = 2});
constinit IconElement engine2MagnetoSelector = icon(
    {.imageId = 1800, .x = 748, .y = 30, .imageFlags = 0x3, .next = underEngine2Magneto, .failure = magnetoClusterFailure},
    {.law = magnetoState<magnetoEngine2>, .stateCount = 4});
constinit IconElement engine1MagnetoSelector = icon(
    {.imageId = 1600, .x = 658, .y = 29, .imageFlags = 0x3, .next = underEngine1Magneto, .failure = magnetoClusterFailure},
    {.law = magnetoState<magnetoEngine1>, .stateCount = 4});
constinit IconElement rightHandleIcon = icon({.imageId = 1200, .x = 812, .y = -2, .imageFlags = 0x3, .next = underRightHandle},
                                             {.law = handleState, .stateCount = 2});
constinit IconElement leftHandleIcon = icon({.imageId = 1200, .x = 600, .y = -2, .imageFlags = 0x3, .next = underLeftHandle},
                                            {.law = handleState, .stateCount = 2});
constinit IconElement greenDot21 =
    icon({.imageId = 4200, .x = 397, .y = 23, .imageFlags = 0x7, .next = underGreenDot21, .failure = lampFailure},
         {.token = 21, .law = zeroTestState, .stateCount = 2});
constinit IconElement greenDot29 =
    icon({.imageId = 4200, .x = 1333, .y = 23, .imageFlags = 0x7, .next = underGreenDot29, .failure = lampFailure},
         {.token = 29, .law = zeroTestState, .stateCount = 2});
constinit IconElement greenDot26 =
    icon({.imageId = 4200, .x = 333, .y = 23, .imageFlags = 0x7, .next = underGreenDot26, .failure = lampFailure},
         {.token = 26, .law = zeroTestState, .stateCount = 2});
constinit IconElement toggle1017 =
    icon({.imageId = 5200, .x = 1017, .y = 20, .imageFlags = 0x3, .next = underToggle1017}, {.stateCount = 2});
constinit IconElement engine2Toggle =
    icon({.imageId = 5000, .x = 992, .y = 20, .imageFlags = 0x3, .next = underEngine2Toggle}, {.stateCount = 2});
constinit IconElement engine1Toggle =
    icon({.imageId = 5000, .x = 967, .y = 20, .imageFlags = 0x3, .next = underEngine1Toggle}, {.stateCount = 2});
constinit IconElement starterSelectorIcon =
    icon({.imageId = 4800, .x = 938, .y = 20, .imageFlags = 0x3, .next = underStarterSelector}, {.stateCount = 3});
constinit IconElement selectorBIcon =
    icon({.imageId = 4800, .x = 908, .y = 20, .imageFlags = 0x3, .next = underSelectorB}, {.stateCount = 3});
constinit IconElement selectorAIcon =
    icon({.imageId = 4800, .x = 881, .y = 20, .imageFlags = 0x3, .next = underSelectorA}, {.stateCount = 3});
constinit IconElement toggle210 =
    icon({.imageId = 5400, .x = 210, .y = 20, .imageFlags = 0x3, .next = underToggle210}, {.stateCount = 2});
constinit IconElement toggle181 =
    icon({.imageId = 5400, .x = 181, .y = 20, .imageFlags = 0x3, .next = underToggle181}, {.stateCount = 2});
constinit IconElement toggle155 =
    icon({.imageId = 5700, .x = 155, .y = 15, .imageFlags = 0x3, .next = underToggle155}, {.stateCount = 2});
constinit IconElement toggle117 =
    icon({.imageId = 4400, .x = 117, .y = 25, .imageFlags = 0x3, .next = underToggle117}, {.stateCount = 2});
constinit IconElement eventSwitch90 =
    icon({.imageId = 4400, .x = 90, .y = 25, .imageFlags = 0x3, .next = underEventSwitch90}, {.stateCount = 2});
constinit IconElement gangedSwitch66 =
    icon({.imageId = 4600, .x = 66, .y = 25, .imageFlags = 0x3, .next = underGanged66}, {.stateCount = 2});
constinit IconElement gangedSwitch43 =
    icon({.imageId = 4600, .x = 43, .y = 25, .imageFlags = 0x3, .next = underGanged43}, {.stateCount = 2});
constinit IconElement toggle20 =
    icon({.imageId = 4400, .x = 20, .y = 25, .imageFlags = 0x3, .next = underToggle20}, {.stateCount = 2});
constinit IconElement commandToggle = icon({.imageId = 4400, .x = -2, .y = 25, .imageFlags = 0x3}, {.stateCount = 2});
constinit StringElement fiveDigitReadout = string(
    {.x = 467, .y = 36, .imageFlags = 0x6, .extraFlags = 1, .failure = readoutFailure},
    readout({.tokens = {109, 335, 0}, .law = roundedFiveDigitText<fiveDigitReadout>, .boxWidth = 36, .boxHeight = 10,
             .maxChars = 5}));
constinit StringElement signedFourDigitReadout = string(
    {.x = 511, .y = 36, .imageFlags = 0x6, .failure = readoutFailure},
    readout({.tokens = {120, 0, 0}, .law = signedFourDigitText<signedFourDigitReadout>, .boxWidth = 36,
             .boxHeight = 10, .maxChars = 5}));
constinit StringElement frequency27Readout = string(
    {.x = 1200, .y = 10, .imageFlags = 0x6, .failure = frequency27Failure},
    readout({.tokens = {27, 0, 0}, .law = bcdFrequencyText<frequency27Readout>, .boxWidth = 44, .boxHeight = 10,
             .maxChars = 6, .highlights = frequency27Highlights}));
constinit StringElement extendedFrequencyReadout = string(
    {.x = 375, .y = 10, .imageFlags = 0x6, .failure = extendedFrequencyFailure},
    readout({.tokens = {16, 17, 18}, .law = bcdExtendedFrequencyText<extendedFrequencyReadout>, .boxWidth = 36,
             .boxHeight = 10, .maxChars = 4, .textFormat = 0, .highlights = extendedFrequencyHighlights}));
constinit StringElement frequency23Readout = string(
    {.x = 249, .y = 10, .imageFlags = 0x6, .failure = frequency23Failure},
    readout({.tokens = {23, 0, 0}, .law = bcdFrequencyText<frequency23Readout>, .boxWidth = 44, .boxHeight = 10,
             .maxChars = 6, .highlights = frequency23Highlights}));
constinit StringElement codeReadout = string(
    {.x = 1300, .y = 10, .imageFlags = 0x6, .failure = codeFailure},
    readout({.tokens = {38, 0, 0}, .law = bcdCodeText<codeReadout>, .boxWidth = 44, .boxHeight = 10, .maxChars = 6,
             .highlights = codeHighlights}));

// Mouse rectangles, in the order of the mouse table. Rectangles 13 to 18 make the panel
// system send their key event itself; every other one runs its family instance.
constinit MouseRect mouseList[] = {
    parentRect(),
    childRect({600, 0, 50, 25}, 3, setHandle<leftHandle, HandleMove::push>),
    childRect({600, 25, 50, 25}, 4, setHandle<leftHandle, HandleMove::pull>),
    childRect({810, 0, 50, 25}, 3, setHandle<rightHandle, HandleMove::push>),
    childRect({810, 25, 50, 25}, 4, setHandle<rightHandle, HandleMove::pull>),
    childRect({660, 30, 30, 28}, 5, magnetoStepUp<engine1Selector>),
    childRect({690, 60, 30, 18}, 5, magnetoStepDown<engine1Selector>),
    childRect({780, 30, 30, 28}, 5, magnetoStepUp<engine2Selector>),
    childRect({750, 60, 30, 18}, 5, magnetoStepDown<engine2Selector>),
    childRect({732, 25, 10, 18}, 5, cutIgnition<ignitionCutLever>),
    childRect({732, 5, 10, 13}, 5, restoreIgnition<ignitionCutLever>),
    childRect({705, 10, 15, 15}, 5, pressStarterButton<65931>),
    childRect({750, 10, 15, 15}, 5, pressStarterButton<65937>),
    keyRect({550, 50, 18, 15}, 2, 65880),
    keyRect({575, 50, 18, 15}, 1, 65879),
    keyRect({467, 50, 18, 15}, 2, 65893),
    keyRect({490, 50, 18, 15}, 1, 65892),
    keyRect({510, 50, 18, 15}, 2, 65895),
    keyRect({535, 50, 18, 15}, 1, 65894),
    childRect({442, 3, 28, 22}, 5, pressButton<Button{switchClick, 65580}>),  // AUTO
    childRect({561, 3, 20, 22}, 5, pressButton<Button{switchClick, 65798}>),  // HDG
    childRect({472, 3, 20, 22}, 5, pressButton<Button{switchClick, 65799}>),  // ALT
    childRect({495, 3, 20, 22}, 5, pressButton<Button{switchClick, 65729}>),  // NAV
    childRect({517, 3, 20, 22}, 5, pressButton<Button{switchClick, 65724}>),  // APP
    childRect({540, 3, 20, 22}, 5, pressButton<Button{switchClick, 65723}>),  // LOC
    childRect({445, 27, 18, 18}, 5, toggleSwitch<buttonStripToggle>),
    childRect({332, 20, 10, 10}, 5, pressButton<Button{switchClick, 65842}>),
    childRect({315, 40, 15, 10}, 2, pressButton<Button{knobClick, 65640}>),
    childRect({315, 30, 15, 10}, 1, pressButton<Button{knobClick, 65641}>),
    childRect({340, 40, 15, 10}, 2, pressButton<Button{knobClick, 65642}>),
    childRect({340, 30, 15, 10}, 1, pressButton<Button{knobClick, 65643}>),
    childRect({1332, 20, 10, 10}, 5, pressButton<Button{switchClick, 65843}>),
    childRect({1315, 40, 15, 10}, 2, pressButton<Button{knobClick, 65644}>),
    childRect({1315, 30, 15, 10}, 1, pressButton<Button{knobClick, 65645}>),
    childRect({1340, 40, 15, 10}, 2, pressButton<Button{knobClick, 65646}>),
    childRect({1340, 30, 15, 10}, 1, pressButton<Button{knobClick, 65647}>),
    childRect({390, 20, 10, 10}, 5, pressButton<Button{switchClick, 65846}>),
    childRect({375, 30, 10, 20}, 1, pressButton<Button{knobClick, 65648}>),
    childRect({390, 30, 10, 20}, 1, pressButton<Button{knobClick, 65649}>),
    childRect({405, 30, 10, 20}, 1, pressButton<Button{knobClick, 65650}>),
    childRect({250, 40, 15, 10}, 2, pressButton<Button{knobClick, 65636}>),
    childRect({250, 30, 15, 10}, 1, pressButton<Button{knobClick, 65637}>),
    childRect({275, 40, 15, 10}, 2, pressButton<Button{knobClick, 65638}>),
    childRect({275, 30, 15, 10}, 1, pressButton<Button{knobClick, 65639}>),
    childRect({1415, 40, 15, 10}, 1, pressButton<Button{knobClick, 65651}>),
    childRect({1415, 30, 15, 10}, 1, pressButton<Button{knobClick, 65652}>),
    childRect({1440, 40, 15, 10}, 1, pressButton<Button{knobClick, 65653}>),
    childRect({1440, 30, 15, 10}, 1, pressButton<Button{knobClick, 65654}>),
    childRect({-2, 15, 14, 40}, 5, toggleSwitch<commandToggleSwitch>),
    childRect({20, 15, 14, 40}, 5, toggleSwitch<toggle20Switch>),
    childRect({43, 15, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 1>),
    childRect({43, 35, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 0>),
    childRect({66, 15, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 1>),
    childRect({66, 35, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 0>),
    childRect({90, 15, 14, 20}, 5, setSwitchWithEvent<eventSwitch90Switch, 1>),
    childRect({90, 35, 14, 20}, 5, setSwitchWithEvent<eventSwitch90Switch, 0>),
    childRect({117, 15, 14, 40}, 5, toggleSwitch<toggle117Switch>),
    childRect({155, 15, 14, 40}, 5, toggleSwitch<toggle155Switch>),
    childRect({181, 15, 14, 30}, 5, toggleSwitch<toggle181Switch>),
    childRect({210, 15, 14, 30}, 5, toggleSwitch<toggle210Switch>),
    childRect({881, 5, 14, 20}, 5, setSwitchPosition<selectorA, 1>),
    childRect({881, 27, 14, 10}, 5, setSwitchPosition<selectorA, 0>),
    childRect({881, 40, 14, 20}, 5, setSwitchPosition<selectorA, 2>),
    childRect({908, 5, 14, 20}, 5, setSwitchPosition<selectorB, 1>),
    childRect({908, 27, 14, 10}, 5, setSwitchPosition<selectorB, 0>),
    childRect({908, 40, 14, 20}, 5, setSwitchPosition<selectorB, 2>),
    childRect({938, 5, 14, 20}, 5, setStarterPosition<starterSelector, 1>),
    childRect({938, 27, 14, 10}, 5, setStarterPosition<starterSelector, 0>),
    childRect({938, 40, 14, 20}, 5, setStarterPosition<starterSelector, 2>),
    childRect({967, 15, 14, 20}, 5, toggleSwitch<engine1ToggleUpper>),
    childRect({967, 35, 14, 20}, 5, toggleSwitch<engine1ToggleLower>),
    childRect({992, 15, 14, 20}, 5, toggleSwitch<engine2ToggleUpper>),
    childRect({992, 35, 14, 20}, 5, toggleSwitch<engine2ToggleLower>),
    childRect({1017, 20, 14, 20}, 5, toggleSwitch<toggle1017Switch>),
    endRect(),
};

constinit ElementHeader* rootElement = element(background);

namespace {
constexpr GaugeBinding gauge{&rootElement, mouseList, &gaugeHeader};
}  // namespace

constinit GaugeHeader gaugeHeader =
    makeGaugeHeader("QTX-K7M-Captains-Overhead-FS98-v1s", &rootElement, overheadRoutines<gauge>, 140);
