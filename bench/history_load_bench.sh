#!/bin/sh
# Builds and runs the history loading benchmark: 100,000 places rows loaded
# into the history page's list against the sqlite3 shell. Needs sqlite3.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRACESWEEP_GUI=OFF >/dev/null
cmake --build "$build" --target history_load_bench -j2
"$build/bench/history_load_bench" "${1:-100000}" "${2:-7}"
