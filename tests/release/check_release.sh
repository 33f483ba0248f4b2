#!/usr/bin/env bash
# The release archive as a pilot gets it: built twice (the same bytes both times), unpacked,
# its files and checksums checked, and every .gau in it loaded under Wine by the Windows panel
# host, which must read the gauge's name and default size from it.
#   check_release.sh WINDOWS_PANELHOST WORK_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
winehost=$1 work=$2
status=0
fail() { echo "FAIL: $*"; status=1; }

rm -rf "$work" && mkdir -p "$work/a" "$work/b" "$work/unpacked"
archive=$("$root/tools/release.sh" "$work/a" | grep -E '\.(zip|tar\.gz)$') || { echo "release.sh failed"; exit 1; }
again=$("$root/tools/release.sh" "$work/b" | grep -E '\.(zip|tar\.gz)$')
cmp -s "$archive" "$again" || fail "two builds of the archive differ"

case $archive in
    *.zip) unzip -q "$archive" -d "$work/unpacked" ;;
    *) tar -xzf "$archive" -C "$work/unpacked" ;;
esac
top=$(ls "$work/unpacked")
dir=$work/unpacked/$top
[[ $top =~ ^p9v-gauges-[0-9.]+$ ]] || fail "top folder is '$top'"
listed=$(cd "$dir" && ls | LC_ALL=C sort | tr '\n' ' ')
wanted="LICENSE README.md SHA256SUMS altimeter_pair.gau captain_overhead.gau cowl_flaps.gau engine_set.gau fo_overhead.gau "
[ "$listed" = "$wanted" ] || fail "files are '$listed'"
(cd "$dir" && sha256sum --quiet -c SHA256SUMS) || fail "checksums do not match"
grep -q '^MIT License' "$dir/LICENSE" || fail "LICENSE is not the MIT licence"

if [ ! -f "$winehost" ]; then
    fail "missing $winehost: build the Windows tree first"
    exit 1
fi
. "$root/tests/wine/wine_env.sh"
wine_env "$work/wine-state"
# module, gauge name, default size in millimetres
while read -r module name size; do
    line=$(wine "$winehost" info "$dir/$module.gau" 2>/dev/null | tr -d '\r' | head -1)
    expected="gauge \"$name\" version 610, default size $size mm"
    if [ "$line" = "$expected" ]; then
        echo "ok $module: $line"
    else
        fail "$module under Wine: '$line', expected '$expected'"
    fi
done <<'TABLE'
altimeter_pair QTX-K7M-Altimeter-Double-FS98-v1sfo 57
fo_overhead QTX-K7M-FO-Overhead-FS98-v1s 140
captain_overhead QTX-K7M-Captains-Overhead-FS98-v1s 140
engine_set QTX-K7M-Engine-Set-CFS-v1s 100
cowl_flaps QTX-K7M-Cowlflaps-v4s 40
TABLE
exit $status
