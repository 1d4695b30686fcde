#!/bin/sh
# The free-space wipe against dd filling the same free space with direct I/O,
# on the same loop-mounted file system, each round in turn who goes first:
#   tracesweep --wipe-free-space MNT --include-reserved   (the whole run: start,
#       fill, the space kept back written again, inode slots, give back)
#   dd if=/dev/zero of=MNT/fill bs=8M oflag=direct; sync MNT/fill; rm MNT/fill
# Each side's speed is the free space it covered over its whole time (ours:
# the drive's free space, the reserve included; dd: the size of its file).
# Prints each round and, as its last lines,
#   run_vs_dd=<median of our speed / dd's speed>  (the fair figure)
#   fill_vs_dd=<the same for our data phase alone (fillSeconds), without our
#               start, the inode slots and the give-back: for the record only>
# Needs root (it loop-mounts an image). The image lives in WORK_DIR (default
# $TMPDIR or /tmp); its size is SIZE_MIB (default 2048) and its kind FS
# (ext4 or xfs, default ext4). The disk under WORK_DIR is what is measured.
#
# Environment: BUILD_DIR (default <repo>/build; the program is built there
# when missing), ROUNDS (default 4, so that each side goes first as often).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
rounds=${ROUNDS:-4}
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
free_blocks=$(( $(stat -f -c %f "$mnt") * 99 / 100 ))
ratios=""
wholes=""
ours_run() {
  start=$(now)
  "$program" --wipe-free-space "$mnt" --include-reserved --json >"$work/report"
  our_time=$(calc "$(now) - $start")
}
dd_run() {
  start=$(now)
  dd if=/dev/zero of="$mnt/fill" bs=8M oflag=direct 2>/dev/null || true
  sync "$mnt/fill"
  theirs=$(stat -c %s "$mnt/fill")
  rm -f "$mnt/fill"
  dd_time=$(calc "$(now) - $start")
  space_back
}
# XFS frees a removed file in the background: the next side starts when the
# space is back, so that each finds the same free space.
space_back() {
  tries=0
  while [ "$(stat -f -c %f "$mnt")" -lt "$free_blocks" ] && [ "$tries" -lt 500 ]; do
    sync -f "$mnt"; sleep 0.01; tries=$((tries + 1))
  done
}
field() { sed -n "s/.*\"$1\": \([0-9.e+-]*\).*/\1/p" "$work/report"; }
round=1
while [ "$round" -le "$rounds" ]; do
  if [ $((round % 2)) -eq 1 ]; then ours_run; dd_run; first=ours; else dd_run; ours_run; first=dd; fi
  covered=$(calc "$(field freeBytes) + $(field reservedBytes)")
  fill_time=$(field fillSeconds)
  our_speed=$(calc "$covered / $our_time / 1048576")
  fill_speed=$(calc "$covered / $fill_time / 1048576")
  dd_speed=$(calc "$theirs / $dd_time / 1048576")
  printf 'round %d (%s first): ours %.0f MiB in %.2f s (%.0f MiB/s; data phase %.2f s); dd %.0f MiB in %.2f s (%.0f MiB/s)\n' \
    "$round" "$first" "$(calc "$covered / 1048576")" "$our_time" "$our_speed" "$fill_time" \
    "$(calc "$theirs / 1048576")" "$dd_time" "$dd_speed"
  wholes="$wholes $(calc "$our_speed / $dd_speed")"
  ratios="$ratios $(calc "$fill_speed / $dd_speed")"
  round=$((round + 1))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf 'run_vs_dd=%.3f\n' "$(median $wholes)"
printf 'fill_vs_dd=%.3f\n' "$(median $ratios)"
