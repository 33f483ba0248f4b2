// The records of both overhead modules against the gauges' element and mouse tables: the
// exported records and header, every element's place in the tree and its fields, the laws by
// how they behave, every mouse rectangle's box, cursor, flags and key event, what each
// rectangle's function does when clicked on a freshly loaded gauge, which rectangles share a
// function, and the resources each module carries.
#include <map>
#include <set>

#include "fake_panel.h"

namespace {

using namespace bench;

using Failure = std::vector<std::pair<int32_t, int32_t>>;

// One row of an element table. `law` names the value law by its family; "text" laws are
// checked by the readout tests, element by element.
struct ElementRow {
    int number;
    int under;  // 0 for the root
    ElementKind kind;
    int32_t image;
    int32_t x, y;
    int32_t flags;
    int32_t extra;
    Failure failure;
    uint32_t token;
    uint32_t states;  // icons only
    const char* law;
};

// The String rows' own columns.
struct StringRow {
    int number;
    uint32_t tokens[3];
    int32_t boxWidth, boxHeight;
    uint32_t maxChars;
    const char* font;
    uint32_t format;
    std::vector<HighlightEntry> highlights;
};

// One row of a mouse table. `action` names what the rectangle does; rows with the same action
// share one function and every other function is a rectangle's own. A row without an action
// makes the panel system send its key event. The rest is what a click does on a freshly
// loaded and installed gauge: the sound, the key events, the icons whose values change and the
// function's result.
struct RectRow {
    int32_t x, y, width, height;
    int32_t cursor;
    uint32_t flags;
    uint32_t keyEvent;
    const char* action;
    int32_t sound;  // 0: none
    std::vector<uint32_t> events;
    std::vector<int> writes;
    int32_t result;
};

constexpr ElementKind SI = StaticImage, MI = MovingImage, STR = String, IC = Icon;
const Failure none{}, lamp{{1, 3}}, cluster{{2, 0}}, compass{{12, 1}};
constexpr uint32_t A = 0x20000000, K = 0x20200000;  // flags with cursors 3 to 5, and 1 and 2

struct Gauge {
    Overhead module;
    const char* name;
    std::vector<ElementRow> elements;
    std::vector<StringRow> strings;
    std::vector<RectRow> rects;
    std::set<int32_t> bitmapsWithoutElement;
    std::map<int32_t, uint32_t> waves;  // id -> size in bytes
};

std::ostream& operator<<(std::ostream& out, const Gauge& g) { return out << g.module.name; }

// Sounds of the first officer's module.
namespace fo {
constexpr int32_t SC = 9001, MC = 9101, KC = 9201, SS = 9301, LT = 9401, IG = 9501, ST = 9601, ST2 = 9701;
}
namespace cpt {
constexpr int32_t SC = 9001, MC = 9201, KC = 9401, SS = 9601, LT = 9801, IG = 9901;
}

const Gauge firstOfficerGauge{
    firstOfficer,
    "QTX-K7M-FO-Overhead-FS98-v1s",
    {
        {1, 0, SI, 1000, 0, 0, 0x1, 0, none, 0, 0, "none"},
        {2, 1, SI, 3600, 250, 134, 0x1, 0, none, 0, 0, "none"},
        {3, 2, MI, 3800, 270, 175, 0x3, 0, compass, 83, 0, "compass"},
        {4, 3, STR, -1, 1313, 10, 0x6, 0, {{1, 3}, {14, 1}}, 24, 0, "text"},
        {5, 4, IC, 3410, 2, 3, 0x7, 0, none, 0, 2, "none"},
        {6, 5, IC, 3010, 99, 3, 0x7, 0, lamp, 112, 3, "armedTestState hdgLampLit"},
        {7, 6, IC, 2810, 77, 3, 0x7, 0, lamp, 111, 3, "armedTestState altLampLit"},
        {8, 7, IC, 2610, 55, 3, 0x7, 0, lamp, 105, 3, "armedTestState hdgLampLit"},
        {9, 8, IC, 2410, 33, 3, 0x7, 0, lamp, 108, 3, "zeroTestStateWithFlag altLampLit"},
        {10, 9, IC, 3210, 121, 3, 0x7, 0, lamp, 106, 3, "zeroTestStateWithFlag hdgLampLit"},
        {11, 10, IC, 2210, 2, 3, 0x7, 0, lamp, 103, 3, "zeroTestState"},
        {12, 11, STR, -1, 118, 36, 0x6, 2, lamp, 107, 0, "text"},
        {13, 12, IC, 2000, 280, -3, 0x3, 0, cluster, 0, 2, "ignitionCutState"},
        {14, 13, IC, 1800, 299, 30, 0x3, 0, cluster, 0, 4, "magnetoState engine 2"},
        {15, 14, IC, 1600, 213, 29, 0x3, 0, cluster, 0, 4, "magnetoState engine 1"},
        {16, 15, IC, 1200, 370, -2, 0x3, 0, none, 0, 2, "handleState"},
        {17, 16, IC, 1200, 158, -2, 0x3, 0, none, 0, 2, "handleState"},
        {18, 17, IC, 4200, 1396, 23, 0x7, 0, lamp, 21, 2, "zeroTestState"},
        {19, 18, IC, 4200, 740, 23, 0x7, 0, lamp, 29, 2, "zeroTestState"},
        {20, 19, IC, 4200, 1333, 23, 0x7, 0, lamp, 26, 2, "zeroTestState"},
        {21, 20, IC, 4400, 1001, 24, 0x3, 0, none, 0, 2, "none"},
        {22, 21, IC, 4400, 971, 24, 0x3, 0, none, 0, 2, "none"},
        {23, 22, IC, 4400, 942, 24, 0x3, 0, none, 0, 2, "none"},
        {24, 23, IC, 4400, 912, 24, 0x3, 0, none, 0, 2, "none"},
        {25, 24, IC, 4400, 882, 24, 0x3, 0, none, 0, 2, "none"},
        {26, 25, IC, 6200, 852, 24, 0x3, 0, none, 0, 2, "none"},
        {27, 26, IC, 4400, 691, 22, 0x3, 0, none, 0, 2, "none"},
        {28, 27, IC, 4400, 669, 22, 0x3, 0, none, 0, 2, "none"},
        {29, 28, IC, 4400, 647, 22, 0x3, 0, none, 0, 2, "none"},
        {30, 29, IC, 4400, 625, 22, 0x3, 0, none, 0, 2, "none"},
        {31, 30, IC, 5200, 601, 18, 0x3, 0, none, 0, 2, "none"},
        {32, 31, IC, 5200, 577, 18, 0x3, 0, none, 0, 2, "none"},
        {33, 32, IC, 5000, 550, 20, 0x3, 0, none, 0, 2, "none"},
        {34, 33, IC, 5000, 525, 20, 0x3, 0, none, 0, 2, "none"},
        {35, 34, IC, 4800, 496, 20, 0x3, 0, none, 0, 3, "none"},
        {36, 35, IC, 4800, 466, 20, 0x3, 0, none, 0, 3, "none"},
        {37, 36, IC, 4800, 439, 20, 0x3, 0, none, 0, 3, "none"},
        {38, 37, IC, 4300, 786, 9, 0x7, 0, none, 0, 2, "none"},
        {39, 38, IC, 6000, 0, 0, 0x3, 0, none, 0, 2, "none"},
        {40, 11, STR, -1, 27, 36, 0x6, 1, lamp, 109, 0, "text"},
        {41, 11, STR, -1, 71, 36, 0x6, 0, lamp, 120, 0, "text"},
        {42, 3, STR, -1, 720, 10, 0x6, 0, {{1, 3}, {15, 1}}, 27, 0, "text"},
        {43, 3, STR, -1, 1388, 10, 0x6, 0, {{1, 3}, {5, 1}}, 16, 0, "text"},
        {44, 3, STR, -1, 1249, 10, 0x6, 0, {{1, 3}, {9, 1}}, 23, 0, "text"},
        {45, 3, STR, -1, 797, 10, 0x6, 0, {{1, 3}, {17, 1}}, 38, 0, "text"},
    },
    {
        {4, {24, 0, 0}, 44, 10, 6, "Arial", 0x25, {{6, 0, 2}, {7, 4, 5}}},
        {12, {107, 0, 0}, 22, 10, 3, "Arial", 0x25, {}},
        {40, {109, 335, 0}, 36, 10, 5, "Arial", 0x25, {}},
        {41, {120, 0, 0}, 36, 10, 5, "Arial", 0x25, {}},
        {42, {27, 0, 0}, 44, 10, 6, "Arial", 0x25, {{8, 0, 2}, {9, 4, 5}}},
        {43, {16, 17, 18}, 22, 10, 3, "Courier New", 0, {{19, 0, 1}, {20, 2, 2}, {21, 3, 5}}},
        {44, {23, 0, 0}, 44, 10, 6, "Arial", 0x25, {{4, 0, 2}, {5, 4, 5}}},
        {45, {38, 0, 0}, 34, 10, 4, "Arial", 0x25, {{10, 0, 0}, {11, 1, 1}, {12, 2, 2}, {13, 3, 3}}},
    },
    {
        {160, 0, 50, 25, 3, A, 0, "left push", fo::SC, {66003}, {}, 0},
        {160, 25, 50, 25, 4, A, 0, "left pull", fo::SC, {66007, 66007}, {17}, 0},
        {370, 0, 50, 25, 3, A, 0, "right push", fo::SC, {66008}, {}, 0},
        {370, 25, 50, 25, 4, A, 0, "right pull", fo::SC, {66012}, {16}, 0},
        {215, 30, 30, 28, 5, A, 0, "engine 1 up", fo::MC, {65929}, {}, 1},
        {250, 60, 30, 18, 5, A, 0, "engine 1 down", fo::MC, {65927}, {}, 1},
        {330, 30, 30, 28, 5, A, 0, "engine 2 up", fo::MC, {65935}, {}, 1},
        {295, 60, 30, 18, 5, A, 0, "engine 2 down", fo::MC, {65933}, {}, 1},
        {285, 25, 10, 18, 5, A, 0, "cut", fo::IG, {65932, 65938}, {}, 0},
        {285, 5, 10, 13, 5, A, 0, "restore", fo::MC, {}, {}, 0},
        {258, 10, 15, 15, 5, A, 0, "starter button 1", 0, {65931}, {}, 0},
        {303, 10, 15, 15, 5, A, 0, "starter button 2", 0, {65937}, {}, 0},
        {110, 50, 18, 15, 2, K, 65880, nullptr, 0, {}, {}, 0},
        {135, 50, 18, 15, 1, K, 65879, nullptr, 0, {}, {}, 0},
        {27, 50, 18, 15, 2, K, 65893, nullptr, 0, {}, {}, 0},
        {50, 50, 18, 15, 1, K, 65892, nullptr, 0, {}, {}, 0},
        {70, 50, 18, 15, 2, K, 65895, nullptr, 0, {}, {}, 0},
        {95, 50, 18, 15, 1, K, 65894, nullptr, 0, {}, {}, 0},
        {2, 3, 28, 22, 5, A, 0, "AUTO", fo::SC, {65580}, {}, 0},
        {121, 3, 20, 22, 5, A, 0, "HDG", fo::SC, {65798}, {}, 0},
        {32, 3, 20, 22, 5, A, 0, "ALT", fo::SC, {65799}, {}, 0},
        {55, 3, 20, 22, 5, A, 0, "NAV", fo::SC, {65729}, {}, 0},
        {77, 3, 20, 22, 5, A, 0, "APP", fo::SC, {65724}, {}, 0},
        {100, 3, 20, 22, 5, A, 0, "LOC", fo::SC, {65723}, {}, 0},
        {5, 27, 18, 18, 5, A, 0, "button strip", fo::SC, {}, {5}, 0},
        {332, 20, 10, 10, 5, A, 0, "65842", fo::SC, {65842}, {}, 0},
        {1315, 40, 15, 10, 2, K, 0, "65640", fo::KC, {65640}, {}, 0},
        {1315, 30, 15, 10, 1, K, 0, "65641", fo::KC, {65641}, {}, 0},
        {1340, 40, 15, 10, 2, K, 0, "65642", fo::KC, {65642}, {}, 0},
        {1340, 30, 15, 10, 1, K, 0, "65643", fo::KC, {65643}, {}, 0},
        {739, 20, 10, 10, 5, A, 0, "65843", fo::SC, {65843}, {}, 0},
        {720, 40, 15, 10, 2, K, 0, "65644", fo::KC, {65644}, {}, 0},
        {720, 30, 15, 10, 1, K, 0, "65645", fo::KC, {65645}, {}, 0},
        {745, 40, 15, 10, 2, K, 0, "65646", fo::KC, {65646}, {}, 0},
        {745, 30, 15, 10, 1, K, 0, "65647", fo::KC, {65647}, {}, 0},
        {1390, 20, 10, 10, 5, A, 0, "65846", fo::SC, {65846}, {}, 0},
        {1375, 30, 10, 20, 1, K, 0, "65648", fo::KC, {65648}, {}, 0},
        {1390, 30, 10, 20, 1, K, 0, "65649", fo::KC, {65649}, {}, 0},
        {1405, 30, 10, 20, 1, K, 0, "65650", fo::KC, {65650}, {}, 0},
        {1250, 40, 15, 10, 2, K, 0, "65636", fo::KC, {65636}, {}, 0},
        {1250, 30, 15, 10, 1, K, 0, "65637", fo::KC, {65637}, {}, 0},
        {1275, 40, 15, 10, 2, K, 0, "65638", fo::KC, {65638}, {}, 0},
        {1275, 30, 15, 10, 1, K, 0, "65639", fo::KC, {65639}, {}, 0},
        {820, 50, 15, 15, 5, A, 0, "orange dot", fo::SC, {}, {38}, 0},
        {780, 50, 15, 15, 5, A, 0, "orange dot", fo::SC, {}, {38}, 0},
        {780, 30, 10, 10, 1, K, 0, "65651", fo::KC, {65651}, {}, 0},
        {795, 30, 10, 10, 1, K, 0, "65652", fo::KC, {65652}, {}, 0},
        {815, 30, 10, 10, 1, K, 0, "65653", fo::KC, {65653}, {}, 0},
        {830, 30, 10, 10, 1, K, 0, "65654", fo::KC, {65654}, {}, 0},
        {441, 5, 14, 20, 5, A, 0, "selector A 1", fo::SC, {}, {37}, 0},
        {441, 27, 14, 10, 5, A, 0, "selector A 0", fo::SC, {}, {}, 0},
        {441, 40, 14, 20, 5, A, 0, "selector A 2", fo::SC, {}, {37}, 0},
        {468, 5, 14, 20, 5, A, 0, "selector B 1", fo::SS, {}, {36}, 0},
        {468, 27, 14, 10, 5, A, 0, "selector B 0", fo::SC, {}, {}, 0},
        {468, 40, 14, 20, 5, A, 0, "selector B 2", fo::SS, {}, {36}, 0},
        {498, 5, 14, 20, 5, A, 0, "starter 1", fo::SC, {}, {35}, 0},
        {498, 27, 14, 10, 5, A, 0, "starter 0", fo::SC, {}, {}, 0},
        {498, 40, 14, 20, 5, A, 0, "starter 2", fo::SC, {}, {35}, 0},
        {527, 15, 14, 20, 5, A, 0, "engine 1 toggle upper", fo::LT, {}, {34}, 0},
        {527, 35, 14, 20, 5, A, 0, "engine 1 toggle lower", fo::SC, {}, {34}, 0},
        {552, 15, 14, 20, 5, A, 0, "engine 2 toggle upper", fo::LT, {}, {33}, 0},
        {552, 35, 14, 20, 5, A, 0, "engine 2 toggle lower", fo::SC, {}, {33}, 0},
        {577, 15, 14, 40, 5, A, 0, "toggle 32", fo::SC, {}, {32}, 0},
        {601, 15, 14, 40, 5, A, 0, "toggle 31", fo::SC, {}, {31}, 0},
        {625, 15, 14, 20, 5, A, 0, "ganged on", fo::SC, {66072}, {29, 30}, 0},
        {625, 35, 14, 20, 5, A, 0, "ganged off", fo::SC, {66073}, {}, 0},
        {647, 15, 14, 20, 5, A, 0, "ganged on", fo::SC, {66072}, {29, 30}, 0},
        {647, 35, 14, 20, 5, A, 0, "ganged off", fo::SC, {66073}, {}, 0},
        {669, 15, 14, 40, 5, A, 0, "toggle 28", fo::SC, {}, {28}, 0},
        {691, 15, 14, 40, 5, A, 0, "toggle 27", fo::SC, {}, {27}, 0},
        {852, 15, 14, 40, 5, A, 0, "toggle 26", fo::SC, {}, {26}, 0},
        {882, 15, 14, 40, 5, A, 0, "toggle 25", fo::ST, {}, {25}, 0},
        {912, 15, 14, 40, 5, A, 0, "toggle 24", fo::ST2, {}, {24}, 0},
        {942, 15, 14, 20, 5, A, 0, "event 23 on", fo::SC, {66049}, {23}, 0},
        {942, 35, 14, 20, 5, A, 0, "event 23 off", fo::SC, {66050}, {}, 0},
        {971, 15, 14, 20, 5, A, 0, "event 22 on", fo::SC, {66056}, {22}, 0},
        {971, 35, 14, 20, 5, A, 0, "event 22 off", fo::SC, {66057}, {}, 0},
        {1001, 15, 14, 20, 5, A, 0, "toggle 21", fo::SC, {}, {21}, 0},
    },
    {1400, 3803, 4600, 4603, 5600, 5603, 5606},
    {{9001, 1590}, {9101, 1578}, {9201, 686}, {9301, 60354}, {9401, 122089}, {9501, 182042}, {9601, 17623},
     {9701, 17623}},
};

const Gauge captainGauge{
    captain,
    "QTX-K7M-Captains-Overhead-FS98-v1s",
    {
        {1, 0, SI, 1000, 0, 0, 0x1, 0, none, 0, 0, "none"},
        {2, 1, SI, 3600, 690, 134, 0x1, 0, none, 0, 0, "none"},
        {3, 2, MI, 3800, 712, 175, 0x3, 0, compass, 83, 0, "compass"},
        {4, 3, STR, -1, 313, 10, 0x6, 0, {{1, 3}, {14, 1}}, 24, 0, "text"},
        {5, 4, IC, 3410, 443, 3, 0x7, 0, none, 0, 2, "none"},
        {6, 5, IC, 3010, 540, 3, 0x7, 0, lamp, 112, 3, "armedTestState hdgLampLit"},
        {7, 6, IC, 2810, 518, 3, 0x7, 0, lamp, 111, 3, "armedTestState altLampLit"},
        {8, 7, IC, 2610, 496, 3, 0x7, 0, lamp, 105, 3, "armedTestState hdgLampLit"},
        {9, 8, IC, 2410, 474, 3, 0x7, 0, lamp, 108, 3, "zeroTestStateWithFlag altLampLit"},
        {10, 9, IC, 3210, 562, 3, 0x7, 0, lamp, 106, 3, "zeroTestStateWithFlag hdgLampLit"},
        {11, 10, IC, 2210, 443, 3, 0x7, 0, lamp, 103, 3, "zeroTestState"},
        {12, 11, STR, -1, 558, 36, 0x6, 2, lamp, 107, 0, "text"},
        {13, 12, IC, 2000, 730, -3, 0x3, 0, cluster, 0, 2, "ignitionCutState"},
        {14, 13, IC, 1800, 748, 30, 0x3, 0, cluster, 0, 4, "magnetoState engine 2"},
        {15, 14, IC, 1600, 658, 29, 0x3, 0, cluster, 0, 4, "magnetoState engine 1"},
        {16, 15, IC, 1200, 812, -2, 0x3, 0, none, 0, 2, "handleState"},
        {17, 16, IC, 1200, 600, -2, 0x3, 0, none, 0, 2, "handleState"},
        {18, 17, IC, 4200, 397, 23, 0x7, 0, lamp, 21, 2, "zeroTestState"},
        {19, 18, IC, 4200, 1333, 23, 0x7, 0, lamp, 29, 2, "zeroTestState"},
        {20, 19, IC, 4200, 333, 23, 0x7, 0, lamp, 26, 2, "zeroTestState"},
        {21, 20, IC, 5200, 1017, 20, 0x3, 0, none, 0, 2, "none"},
        {22, 21, IC, 5000, 992, 20, 0x3, 0, none, 0, 2, "none"},
        {23, 22, IC, 5000, 967, 20, 0x3, 0, none, 0, 2, "none"},
        {24, 23, IC, 4800, 938, 20, 0x3, 0, none, 0, 3, "none"},
        {25, 24, IC, 4800, 908, 20, 0x3, 0, none, 0, 3, "none"},
        {26, 25, IC, 4800, 881, 20, 0x3, 0, none, 0, 3, "none"},
        {27, 26, IC, 5400, 210, 20, 0x3, 0, none, 0, 2, "none"},
        {28, 27, IC, 5400, 181, 20, 0x3, 0, none, 0, 2, "none"},
        {29, 28, IC, 5700, 155, 15, 0x3, 0, none, 0, 2, "none"},
        {30, 29, IC, 4400, 117, 25, 0x3, 0, none, 0, 2, "none"},
        {31, 30, IC, 4400, 90, 25, 0x3, 0, none, 0, 2, "none"},
        {32, 31, IC, 4600, 66, 25, 0x3, 0, none, 0, 2, "none"},
        {33, 32, IC, 4600, 43, 25, 0x3, 0, none, 0, 2, "none"},
        {34, 33, IC, 4400, 20, 25, 0x3, 0, none, 0, 2, "none"},
        {35, 34, IC, 4400, -2, 25, 0x3, 0, none, 0, 2, "none"},
        {36, 11, STR, -1, 467, 36, 0x6, 1, lamp, 109, 0, "text"},
        {37, 11, STR, -1, 511, 36, 0x6, 0, lamp, 120, 0, "text"},
        {38, 3, STR, -1, 1200, 10, 0x6, 0, {{1, 3}, {15, 1}}, 27, 0, "text"},
        {39, 3, STR, -1, 375, 10, 0x6, 0, {{1, 3}, {5, 1}}, 16, 0, "text"},
        {40, 3, STR, -1, 249, 10, 0x6, 0, {{1, 3}, {9, 1}}, 23, 0, "text"},
        {41, 3, STR, -1, 1300, 10, 0x6, 0, {{1, 3}, {17, 1}}, 38, 0, "text"},
    },
    {
        {4, {24, 0, 0}, 44, 10, 6, "Arial", 0x25, {{6, 0, 2}, {7, 4, 5}}},
        {12, {107, 0, 0}, 22, 10, 3, "Arial", 0x25, {}},
        {36, {109, 335, 0}, 36, 10, 5, "Arial", 0x25, {}},
        {37, {120, 0, 0}, 36, 10, 5, "Arial", 0x25, {}},
        {38, {27, 0, 0}, 44, 10, 6, "Arial", 0x25, {{8, 0, 2}, {9, 4, 5}}},
        {39, {16, 17, 18}, 36, 10, 4, "Arial", 0, {{19, 0, 1}, {20, 2, 2}, {21, 3, 5}}},
        {40, {23, 0, 0}, 44, 10, 6, "Arial", 0x25, {{4, 0, 2}, {5, 4, 5}}},
        {41, {38, 0, 0}, 44, 10, 6, "Arial", 0x25, {{10, 0, 0}, {11, 1, 1}, {12, 2, 2}, {13, 3, 3}}},
    },
    {
        {600, 0, 50, 25, 3, A, 0, "left push", cpt::SC, {66003}, {}, 0},
        {600, 25, 50, 25, 4, A, 0, "left pull", cpt::SC, {66007}, {17}, 0},
        {810, 0, 50, 25, 3, A, 0, "right push", cpt::SC, {66008}, {}, 0},
        {810, 25, 50, 25, 4, A, 0, "right pull", cpt::SC, {66012}, {16}, 0},
        {660, 30, 30, 28, 5, A, 0, "engine 1 up", cpt::MC, {65929}, {}, 1},
        {690, 60, 30, 18, 5, A, 0, "engine 1 down", cpt::MC, {65927}, {}, 1},
        {780, 30, 30, 28, 5, A, 0, "engine 2 up", cpt::MC, {65935}, {}, 1},
        {750, 60, 30, 18, 5, A, 0, "engine 2 down", cpt::MC, {65933}, {}, 1},
        {732, 25, 10, 18, 5, A, 0, "cut", cpt::IG, {65932, 65938}, {}, 0},
        {732, 5, 10, 13, 5, A, 0, "restore", cpt::MC, {}, {}, 0},
        {705, 10, 15, 15, 5, A, 0, "starter button 1", 0, {65931}, {}, 0},
        {750, 10, 15, 15, 5, A, 0, "starter button 2", 0, {65937}, {}, 0},
        {550, 50, 18, 15, 2, K, 65880, nullptr, 0, {}, {}, 0},
        {575, 50, 18, 15, 1, K, 65879, nullptr, 0, {}, {}, 0},
        {467, 50, 18, 15, 2, K, 65893, nullptr, 0, {}, {}, 0},
        {490, 50, 18, 15, 1, K, 65892, nullptr, 0, {}, {}, 0},
        {510, 50, 18, 15, 2, K, 65895, nullptr, 0, {}, {}, 0},
        {535, 50, 18, 15, 1, K, 65894, nullptr, 0, {}, {}, 0},
        {442, 3, 28, 22, 5, A, 0, "AUTO", cpt::SC, {65580}, {}, 0},
        {561, 3, 20, 22, 5, A, 0, "HDG", cpt::SC, {65798}, {}, 0},
        {472, 3, 20, 22, 5, A, 0, "ALT", cpt::SC, {65799}, {}, 0},
        {495, 3, 20, 22, 5, A, 0, "NAV", cpt::SC, {65729}, {}, 0},
        {517, 3, 20, 22, 5, A, 0, "APP", cpt::SC, {65724}, {}, 0},
        {540, 3, 20, 22, 5, A, 0, "LOC", cpt::SC, {65723}, {}, 0},
        {445, 27, 18, 18, 5, A, 0, "button strip", cpt::SC, {}, {5}, 0},
        {332, 20, 10, 10, 5, A, 0, "65842", cpt::SC, {65842}, {}, 0},
        {315, 40, 15, 10, 2, K, 0, "65640", cpt::KC, {65640}, {}, 0},
        {315, 30, 15, 10, 1, K, 0, "65641", cpt::KC, {65641}, {}, 0},
        {340, 40, 15, 10, 2, K, 0, "65642", cpt::KC, {65642}, {}, 0},
        {340, 30, 15, 10, 1, K, 0, "65643", cpt::KC, {65643}, {}, 0},
        {1332, 20, 10, 10, 5, A, 0, "65843", cpt::SC, {65843}, {}, 0},
        {1315, 40, 15, 10, 2, K, 0, "65644", cpt::KC, {65644}, {}, 0},
        {1315, 30, 15, 10, 1, K, 0, "65645", cpt::KC, {65645}, {}, 0},
        {1340, 40, 15, 10, 2, K, 0, "65646", cpt::KC, {65646}, {}, 0},
        {1340, 30, 15, 10, 1, K, 0, "65647", cpt::KC, {65647}, {}, 0},
        {390, 20, 10, 10, 5, A, 0, "65846", cpt::SC, {65846}, {}, 0},
        {375, 30, 10, 20, 1, K, 0, "65648", cpt::KC, {65648}, {}, 0},
        {390, 30, 10, 20, 1, K, 0, "65649", cpt::KC, {65649}, {}, 0},
        {405, 30, 10, 20, 1, K, 0, "65650", cpt::KC, {65650}, {}, 0},
        {250, 40, 15, 10, 2, K, 0, "65636", cpt::KC, {65636}, {}, 0},
        {250, 30, 15, 10, 1, K, 0, "65637", cpt::KC, {65637}, {}, 0},
        {275, 40, 15, 10, 2, K, 0, "65638", cpt::KC, {65638}, {}, 0},
        {275, 30, 15, 10, 1, K, 0, "65639", cpt::KC, {65639}, {}, 0},
        {1415, 40, 15, 10, 1, K, 0, "65651", cpt::KC, {65651}, {}, 0},
        {1415, 30, 15, 10, 1, K, 0, "65652", cpt::KC, {65652}, {}, 0},
        {1440, 40, 15, 10, 1, K, 0, "65653", cpt::KC, {65653}, {}, 0},
        {1440, 30, 15, 10, 1, K, 0, "65654", cpt::KC, {65654}, {}, 0},
        {-2, 15, 14, 40, 5, A, 0, "command toggle 35", cpt::SC, {}, {35}, 0},
        {20, 15, 14, 40, 5, A, 0, "toggle 34", cpt::SC, {}, {34}, 0},
        {43, 15, 14, 20, 5, A, 0, "ganged on", cpt::SC, {66059}, {32, 33}, 0},
        {43, 35, 14, 20, 5, A, 0, "ganged off", cpt::SC, {66060}, {}, 0},
        {66, 15, 14, 20, 5, A, 0, "ganged on", cpt::SC, {66059}, {32, 33}, 0},
        {66, 35, 14, 20, 5, A, 0, "ganged off", cpt::SC, {66060}, {}, 0},
        {90, 15, 14, 20, 5, A, 0, "event 31 on", cpt::SC, {66052}, {31}, 0},
        {90, 35, 14, 20, 5, A, 0, "event 31 off", cpt::SC, {66053}, {}, 0},
        {117, 15, 14, 40, 5, A, 0, "toggle 30", cpt::SC, {}, {30}, 0},
        {155, 15, 14, 40, 5, A, 0, "toggle 29", cpt::SC, {}, {29}, 0},
        {181, 15, 14, 30, 5, A, 0, "toggle 28", cpt::SC, {}, {28}, 0},
        {210, 15, 14, 30, 5, A, 0, "toggle 27", cpt::SC, {}, {27}, 0},
        {881, 5, 14, 20, 5, A, 0, "selector A 1", cpt::SC, {}, {26}, 0},
        {881, 27, 14, 10, 5, A, 0, "selector A 0", cpt::SC, {}, {}, 0},
        {881, 40, 14, 20, 5, A, 0, "selector A 2", cpt::SC, {}, {26}, 0},
        {908, 5, 14, 20, 5, A, 0, "selector B 1", cpt::SS, {}, {25}, 0},
        {908, 27, 14, 10, 5, A, 0, "selector B 0", cpt::SC, {}, {}, 0},
        {908, 40, 14, 20, 5, A, 0, "selector B 2", cpt::SS, {}, {25}, 0},
        {938, 5, 14, 20, 5, A, 0, "starter 1", cpt::SC, {}, {24}, 0},
        {938, 27, 14, 10, 5, A, 0, "starter 0", cpt::SC, {}, {}, 0},
        {938, 40, 14, 20, 5, A, 0, "starter 2", cpt::SC, {}, {24}, 0},
        {967, 15, 14, 20, 5, A, 0, "engine 1 toggle upper", cpt::LT, {}, {23}, 0},
        {967, 35, 14, 20, 5, A, 0, "engine 1 toggle lower", cpt::SC, {}, {23}, 0},
        {992, 15, 14, 20, 5, A, 0, "engine 2 toggle upper", cpt::LT, {}, {22}, 0},
        {992, 35, 14, 20, 5, A, 0, "engine 2 toggle lower", cpt::SC, {}, {22}, 0},
        {1017, 20, 14, 20, 5, A, 0, "toggle 21", cpt::SC, {}, {21}, 0},
    },
    {},
    {{9001, 1590}, {9201, 1578}, {9401, 686}, {9601, 60354}, {9801, 122089}, {9901, 182042}},
};

const Gauge gauges[] = {firstOfficerGauge, captainGauge};

class Content : public testing::TestWithParam<Gauge> {
protected:
    void SetUp() override {
        freshProcessState();
        module = std::make_unique<Module>(g().module.path);
        ASSERT_TRUE(module->loaded());
    }
    const Gauge& g() const { return GetParam(); }
    Module& m() { return *module; }
    std::unique_ptr<Module> module;
};

TEST_P(Content, ExportedRecordsAndHeader) {
    auto* linkage = reinterpret_cast<LinkageRecord*>(GetProcAddress(m().handle(), "Linkage"));
    auto* imports = reinterpret_cast<ImportEntry*>(GetProcAddress(m().handle(), "ImportTable"));
    EXPECT_EQ(linkage->moduleId, 0x13);
    EXPECT_NE(linkage->moduleInit, nullptr);
    EXPECT_EQ(linkage->moduleInit, linkage->moduleDeinit);
    EXPECT_EQ(linkage->gaugeHeaders[1], nullptr);
    EXPECT_EQ(imports[0].id, 0x0F);
    EXPECT_EQ(imports[1].id, 0);
    EXPECT_EQ(imports[1].serviceTable, nullptr);
    GaugeHeader& h = m().header();
    EXPECT_EQ(h.version, 610);
    EXPECT_STREQ(h.name, g().name);
    EXPECT_EQ(h.defaultSize, 140u);
    EXPECT_EQ(h.reserved, 0);
    for (HostWord w : h.hostWords) EXPECT_EQ(w, 0u);
    EXPECT_EQ(*h.elementList, m().element(1));
    for (const void* r : {(const void*)h.queryRoutine, (const void*)h.installRoutine, (const void*)h.initializeRoutine,
                          (const void*)h.updateRoutine, (const void*)h.generateRoutine, (const void*)h.drawRoutine,
                          (const void*)h.killRoutine})
        EXPECT_NE(r, nullptr);
    for (FARPROC other : {GetProcAddress(m().handle(), "gaugeHeader"), GetProcAddress(m().handle(), "mouseList")})
        EXPECT_EQ(other, nullptr) << "only Linkage and ImportTable are exported";
}

TEST_P(Content, PlainRoutinesForwardTheRootUnchanged) {
    GaugeHeader& h = m().header();
    ElementHeader* root = m().element(1);
    panel().clearLog();
    h.queryRoutine();
    h.initializeRoutine();
    h.generateRoutine(0xDEADBEEF);
    h.drawRoutine();
    const std::vector<Call> expected = {{"queryElements", root, 0},
                                        {"initializeElements", root, 0},
                                        {"generateElements", root, 0xDEADBEEF},
                                        {"plotElements", root, 0}};
    EXPECT_EQ(panel().calls, expected);
}

TEST_P(Content, TreeHoldsEveryElementOnceUnderItsParentInTableOrder) {
    ASSERT_EQ(m().elements().size(), g().elements.size());
    std::set<ElementHeader*> distinct(m().elements().begin(), m().elements().end());
    EXPECT_EQ(distinct.size(), g().elements.size()) << "an element is reached twice";
    for (const ElementRow& row : g().elements) {
        std::vector<ElementHeader*> children;
        for (const ElementRow& child : g().elements)
            if (child.under == row.number) children.push_back(m().element(child.number));
        std::vector<ElementHeader*> listed;
        if (const auto* next = m().element(row.number)->nextList)
            for (; *next; ++next) listed.push_back(*next);
        EXPECT_EQ(listed, children) << "children of #" << row.number;
        if (children.empty()) {
            EXPECT_EQ(m().element(row.number)->nextList, nullptr) << "#" << row.number;
        }
    }
}

TEST_P(Content, EveryElementCarriesItsRowsFields) {
    for (const ElementRow& row : g().elements) {
        SCOPED_TRACE(testing::Message() << "#" << row.number);
        const ElementHeader& e = *m().element(row.number);
        EXPECT_EQ(e.kind, row.kind);
        EXPECT_EQ(e.imageId, row.image);
        EXPECT_EQ(e.x, row.x);
        EXPECT_EQ(e.y, row.y);
        EXPECT_EQ(e.pivotX, 0);
        EXPECT_EQ(e.pivotY, 0);
        EXPECT_EQ(e.gaugeHeader, &m().header());
        EXPECT_EQ(e.imageFlags, row.flags);
        EXPECT_EQ(e.extraFlags, row.extra);
        EXPECT_EQ(e.reserved, 0);
        EXPECT_EQ(e.hostWords1[0] | e.hostWords1[1] | e.hostWord2, 0u);
        Failure failure;
        if (e.failureRecord)
            for (const FailureEntry* f = e.failureRecord; f->key || f->action; ++f) {
                failure.emplace_back(f->key, f->action);
                EXPECT_EQ(f->zero, 0);
            }
        EXPECT_EQ(failure, row.failure);
        if (row.failure.empty()) {
            EXPECT_EQ(e.failureRecord, nullptr);
        }
        if (row.kind == Icon) {
            const IconElement& i = m().icon(row.number);
            EXPECT_EQ(i.variable.token, row.token);
            EXPECT_EQ(i.variable.value, 0.0) << "every switch starts at 0";
            EXPECT_EQ(i.stateCount, row.states);
            EXPECT_EQ(i.valueCallback == nullptr, std::string(row.law) == "none");
            for (int32_t r : i.reserved) EXPECT_EQ(r, 0);
        }
        if (row.kind == MovingImage) {
            const MovingImageElement& c = m().moving(row.number);
            EXPECT_EQ(c.xVariable.token, 83u);
            EXPECT_EQ(c.yVariable.token, 0u);
            EXPECT_EQ(c.xMin, 0.0);
            EXPECT_EQ(c.xMax, 360.0);
            EXPECT_EQ(c.yMin, 0.0);
            EXPECT_EQ(c.yMax, 0.0);
        }
    }
}

TEST_P(Content, StringsCarryTheirTextFields) {
    for (const StringRow& row : g().strings) {
        SCOPED_TRACE(testing::Message() << "#" << row.number);
        const StringElement& s = m().text(row.number);
        EXPECT_EQ(s.variable1.token, row.tokens[0]);
        EXPECT_EQ(s.variable2.token, row.tokens[1]);
        EXPECT_EQ(s.variable3.token, row.tokens[2]);
        EXPECT_EQ(s.boxWidth, row.boxWidth);
        EXPECT_EQ(s.boxHeight, row.boxHeight);
        EXPECT_EQ(s.maxChars, row.maxChars);
        EXPECT_EQ(s.foreColour, 0x94ADADu);
        EXPECT_EQ(s.backColour, 0x080808u);
        EXPECT_EQ(s.highlightColour, 0x94ADADu);
        char face[32] = {};
        std::strncpy(face, row.font, 31);
        EXPECT_EQ(std::memcmp(s.fontFace, face, 32), 0) << "font face, NUL-padded";
        EXPECT_EQ(s.fontWeight, 400);
        EXPECT_EQ(s.fontCharset, 1);
        EXPECT_EQ(s.textFormat, row.format);
        EXPECT_EQ(s.textBuffer, nullptr);
        EXPECT_NE(s.valueCallback, nullptr);
        std::vector<std::tuple<int32_t, int32_t, int32_t>> listed, expected;
        if (s.highlightList)
            for (const HighlightEntry* h = s.highlightList; h->selectionId; ++h)
                listed.emplace_back(h->selectionId, h->firstChar, h->lastChar);
        for (const HighlightEntry& h : row.highlights) expected.emplace_back(h.selectionId, h.firstChar, h.lastChar);
        EXPECT_EQ(listed, expected);
        if (row.highlights.empty()) {
            EXPECT_EQ(s.highlightList, nullptr);
        }
    }
    std::set<TextCallback> laws;
    for (const StringRow& row : g().strings) laws.insert(m().text(row.number).valueCallback);
    EXPECT_EQ(laws.size(), g().strings.size()) << "each String has a text law of its own";
}

// What a value law does, by its family; the lamp flags themselves are the switch tests' part.
bool behavesAs(Module& m, int number, const std::string& law) {
    IconElement& i = m.icon(number);
    auto call = [&](double v) {
        ModuleVar probe = i.variable;
        probe.value = v;
        return i.valueCallback(&probe);
    };
    if (law.rfind("zeroTestState", 0) == 0) return call(0.0) == 1.0 && call(-2.0) == 0.0 && call(7.0) == 0.0;
    if (law.rfind("armedTestState", 0) == 0) {
        double lit = call(1.0);
        return call(0.0) == 1.0 && (lit == 0.0 || lit == 2.0);
    }
    if (law == "handleState") return call(1.0) == 1.0 && call(3.0) == 3.0 && call(0.5) == 0.0 && call(0.0) == 0.0;
    BlockView block;
    if (law == "ignitionCutState") {
        block->ignitionCut = 0;
        bool open = call(0.0) == 0.0;
        block->ignitionCut = 1;
        bool cut = call(0.0) == 1.0;
        block->ignitionCut = 0;
        return open && cut;
    }
    if (law == "magnetoState engine 1" || law == "magnetoState engine 2") {
        bool one = law.back() == '1';
        block->engine1Magneto = 1;
        block->engine2Magneto = 0;
        double first = call(0.0);
        block->engine1Magneto = 0;
        block->engine2Magneto = 1;
        double second = call(0.0);
        block->engine2Magneto = 0;
        return one ? first == 2.0 && second == 0.0 : first == 0.0 && second == 2.0;
    }
    return false;
}

TEST_P(Content, LawsBehaveAsTheirFamiliesAndEachFamilyInstanceIsOneFunction) {
    m().install();
    std::map<std::string, std::set<ValueCallback>> byLaw;
    for (const ElementRow& row : g().elements) {
        if (row.kind != Icon || std::string(row.law) == "none") continue;
        EXPECT_TRUE(behavesAs(m(), row.number, row.law)) << "#" << row.number << " as " << row.law;
        byLaw[row.law].insert(m().icon(row.number).valueCallback);
    }
    std::set<ValueCallback> all;
    for (const auto& [law, functions] : byLaw) {
        EXPECT_EQ(functions.size(), 1u) << law << " is one function";
        all.insert(functions.begin(), functions.end());
    }
    EXPECT_EQ(all.size(), byLaw.size()) << "different laws are different functions";

    MovingImageElement& card = m().moving(3);
    ModuleVar heading = card.xVariable;
    heading.value = 90.0;
    EXPECT_EQ(card.xCallback(&heading), 270.0);
    EXPECT_EQ(card.yCallback(&card.yVariable), 1.0);
    m().kill();
}

TEST_P(Content, MouseListHasEveryRectangleInTableOrder) {
    m().install();
    MouseRect* list = m().mouseList();
    ASSERT_NE(list, nullptr);
    const MouseRect& parent = list[0];
    EXPECT_EQ(parent.rectType, ParentRect);
    EXPECT_EQ(parent.x | parent.y | parent.width | parent.height, 0);
    EXPECT_EQ(parent.cursor, -1);
    EXPECT_EQ(parent.mouseFlags, 0u);
    ASSERT_EQ(m().rectCount(), int(g().rects.size()));
    const MouseRect& end = list[g().rects.size() + 1];
    EXPECT_EQ(end.rectType, EndRect);
    EXPECT_EQ(end.x | end.y | end.width | end.height, 0);
    EXPECT_EQ(end.cursor, -1);
    EXPECT_EQ(end.mouseFunction, nullptr);

    std::map<std::string, MouseFunction> byAction;
    std::set<MouseFunction> distinct;
    for (size_t n = 1; n <= g().rects.size(); ++n) {
        const RectRow& row = g().rects[n - 1];
        const MouseRect& r = m().rect(int(n));
        SCOPED_TRACE(testing::Message() << "rectangle " << n);
        EXPECT_EQ(r.rectType, ChildRect);
        EXPECT_EQ(r.x, row.x);
        EXPECT_EQ(r.y, row.y);
        EXPECT_EQ(r.width, row.width);
        EXPECT_EQ(r.height, row.height);
        EXPECT_EQ(r.cursor, row.cursor);
        EXPECT_EQ(r.mouseFlags, row.flags);
        EXPECT_EQ(r.keyEvent, row.keyEvent);
        EXPECT_EQ(r.helpId | r.reserved, 0);
        EXPECT_EQ(r.mouseFunction == nullptr, row.action == nullptr) << "a function or a key event, never both";
        if (!row.action) continue;
        auto [it, fresh] = byAction.emplace(row.action, r.mouseFunction);
        if (fresh)
            EXPECT_TRUE(distinct.insert(r.mouseFunction).second) << row.action << " shares another action's function";
        else
            EXPECT_EQ(it->second, r.mouseFunction) << row.action << ": rows of the same action share one function";
    }
    m().kill();
}

TEST_P(Content, EachRectanglesFunctionActsAsItsRowSays) {
    for (size_t n = 1; n <= g().rects.size(); ++n) {
        const RectRow& row = g().rects[n - 1];
        if (!row.action) continue;
        SCOPED_TRACE(testing::Message() << "rectangle " << n << " (" << row.action << ")");
        module.reset();
        freshProcessState();
        module = std::make_unique<Module>(g().module.path);
        m().install();
        std::vector<double> before;
        for (size_t e = 1; e <= m().elements().size(); ++e)
            before.push_back(m().element(int(e))->kind == Icon ? m().icon(int(e)).variable.value : 0.0);
        panel().clearLog();
        uint32_t mark = platformSoundPlayCount();

        EXPECT_EQ(m().click(int(n)), row.result);

        std::vector<int32_t> expectedSounds;
        if (row.sound) expectedSounds.push_back(row.sound);
        EXPECT_EQ(soundsSince(mark, m().handle()), expectedSounds);
        EXPECT_EQ(panel().keyEvents, row.events);
        std::vector<int> changed;
        for (size_t e = 1; e <= m().elements().size(); ++e)
            if (m().element(int(e))->kind == Icon && m().icon(int(e)).variable.value != before[e - 1])
                changed.push_back(int(e));
        EXPECT_EQ(changed, row.writes);
        m().kill();
    }
}

TEST_P(Content, ModuleCarriesExactlyTheBitmapsItsElementsShowAndItsSounds) {
    std::set<int32_t> expected = g().bitmapsWithoutElement;
    for (const ElementRow& row : g().elements) {
        if (row.kind == String) continue;
        uint32_t states = row.kind == Icon ? row.states : 1;
        for (uint32_t k = 0; k < states; ++k) expected.insert(row.image + int32_t(3 * k));
    }
    std::set<int32_t> carried;
    std::map<int32_t, uint32_t> waves;
    for (int32_t id = 1; id < 65536; ++id) {
        if (FindResourceA(m().handle(), MAKEINTRESOURCEA(id), RT_BITMAP)) carried.insert(id);
        if (HRSRC w = FindResourceA(m().handle(), MAKEINTRESOURCEA(id), "WAVE")) waves[id] = SizeofResource(m().handle(), w);
    }
    EXPECT_EQ(carried, expected);
    EXPECT_EQ(waves, g().waves) << "sound ids, each naming the sound of its size";
}

INSTANTIATE_TEST_SUITE_P(BothOverheads, Content, testing::ValuesIn(gauges),
                         [](const auto& info) { return std::string(info.param.module.name); });

}  // namespace
