#!/usr/bin/env bash
# Runs the panel host's soak and compares its checksum with the committed one for that seed
# and count (expected.txt: "SEED COUNT CHECKSUM" per line). With --wine the Windows panel host
# runs it under Wine against the .gau files; the checksum must be the same.
#   run_soak.sh [--wine WINEHOST DISTDIR] [--full] HOST [SEED [COUNT]]
# --full runs one million updates instead of the CI's hundred thousand.
set -u
here=$(cd "$(dirname "$0")" && pwd)
wine_host="" dist="" count=100000
while [ $# -gt 0 ]; do
    case $1 in
        --wine) wine_host=$2 dist=$3; shift 3 ;;
        --full) count=1000000; shift ;;
        *) break ;;
    esac
done
host=$1 seed=${2:-1}
count=${3:-$count}
# Under AddressSanitizer freed memory is held back in a quarantine of up to 256 MB, which reads
# as growth; the soak measures the program's own memory, so it runs without one.
export ASAN_OPTIONS="quarantine_size_mb=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
expected=$(awk -v s="$seed" -v c="$count" '$1 == s && $2 == c { print $3 }' "$here/expected.txt")

if [ -n "$wine_host" ]; then
    if [ ! -f "$wine_host" ]; then
        echo "missing $wine_host: build the Windows tree first" >&2
        exit 1
    fi
    . "$here/../wine/wine_env.sh"
    wine_env "${TMPDIR:-/tmp}/p9v-soak-wine-$(id -u)"
    raw=$(mktemp)
    wine "$wine_host" soak "$seed" "$count" --modules "$dist" > "$raw" 2>&1
    status=$?
    output=$(tr -d '\r' < "$raw")
    rm -f "$raw"
else
    output=$("$host" soak "$seed" "$count" 2>&1)
    status=$?
fi
echo "$output"
[ "$status" -eq 0 ] || { echo "soak exited with $status"; exit 1; }
got=$(sed -n 's/^checksum //p' <<< "$output")
if [ -z "$expected" ]; then
    echo "no expected checksum for seed $seed, count $count in $here/expected.txt; add: $seed $count $got"
    exit 1
fi
if [ "$got" != "$expected" ]; then
    echo "checksum $got differs from the expected $expected: what the gauges did has changed."
    echo "If the change is intended, put the new value in tests/soak/expected.txt."
    exit 1
fi
echo "checksum matches"
