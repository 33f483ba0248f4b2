#!/usr/bin/env bash
# Builds the release archive dist/p9v-gauges-VERSION.zip (a .tar.gz where zip is not
# installed): the five .gau files from the Windows build, the pilots' read-me, the licence
# and the SHA-256 checksum of every file. VERSION is the project's version in CMakeLists.txt.
# The archive is the same, byte for byte, for the same inputs: fixed file times and order.
#   tools/release.sh [OUTPUT_DIR]        (default dist)
# Uses cmake, ninja, the MinGW cross compiler, sha256sum and zip (or tar).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-$root/dist}
modules=(altimeter_pair fo_overhead captain_overhead engine_set cowl_flaps)
version=$(sed -nE 's/^project\([A-Za-z0-9_]+ VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 2; }
name=p9v-gauges-$version

if [ ! -f build-win/build.ninja ]; then
    cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake > /dev/null
fi
cmake --build build-win -j "${P9V_JOBS:-2}" --target "${modules[@]}"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name" "$out"
for m in "${modules[@]}"; do cp "dist/$m.gau" "$stage/$name/"; done
cp docs/pilots.md "$stage/$name/README.md"
cp LICENSE "$stage/$name/LICENSE"
(cd "$stage/$name" && sha256sum README.md LICENSE ./*.gau | sed 's| \./| |' > SHA256SUMS)
# The time of the last commit stands for every file, so rebuilding gives the same archive.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
find "$stage/$name" -exec touch -h -d "@$stamp" {} +

if command -v zip > /dev/null; then
    archive=$out/$name.zip
    rm -f "$archive"
    (cd "$stage" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -q -D "$archive" -@)
else
    archive=$out/$name.tar.gz
    (cd "$stage" && LC_ALL=C tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$stamp" \
        -cf - "$name" | gzip -n > "$archive")
fi
echo "$archive"
(cd "$stage/$name" && cat SHA256SUMS)
