#!/bin/sh
# The free-space fill against dd writing the same amount with direct I/O and
# a final flush, on the same freshly made file system, interleaved:
#   tracesweep --wipe-free-space MNT  (one fill, flushed, given back)
#   dd if=/dev/zero of=MNT/fill bs=8M oflag=direct; sync MNT/fill; rm  (until the drive is full)
# Prints each round's speeds and, as its last lines,
#   run_vs_dd=<median of our whole run's speed / dd's speed>
#   fill_vs_dd=<the same for the fill alone: the data written and flushed,
#               without the nameless files that take the free inode slots>
# Needs root (it loop-mounts an image). The image lives in WORK_DIR (default
# $TMPDIR or /tmp); its size is SIZE_MIB (default 2048) and its kind FS
# (ext4 or xfs, default ext4). The disk under WORK_DIR is what is measured.
#
# Environment: BUILD_DIR (default <repo>/build; the program is built there
# when missing), ROUNDS (default 3).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
rounds=${ROUNDS:-3}
size=${SIZE_MIB:-2048}
kind=${FS:-ext4}
program=$build/src/tracesweep
[ "$(id -u)" -eq 0 ] || { echo "loop-mounting an image needs root" >&2; exit 1; }
if [ ! -x "$program" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target tracesweep -j2 >/dev/null
fi

work=$(mktemp -d "${WORK_DIR:-${TMPDIR:-/tmp}}/free-space-vs-dd.XXXXXX")
mnt=$work/mnt
mkdir "$mnt"
trap 'umount "$mnt" 2>/dev/null; rm -rf "$work"' EXIT INT TERM
# Allocated at once, so that neither side pays for growing the image file.
fallocate -l "${size}M" "$work/image"
case $kind in
  ext4) mkfs.ext4 -q -F -m 0 "$work/image" ;;
  xfs) mkfs.xfs -q -f "$work/image" ;;
  *) echo "FS is ext4 or xfs" >&2; exit 1 ;;
esac
mount -o loop "$work/image" "$mnt"
# A first fill, not counted: the image's blocks are written once before either
# side is timed.
dd if=/dev/zero of="$mnt/fill" bs=8M oflag=direct 2>/dev/null || true
rm -f "$mnt/fill"
sync

now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
ratios=""
wholes=""
round=1
while [ "$round" -le "$rounds" ]; do
  start=$(now)
  "$program" --wipe-free-space "$mnt" --include-reserved --json >"$work/report"
  our_time=$(calc "$(now) - $start")
  ours=$(sed -n 's/.*"bytesWritten": \([0-9]*\).*/\1/p' "$work/report")
  fill_time=$(sed -n 's/.*"fillSeconds": \([0-9.e+-]*\).*/\1/p' "$work/report")

  start=$(now)
  dd if=/dev/zero of="$mnt/fill" bs=8M oflag=direct 2>/dev/null || true
  sync "$mnt/fill"
  theirs=$(stat -c %s "$mnt/fill")
  rm -f "$mnt/fill"
  dd_time=$(calc "$(now) - $start")

  our_speed=$(calc "$ours / $our_time / 1048576")
  dd_speed=$(calc "$theirs / $dd_time / 1048576")
  fill_speed=$(calc "$ours / $fill_time / 1048576")
  ratio=$(calc "$fill_speed / $dd_speed")
  whole=$(calc "$our_speed / $dd_speed")
  printf 'round %d: ours %.0f MiB, fill %.2f s (%.0f MiB/s), whole run %.2f s (%.0f MiB/s); dd %.0f MiB in %.2f s (%.0f MiB/s)\n' \
    "$round" "$(calc "$ours / 1048576")" "$fill_time" "$fill_speed" "$our_time" "$our_speed" \
    "$(calc "$theirs / 1048576")" "$dd_time" "$dd_speed"
  ratios="$ratios $ratio"
  wholes="$wholes $whole"
  round=$((round + 1))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf 'run_vs_dd=%.3f\n' "$(median $wholes)"
printf 'fill_vs_dd=%.3f\n' "$(median $ratios)"
