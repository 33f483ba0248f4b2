// The engine set's records, visible to the module's own tests.
#pragma once

#include "frame/records.h"

// The word the gauge header's elementList names, holding the root element, with the gauge's
// two stand-alone variables stored directly after it: the oil pressure tokens again, bound
// and refreshed by the gauge itself for the manifold pressure laws.
struct EngineSetRoot {
    ElementHeader* rootElement;
    ModuleVar oilPressureCompanion1;  // token 148
    ModuleVar oilPressureCompanion2;  // token 183
};

static_assert(offsetof(EngineSetRoot, oilPressureCompanion1) == sizeof(ElementHeader*),
              "the companions follow the root element word directly");

extern EngineSetRoot gaugeRoot;

// The eight dial faces, upper row then lower row, left to right.
extern StaticImageElement tachometerFace, manifoldPressureFace, fuelPressureFace, outsideAirTemperatureFace,
    oilPressureFace, cylinderHeadTemperatureFace, oilTemperatureFace, carburettorAirTemperatureFace;

// The fifteen needles; 1 is engine 1, 2 engine 2 (the left and right needle of a vertical
// scale).
extern NeedleElement tachometerNeedle2, tachometerNeedle1, manifoldPressureNeedle2, manifoldPressureNeedle1,
    fuelPressureNeedle2, fuelPressureNeedle1, outsideAirTemperatureNeedle, oilPressureNeedle2, oilPressureNeedle1,
    cylinderHeadTemperatureNeedle2, cylinderHeadTemperatureNeedle1, oilTemperatureNeedle2, oilTemperatureNeedle1,
    carburettorAirTemperatureNeedle2, carburettorAirTemperatureNeedle1;
