#!/usr/bin/env bash
# A render that drifts from its reference fails its compare step and leaves the actual and
# difference pictures: the altimeter at 1000 feet compared with the 0-feet reference (only
# the needles differ).
set -u
host=$1 refs=$2 out=$3
rm -rf "$out" && mkdir -p "$out"
cat > "$out/drift.scn" <<SCN
load altimeter_pair
set 76 29.92
set 74 1000
update 100
compare altimeter_pair altimeter_0ft.png tolerance 8 budget 16
SCN
cp "$refs/altimeter_0ft.png" "$out/"
"$host" run "$out/drift.scn" --out "$out" > "$out/transcript.txt"
status=$?
cat "$out/transcript.txt"
[ $status -eq 1 ] || { echo "expected the compare step to fail (exit 1), got $status"; exit 1; }
grep -q 'FAIL: .* pixels differ' "$out/transcript.txt" || { echo "no failure line"; exit 1; }
[ -s "$out/altimeter_0ft.actual.png" ] && [ -s "$out/altimeter_0ft.diff.png" ] || { echo "missing actual/diff pictures"; exit 1; }
echo "drift detected, pictures written"
