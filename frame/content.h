// Builders for a gauge's content records. A content file writes one row per element and per
// mouse rectangle with designated fields, in the order of the gauge's own tables; these
// builders fill the remaining words (host words 0, the gauge header address, mouse flags
// implied by the cursor) so every record is complete static data fixed at build time.
#pragma once

#include "frame.h"

using NextList = ElementHeader* const;

constexpr ModuleVar moduleVar(uint32_t token = 0) { return ModuleVar{token, {0, 0}, 0.0, {}}; }

template <typename E>
constexpr ElementHeader* element(E& e) {
    return &e.header;
}

struct Placement {
    int32_t imageId = -1;
    int32_t x = 0;
    int32_t y = 0;
    int32_t imageFlags = 0;
    int32_t extraFlags = 0;
    ElementHeader* const* next = nullptr;
    const FailureEntry* failure = nullptr;
    int32_t pivotX = 0;
    int32_t pivotY = 0;
};

constexpr ElementHeader elementHeader(ElementKind kind, const Placement& p) {
    return ElementHeader{
        .kind = kind,
        .imageId = p.imageId,
        .x = p.x,
        .y = p.y,
        .hostWords1 = {0, 0},
        .pivotX = p.pivotX,
        .pivotY = p.pivotY,
        .gaugeHeader = &gaugeHeader,
        .hostWord2 = 0,
        .nextList = p.next,
        .failureRecord = p.failure,
        .imageFlags = p.imageFlags,
        .extraFlags = p.extraFlags,
        .reserved = 0,
    };
}

constexpr StaticImageElement staticImage(const Placement& p) {
    return StaticImageElement{elementHeader(StaticImage, p), {}};
}

struct NeedleFields {
    uint32_t token = 0;
    ValueCallback law = nullptr;
    int32_t maxDegreesPerUpdate = 0;
    const NonlinearityEntry* table = nullptr;
    uint32_t tableSize = 0;
    int32_t integers[2] = {0, 0};
};

constexpr NeedleElement needle(const Placement& p, const NeedleFields& f) {
    return NeedleElement{
        .header = elementHeader(Needle, p),
        .variable = moduleVar(f.token),
        .valueCallback = f.law,
        .reserved = {0, 0, 0},
        .integers = {f.integers[0], f.integers[1]},
        .nonlinearityTable = f.table,
        .tableSize = f.tableSize,
        .maxDegreesPerUpdate = f.maxDegreesPerUpdate,
        .hostWords = {},
    };
}

template <size_t N>
constexpr uint32_t tableSize(const NonlinearityEntry (&)[N]) {
    return N;
}

struct StringFields {
    uint32_t tokens[3] = {0, 0, 0};
    TextCallback law = nullptr;
    int32_t boxWidth = 0;
    int32_t boxHeight = 0;
    uint32_t maxChars = 0;
    uint32_t foreColour = 0;
    uint32_t backColour = 0;
    uint32_t highlightColour = 0;
    const char* fontFace = "Arial";
    uint32_t textFormat = 0x25;  // centred, vertically centred, single line
    const HighlightEntry* highlights = nullptr;
};

namespace content_detail {
struct FontFace {
    char text[32];
};
constexpr FontFace fontFace(const char* name) {
    FontFace f{};
    for (int i = 0; i < 31 && name[i]; ++i) f.text[i] = name[i];
    return f;
}
}  // namespace content_detail

constexpr StringElement string(const Placement& p, const StringFields& f) {
    StringElement s{
        .header = elementHeader(String, p),
        .variable1 = moduleVar(f.tokens[0]),
        .variable2 = moduleVar(f.tokens[1]),
        .variable3 = moduleVar(f.tokens[2]),
        .hostWords1 = {},
        .valueCallback = f.law,
        .textBuffer = nullptr,
        .hostWord2 = 0,
        .boxWidth = f.boxWidth,
        .boxHeight = f.boxHeight,
        .hostWords3 = {0, 0},
        .foreColour = f.foreColour,
        .backColour = f.backColour,
        .highlightColour = f.highlightColour,
        .hostWords4 = {},
        .fontFace = {},
        .fontWeight = 400,
        .fontCharset = 1,
        .textFormat = f.textFormat,
        .maxChars = f.maxChars,
        .reserved1 = 0,
        .highlightList = f.highlights,
        .reserved2 = 0,
    };
    auto face = content_detail::fontFace(f.fontFace);
    for (int i = 0; i < 32; ++i) s.fontFace[i] = face.text[i];
    return s;
}

struct IconFields {
    uint32_t token = 0;
    ValueCallback law = nullptr;
    uint32_t stateCount = 0;
};

constexpr IconElement icon(const Placement& p, const IconFields& f) {
    return IconElement{
        .header = elementHeader(Icon, p),
        .variable = moduleVar(f.token),
        .valueCallback = f.law,
        .reserved = {0, 0, 0, 0, 0},
        .stateCount = f.stateCount,
        .hostWords = {0, 0, 0, 0},
    };
}

struct MovingImageFields {
    uint32_t xToken = 0;
    ValueCallback xLaw = nullptr;
    double xMin = 0, xMax = 0;
    uint32_t yToken = 0;
    ValueCallback yLaw = nullptr;
    double yMin = 0, yMax = 0;
};

constexpr MovingImageElement movingImage(const Placement& p, const MovingImageFields& f) {
    return MovingImageElement{
        .header = elementHeader(MovingImage, p),
        .xVariable = moduleVar(f.xToken),
        .xCallback = f.xLaw,
        .xMin = f.xMin,
        .xMax = f.xMax,
        .xHostWord = 0,
        .yVariable = moduleVar(f.yToken),
        .yCallback = f.yLaw,
        .yMin = f.yMin,
        .yMax = f.yMax,
        .yHostWord = 0,
        .hostBytes = {},
    };
}

// Cursors 1 and 2 (the adjusters' left and right halves) carry one flag word, the hand and
// the push/pull cursors another.
constexpr uint32_t mouseFlagsFor(int32_t cursor) { return cursor <= 2 ? 0x20200000u : 0x20000000u; }

struct Box {
    int32_t x, y, width, height;
};

constexpr MouseRect parentRect() { return MouseRect{ParentRect, 0, 0, 0, 0, -1, 0, 0, 0, nullptr, 0}; }
constexpr MouseRect endRect() { return MouseRect{EndRect, 0, 0, 0, 0, -1, 0, 0, 0, nullptr, 0}; }

// A child rectangle whose click runs a mouse function of the module.
constexpr MouseRect childRect(Box b, int32_t cursor, MouseFunction f) {
    return MouseRect{ChildRect, b.x, b.y, b.width, b.height, cursor, 0, mouseFlagsFor(cursor), 0, f, 0};
}

// A child rectangle whose click makes the panel system send a key event itself.
constexpr MouseRect keyRect(Box b, int32_t cursor, uint32_t keyEvent) {
    return MouseRect{ChildRect, b.x, b.y, b.width, b.height, cursor, 0, mouseFlagsFor(cursor), keyEvent, nullptr, 0};
}
