// The overheads' switch, button and lamp families, each written once: position switches and
// the starter selector with its interlock, toggles, event switches (single and ganged), red
// pull handles, push buttons, starter buttons, and the lamp and handle value laws. A content
// file describes each instance as a constexpr record and the templates below stamp one
// host-called function per instance. Uses the frame, the platform's floating-point guard and
// the sound player.
#pragma once

#include <cstdint>

#include "frame/frame.h"
#include "platform/fpu.h"

// Written by the HDG and ALT lamp laws at every evaluation, read by the APP, NAV and LOC lamp
// laws; never reset.
extern int32_t hdgLampLit;
extern int32_t altLampLit;

// A three-position switch. `position` is the switch's own notion of where it stands (0, 1
// or 2); the icon value, written with it, is what the panel system draws. Each position's
// rectangle has a sound of its own.
struct PositionSwitch {
    IconElement& icon;
    int32_t& position;
    int32_t sounds[3];
};

// What must hold for the starter selector to send a starter event: both selectors at the
// position being selected, the ignition not cut (the lever's stored law result 0.0) and that
// side's engine toggle on.
struct StarterInterlock {
    IconElement& selectorA;
    IconElement& selectorB;
    IconElement& ignitionLever;
    IconElement& engineToggle;
    uint32_t event;
};

// The starter selector: a three-position switch whose positions 1 and 2 start engine 1 and
// engine 2 under their interlocks.
struct StarterSelector {
    IconElement& icon;
    int32_t& position;
    int32_t sound;
    StarterInterlock interlocks[2];  // for positions 1 and 2
};

// A two-state switch kept only in its icon value. One toggle also sends the panel command.
struct Toggle {
    IconElement& icon;
    int32_t sound;
    bool thenPanelCommand = false;
};

constexpr uint32_t togglePanelCommand = 32;

// A two-position switch that sends its on or off event on every click. A ganged pair is one
// switch with two icons.
struct EventSwitch {
    IconElement* icons[2];  // the second is null for a single switch
    int32_t& state;
    int32_t sound;
    uint32_t events[2];  // off (target 0), on (target 1)
};

// A red pull handle: state 0 in, 2 out; its icon shows 0.0 in, 1.0 out through handleState.
struct Handle {
    IconElement& icon;
    int32_t& state;
    int32_t sound;
    uint32_t pushEvent;
    uint32_t pullEvent;
    bool pullSentAgain = false;  // the first officer's left handle repeats its pull event
};

enum class HandleMove { push, pull };

// Every lamp of both gauges carries this failure record.
inline constexpr FailureEntry lampFailure[] = {{1, 3, 0}, {0, 0, 0}};

// A push button holds no state, so its record is the template argument itself: two rows with
// the same sound and event are the same button and share one function.
struct Button {
    int32_t sound;
    uint32_t event;
};

// The family bodies, once.
void selectPosition(const PositionSwitch& s, int32_t p);
void selectStarterPosition(const StarterSelector& s, int32_t p);
void flipToggle(const Toggle& t);
void setEventSwitch(const EventSwitch& s, int32_t target);
void moveHandle(const Handle& h, HandleMove move);
void press(const Button& b);
void pressStarter(uint32_t event);
double zeroTestStateOf(const ModuleVar& v);
double zeroTestStateWithFlagOf(const ModuleVar& v, int32_t& flag);
double armedTestStateOf(const ModuleVar& v, int32_t flag);
double handleStateOf(const ModuleVar& v);

template <const PositionSwitch& s, int32_t p>
int32_t HOSTCALL setSwitchPosition(uint32_t, uint32_t) {
    FpuGuard fpu;
    selectPosition(s, p);
    return 0;
}

template <const StarterSelector& s, int32_t p>
int32_t HOSTCALL setStarterPosition(uint32_t, uint32_t) {
    FpuGuard fpu;
    selectStarterPosition(s, p);
    return 0;
}

template <const Toggle& t>
int32_t HOSTCALL toggleSwitch(uint32_t, uint32_t) {
    FpuGuard fpu;
    flipToggle(t);
    return 0;
}

template <const EventSwitch& s, int32_t target>
int32_t HOSTCALL setSwitchWithEvent(uint32_t, uint32_t) {
    FpuGuard fpu;
    setEventSwitch(s, target);
    return 0;
}

template <const Handle& h, HandleMove move>
int32_t HOSTCALL setHandle(uint32_t, uint32_t) {
    FpuGuard fpu;
    moveHandle(h, move);
    return 0;
}

template <Button b>
int32_t HOSTCALL pressButton(uint32_t, uint32_t) {
    press(b);
    return 0;
}

template <uint32_t event>
int32_t HOSTCALL pressStarterButton(uint32_t, uint32_t) {
    pressStarter(event);
    return 0;
}

double HOSTCALL zeroTestState(ModuleVar* v);
double HOSTCALL handleState(ModuleVar* v);

template <int32_t& flag>
double HOSTCALL zeroTestStateWithFlag(ModuleVar* v) {
    FpuGuard fpu;
    return zeroTestStateWithFlagOf(*v, flag);
}

template <int32_t& flag>
double HOSTCALL armedTestState(ModuleVar* v) {
    FpuGuard fpu;
    return armedTestStateOf(*v, flag);
}
