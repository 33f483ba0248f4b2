// The first officer's overhead strip, "QTX-K7M-FO-Overhead-FS98-v1s": every element and mouse
// rectangle of the gauge, row for row in the order of its element and mouse tables, built from
// the overhead families. Elements at x 1023 or more, or y 85 or more, lie outside the
// background and are never seen: they are the part of the shared readout set this gauge hides.
// Uses the frame, the overhead families and the platform seam through them; never the host.
#include "fo_overhead.h"

#include "frame/content.h"
#include "magneto.h"
#include "readouts.h"
#include "sound/player.h"
#include "switches.h"

// One cache entry for each of the eight sounds the module carries.
constinit SoundCacheEntries<8> soundCacheEntries{};
constinit SoundCache soundCache = soundCacheOver(soundCacheEntries);

namespace {

// The module's WAVE resources (fo_overhead.rc). The short toggle sound is carried twice.
constexpr int32_t switchClick = 9001;
constexpr int32_t magnetoClick = 9101;
constexpr int32_t knobClick = 9201;
constexpr int32_t selectorSound = 9301;
constexpr int32_t longToggleSound = 9401;
constexpr int32_t ignitionCutSound = 9501;
constexpr int32_t shortToggleSound = 9601;
constexpr int32_t shortToggleSoundAgain = 9701;

// Switch instances. Each record names the icons its functions write and the sounds and events
// of its rectangles; the templates stamp one function per record (and position or half).
constexpr PositionSwitch selectorA{selectorAIcon, selectorAPosition, {switchClick, switchClick, switchClick}};
constexpr PositionSwitch selectorB{selectorBIcon, selectorBPosition, {switchClick, selectorSound, selectorSound}};
constexpr StarterSelector starterSelector{
    starterSelectorIcon, starterPosition, switchClick,
    {{selectorAIcon, selectorBIcon, ignitionCutLeverIcon, engine1Toggle, 65931},
     {selectorAIcon, selectorBIcon, ignitionCutLeverIcon, engine2Toggle, 65937}}};

constexpr Toggle buttonStripToggle{buttonStrip, switchClick};
constexpr Toggle orangeDotToggle{orangeDot, switchClick};
constexpr Toggle engine1ToggleUpper{engine1Toggle, longToggleSound};
constexpr Toggle engine1ToggleLower{engine1Toggle, switchClick};
constexpr Toggle engine2ToggleUpper{engine2Toggle, longToggleSound};
constexpr Toggle engine2ToggleLower{engine2Toggle, switchClick};
constexpr Toggle toggle577Switch{toggle577, switchClick};
constexpr Toggle toggle601Switch{toggle601, switchClick};
constexpr Toggle toggle669Switch{toggle669, switchClick};
constexpr Toggle toggle691Switch{toggle691, switchClick};
constexpr Toggle toggle852Switch{toggle852, switchClick};
constexpr Toggle toggle882Switch{toggle882, shortToggleSound};
constexpr Toggle toggle912Switch{toggle912, shortToggleSoundAgain};
constexpr Toggle toggle1001Switch{toggle1001, switchClick};

constexpr EventSwitch gangedSwitch{{&gangedSwitch625, &gangedSwitch647}, gangedSwitchState, switchClick, {66073, 66072}};
constexpr EventSwitch eventSwitch942Switch{{&eventSwitch942, nullptr}, eventSwitch942State, switchClick, {66050, 66049}};
constexpr EventSwitch eventSwitch971Switch{{&eventSwitch971, nullptr}, eventSwitch971State, switchClick, {66057, 66056}};

// Only this gauge's left handle sends its pull event a second time once it has come out.
constexpr Handle leftHandle{leftHandleIcon, leftHandleState, switchClick, 66003, 66007, true};
constexpr Handle rightHandle{rightHandleIcon, rightHandleState, switchClick, 66008, 66012};

constexpr MagnetoSelector engine1Selector{magnetoEngine1, magnetoClick};
constexpr MagnetoSelector engine2Selector{magnetoEngine2, magnetoClick};
constexpr IgnitionCutLever ignitionCutLever{ignitionCutSound, magnetoClick};

// The tree: the background holds the compass window, which holds the card; the card holds the
// chain from the frequency readout #4 down to #39 and the four radio readouts #42 to #45; the
// AUTO lamp #11 also holds the two decimal readouts #40 and #41.
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
constinit NextList underGreenDot26[] = {element(toggle1001), nullptr};
constinit NextList underToggle1001[] = {element(eventSwitch971), nullptr};
constinit NextList underEventSwitch971[] = {element(eventSwitch942), nullptr};
constinit NextList underEventSwitch942[] = {element(toggle912), nullptr};
constinit NextList underToggle912[] = {element(toggle882), nullptr};
constinit NextList underToggle882[] = {element(toggle852), nullptr};
constinit NextList underToggle852[] = {element(toggle691), nullptr};
constinit NextList underToggle691[] = {element(toggle669), nullptr};
constinit NextList underToggle669[] = {element(gangedSwitch647), nullptr};
constinit NextList underGanged647[] = {element(gangedSwitch625), nullptr};
constinit NextList underGanged625[] = {element(toggle601), nullptr};
constinit NextList underToggle601[] = {element(toggle577), nullptr};
constinit NextList underToggle577[] = {element(engine2Toggle), nullptr};
constinit NextList underEngine2Toggle[] = {element(engine1Toggle), nullptr};
constinit NextList underEngine1Toggle[] = {element(starterSelectorIcon), nullptr};
constinit NextList underStarterSelector[] = {element(selectorBIcon), nullptr};
constinit NextList underSelectorB[] = {element(selectorAIcon), nullptr};
constinit NextList underSelectorA[] = {element(orangeDot), nullptr};
constinit NextList underOrangeDot[] = {element(blankPlacard), nullptr};

}  // namespace

constinit int32_t selectorAPosition = 0;
constinit int32_t selectorBPosition = 0;
constinit int32_t starterPosition = 0;
constinit int32_t gangedSwitchState = 0;
constinit int32_t eventSwitch942State = 0;
constinit int32_t eventSwitch971State = 0;
constinit int32_t leftHandleState = 0;
constinit int32_t rightHandleState = 0;

// Elements, in the order of the element table.
constinit StaticImageElement background =
    staticImage({.imageId = 1000, .x = 0, .y = 0, .imageFlags = 0x1, .next = underBackground});
constinit StaticImageElement compassWindow =
    staticImage({.imageId = 3600, .x = 250, .y = 134, .imageFlags = 0x1, .next = underCompassWindow});
constinit MovingImageElement compassCard = movingImage(
    {.imageId = 3800, .x = 270, .y = 175, .imageFlags = 0x3, .next = underCompassCard, .failure = compassFailure},
    {.xToken = 83, .xLaw = compassCardX, .xMin = 0, .xMax = 360, .yToken = 0, .yLaw = compassCardY, .yMin = 0, .yMax = 0});
constinit StringElement frequency24Readout = string(
    {.x = 1313, .y = 10, .imageFlags = 0x6, .next = underFrequency24, .failure = frequency24Failure},
    readout({.tokens = {24, 0, 0}, .law = bcdFrequencyText<frequency24Readout>, .boxWidth = 44, .boxHeight = 10,
             .maxChars = 6, .highlights = frequency24Highlights}));
constinit IconElement buttonStrip =
    icon({.imageId = 3410, .x = 2, .y = 3, .imageFlags = 0x7, .next = underButtonStrip}, {.stateCount = 2});
constinit IconElement locLamp =
    icon({.imageId = 3010, .x = 99, .y = 3, .imageFlags = 0x7, .next = underLocLamp, .failure = lampFailure},
         {.token = 112, .law = armedTestState<hdgLampLit>, .stateCount = 3});
constinit IconElement appLamp =
    icon({.imageId = 2810, .x = 77, .y = 3, .imageFlags = 0x7, .next = underAppLamp, .failure = lampFailure},
         {.token = 111, .law = armedTestState<altLampLit>, .stateCount = 3});
constinit IconElement navLamp =
    icon({.imageId = 2610, .x = 55, .y = 3, .imageFlags = 0x7, .next = underNavLamp, .failure = lampFailure},
         {.token = 105, .law = armedTestState<hdgLampLit>, .stateCount = 3});
constinit IconElement altLamp =
    icon({.imageId = 2410, .x = 33, .y = 3, .imageFlags = 0x7, .next = underAltLamp, .failure = lampFailure},
         {.token = 108, .law = zeroTestStateWithFlag<altLampLit>, .stateCount = 3});
constinit IconElement hdgLamp =
    icon({.imageId = 3210, .x = 121, .y = 3, .imageFlags = 0x7, .next = underHdgLamp, .failure = lampFailure},
         {.token = 106, .law = zeroTestStateWithFlag<hdgLampLit>, .stateCount = 3});
constinit IconElement autoLamp =
    icon({.imageId = 2210, .x = 2, .y = 3, .imageFlags = 0x7, .next = underAutoLamp, .failure = lampFailure},
         {.token = 103, .law = zeroTestState, .stateCount = 3});
constinit StringElement threeDigitReadout = string(
    {.x = 118, .y = 36, .imageFlags = 0x6, .extraFlags = 2, .next = underThreeDigit, .failure = readoutFailure},
    readout({.tokens = {107, 0, 0}, .law = roundedThreeDigitText<threeDigitReadout>, .boxWidth = 22, .boxHeight = 10,
             .maxChars = 3}));
constinit IconElement ignitionCutLeverIcon = icon(
    {.imageId = 2000, .x = 280, .y = -3, .imageFlags = 0x3, .next = underIgnitionCutLever, .failure = magnetoClusterFailure},
    {.law = ignitionCutState, .stateCount = 2});
constinit IconElement engine2MagnetoSelector = icon(
    {.imageId = 1800, .x = 299, .y = 30, .imageFlags = 0x3, .next = underEngine2Magneto, .failure = magnetoClusterFailure},
    {.law = magnetoState<magnetoEngine2>, .stateCount = 4});
constinit IconElement engine1MagnetoSelector = icon(
    {.imageId = 1600, .x = 213, .y = 29, .imageFlags = 0x3, .next = underEngine1Magneto, .failure = magnetoClusterFailure},
    {.law = magnetoState<magnetoEngine1>, .stateCount = 4});
constinit IconElement rightHandleIcon = icon({.imageId = 1200, .x = 370, .y = -2, .imageFlags = 0x3, .next = underRightHandle},
                                             {.law = handleState, .stateCount = 2});
constinit IconElement leftHandleIcon = icon({.imageId = 1200, .x = 158, .y = -2, .imageFlags = 0x3, .next = underLeftHandle},
                                            {.law = handleState, .stateCount = 2});
constinit IconElement greenDot21 =
    icon({.imageId = 4200, .x = 1396, .y = 23, .imageFlags = 0x7, .next = underGreenDot21, .failure = lampFailure},
         {.token = 21, .law = zeroTestState, .stateCount = 2});
constinit IconElement greenDot29 =
    icon({.imageId = 4200, .x = 740, .y = 23, .imageFlags = 0x7, .next = underGreenDot29, .failure = lampFailure},
         {.token = 29, .law = zeroTestState, .stateCount = 2});
constinit IconElement greenDot26 =
    icon({.imageId = 4200, .x = 1333, .y = 23, .imageFlags = 0x7, .next = underGreenDot26, .failure = lampFailure},
         {.token = 26, .law = zeroTestState, .stateCount = 2});
constinit IconElement toggle1001 =
    icon({.imageId = 4400, .x = 1001, .y = 24, .imageFlags = 0x3, .next = underToggle1001}, {.stateCount = 2});
constinit IconElement eventSwitch971 =
    icon({.imageId = 4400, .x = 971, .y = 24, .imageFlags = 0x3, .next = underEventSwitch971}, {.stateCount = 2});
constinit IconElement eventSwitch942 =
    icon({.imageId = 4400, .x = 942, .y = 24, .imageFlags = 0x3, .next = underEventSwitch942}, {.stateCount = 2});
constinit IconElement toggle912 =
    icon({.imageId = 4400, .x = 912, .y = 24, .imageFlags = 0x3, .next = underToggle912}, {.stateCount = 2});
constinit IconElement toggle882 =
    icon({.imageId = 4400, .x = 882, .y = 24, .imageFlags = 0x3, .next = underToggle882}, {.stateCount = 2});
constinit IconElement toggle852 =
    icon({.imageId = 6200, .x = 852, .y = 24, .imageFlags = 0x3, .next = underToggle852}, {.stateCount = 2});
constinit IconElement toggle691 =
    icon({.imageId = 4400, .x = 691, .y = 22, .imageFlags = 0x3, .next = underToggle691}, {.stateCount = 2});
constinit IconElement toggle669 =
    icon({.imageId = 4400, .x = 669, .y = 22, .imageFlags = 0x3, .next = underToggle669}, {.stateCount = 2});
constinit IconElement gangedSwitch647 =
    icon({.imageId = 4400, .x = 647, .y = 22, .imageFlags = 0x3, .next = underGanged647}, {.stateCount = 2});
constinit IconElement gangedSwitch625 =
    icon({.imageId = 4400, .x = 625, .y = 22, .imageFlags = 0x3, .next = underGanged625}, {.stateCount = 2});
constinit IconElement toggle601 =
    icon({.imageId = 5200, .x = 601, .y = 18, .imageFlags = 0x3, .next = underToggle601}, {.stateCount = 2});
constinit IconElement toggle577 =
    icon({.imageId = 5200, .x = 577, .y = 18, .imageFlags = 0x3, .next = underToggle577}, {.stateCount = 2});
constinit IconElement engine2Toggle =
    icon({.imageId = 5000, .x = 550, .y = 20, .imageFlags = 0x3, .next = underEngine2Toggle}, {.stateCount = 2});
constinit IconElement engine1Toggle =
    icon({.imageId = 5000, .x = 525, .y = 20, .imageFlags = 0x3, .next = underEngine1Toggle}, {.stateCount = 2});
constinit IconElement starterSelectorIcon =
    icon({.imageId = 4800, .x = 496, .y = 20, .imageFlags = 0x3, .next = underStarterSelector}, {.stateCount = 3});
constinit IconElement selectorBIcon =
    icon({.imageId = 4800, .x = 466, .y = 20, .imageFlags = 0x3, .next = underSelectorB}, {.stateCount = 3});
constinit IconElement selectorAIcon =
    icon({.imageId = 4800, .x = 439, .y = 20, .imageFlags = 0x3, .next = underSelectorA}, {.stateCount = 3});
constinit IconElement orangeDot =
    icon({.imageId = 4300, .x = 786, .y = 9, .imageFlags = 0x7, .next = underOrangeDot}, {.stateCount = 2});
// Nothing writes it: it always shows 6000, which is entirely black.
constinit IconElement blankPlacard = icon({.imageId = 6000, .x = 0, .y = 0, .imageFlags = 0x3}, {.stateCount = 2});
constinit StringElement fiveDigitReadout = string(
    {.x = 27, .y = 36, .imageFlags = 0x6, .extraFlags = 1, .failure = readoutFailure},
    readout({.tokens = {109, 335, 0}, .law = roundedFiveDigitText<fiveDigitReadout>, .boxWidth = 36, .boxHeight = 10,
             .maxChars = 5}));
constinit StringElement signedFourDigitReadout = string(
    {.x = 71, .y = 36, .imageFlags = 0x6, .failure = readoutFailure},
    readout({.tokens = {120, 0, 0}, .law = signedFourDigitText<signedFourDigitReadout>, .boxWidth = 36,
             .boxHeight = 10, .maxChars = 5}));
constinit StringElement frequency27Readout = string(
    {.x = 720, .y = 10, .imageFlags = 0x6, .failure = frequency27Failure},
    readout({.tokens = {27, 0, 0}, .law = bcdFrequencyText<frequency27Readout>, .boxWidth = 44, .boxHeight = 10,
             .maxChars = 6, .highlights = frequency27Highlights}));
constinit StringElement extendedFrequencyReadout = string(
    {.x = 1388, .y = 10, .imageFlags = 0x6, .failure = extendedFrequencyFailure},
    readout({.tokens = {16, 17, 18}, .law = bcdExtendedFrequencyText<extendedFrequencyReadout>, .boxWidth = 22,
             .boxHeight = 10, .maxChars = 3, .fontFace = "Courier New", .textFormat = 0,
             .highlights = extendedFrequencyHighlights}));
constinit StringElement frequency23Readout = string(
    {.x = 1249, .y = 10, .imageFlags = 0x6, .failure = frequency23Failure},
    readout({.tokens = {23, 0, 0}, .law = bcdFrequencyText<frequency23Readout>, .boxWidth = 44, .boxHeight = 10,
             .maxChars = 6, .highlights = frequency23Highlights}));
constinit StringElement codeReadout = string(
    {.x = 797, .y = 10, .imageFlags = 0x6, .failure = codeFailure},
    readout({.tokens = {38, 0, 0}, .law = bcdCodeText<codeReadout>, .boxWidth = 34, .boxHeight = 10, .maxChars = 4,
             .highlights = codeHighlights}));

// Mouse rectangles, in the order of the mouse table. Rectangles 13 to 18 make the panel
// system send their key event itself; every other one runs its family instance.
constinit MouseRect mouseList[] = {
    parentRect(),
    childRect({160, 0, 50, 25}, 3, setHandle<leftHandle, HandleMove::push>),
    childRect({160, 25, 50, 25}, 4, setHandle<leftHandle, HandleMove::pull>),
    childRect({370, 0, 50, 25}, 3, setHandle<rightHandle, HandleMove::push>),
    childRect({370, 25, 50, 25}, 4, setHandle<rightHandle, HandleMove::pull>),
    childRect({215, 30, 30, 28}, 5, magnetoStepUp<engine1Selector>),
    childRect({250, 60, 30, 18}, 5, magnetoStepDown<engine1Selector>),
    childRect({330, 30, 30, 28}, 5, magnetoStepUp<engine2Selector>),
    childRect({295, 60, 30, 18}, 5, magnetoStepDown<engine2Selector>),
    childRect({285, 25, 10, 18}, 5, cutIgnition<ignitionCutLever>),
    childRect({285, 5, 10, 13}, 5, restoreIgnition<ignitionCutLever>),
    childRect({258, 10, 15, 15}, 5, pressStarterButton<65931>),
    childRect({303, 10, 15, 15}, 5, pressStarterButton<65937>),
    keyRect({110, 50, 18, 15}, 2, 65880),
    keyRect({135, 50, 18, 15}, 1, 65879),
    keyRect({27, 50, 18, 15}, 2, 65893),
    keyRect({50, 50, 18, 15}, 1, 65892),
    keyRect({70, 50, 18, 15}, 2, 65895),
    keyRect({95, 50, 18, 15}, 1, 65894),
    childRect({2, 3, 28, 22}, 5, pressButton<Button{switchClick, 65580}>),    // AUTO
    childRect({121, 3, 20, 22}, 5, pressButton<Button{switchClick, 65798}>),  // HDG
    childRect({32, 3, 20, 22}, 5, pressButton<Button{switchClick, 65799}>),   // ALT
    childRect({55, 3, 20, 22}, 5, pressButton<Button{switchClick, 65729}>),   // NAV
    childRect({77, 3, 20, 22}, 5, pressButton<Button{switchClick, 65724}>),   // APP
    childRect({100, 3, 20, 22}, 5, pressButton<Button{switchClick, 65723}>),  // LOC
    childRect({5, 27, 18, 18}, 5, toggleSwitch<buttonStripToggle>),
    childRect({332, 20, 10, 10}, 5, pressButton<Button{switchClick, 65842}>),
    childRect({1315, 40, 15, 10}, 2, pressButton<Button{knobClick, 65640}>),
    childRect({1315, 30, 15, 10}, 1, pressButton<Button{knobClick, 65641}>),
    childRect({1340, 40, 15, 10}, 2, pressButton<Button{knobClick, 65642}>),
    childRect({1340, 30, 15, 10}, 1, pressButton<Button{knobClick, 65643}>),
    childRect({739, 20, 10, 10}, 5, pressButton<Button{switchClick, 65843}>),
    childRect({720, 40, 15, 10}, 2, pressButton<Button{knobClick, 65644}>),
    childRect({720, 30, 15, 10}, 1, pressButton<Button{knobClick, 65645}>),
    childRect({745, 40, 15, 10}, 2, pressButton<Button{knobClick, 65646}>),
    childRect({745, 30, 15, 10}, 1, pressButton<Button{knobClick, 65647}>),
    childRect({1390, 20, 10, 10}, 5, pressButton<Button{switchClick, 65846}>),
    childRect({1375, 30, 10, 20}, 1, pressButton<Button{knobClick, 65648}>),
    childRect({1390, 30, 10, 20}, 1, pressButton<Button{knobClick, 65649}>),
    childRect({1405, 30, 10, 20}, 1, pressButton<Button{knobClick, 65650}>),
    childRect({1250, 40, 15, 10}, 2, pressButton<Button{knobClick, 65636}>),
    childRect({1250, 30, 15, 10}, 1, pressButton<Button{knobClick, 65637}>),
    childRect({1275, 40, 15, 10}, 2, pressButton<Button{knobClick, 65638}>),
    childRect({1275, 30, 15, 10}, 1, pressButton<Button{knobClick, 65639}>),
    childRect({820, 50, 15, 15}, 5, toggleSwitch<orangeDotToggle>),
    childRect({780, 50, 15, 15}, 5, toggleSwitch<orangeDotToggle>),
    childRect({780, 30, 10, 10}, 1, pressButton<Button{knobClick, 65651}>),
    childRect({795, 30, 10, 10}, 1, pressButton<Button{knobClick, 65652}>),
    childRect({815, 30, 10, 10}, 1, pressButton<Button{knobClick, 65653}>),
    childRect({830, 30, 10, 10}, 1, pressButton<Button{knobClick, 65654}>),
    childRect({441, 5, 14, 20}, 5, setSwitchPosition<selectorA, 1>),
    childRect({441, 27, 14, 10}, 5, setSwitchPosition<selectorA, 0>),
    childRect({441, 40, 14, 20}, 5, setSwitchPosition<selectorA, 2>),
    childRect({468, 5, 14, 20}, 5, setSwitchPosition<selectorB, 1>),
    childRect({468, 27, 14, 10}, 5, setSwitchPosition<selectorB, 0>),
    childRect({468, 40, 14, 20}, 5, setSwitchPosition<selectorB, 2>),
    childRect({498, 5, 14, 20}, 5, setStarterPosition<starterSelector, 1>),
    childRect({498, 27, 14, 10}, 5, setStarterPosition<starterSelector, 0>),
    childRect({498, 40, 14, 20}, 5, setStarterPosition<starterSelector, 2>),
    childRect({527, 15, 14, 20}, 5, toggleSwitch<engine1ToggleUpper>),
    childRect({527, 35, 14, 20}, 5, toggleSwitch<engine1ToggleLower>),
    childRect({552, 15, 14, 20}, 5, toggleSwitch<engine2ToggleUpper>),
    childRect({552, 35, 14, 20}, 5, toggleSwitch<engine2ToggleLower>),
    childRect({577, 15, 14, 40}, 5, toggleSwitch<toggle577Switch>),
    childRect({601, 15, 14, 40}, 5, toggleSwitch<toggle601Switch>),
    childRect({625, 15, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 1>),
    childRect({625, 35, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 0>),
    childRect({647, 15, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 1>),
    childRect({647, 35, 14, 20}, 5, setSwitchWithEvent<gangedSwitch, 0>),
    childRect({669, 15, 14, 40}, 5, toggleSwitch<toggle669Switch>),
    childRect({691, 15, 14, 40}, 5, toggleSwitch<toggle691Switch>),
    childRect({852, 15, 14, 40}, 5, toggleSwitch<toggle852Switch>),
    childRect({882, 15, 14, 40}, 5, toggleSwitch<toggle882Switch>),
    childRect({912, 15, 14, 40}, 5, toggleSwitch<toggle912Switch>),
    childRect({942, 15, 14, 20}, 5, setSwitchWithEvent<eventSwitch942Switch, 1>),
    childRect({942, 35, 14, 20}, 5, setSwitchWithEvent<eventSwitch942Switch, 0>),
    childRect({971, 15, 14, 20}, 5, setSwitchWithEvent<eventSwitch971Switch, 1>),
    childRect({971, 35, 14, 20}, 5, setSwitchWithEvent<eventSwitch971Switch, 0>),
    childRect({1001, 15, 14, 20}, 5, toggleSwitch<toggle1001Switch>),
    endRect(),
};

constinit ElementHeader* rootElement = element(background);

namespace {
constexpr GaugeBinding gauge{&rootElement, mouseList, &gaugeHeader};
}  // namespace

constinit GaugeHeader gaugeHeader =
    makeGaugeHeader("QTX-K7M-FO-Overhead-FS98-v1s", &rootElement, overheadRoutines<gauge>, 140);
