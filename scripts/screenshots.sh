#!/usr/bin/env bash
# Screenshots of the program as a user sees it: under Xvfb, with openbox as the
# window manager and trayer as the notification area, xdotool clicking the
# tray icon and switching the pages.
#
#   scripts/screenshots.sh OUTDIR [PROGRAM]
#
# PROGRAM defaults to build/src/tracesweep. Writes OUTDIR/NN-name.png. Runs in
# a throwaway HOME, so nothing of the user's own is read or changed
# (SHOTS_HOME_FROM=DIR starts it as a copy of DIR).
#   SHOTS_SCALE=2      draws the program at twice the size (QT_SCALE_FACTOR)
#   SHOTS_LATE_TRAY=1  starts the panel after the program, as at log-in, then
#                      takes the panel away again (OUTDIR/late-*.png)
set -euo pipefail

out=$(realpath -m "${1:?usage: $0 OUTDIR [PROGRAM]}")
here=$(cd "$(dirname "$0")/.." && pwd)
prog=$(realpath "${2:-$here/build/src/tracesweep}")
for tool in Xvfb openbox trayer xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb openbox trayer xdotool imagemagick)" >&2; exit 1; }
done
scale=${SHOTS_SCALE:-1}
export QT_SCALE_FACTOR=$scale
px() { echo $(($1 * scale)); }  # a distance inside the program's windows
mkdir -p "$out"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
# SHOTS_HOME_FROM: a prepared home (e.g. from tests/real_browsers/make_profiles.sh)
# copied into the throwaway one, so the pages show real browser data.
if [ -n "${SHOTS_HOME_FROM:-}" ]; then cp -a "$SHOTS_HOME_FROM/." "$HOME/"; fi
chmod 700 "$XDG_RUNTIME_DIR"
# Qt would talk to a desktop's tray over D-Bus; trayer is an XEmbed tray.
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY QT_QPA_PLATFORM

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=:$display
Xvfb "$DISPLAY" -screen 0 $((1024 * scale))x$((768 * scale))x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
# A desktop-like background, so the windows stand out.
xsetroot -solid '#4a6078' 2>/dev/null || true

openbox >/dev/null 2>&1 &
pids+=($!)
start_tray() {
  trayer --edge top --align right --widthtype request --height $((24 * scale)) --SetDockType true \
    --transparent false --tint 0x303841 --expand true >/dev/null 2>&1 &
  tray_pid=$!
  pids+=("$tray_pid")
  sleep 1
}

shot() {
  import -window root "$out/$1.png"
  echo "  $out/$1.png"
}
wait_for() {  # wait_for <seconds> <command...>: until the command succeeds
  local limit=$(($1 * 10)); shift
  for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "timed out waiting for: $*" >&2
  return 1
}
main_window() { xdotool search --onlyvisible --name '^ Norrick Tracesweep$' | head -1; }
main_window_shown() { [ -n "$(main_window)" ]; }
main_window_gone() { [ -z "$(main_window)" ]; }
tray_icon_shown() {  # trayer grows from nothing to the icon's width
  local t
  t=$(xdotool search --onlyvisible --class trayer | tail -1) || return 1
  eval "$(xdotool getwindowgeometry --shell "$t")"
  [ "$WIDTH" -gt 4 ]
}
# The splash: the program's window of 490 by 280 (the tray icon is one too).
splash_visible() {
  local w
  for w in $(xdotool search --onlyvisible --class tracesweep 2>/dev/null); do
    xdotool getwindowgeometry "$w" | grep -q "Geometry: $((490 * scale))x$((280 * scale))" && return 0
  done
  return 1
}
splash_gone() { ! splash_visible; }

"$prog" > "$work/program.log" 2>&1 &
prog_pid=$!
pids+=("$prog_pid")

if [ "${SHOTS_LATE_TRAY:-0}" = 1 ]; then
  echo "late panel: no notification area at start"
  wait_for 30 splash_gone
  wait_for 10 main_window_shown
  sleep 0.6
  shot late-01-no-tray-main-window
  echo "the panel comes"
  start_tray
  wait_for 10 tray_icon_shown
  sleep 2  # the program looks for the panel once a second
  shot late-02-panel-came
  win=$(main_window)
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  sleep 0.3
  xdotool key alt+F4  # the window manager's close
  wait_for 5 main_window_gone
  sleep 0.5
  kill -0 "$prog_pid" || { echo "closing the window ended the program" >&2; exit 1; }
  shot late-03-closed-into-the-tray
  echo "the panel goes"
  kill "$tray_pid"
  wait_for 10 main_window_shown
  sleep 0.6
  shot late-04-panel-gone-window-back
  kill "$prog_pid"  # SIGTERM, as at log-out
  wait_for 10 bash -c "! kill -0 $prog_pid"
  echo "the program ended on SIGTERM"
  exit 0
fi
start_tray

echo "splash"
wait_for 10 splash_visible
sleep 0.4
shot 01-splash
wait_for 30 splash_gone
sleep 0.3
shot 02-tray-only

# The tray icon is the only client of trayer: its window's centre.
tray=$(xdotool search --onlyvisible --class trayer | tail -1)
eval "$(xdotool getwindowgeometry --shell "$tray")"
icon_x=$((X + WIDTH / 2)) icon_y=$((Y + HEIGHT / 2))
click_icon() { xdotool mousemove "$icon_x" "$icon_y" click "$@"; }

echo "tray menu"
click_icon 1
sleep 1.2  # the menu waits for the double-click interval
shot 03-tray-menu-left-click
xdotool key Escape
sleep 0.4
click_icon 3
sleep 0.6
shot 04-tray-menu-right-click
xdotool key Escape
sleep 0.4

echo "pages"
click_icon --repeat 2 --delay 120 1
wait_for 5 main_window
sleep 1
win=$(main_window)
xdotool windowfocus "$win" 2>/dev/null || true
names=(general cookies cache browser-history secure-wipe about)
for i in "${!names[@]}"; do
  [ "$i" -gt 0 ] && xdotool key ctrl+Tab
  sleep 0.7
  shot "$(printf '%02d-page-%s' $((5 + i)) "${names[$i]}")"
done

echo "a folder wiped through the window"
victim=$work/wipe-me
mkdir -p "$victim/sub"
for i in $(seq 1 150); do head -c 262144 /dev/urandom > "$victim/file$i.bin"; done
echo "keep out" > "$victim/sub/notes.txt"
xdotool key ctrl+shift+Tab  # back to "Secure Wipe"
sleep 0.5
# xwininfo, not xdotool: under a window manager xdotool counts the frame twice.
X=$(xwininfo -id "$win" | awk '/Absolute upper-left X/ {print $NF}')
Y=$(xwininfo -id "$win" | awk '/Absolute upper-left Y/ {print $NF}')
xdotool mousemove $((X + $(px 300))) $((Y + $(px 204))) click 1  # the folder box
xdotool type --delay 5 "$victim"
xdotool key alt+w  # "&Wipe"
sleep 0.8
shot 10a-wipe-warning
xdotool key Return
sleep 0.4
shot 10b-wipe-progress
wait_for 60 bash -c "xdotool search --onlyvisible --name '^ Norrick Tracesweep$' | wc -l | grep -q 2"
sleep 0.3
shot 10c-wipe-done
xdotool key Return
sleep 0.4
echo "  left in the folder: $(find "$victim" | wc -l) entries (the folders remain)"

echo "About from the tray menu"
xdotool key ctrl+Tab ctrl+Tab  # from "Secure Wipe" round to "General"
sleep 0.4
click_icon 3
sleep 0.6
xdotool key Down Down Return  # "About"
sleep 0.8
shot 11-about-from-tray
xdotool key alt+c  # "&Check for updates..."
sleep 0.8
shot 11b-update-check
xdotool key Return
sleep 0.4

echo "exit question"
click_icon 3
sleep 0.6
xdotool key Up Return  # "Exit", the last item
sleep 0.8
shot 12-exit-question
xdotool key Escape  # Cancel: the program goes on
sleep 0.6
kill -0 "$prog_pid" || { echo "the program ended on Cancel" >&2; exit 1; }
click_icon 3
sleep 0.6
xdotool key Up Return
sleep 0.8
xdotool key Return  # OK
wait_for 10 bash -c "! kill -0 $prog_pid"
echo "the program ended after OK"
