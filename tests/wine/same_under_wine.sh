#!/usr/bin/env bash
# Runs one scenario natively and under Wine with the Windows panel host and the real .gau
# files, and fails unless both transcripts are the same. Lines reporting sounds come only
# from the native sound stand-in, which logs every sound started, and are left out.
set -u
native=$1 winehost=$2 dist=$3 scenario=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$winehost" ]; then
    echo "missing $winehost: build the Windows tree first (./build.sh build)" >&2
    exit 1
fi
. "$here/wine_env.sh"
wine_env "$(dirname "$out")/wine-state"
mkdir -p "$out/native" "$out/wine"
"$native" run "$scenario" --out "$out/native" > "$out/native.txt" 2>&1
nstatus=$?
grep -v '^  sound ' "$out/native.txt" > "$out/native.filtered"
# The Windows host runs the modules at each x87 precision a simulator may leave set.
for precision in extended double single; do
    P9V_X87=$precision wine "$winehost" run "$scenario" --modules "$dist" --out "$out/wine" \
        2>"$out/wine.err" | tr -d '\r' > "$out/wine-$precision.txt"
    wstatus=${PIPESTATUS[0]}
    grep -v '^  sound ' "$out/wine-$precision.txt" > "$out/wine.filtered"
    if ! diff -u "$out/native.filtered" "$out/wine.filtered"; then
        echo "transcripts differ at $precision precision (native status $nstatus, Wine status $wstatus)"
        cat "$out/wine.err"
        exit 1
    fi
    if [ "$nstatus" != "$wstatus" ]; then
        echo "exit status differs at $precision precision: native $nstatus, Wine $wstatus"
        exit 1
    fi
done
echo "identical transcripts ($(wc -l < "$out/wine.filtered") lines) at extended, double and single precision, status $wstatus"
exit "$wstatus"
