#!/usr/bin/env bash
# The cowl flap clicks really play through Wine's DirectSound (ALSA pointed at a null
# device): the device is created once, the cooperative level set, and Wine's buffers are
# started exactly as often as the native build logs sounds for the same scenario.
set -u
native=$1 winehost=$2 dist=$3 scenario=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh"
wine_env "$(dirname "$out")/wine-state"
mkdir -p "$out"
"$native" run "$scenario" --out "$out" > "$out/native.txt" 2>&1
expected=$(grep -c '^  sound ' "$out/native.txt")
WINEDEBUG=+dsound timeout 300 wine "$winehost" run "$scenario" --modules "$dist" --out "$out" \
    > "$out/wine.txt" 2> "$out/dsound.log"
created=$(grep -c 'trace:dsound:DirectSoundCreate ' "$out/dsound.log")
levels=$(grep -c 'SetCooperativeLevel.*DSSCL_NORMAL' "$out/dsound.log")
plays=$(grep -c 'trace:dsound:IDirectSoundBufferImpl_Play ' "$out/dsound.log")
echo "native sounds $expected; Wine: devices $created, cooperative levels $levels, plays $plays"
[ "$expected" -gt 0 ] && [ "$created" -eq 1 ] && [ "$levels" -eq 1 ] && [ "$plays" -eq "$expected" ]
