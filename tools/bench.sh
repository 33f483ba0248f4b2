#!/usr/bin/env bash
# Runs every benchmark and prints the machine, each benchmark's figures and the size of each
# .gau file (code and data against resources, from its section headers):
#   module_update/*          the module side of one update per gauge
#   host_frame/*             the host's update and render of each gauge and of all five,
#   framebuffer_copy/*       against a memcpy of as many picture bytes (summary: ratio)
#   sound_first_play/*       first play of each sound against
#   sound_replay/*           a replay from the module's cache
# Results also go to build/bench/*.json.
#   tools/bench.sh [extra Google Benchmark arguments]
# Uses cmake, ninja, the Windows build's dist/*.gau and the MinGW objdump.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=build
jobs=${P9V_JOBS:-2}
cmake -S . -B "$tree" -G Ninja > /dev/null
cmake --build "$tree" -j "$jobs" --target benchmarks
mkdir -p "$tree/bench"

echo "== machine"
echo "cpu:      $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //') ($(nproc) cores available)"
echo "kernel:   $(uname -sr)"
echo "compiler: $(${CXX:-c++} --version | head -1)"
echo "load:     $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 minutes)"

for b in bench_modules bench_host bench_sound; do
    echo
    echo "== $b"
    "$tree/bin/$b" --benchmark_out="$tree/bench/$b.json" --benchmark_out_format=json "$@"
done

echo
echo "== .gau sizes (bytes)"
printf '%-18s %12s %12s %12s\n' module code+data resources file
for gau in dist/*.gau; do
    code=0 resources=0
    while read -r index name size _; do
        [[ $index =~ ^[0-9]+$ ]] || continue
        if [ "$name" = .rsrc ]; then resources=$((resources + 16#$size)); else code=$((code + 16#$size)); fi
    done < <(i686-w64-mingw32-objdump -h "$gau")
    printf '%-18s %12d %12d %12d\n' "$(basename "$gau" .gau)" "$code" "$resources" "$(stat -c %s "$gau")"
done
