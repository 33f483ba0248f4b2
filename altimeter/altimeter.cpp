// The twin altimeter: two identical three-needle altimeters 2291 pixels apart in one gauge,
// each with a pressure-setting window and a setting knob whose halves make the panel system
// send the setting key events. Plain frame with a mouse list; no state of its own.
// Uses the frame and the platform seam only.
#include "altimeter.h"

#include "frame/content.h"
#include "frame/text.h"
#include "platform/fpu.h"

namespace {

// Altitude in feet (token 74) to needle angle in degrees, 270 pointing at the 0 at the top.
// The products are taken in this order and the angle is not reduced to one turn.
double HOSTCALL hundredsNeedleAngle(ModuleVar* v) {
    FpuGuard fpu;
    return v->value * 0.36 + 270;
}
double HOSTCALL thousandsNeedleAngle(ModuleVar* v) {
    FpuGuard fpu;
    return (v->value * 0.1) * 0.36 + 270;
}
double HOSTCALL tenThousandsNeedleAngle(ModuleVar* v) {
    FpuGuard fpu;
    return (v->value * 0.01) * 0.36 + 270;
}

double HOSTCALL settingTextLeft(double received);
double HOSTCALL settingTextRight(double received);

constexpr uint32_t altitude = 74;
constexpr uint32_t settingWhole = 75;
constexpr uint32_t settingDecimal = 76;
constexpr uint32_t settingUnit = 335;

constexpr FailureEntry dialFailure[] = {{7, 1, 0}, {0, 0, 0}};

// The content is one chain: both dials, both windows, then the short, middle and long
// needles, right before left, so the long needles are drawn last, on top.
NextList afterLeftDial[] = {element(rightDial), nullptr};
NextList afterRightDial[] = {element(leftWindow), nullptr};
NextList afterLeftWindow[] = {element(rightWindow), nullptr};
NextList afterRightWindow[] = {element(rightShortNeedle), nullptr};
NextList afterRightShort[] = {element(leftShortNeedle), nullptr};
NextList afterLeftShort[] = {element(rightMiddleNeedle), nullptr};
NextList afterRightMiddle[] = {element(leftMiddleNeedle), nullptr};
NextList afterLeftMiddle[] = {element(rightLongNeedle), nullptr};
NextList afterRightLong[] = {element(leftLongNeedle), nullptr};

// The right altimeter is the left one moved 2291 pixels right.
constexpr int32_t right = 2291;

constexpr StringFields windowFields(TextCallback law) {
    return StringFields{.tokens = {settingDecimal, settingWhole, 0},
                        .law = law,
                        .boxWidth = 60,
                        .boxHeight = 22,
                        .maxChars = 5,
                        .foreColour = 0xDCDCDC,
                        .backColour = 0x080808,
                        .highlightColour = 0,
                        .fontFace = "Courier New"};
}

constexpr NeedleFields needleFields(ValueCallback law) {
    return NeedleFields{.token = altitude, .law = law, .maxDegreesPerUpdate = 6};
}

}  // namespace

constinit StaticImageElement leftDial =
    staticImage({.imageId = 1000, .x = 0, .y = 0, .imageFlags = 0x1, .next = afterLeftDial, .failure = dialFailure});
constinit StaticImageElement rightDial = staticImage(
    {.imageId = 1000, .x = right, .y = 0, .imageFlags = 0x1, .next = afterRightDial, .failure = dialFailure});
constinit StringElement leftWindow =
    string({.x = 200, .y = 145, .imageFlags = 0x3, .next = afterLeftWindow}, windowFields(settingTextLeft));
constinit StringElement rightWindow =
    string({.x = 200 + right, .y = 145, .imageFlags = 0x3, .next = afterRightWindow}, windowFields(settingTextRight));
constinit NeedleElement rightShortNeedle =
    needle({.imageId = 3503, .x = 153 + right, .y = 153, .imageFlags = 0x3, .next = afterRightShort,
            .failure = dialFailure, .pivotX = 6, .pivotY = 7},
           needleFields(tenThousandsNeedleAngle));
constinit NeedleElement leftShortNeedle =
    needle({.imageId = 3503, .x = 153, .y = 153, .imageFlags = 0x3, .next = afterLeftShort, .failure = dialFailure,
            .pivotX = 6, .pivotY = 7},
           needleFields(tenThousandsNeedleAngle));
constinit NeedleElement rightMiddleNeedle =
    needle({.imageId = 3003, .x = 153 + right, .y = 153, .imageFlags = 0x3, .next = afterRightMiddle,
            .failure = dialFailure, .pivotX = 6, .pivotY = 7},
           needleFields(thousandsNeedleAngle));
constinit NeedleElement leftMiddleNeedle =
    needle({.imageId = 3003, .x = 153, .y = 153, .imageFlags = 0x3, .next = afterLeftMiddle, .failure = dialFailure,
            .pivotX = 6, .pivotY = 7},
           needleFields(thousandsNeedleAngle));
constinit NeedleElement rightLongNeedle =
    needle({.imageId = 2003, .x = 153 + right, .y = 153, .imageFlags = 0x3, .next = afterRightLong,
            .failure = dialFailure, .pivotX = 9, .pivotY = 10},
           needleFields(hundredsNeedleAngle));
constinit NeedleElement leftLongNeedle = needle({.imageId = 2003, .x = 153, .y = 153, .imageFlags = 0x3,
                                                 .failure = dialFailure, .pivotX = 9, .pivotY = 10},
                                                needleFields(hundredsNeedleAngle));

// Refreshed by each window's text callback; never bound.
constinit ModuleVar settingUnitVar = moduleVar(settingUnit);

// Knob halves of the left altimeter, then of the right one: right half first.
constinit MouseRect mouseList[] = {
    parentRect(),
    keyRect({54, 260, 14, 24}, 1, 65883),
    keyRect({30, 260, 14, 24}, 2, 65884),
    keyRect({54 + right, 260, 14, 24}, 1, 65883),
    keyRect({30 + right, 260, 14, 24}, 2, 65884),
    endRect(),
};

constinit ElementHeader* rootElement = element(leftDial);

namespace {
constexpr GaugeBinding gauge{&rootElement, mouseList, &gaugeHeader};

// The window shows the setting in whole units ("1013 ") while the unit selector is
// non-zero, and with two decimals ("29.92") otherwise.
double settingText(StringElement& window, double received) {
    FpuGuard fpu;
    frame::services()->readVariable(&settingUnitVar);
    char text[400];
    if (settingUnitVar.value != 0.0) {
        frame::formatFixed(text, sizeof text - 1, window.variable2.value, 4, 0);
        size_t n = 0;
        while (text[n]) ++n;
        text[n] = ' ';
        text[n + 1] = '\0';
    } else {
        frame::formatFixed(text, sizeof text, window.variable1.value, 5, 2);
    }
    frame::writeText(window, text);
    return received;
}

double HOSTCALL settingTextLeft(double received) { return settingText(leftWindow, received); }
double HOSTCALL settingTextRight(double received) { return settingText(rightWindow, received); }
}  // namespace

constinit GaugeHeader gaugeHeader =
    makeGaugeHeader("QTX-K7M-Altimeter-Double-FS98-v1sfo", &rootElement, plainRoutines<gauge>, 57);
