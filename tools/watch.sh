#!/usr/bin/env bash
# Rebuild-and-reload loop for working on the gauges: starts `panelhost serve --watch` on the
# native build's modules, then polls the module sources and rebuilds the modules whenever a
# file changed; the server swaps each rebuilt module in place, keeping the variables and the
# page. Uses the build tree's own ninja and find -newer (no file-watching service needed).
#   tools/watch.sh [serve arguments...]        e.g. tools/watch.sh cowl_flaps --port 8081
# Environment: BUILD (default build), POLL seconds between looks (default 1).
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
poll=${POLL:-1}
sources=(altimeter cowlflaps engines overhead frame sound platform resources cmake)

if [ ! -f "$build/build.ninja" ]; then
    echo "watch: no native build in $build; configure it with: cmake -S . -B $build -G Ninja" >&2
    exit 2
fi

# The gauge module targets this build tree has.
mapfile -t modules < <(ninja -C "$build" -t targets all 2> /dev/null |
                       sed -n 's/^\(altimeter_pair\|cowl_flaps\|engine_set\|fo_overhead\|captain_overhead\): .*/\1/p' |
                       sort -u)
if [ ${#modules[@]} -eq 0 ]; then
    echo "watch: $build has no gauge module targets" >&2
    exit 2
fi

echo "watch: building ${modules[*]} and panelhost"
ninja -C "$build" -j2 "${modules[@]}" panelhost || exit 1

stamp=$(mktemp)
"$build/bin/panelhost" serve --watch "$@" &
server=$!
trap 'kill "$server" 2> /dev/null; wait "$server" 2> /dev/null; rm -f "$stamp" "$stamp.log"' EXIT
trap 'exit 0' INT TERM

while kill -0 "$server" 2> /dev/null; do
    sleep "$poll"
    changed=$(find "${sources[@]}" -type f -newer "$stamp" -print -quit 2> /dev/null)
    [ -z "$changed" ] && continue
    touch "$stamp"  # before building: a file saved during the build is seen next time
    echo "watch: $changed changed, rebuilding"
    if ninja -C "$build" -j2 "${modules[@]}" > "$stamp.log" 2>&1; then
        grep -q 'Linking' "$stamp.log" && echo "watch: rebuilt; the page shows the new build in a moment"
    else
        tail -n 30 "$stamp.log"
        echo "watch: the build failed; the panel keeps the modules it has"
    fi
    rm -f "$stamp.log"
done
