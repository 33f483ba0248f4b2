#!/usr/bin/env bash
# The native tree under AddressSanitizer and UndefinedBehaviorSanitizer: configures build-asan
# (native only), builds it and runs every native test there, leaving out the tests that need
# Wine or a browser. Any sanitizer report fails the run. Uses cmake, ninja and ctest only.
#   tools/sanitize.sh [extra ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tree=$root/build-asan
jobs=${P9V_JOBS:-2}

cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DP9V_SANITIZE=ON > /dev/null
cmake --build "$tree" -j "$jobs"

# Every report stops the test that made it; leaks are reported at exit. The modules never
# release their sound buffers, device or mapped views by design, but every such object stays
# reachable from the platform stand-ins' registries, so no suppression is needed.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export P9V_SANITIZED=1

ctest --test-dir "$tree" --output-on-failure -j "$jobs" -E 'wine|e2e' "$@"
