#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into ./build-fuzz and runs each for a
# short, fixed number of executions on its committed corpus
# (tests/fuzz/corpus/<name>, with <name>_fuzz the target), printing the counts.
# New inputs go to a scratch folder; the committed corpus is only read.
# FUZZ_RUNS=N changes the number of executions (default 20000).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
runs=${FUZZ_RUNS:-20000}
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRACESWEEP_FUZZ=ON -DTRACESWEEP_GUI=OFF "$@"
cmake --build "$build" -j"$(nproc)" --target fuzzers
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for source in "$top"/tests/fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  name=${target%_fuzz}
  corpus="$top/tests/fuzz/corpus/$name"
  if [ ! -d "$corpus" ]; then
    echo "$target: no corpus at tests/fuzz/corpus/$name"
    failed=1
    continue
  fi
  mkdir -p "$scratch/$name"
  log="$scratch/$name.log"
  start=$(date +%s)
  if "$build/tests/fuzz/$target" -runs="$runs" -seed=1 -max_len=65536 -timeout=30 \
      -rss_limit_mb=2048 "$scratch/$name" "$corpus" >"$log" 2>&1; then
    done_line=$(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1)
    echo "$target: ${done_line:-finished} ($(ls "$corpus" | wc -l) seeds, $(($(date +%s) - start)) s)"
  else
    echo "$target: FAILED, its log:"
    tail -n 60 "$log"
    failed=1
  fi
done
exit $failed
