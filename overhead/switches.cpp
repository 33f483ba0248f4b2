// The switch, button and lamp families of both overheads. Each mouse function plays its sound
// first, then sends its key events, then writes its state: the state integer first, then the
// icon value the panel system draws. Uses the frame and the sound player.
#include "switches.h"

#include "sound/player.h"

constinit int32_t hdgLampLit = 0;
constinit int32_t altLampLit = 0;

namespace {

void sendKeyEvent(uint32_t event) { frame::services()->sendKeyEvent(event, 0); }

void moveTo(IconElement& icon, int32_t& state, int32_t p) {
    if (state != p) {
        state = p;
        icon.variable.value = double(p);
    }
}

bool interlockHolds(const StarterInterlock& lock, int32_t p) {
    double wanted = double(p);
    return lock.selectorA.variable.value == wanted && lock.selectorB.variable.value == wanted &&
           lock.ignitionLever.variable.value == 0.0 && lock.engineToggle.variable.value == 1.0;
}

}  // namespace

void selectPosition(const PositionSwitch& s, int32_t p) {
    playSound(s.sounds[p]);
    moveTo(s.icon, s.position, p);
}

void selectStarterPosition(const StarterSelector& s, int32_t p) {
    playSound(s.sound);
    // Tested before the selector moves: a refused start still moves it, and a start already
    // selected is sent again on every click.
    if (p == 1 || p == 2) {
        const StarterInterlock& lock = s.interlocks[p - 1];
        if (interlockHolds(lock, p)) sendKeyEvent(lock.event);
    }
    moveTo(s.icon, s.position, p);
}

void flipToggle(const Toggle& t) {
    playSound(t.sound);
    double& value = t.icon.variable.value;
    value = value + 1.0;
    if (value == 2.0) value = 0.0;
    if (t.thenPanelCommand) frame::services()->panelCommand(togglePanelCommand);
}

void setEventSwitch(const EventSwitch& s, int32_t target) {
    playSound(s.sound);
    sendKeyEvent(s.events[target]);
    if (s.state != target) {
        s.state = target;
        for (IconElement* icon : s.icons)
            if (icon) icon->variable.value = double(target);
    }
}

void moveHandle(const Handle& h, HandleMove move) {
    playSound(h.sound);
    if (move == HandleMove::push) {
        sendKeyEvent(h.pushEvent);
        if (h.state != 0) {
            h.state = 0;
            h.icon.variable.value = 0.0;
        }
        return;
    }
    sendKeyEvent(h.pullEvent);
    if (h.state != 2) {
        h.state = 2;
        h.icon.variable.value = 1.0;
        if (h.pullSentAgain) sendKeyEvent(h.pullEvent);
    }
}

void press(const Button& b) {
    playSound(b.sound);
    sendKeyEvent(b.event);
}

void pressStarter(uint32_t event) { sendKeyEvent(event); }

// Lamps: index 0 is the lit image, 1 nothing, 2 (APP, LOC) the orange label.
double zeroTestStateOf(const ModuleVar& v) { return v.value == 0.0 ? 1.0 : 0.0; }

double zeroTestStateWithFlagOf(const ModuleVar& v, int32_t& flag) {
    if (v.value == 0.0) {
        flag = 0;
        return 1.0;
    }
    flag = 1;
    return 0.0;
}

double armedTestStateOf(const ModuleVar& v, int32_t flag) {
    if (v.value == 0.0) return 1.0;
    return flag != 0 ? 2.0 : 0.0;
}

double handleStateOf(const ModuleVar& v) {
    double x = v.value;
    return (x == 1.0 || x == 2.0 || x == 3.0) ? x : 0.0;
}

double HOSTCALL zeroTestState(ModuleVar* v) {
    FpuGuard fpu;
    return zeroTestStateOf(*v);
}

double HOSTCALL handleState(ModuleVar* v) {
    FpuGuard fpu;
    return handleStateOf(*v);
}
