#!/usr/bin/env bash
# Fuzzes every target of tests/fuzz for a bounded time each with clang's libFuzzer, under
# AddressSanitizer and UndefinedBehaviorSanitizer. Configures its own tree, build-fuzz, in
# which everything (modules, platform stand-ins, host) is built with the sanitizers and with
# coverage for the fuzzer. Each target starts from its committed seeds; what it learns stays
# in build-fuzz/corpus/NAME, and a finding is written to build-fuzz/findings/NAME/ and fails
# the run. A finding, once understood, is copied to tests/fuzz/regressions/NAME/ so the
# normal test fuzz.replay.NAME replays it from then on.
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]      (default 60 seconds, every target)
# Uses cmake, ninja and clang.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift || true
tree=$root/build-fuzz
jobs=${P9V_JOBS:-2}

runtime=$(dirname "$(clang++ -print-file-name=libclang_rt.asan-x86_64.so)")
# The modules are shared objects loaded at run time, so the sanitizer runtime is shared too;
# every object gets coverage so the fuzzer also learns from module and host code.
mkdir -p "$tree"
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DP9V_FUZZ=ON -DP9V_SANITIZE=ON \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link -shared-libsan" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link -shared-libsan" \
    -DCMAKE_EXE_LINKER_FLAGS="-shared-libsan -Wl,-rpath,$runtime" \
    -DCMAKE_SHARED_LINKER_FLAGS="-shared-libsan -Wl,-rpath,$runtime" \
    -DCMAKE_MODULE_LINKER_FLAGS="-shared-libsan -Wl,-rpath,$runtime" > "$tree/configure.log" 2>&1 ||
    { cat "$tree/configure.log"; exit 2; }

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in tests/fuzz/fuzz_*.cpp; do
        t=$(basename "$f" .cpp)
        t=${t#fuzz_}
        ninja -C "$tree" -t targets all 2>/dev/null | grep -q "^fuzz_$t:" && targets+=("$t")
    done
fi
programs=()
for t in "${targets[@]}"; do programs+=("fuzz_$t"); done
cmake --build "$tree" -j "$jobs" --target "${programs[@]}" || exit 2

export ASAN_OPTIONS=${ASAN_OPTIONS:-verify_asan_link_order=0:detect_leaks=0:halt_on_error=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:abort_on_error=1}
status=0
for t in "${targets[@]}"; do
    corpus=$tree/corpus/$t
    findings=$tree/findings/$t
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$t for ${seconds}s"
    # Workers share the machine with the builds; one process, a bounded size per input.
    if "$tree/bin/fuzz_$t" "$corpus" "tests/fuzz/corpus/$t" -max_total_time="$seconds" -timeout=20 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/" \
        > "$tree/fuzz_$t.log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|^#[0-9]+.*DONE' "$tree/fuzz_$t.log" |
            tr '\n' ' '
        echo
    else
        status=1
        echo "FINDING in $t:"
        grep -E 'ERROR|SUMMARY|check failed|runtime error|terminate|what\(\)' "$tree/fuzz_$t.log" | head -20
        echo "input kept in: $(ls -t "$findings" | head -1 | sed "s|^|$findings/|")"
        echo "full log: $tree/fuzz_$t.log"
    fi
done
exit $status
