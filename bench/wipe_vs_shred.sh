#!/bin/sh
# Our wipe engine against shred, side by side and interleaved, on files it
# makes itself in a temporary folder (all on one file system):
#   - one file of 256 MiB and of 1 GiB, 3 and 7 passes: wipe_bench file
#     against `shred -n N -u`;
#   - a tree of 20,000 files of 1-8 KiB, 1 pass: wipe_bench tree against
#     `find DIR -type f -exec shred -n1 -u {} +` and against `rm -rf` (the floor).
# Prints a table of median times and, as its last line,
#   wipe_vs_shred=<median of our time / shred's, 1 GiB, 3 passes>
#   tree_vs_rm=<median of our tree time / rm -rf's>
# Our tree wipe ends with one syncfs, which also waits for whatever else is
# dirty on that file system: run it on a quiet machine.
#
# Environment: BUILD_DIR (default <repo>/build-bench; wipe_bench is built there
# when missing), WORK_DIR (where the files are made; default $TMPDIR or /tmp),
# ROUNDS (default 3), TREE_FILES (default 20000), SIZES in MiB (default "256 1024"),
# TREE_ONLY=1 (only the tree against rm -rf: the tree_vs_rm figure, without
# the long shred runs).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
rounds=${ROUNDS:-3}
tree_files=${TREE_FILES:-20000}
driver=$build/bench/wipe_bench

if [ ! -x "$driver" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRACESWEEP_GUI=OFF >/dev/null
  cmake --build "$build" --target wipe_bench -j2 >/dev/null
fi
command -v shred >/dev/null || { echo "shred is needed" >&2; exit 1; }

work=$(mktemp -d "${WORK_DIR:-${TMPDIR:-/tmp}}/wipe-vs-shred.XXXXXX")
trap '[ -n "${KEEP_RESULTS:-}" ] && cat "$results" >&2; rm -rf "$work"' EXIT INT TERM
results=$work/results
: >"$results"

now() { date +%s.%N; }

# time_of CMD...: runs CMD and prints the seconds it took.
time_of() {
  start=$(now)
  "$@" >/dev/null
  end=$(now)
  echo "$end - $start" | bc -l
}

make_file() {  # make_file PATH MIB: real blocks on the disk, not a sparse file
  dd if=/dev/urandom of="$1" bs=1M count="$2" conv=fsync status=none
}

make_tree() {
  "$driver" mktree "$1" "$tree_files"
  sync
}

record() { echo "$1 $2 $3" >>"$results"; }  # case tool seconds

tree_only=${TREE_ONLY:-}
for round in $(seq 1 "$rounds"); do
  [ -n "$tree_only" ] || for mib in ${SIZES:-256 1024}; do
    for passes in 3 7; do
      make_file "$work/ours" "$mib"
      make_file "$work/theirs" "$mib"
      sync
      # Alternate who goes first, so neither always meets a cold or warm disk.
      if [ $((round % 2)) -eq 1 ]; then
        record "${mib}MiB-${passes}p" wipe "$(time_of "$driver" file "$work/ours" "$passes")"
        record "${mib}MiB-${passes}p" shred "$(time_of shred -n "$passes" -u "$work/theirs")"
      else
        record "${mib}MiB-${passes}p" shred "$(time_of shred -n "$passes" -u "$work/theirs")"
        record "${mib}MiB-${passes}p" wipe "$(time_of "$driver" file "$work/ours" "$passes")"
      fi
    done
  done
  make_tree "$work/tree-ours"
  [ -n "$tree_only" ] || make_tree "$work/tree-shred"
  make_tree "$work/tree-rm"
  # Each tool takes each place in the order once every three rounds.
  for turn in 0 1 2; do
    [ -n "$tree_only" ] && [ $(((round + turn) % 3)) -eq 1 ] && continue
    case $(((round + turn) % 3)) in
      0) record tree-1p wipe "$(time_of "$driver" tree "$work/tree-ours" 1)" ;;
      1) record tree-1p shred "$(time_of find "$work/tree-shred" -type f -exec shred -n1 -u {} +)" ;;
      2) record tree-1p rm "$(time_of rm -rf "$work/tree-rm")" ;;
    esac
  done
  rm -rf "$work/tree-ours" "$work/tree-shred"
done

# median of the numbers on stdin
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit; if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
times_of() { awk -v c="$1" -v t="$2" '$1 == c && $2 == t { print $3 }' "$results"; }
# per-round ratios of tool a to tool b, then their median
ratio() {
  times_of "$1" "$2" >"$work/a"
  times_of "$1" "$3" >"$work/b"
  paste "$work/a" "$work/b" | awk '$2 > 0 { printf "%.4f\n", $1 / $2 }' | median
}

printf '%-14s %10s %10s %10s %12s %12s\n' case wipe_s shred_s rm_s wipe/shred wipe/rm
for c in $(awk '{ print $1 }' "$results" | awk '!seen[$0]++'); do
  w=$(times_of "$c" wipe | median)
  s=$(times_of "$c" shred | median)
  s=${s:-0}
  r=$(times_of "$c" rm | median)
  rr=-
  [ -n "$r" ] && rr=$(ratio "$c" wipe rm) && r=$(printf '%.2f' "$r")
  printf '%-14s %10.2f %10.2f %10s %12s %12s\n' "$c" "$w" "$s" "${r:--}" "$(ratio "$c" wipe shred)" "$rr"
done
echo "rounds=$rounds tree_files=$tree_files work=$work"
echo "wipe_vs_shred=$(ratio 1024MiB-3p wipe shred) tree_vs_rm=$(ratio tree-1p wipe rm)"
