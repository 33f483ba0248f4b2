// The records a gauge module shares with the panel system, in the panel system's binary
// layout: the module's exported Linkage and ImportTable, the GaugeHeader, the service table,
// and the element and mouse records a gauge's content is written in.
//
// On 32-bit x86 every size and offset is the panel system's and is checked below. Elsewhere
// (the native build) address fields and host words are pointer-sized and everything else is
// as on 32-bit. A host word is left 0 by the module and belongs to the panel system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "hostcall.h"

#if defined(__i386__)
// The panel system lays doubles on 4-byte boundaries; no record has padding.
#pragma pack(push, 4)
#endif

using HostWord = uintptr_t;
using ModuleInstance = void*;

enum ElementKind : int32_t {
    StaticImage = 0,
    Needle = 1,
    String = 2,
    Icon = 4,
    MovingImage = 5,
};

struct GaugeHeader;

// A binding of an element (or of the module itself) to a simulator variable. Token 0 is
// local: the panel system never loads it, so only the module or a stored callback result
// changes its value.
struct ModuleVar {
    uint32_t token;
    HostWord hostWords[2];
    double value;  // integer-form variables use the first four bytes of this slot
    uint8_t hostBytes[8];
};

inline int32_t integerValue(const ModuleVar& v) {
    int32_t i;
    std::memcpy(&i, &v.value, sizeof i);
    return i;
}

inline void setIntegerValue(ModuleVar& v, int32_t i) {
    v.value = 0.0;
    std::memcpy(&v.value, &i, sizeof i);
}

using ValueCallback = double(HOSTCALL*)(ModuleVar*);
using TextCallback = double(HOSTCALL*)(double);
using MouseFunction = int32_t(HOSTCALL*)(uint32_t, uint32_t);

struct FailureEntry {
    int32_t key;
    int32_t action;
    int32_t zero;
};

struct HighlightEntry {
    int32_t selectionId;
    int32_t firstChar;
    int32_t lastChar;
};

struct NonlinearityEntry {
    int32_t x;
    int32_t y;
    double value;
    double degrees;
};

// The first 60 bytes of every element.
struct ElementHeader {
    int32_t kind;
    int32_t imageId;
    int32_t x;
    int32_t y;
    HostWord hostWords1[2];
    int32_t pivotX;
    int32_t pivotY;
    const GaugeHeader* gaugeHeader;
    HostWord hostWord2;
    ElementHeader* const* nextList;
    const FailureEntry* failureRecord;
    int32_t imageFlags;
    int32_t extraFlags;
    int32_t reserved;
};

struct StaticImageElement {
    ElementHeader header;
    HostWord hostWords[5];  // the first is set by installElements
};

struct NeedleElement {
    ElementHeader header;
    ModuleVar variable;
    ValueCallback valueCallback;
    int32_t reserved[3];
    int32_t integers[2];
    const NonlinearityEntry* nonlinearityTable;
    uint32_t tableSize;
    int32_t maxDegreesPerUpdate;
    HostWord hostWords[25];
};

struct StringElement {
    ElementHeader header;
    ModuleVar variable1;
    ModuleVar variable2;
    ModuleVar variable3;
    HostWord hostWords1[9];
    TextCallback valueCallback;
    char* textBuffer;  // provided by the panel system, at least maxChars + 1 bytes
    HostWord hostWord2;
    int32_t boxWidth;
    int32_t boxHeight;
    HostWord hostWords3[2];
    uint32_t foreColour;  // 0x00BBGGRR
    uint32_t backColour;
    uint32_t highlightColour;
    HostWord hostWords4[7];
    char fontFace[32];
    int32_t fontWeight;
    int32_t fontCharset;
    uint32_t textFormat;
    uint32_t maxChars;
    int32_t reserved1;
    const HighlightEntry* highlightList;
    int32_t reserved2;
};

struct IconElement {
    ElementHeader header;
    ModuleVar variable;
    ValueCallback valueCallback;
    int32_t reserved[5];
    uint32_t stateCount;
    HostWord hostWords[4];
};

struct MovingImageElement {
    ElementHeader header;
    ModuleVar xVariable;
    ValueCallback xCallback;
    double xMin;
    double xMax;
    HostWord xHostWord;
    ModuleVar yVariable;
    ValueCallback yCallback;
    double yMin;
    double yMax;
    HostWord yHostWord;
    uint8_t hostBytes[80];
};

enum MouseRectType : int32_t {
    ParentRect = 1,
    ChildRect = 2,
    EndRect = 3,
};

struct MouseRect {
    int32_t rectType;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t cursor;
    int32_t helpId;
    uint32_t mouseFlags;
    uint32_t keyEvent;
    MouseFunction mouseFunction;
    int32_t reserved;
};

using QueryRoutine = int32_t(HOSTCALL*)();
using InstallRoutine = int32_t(HOSTCALL*)(ModuleInstance);
using PlainRoutine = int32_t(HOSTCALL*)();
using GenerateRoutine = int32_t(HOSTCALL*)(uint32_t);

struct GaugeHeader {
    int32_t version;
    const char* name;
    ElementHeader* const* elementList;  // one word holding the root element's address
    QueryRoutine queryRoutine;
    InstallRoutine installRoutine;
    PlainRoutine initializeRoutine;
    PlainRoutine updateRoutine;
    GenerateRoutine generateRoutine;
    PlainRoutine drawRoutine;
    PlainRoutine killRoutine;
    int32_t reserved;
    uint32_t defaultSize;  // millimetres
    HostWord hostWords[10];
};

using ModuleRoutine = void(HOSTCALL*)();

struct LinkageRecord {
    int32_t moduleId;
    ModuleRoutine moduleInit;
    ModuleRoutine moduleDeinit;
    int32_t reserved[3];
    GaugeHeader* gaugeHeaders[2];  // the one gauge, then 0
};

// The panel system's service table; a service is known by its position.
struct HostServices {
    HostWord reserved0[24];
    int32_t(HOSTCALL* queryElements)(ElementHeader* root);
    int32_t(HOSTCALL* installElements)(ElementHeader* root, ModuleInstance instance);
    int32_t(HOSTCALL* initializeElements)(ElementHeader* root);
    int32_t(HOSTCALL* updateElements)(ElementHeader* root);
    int32_t(HOSTCALL* generateElements)(ElementHeader* root, uint32_t phase);
    int32_t(HOSTCALL* plotElements)(ElementHeader* root);
    HostWord reserved120;
    int32_t(HOSTCALL* killElements)(ElementHeader* root);
    int32_t(HOSTCALL* registerMouseList)(MouseRect* list, GaugeHeader* header, HostWord word);
    int32_t(HOSTCALL* installMouseList)(MouseRect* list, GaugeHeader* header);
    int32_t(HOSTCALL* unregisterMouseList)(MouseRect* list, GaugeHeader* header);
    int32_t(HOSTCALL* panelCommand)(uint32_t command);
    int32_t(HOSTCALL* sendKeyEvent)(uint32_t event, uint32_t parameter);
    HostWord reserved148;
    int32_t(HOSTCALL* bindVariable)(ModuleVar* variable);
    HostWord reserved156;
    int32_t(HOSTCALL* readVariable)(ModuleVar* variable);
};

struct ImportEntry {
    int32_t id;
    HostServices* serviceTable;
};

using ImportTableRecord = ImportEntry[2];

constexpr int32_t gaugeVersion = 610;
constexpr int32_t linkageModuleId = 0x13;
constexpr int32_t serviceTableImportId = 0x0F;

#if defined(__i386__)
#pragma pack(pop)

static_assert(sizeof(ModuleVar) == 28 && offsetof(ModuleVar, value) == 12);
static_assert(sizeof(FailureEntry) == 12 && sizeof(HighlightEntry) == 12);
static_assert(sizeof(NonlinearityEntry) == 24 && offsetof(NonlinearityEntry, value) == 8 &&
              offsetof(NonlinearityEntry, degrees) == 16);
static_assert(sizeof(ElementHeader) == 60);
static_assert(offsetof(ElementHeader, imageId) == 4 && offsetof(ElementHeader, x) == 8 &&
              offsetof(ElementHeader, pivotX) == 24 && offsetof(ElementHeader, gaugeHeader) == 32 &&
              offsetof(ElementHeader, nextList) == 40 && offsetof(ElementHeader, failureRecord) == 44 &&
              offsetof(ElementHeader, imageFlags) == 48 && offsetof(ElementHeader, extraFlags) == 52);
static_assert(sizeof(StaticImageElement) == 80 && offsetof(StaticImageElement, hostWords) == 60);
static_assert(sizeof(NeedleElement) == 224);
static_assert(offsetof(NeedleElement, variable) == 60 && offsetof(NeedleElement, valueCallback) == 88 &&
              offsetof(NeedleElement, integers) == 104 && offsetof(NeedleElement, nonlinearityTable) == 112 &&
              offsetof(NeedleElement, tableSize) == 116 && offsetof(NeedleElement, maxDegreesPerUpdate) == 120);
static_assert(sizeof(StringElement) == 308);
static_assert(offsetof(StringElement, variable1) == 60 && offsetof(StringElement, variable2) == 88 &&
              offsetof(StringElement, variable3) == 116 && offsetof(StringElement, valueCallback) == 180 &&
              offsetof(StringElement, textBuffer) == 184 && offsetof(StringElement, boxWidth) == 192 &&
              offsetof(StringElement, foreColour) == 208 && offsetof(StringElement, highlightColour) == 216 &&
              offsetof(StringElement, fontFace) == 248 && offsetof(StringElement, fontWeight) == 280 &&
              offsetof(StringElement, fontCharset) == 284 && offsetof(StringElement, textFormat) == 288 &&
              offsetof(StringElement, maxChars) == 292 && offsetof(StringElement, highlightList) == 300);
static_assert(sizeof(IconElement) == 132);
static_assert(offsetof(IconElement, variable) == 60 && offsetof(IconElement, valueCallback) == 88 &&
              offsetof(IconElement, stateCount) == 112);
static_assert(sizeof(MovingImageElement) == 244);
static_assert(offsetof(MovingImageElement, xVariable) == 60 && offsetof(MovingImageElement, xCallback) == 88 &&
              offsetof(MovingImageElement, xMin) == 92 && offsetof(MovingImageElement, xMax) == 100 &&
              offsetof(MovingImageElement, yVariable) == 112 && offsetof(MovingImageElement, yCallback) == 140 &&
              offsetof(MovingImageElement, yMin) == 144 && offsetof(MovingImageElement, yMax) == 152 &&
              offsetof(MovingImageElement, hostBytes) == 164);
static_assert(sizeof(MouseRect) == 44);
static_assert(offsetof(MouseRect, x) == 4 && offsetof(MouseRect, cursor) == 20 &&
              offsetof(MouseRect, mouseFlags) == 28 && offsetof(MouseRect, keyEvent) == 32 &&
              offsetof(MouseRect, mouseFunction) == 36);
static_assert(sizeof(GaugeHeader) == 88);
static_assert(offsetof(GaugeHeader, name) == 4 && offsetof(GaugeHeader, elementList) == 8 &&
              offsetof(GaugeHeader, queryRoutine) == 12 && offsetof(GaugeHeader, killRoutine) == 36 &&
              offsetof(GaugeHeader, defaultSize) == 44 && offsetof(GaugeHeader, hostWords) == 48);
static_assert(sizeof(LinkageRecord) == 32 && offsetof(LinkageRecord, moduleInit) == 4 &&
              offsetof(LinkageRecord, moduleDeinit) == 8 && offsetof(LinkageRecord, gaugeHeaders) == 24);
static_assert(sizeof(ImportTableRecord) == 16);
static_assert(offsetof(HostServices, queryElements) == 96 && offsetof(HostServices, installElements) == 100 &&
              offsetof(HostServices, initializeElements) == 104 && offsetof(HostServices, updateElements) == 108 &&
              offsetof(HostServices, generateElements) == 112 && offsetof(HostServices, plotElements) == 116 &&
              offsetof(HostServices, killElements) == 124 && offsetof(HostServices, registerMouseList) == 128 &&
              offsetof(HostServices, installMouseList) == 132 &&
              offsetof(HostServices, unregisterMouseList) == 136 && offsetof(HostServices, panelCommand) == 140 &&
              offsetof(HostServices, sendKeyEvent) == 144 && offsetof(HostServices, bindVariable) == 152 &&
              offsetof(HostServices, readVariable) == 160);
#endif
