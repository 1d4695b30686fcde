#!/usr/bin/env bash
# Builds everything (the Qt view included) with AddressSanitizer and
# UndefinedBehaviorSanitizer into ./build-asan and runs the whole test suite
# there. The first finding ends the test that made it, and the run fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-asan"
start=$(date +%s)
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRACESWEEP_SANITIZE=ON "$@"
cmake --build "$build" -j"$(nproc)"
built=$(date +%s)
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$top/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 900
end=$(date +%s)
echo "sanitizer build: $((built - start)) s, sanitizer test suite: $((end - built)) s"
