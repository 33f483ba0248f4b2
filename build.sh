#!/usr/bin/env bash
# One entry point for a fresh Debian machine:
#   ./build.sh demo    installs what is missing, builds the five .gau files and the native
#                      tree, and renders the gauges into out/demo/
#   ./build.sh test    the same set-up and builds, then every test (native, Windows modules
#                      under Wine, sanitizers)
#   ./build.sh build   set-up and both builds only
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libstb-dev
          libcairo2-dev fonts-liberation libcpp-httplib-dev nlohmann-json3-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32 clang libclang-rt-14-dev zip chromium nodejs $(command -v npm > /dev/null || echo npm))

setup() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -q i386; then $sudo dpkg --add-architecture i386; fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
    cmake --build build
    cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake > /dev/null
    cmake --build build-win
}

demo() {
    mkdir -p out/demo
    local host=build/bin/panelhost
    for ft in 0 1000 4250 12500; do
        "$host" render altimeter_pair --set 74=$ft --set 76=29.92 --updates 100 -o out/demo/altimeter-$ft.png
    done
    "$host" render altimeter_pair --set 74=2500 --set 335=1 --set 75=1013.25 --updates 100 -o out/demo/altimeter-hpa.png
    for m in engine_set cowl_flaps fo_overhead captain_overhead; do
        if [ -e "build/bin/$m.so" ]; then "$host" render "$m" --updates 100 -o "out/demo/$m.png"; fi
    done
    "$host" render engine_set --set 136=20000 --set 171=20000 --set 152=25000 --set 187=25000 \
        --set 148=25000 --set 183=25000 --set 144=8000 --set 179=8000 --set 147=9000 --set 182=9000 \
        --set 350=0.06 --updates 200 -o out/demo/engine_set-cruise.png 2>/dev/null || true
    echo "Pictures in out/demo/; .gau files in dist/"
    ls dist/
}

case "${1:-}" in
    demo) setup; build; demo ;;
    test) setup; build; ctest --test-dir build --output-on-failure -j2; tools/sanitize.sh; tools/fuzz.sh 60 ;;
    build) setup; build ;;
    *) echo "usage: ./build.sh demo | test | build" >&2; exit 2 ;;
esac
