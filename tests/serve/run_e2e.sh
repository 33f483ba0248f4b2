#!/usr/bin/env bash
# End-to-end check of the live panel: installs the browser driver (playwright-core, from the
# lock file) once into a work directory, then runs e2e.mjs, which starts `panelhost serve`
# on free loopback ports and drives the page in the system's headless Chromium.
#   run_e2e.sh PANELHOST MODULE_DIR [SCREENSHOT.png] [WORK_DIR]
# Exits 0 when every check passed or was skipped, 1 on a failure, 77 when the page cannot be
# tried here at all (no Chromium, no node).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
panelhost=$(realpath "$1")
moduleDir=$(realpath "$2")
screenshot=${3:-}
work=${4:-$(dirname "$panelhost")/../tests/serve/e2e-work}
chromium=${CHROMIUM:-/usr/bin/chromium}

if [ ! -x "$chromium" ]; then echo "serve.e2e: skipped: no Chromium at $chromium"; exit 77; fi
if ! command -v node > /dev/null || ! command -v npm > /dev/null; then echo "serve.e2e: skipped: no node/npm"; exit 77; fi

mkdir -p "$work"
if [ ! -d "$work/node_modules/playwright-core" ] || ! cmp -s "$here/package-lock.json" "$work/package-lock.json"; then
    cp "$here/package.json" "$here/package-lock.json" "$work/"
    (cd "$work" && timeout 300 npm ci --no-audit --no-fund) || { echo "serve.e2e: npm ci failed"; exit 1; }
fi

# The script records every process it starts; whatever is still running when it ends (a
# timeout, a crash) is stopped here by those ids.
pids="$work/pids"
: > "$pids"
cleanup() {
    while read -r pid; do
        [ -n "$pid" ] && kill "$pid" 2> /dev/null
    done < "$pids"
}
trap cleanup EXIT

PANELHOST="$panelhost" MODULE_DIR="$moduleDir" SCREENSHOT="$screenshot" CHROMIUM="$chromium" WORK="$work" PIDS="$pids" \
    NODE_PATH="$work/node_modules" timeout -k 10 360 node "$here/e2e.mjs"
