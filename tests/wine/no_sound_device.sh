#!/usr/bin/env bash
# A machine without a sound device: under Wine with every audio driver disabled, DirectSound
# cannot make a device. Each scenario must still pass with the same transcript as the native
# run (sound lines left out): every click moves its switch, shows its icon and sends its key
# event although no sound can play. Wine's own trace shows the device asked for and no buffer
# started.
#   no_sound_device.sh NATIVE_HOST WINE_HOST DIST OUT SCENARIO...
set -u
native=$1 winehost=$2 dist=$3 out=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$winehost" ]; then
    echo "missing $winehost: build the Windows tree first (./build.sh build)" >&2
    exit 1
fi
. "$here/wine_env.sh"
wine_env "$out/wine-state"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv=d;winepulse.drv=d;wineoss.drv=d;winecoreaudio.drv=d"
status=0
for scenario in "$@"; do
    name=$(basename "$scenario" .scn)
    mkdir -p "$out/$name/native" "$out/$name/wine"
    "$native" run "$scenario" --out "$out/$name/native" > "$out/$name/native.txt" 2>&1
    nstatus=$?
    WINEDEBUG=+dsound timeout 300 wine "$winehost" run "$scenario" --modules "$dist" --out "$out/$name/wine" \
        2> "$out/$name/dsound.log" | tr -d '\r' > "$out/$name/wine.txt"
    wstatus=${PIPESTATUS[0]}
    grep -v '^  sound ' "$out/$name/native.txt" > "$out/$name/native.filtered"
    grep -v '^  sound ' "$out/$name/wine.txt" > "$out/$name/wine.filtered"
    asked=$(grep -c 'trace:dsound:DirectSoundCreate ' "$out/$name/dsound.log")
    plays=$(grep -c 'trace:dsound:IDirectSoundBufferImpl_Play ' "$out/$name/dsound.log")
    heard=$(grep -c '^  sound ' "$out/$name/native.txt")
    echo "$name: native status $nstatus with $heard sounds; without a device: status $wstatus, devices asked for $asked, buffers started $plays"
    if ! diff -u "$out/$name/native.filtered" "$out/$name/wine.filtered"; then
        echo "$name: the transcript without a sound device differs from the native one"
        status=1
    fi
    if [ "$nstatus" -ne 0 ] || [ "$wstatus" -ne 0 ] || [ "$heard" -eq 0 ] || [ "$asked" -lt 1 ] || [ "$plays" -ne 0 ]; then
        echo "$name: expected both runs to pass, sounds natively, a device asked for and nothing started under Wine"
        status=1
    fi
done
exit $status
