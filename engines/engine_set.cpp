// The engine set: eight engine instruments drawn from eight dial faces in two rows of four,
// fifteen needles placed by their value laws on their own calibration tables. No mouse list;
// install and update bind and refresh the two oil pressure companions that the manifold
// pressure laws read. Uses the frame and the platform seam only.
#include "engine_set.h"

#include <array>

#include "frame/content.h"
#include "laws.h"
#include "platform/fpu.h"

namespace {

// Simulator variables; engine 2's token is always engine 1's plus 35.
namespace token {
constexpr uint32_t rpm1 = 136, rpm2 = 171;  // tachometer and fuel pressure
constexpr uint32_t manifoldPressure1 = 152, manifoldPressure2 = 187;
constexpr uint32_t oilPressure1 = 148, oilPressure2 = 183;  // also the manifold pressure companions
constexpr uint32_t cylinderHeadTemperature1 = 144, cylinderHeadTemperature2 = 179;  // also carburettor air
constexpr uint32_t oilTemperature1 = 147, oilTemperature2 = 182;
constexpr uint32_t outsideAirTemperature = 350;
}  // namespace token

// --- Value laws: the needle callbacks, one per law, stamped from the law families. ---

template <const WrapScale& scale>
double HOSTCALL scaledWrap(ModuleVar* v) {
    FpuGuard fpu;
    return wrapAround(commonScale(v->value), scale);
}

constexpr ValueCallback scaledWrap3500 = scaledWrap<wrap3500>;
constexpr ValueCallback scaledWrap4000 = scaledWrap<wrap4000>;
constexpr ValueCallback scaledWrap4500 = scaledWrap<wrap4500>;
constexpr ValueCallback scaledWrap5000 = scaledWrap<wrap5000>;
constexpr ValueCallback scaledWrap10000 = scaledWrap<wrap10000>;

// The companion is refreshed by the update routine just before the host updates the needles,
// so the law sees the companion value of the same update.
template <ModuleVar EngineSetRoot::*companion>
double HOSTCALL manifoldPressureValue(ModuleVar* v) {
    FpuGuard fpu;
    return manifoldPressure((gaugeRoot.*companion).value, commonScale(v->value));
}

constexpr ValueCallback manifoldPressureValue1 = manifoldPressureValue<&EngineSetRoot::oilPressureCompanion1>;
constexpr ValueCallback manifoldPressureValue2 = manifoldPressureValue<&EngineSetRoot::oilPressureCompanion2>;

double HOSTCALL outsideAirTemperatureValue(ModuleVar* v) {
    FpuGuard fpu;
    return outsideAirTemperature(v->value);
}

// --- Calibration tables: each row is the point on the background a needle points at for a
// value. Every needle has its own copy. The left needles of the vertical scales run from the
// top of their scale down to 0, all others upwards. ---

template <size_t n>
using Table = std::array<NonlinearityEntry, n>;

constexpr NonlinearityEntry row(int32_t x, int32_t y, double value) { return {x, y, value, 0.0}; }

constexpr Table<3> tachometerRows{row(125, 258, 0), row(40, 159, 1200), row(176, 258, 3500)};
constexpr Table<5> manifoldPressureRows{row(358, 190, 500), row(460, 38, 2250), row(558, 88, 3150),
                                       row(560, 212, 4200), row(498, 260, 5000)};

constinit const Table<3> tachometerTable1 = tachometerRows;
constinit const Table<3> tachometerTable2 = tachometerRows;
constinit const Table<5> manifoldPressureTable1 = manifoldPressureRows;
constinit const Table<5> manifoldPressureTable2 = manifoldPressureRows;
// The two fuel pressure tables differ only in the y of the 750 row.
constinit const Table<6> fuelPressureTable1{row(675, 215, 0),    row(850, 63, 750),   row(877, 100, 1100),
                                            row(890, 160, 1600), row(877, 195, 2500), row(875, 205, 10000)};
constinit const Table<6> fuelPressureTable2{row(675, 215, 0),    row(850, 62, 750),   row(877, 100, 1100),
                                            row(890, 160, 1600), row(877, 195, 2500), row(875, 205, 10000)};
constinit const Table<3> outsideAirTemperatureTable{row(988, 94, -50), row(1077, 67, 0), row(1165, 94, 50)};
constinit const Table<5> oilPressureTable1{row(104, 373, 5000), row(120, 408, 3750), row(140, 443, 2500),
                                           row(120, 473, 1250), row(104, 528, 0)};
constinit const Table<5> oilPressureTable2{row(196, 528, 0), row(178, 473, 1250), row(160, 443, 2500),
                                           row(178, 408, 3750), row(196, 373, 5000)};
constinit const Table<5> cylinderHeadTemperatureTable1{row(414, 373, 4000), row(435, 408, 2000),
                                                       row(450, 443, 1000), row(440, 473, 50), row(414, 528, 0)};
constinit const Table<5> cylinderHeadTemperatureTable2{row(506, 528, 0), row(480, 473, 50), row(470, 443, 1000),
                                                       row(488, 408, 2000), row(506, 373, 4000)};
constinit const Table<5> oilTemperatureTable1{row(724, 373, 4000), row(745, 418, 1800), row(760, 443, 1000),
                                              row(750, 463, 500), row(745, 483, 0)};
constinit const Table<5> oilTemperatureTable2{row(795, 483, 0), row(790, 463, 500), row(780, 443, 1000),
                                              row(798, 418, 1800), row(816, 373, 4000)};
constinit const Table<6> carburettorAirTemperatureTable1{row(1030, 373, 4000), row(1060, 397, 1500),
                                                         row(1078, 441, 800),  row(1074, 484, 90),
                                                         row(1050, 514, 25),   row(1040, 519, 0)};
constinit const Table<6> carburettorAirTemperatureTable2{row(1118, 519, 0),   row(1108, 514, 25),
                                                         row(1084, 484, 90),  row(1078, 441, 800),
                                                         row(1097, 397, 1500), row(1127, 373, 4000)};

template <size_t n>
constexpr NeedleFields calibrated(uint32_t variable, ValueCallback law, int32_t maxDegreesPerUpdate,
                                  const Table<n>& table, std::array<int32_t, 2> integers = {0, 0}) {
    return NeedleFields{.token = variable,
                        .law = law,
                        .maxDegreesPerUpdate = maxDegreesPerUpdate,
                        .table = table.data(),
                        .tableSize = uint32_t(n),
                        .integers = {integers[0], integers[1]}};
}

// The content is one chain in drawing order: each element's only child is the next one.
template <auto& next>
constinit NextList followedBy[] = {element(next), nullptr};

// Upper-row needles may swing round in one update; the outside air temperature and the
// vertical-scale needles move at most 6 degrees per update.
constexpr int32_t swing = 360;
constexpr int32_t slow = 6;

constexpr int32_t faceFlags = 0x1;
constexpr int32_t needleFlags = 0x3;

}  // namespace

// Faces 310 pixels apart across and 293 down, so the rows overlap by 9 pixels.
constinit StaticImageElement tachometerFace = staticImage(
    {.imageId = 1000, .x = 0, .y = 0, .imageFlags = faceFlags, .next = followedBy<manifoldPressureFace>});
constinit StaticImageElement manifoldPressureFace = staticImage(
    {.imageId = 2000, .x = 310, .y = 0, .imageFlags = faceFlags, .next = followedBy<fuelPressureFace>});
constinit StaticImageElement fuelPressureFace = staticImage(
    {.imageId = 3000, .x = 620, .y = 0, .imageFlags = faceFlags, .next = followedBy<outsideAirTemperatureFace>});
constinit StaticImageElement outsideAirTemperatureFace = staticImage(
    {.imageId = 4000, .x = 930, .y = 0, .imageFlags = faceFlags, .next = followedBy<oilPressureFace>});
constinit StaticImageElement oilPressureFace = staticImage(
    {.imageId = 5000, .x = 0, .y = 293, .imageFlags = faceFlags, .next = followedBy<cylinderHeadTemperatureFace>});
constinit StaticImageElement cylinderHeadTemperatureFace = staticImage(
    {.imageId = 6000, .x = 310, .y = 293, .imageFlags = faceFlags, .next = followedBy<oilTemperatureFace>});
constinit StaticImageElement oilTemperatureFace = staticImage(
    {.imageId = 7000, .x = 620, .y = 293, .imageFlags = faceFlags, .next = followedBy<carburettorAirTemperatureFace>});
constinit StaticImageElement carburettorAirTemperatureFace = staticImage(
    {.imageId = 8000, .x = 930, .y = 293, .imageFlags = faceFlags, .next = followedBy<tachometerNeedle2>});

// Engine 2's needle comes first in every pair, so engine 1's is drawn on top.
constinit NeedleElement tachometerNeedle2 =
    needle({.imageId = 1200, .x = 150, .y = 153, .imageFlags = needleFlags, .next = followedBy<tachometerNeedle1>,
            .pivotX = 10, .pivotY = 10},
           calibrated(token::rpm2, scaledWrap3500, swing, tachometerTable2));
constinit NeedleElement tachometerNeedle1 =
    needle({.imageId = 1100, .x = 150, .y = 153, .imageFlags = needleFlags,
            .next = followedBy<manifoldPressureNeedle2>, .pivotX = 10, .pivotY = 10},
           calibrated(token::rpm1, scaledWrap3500, swing, tachometerTable1));
constinit NeedleElement manifoldPressureNeedle2 =
    needle({.imageId = 2200, .x = 460, .y = 153, .imageFlags = needleFlags,
            .next = followedBy<manifoldPressureNeedle1>, .pivotX = 10, .pivotY = 10},
           calibrated(token::manifoldPressure2, manifoldPressureValue2, swing, manifoldPressureTable2));
constinit NeedleElement manifoldPressureNeedle1 =
    needle({.imageId = 2100, .x = 460, .y = 153, .imageFlags = needleFlags, .next = followedBy<fuelPressureNeedle2>,
            .pivotX = 10, .pivotY = 10},
           calibrated(token::manifoldPressure1, manifoldPressureValue1, swing, manifoldPressureTable1));
constinit NeedleElement fuelPressureNeedle2 =
    needle({.imageId = 3200, .x = 770, .y = 153, .imageFlags = needleFlags, .next = followedBy<fuelPressureNeedle1>,
            .pivotX = 10, .pivotY = 10},
           calibrated(token::rpm2, scaledWrap10000, swing, fuelPressureTable2));
constinit NeedleElement fuelPressureNeedle1 =
    needle({.imageId = 3100, .x = 770, .y = 153, .imageFlags = needleFlags,
            .next = followedBy<outsideAirTemperatureNeedle>, .pivotX = 10, .pivotY = 10},
           calibrated(token::rpm1, scaledWrap10000, swing, fuelPressureTable1));
// The only needle that sets the two integers of its record: 60 and 6, read by the host.
constinit NeedleElement outsideAirTemperatureNeedle =
    needle({.imageId = 4100, .x = 1077, .y = 185, .imageFlags = needleFlags, .next = followedBy<oilPressureNeedle2>,
            .pivotX = 6, .pivotY = 6},
           calibrated(token::outsideAirTemperature, outsideAirTemperatureValue, slow, outsideAirTemperatureTable,
                      {60, 6}));
// Vertical scales: the right needle (engine 2) pivots at (0, 0) of its picture, the left one
// (engine 1) at (0, 10).
constinit NeedleElement oilPressureNeedle2 =
    needle({.imageId = 5200, .x = 235, .y = 451, .imageFlags = needleFlags, .next = followedBy<oilPressureNeedle1>},
           calibrated(token::oilPressure2, scaledWrap5000, slow, oilPressureTable2));
constinit NeedleElement oilPressureNeedle1 =
    needle({.imageId = 5100, .x = 65, .y = 443, .imageFlags = needleFlags,
            .next = followedBy<cylinderHeadTemperatureNeedle2>, .pivotX = 0, .pivotY = 10},
           calibrated(token::oilPressure1, scaledWrap5000, slow, oilPressureTable1));
constinit NeedleElement cylinderHeadTemperatureNeedle2 =
    needle({.imageId = 6200, .x = 545, .y = 451, .imageFlags = needleFlags,
            .next = followedBy<cylinderHeadTemperatureNeedle1>},
           calibrated(token::cylinderHeadTemperature2, scaledWrap10000, slow, cylinderHeadTemperatureTable2));
constinit NeedleElement cylinderHeadTemperatureNeedle1 =
    needle({.imageId = 6100, .x = 375, .y = 443, .imageFlags = needleFlags,
            .next = followedBy<oilTemperatureNeedle2>, .pivotX = 0, .pivotY = 10},
           calibrated(token::cylinderHeadTemperature1, scaledWrap10000, slow, cylinderHeadTemperatureTable1));
constinit NeedleElement oilTemperatureNeedle2 =
    needle({.imageId = 7200, .x = 855, .y = 451, .imageFlags = needleFlags, .next = followedBy<oilTemperatureNeedle1>},
           calibrated(token::oilTemperature2, scaledWrap4000, slow, oilTemperatureTable2));
constinit NeedleElement oilTemperatureNeedle1 =
    needle({.imageId = 7100, .x = 685, .y = 443, .imageFlags = needleFlags,
            .next = followedBy<carburettorAirTemperatureNeedle2>, .pivotX = 0, .pivotY = 10},
           calibrated(token::oilTemperature1, scaledWrap4000, slow, oilTemperatureTable1));
constinit NeedleElement carburettorAirTemperatureNeedle2 =
    needle({.imageId = 8200, .x = 1165, .y = 451, .imageFlags = needleFlags,
            .next = followedBy<carburettorAirTemperatureNeedle1>},
           calibrated(token::cylinderHeadTemperature2, scaledWrap4500, slow, carburettorAirTemperatureTable2));
constinit NeedleElement carburettorAirTemperatureNeedle1 =
    needle({.imageId = 8100, .x = 995, .y = 443, .imageFlags = needleFlags, .pivotX = 0, .pivotY = 10},
           calibrated(token::cylinderHeadTemperature1, scaledWrap4500, slow, carburettorAirTemperatureTable1));

constinit EngineSetRoot gaugeRoot = {
    .rootElement = element(tachometerFace),
    .oilPressureCompanion1 = moduleVar(token::oilPressure1),
    .oilPressureCompanion2 = moduleVar(token::oilPressure2),
};

namespace {

constexpr GaugeBinding gauge{&gaugeRoot.rootElement, nullptr, &gaugeHeader};

// The companions are bound before the elements are installed, and refreshed before every
// element update; they are never unbound.
int32_t HOSTCALL installWithCompanions(ModuleInstance instance) {
    frame::services()->bindVariable(&gaugeRoot.oilPressureCompanion1);
    frame::services()->bindVariable(&gaugeRoot.oilPressureCompanion2);
    return plainInstall<gauge>(instance);
}

int32_t HOSTCALL updateWithCompanions() {
    frame::services()->readVariable(&gaugeRoot.oilPressureCompanion1);
    frame::services()->readVariable(&gaugeRoot.oilPressureCompanion2);
    return plainUpdate<gauge>();
}

constexpr GaugeRoutines routines{plainQuery<gauge>,    installWithCompanions, plainInitialize<gauge>,
                                 updateWithCompanions, plainGenerate<gauge>,  plainDraw<gauge>,
                                 plainKill<gauge>};

}  // namespace

constinit GaugeHeader gaugeHeader =
    makeGaugeHeader("QTX-K7M-Engine-Set-CFS-v1s", &gaugeRoot.rootElement, routines, 100);
