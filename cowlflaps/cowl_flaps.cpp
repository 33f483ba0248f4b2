// The cowl flap levers gauge: a lettered plate with two five-position levers that share one
// position value. Every click sounds; only the left lever sends the cowl flap key events, and
// every initialization puts both levers at CLOSE without telling the simulator.
// Uses the frame, the sound player and the platform seam only.
#include "cowl_flaps.h"

#include "frame/content.h"
#include "platform/fpu.h"
#include "sound/player.h"

constinit int32_t cowlFlapPosition = 0;

// The gauge has one sound.
constinit SoundCacheEntries<1> soundCacheEntries{};
constinit SoundCache soundCache = soundCacheOver(soundCacheEntries);

namespace {

constexpr int32_t knobClick = 5001;

// Position numbers, in the order the mouse list runs through them.
enum CowlPosition : int32_t {
    positionOpen = 0,
    positionOpenOff = 1,  // OFF between TRAIL and OPEN
    positionClose = 2,
    positionCloseOff = 3,  // OFF between CLOSE and TRAIL
    positionTrail = 4,
};

// What a lever shows and what the left lever sends at each position, by position number.
// The image index follows the lever's swing from OPEN (0) to CLOSE (4), so it is not the
// position number for CLOSE and TRAIL. The OFF positions send nothing.
struct PositionRow {
    double iconValue;
    uint32_t keyEvent;  // 0: none
};

constexpr PositionRow positions[] = {
    /* OPEN      */ {0.0, 66064},
    /* OFF, open */ {1.0, 0},
    /* CLOSE     */ {4.0, 66065},
    /* OFF, close*/ {3.0, 0},
    /* TRAIL     */ {2.0, 66066},
};

struct Lever {
    IconElement& icon;
    bool sendsKeyEvents;
};

constexpr Lever leftHand{leftLever, true};
constexpr Lever rightHand{rightLever, false};

// One mouse function per lever and position; the panel system tells the rectangles apart by
// function address. The click sounds first, then (only on a move) the lever's picture
// changes and the left lever tells the simulator, after the state is written.
template <const Lever& lever, CowlPosition position>
int32_t HOSTCALL moveCowlLever(uint32_t, uint32_t) {
    FpuGuard fpu;
    playSound(knobClick);
    if (cowlFlapPosition == position) return 0;
    cowlFlapPosition = position;
    lever.icon.variable.value = positions[position].iconValue;
    if (lever.sendsKeyEvents && positions[position].keyEvent != 0)
        frame::services()->sendKeyEvent(positions[position].keyEvent, 0);
    return 0;
}

constexpr MouseFunction leftCowlOpen = moveCowlLever<leftHand, positionOpen>;
constexpr MouseFunction leftCowlOpenOff = moveCowlLever<leftHand, positionOpenOff>;
constexpr MouseFunction leftCowlClose = moveCowlLever<leftHand, positionClose>;
constexpr MouseFunction leftCowlCloseOff = moveCowlLever<leftHand, positionCloseOff>;
constexpr MouseFunction leftCowlTrail = moveCowlLever<leftHand, positionTrail>;
constexpr MouseFunction rightCowlOpen = moveCowlLever<rightHand, positionOpen>;
constexpr MouseFunction rightCowlOpenOff = moveCowlLever<rightHand, positionOpenOff>;
constexpr MouseFunction rightCowlClose = moveCowlLever<rightHand, positionClose>;
constexpr MouseFunction rightCowlCloseOff = moveCowlLever<rightHand, positionCloseOff>;
constexpr MouseFunction rightCowlTrail = moveCowlLever<rightHand, positionTrail>;

constexpr int32_t leverCursor = 5;

NextList onPlate[] = {element(leftLever), element(rightLever), nullptr};

}  // namespace

constinit StaticImageElement plate = staticImage({.imageId = 1000, .x = 0, .y = 0, .imageFlags = 0x1, .next = onPlate});
constinit IconElement leftLever = icon({.imageId = 9472, .x = 0, .y = -5, .imageFlags = 0x3}, {.stateCount = 5});
constinit IconElement rightLever = icon({.imageId = 13568, .x = 185, .y = -5, .imageFlags = 0x3}, {.stateCount = 5});

// One rectangle per lever position on its lettering, left lever first, each lever's in
// position-number order (OPEN, OFF, CLOSE, OFF, TRAIL).
constinit MouseRect mouseList[] = {
    parentRect(),
    childRect({90, 90, 20, 25}, leverCursor, leftCowlOpen),
    childRect({67, 90, 20, 25}, leverCursor, leftCowlOpenOff),
    childRect({0, 90, 20, 25}, leverCursor, leftCowlClose),
    childRect({22, 90, 20, 25}, leverCursor, leftCowlCloseOff),
    childRect({45, 90, 20, 25}, leverCursor, leftCowlTrail),
    childRect({270, 90, 20, 25}, leverCursor, rightCowlOpen),
    childRect({248, 90, 20, 25}, leverCursor, rightCowlOpenOff),
    childRect({180, 90, 20, 25}, leverCursor, rightCowlClose),
    childRect({202, 90, 20, 25}, leverCursor, rightCowlCloseOff),
    childRect({225, 90, 20, 25}, leverCursor, rightCowlTrail),
    endRect(),
};

constinit ElementHeader* rootElement = element(plate);

namespace {
constexpr GaugeBinding gauge{&rootElement, mouseList, &gaugeHeader};

// Every initialization shows both levers at CLOSE. No key event: the simulator is told only
// of the user's moves of the left lever.
int32_t HOSTCALL cowlFlapsInitialize() {
    FpuGuard fpu;
    cowlFlapPosition = positionClose;
    leftLever.variable.value = positions[positionClose].iconValue;
    rightLever.variable.value = positions[positionClose].iconValue;
    return plainInitialize<gauge>();
}

constexpr GaugeRoutines routines{plainQuery<gauge>,  plainInstall<gauge>, cowlFlapsInitialize, plainUpdate<gauge>,
                                 plainGenerate<gauge>, plainDraw<gauge>,    plainKill<gauge>};
}  // namespace

constinit GaugeHeader gaugeHeader = makeGaugeHeader("QTX-K7M-Cowlflaps-v4s", &rootElement, routines, 40);
