#!/usr/bin/env bash
# Screenshots of the Windows program as a user sees it: under Xvfb, in Wine's
# desktop (which has a task bar with a notification area), with xdotool
# clicking the tray icon and the keyboard moving through the pages.
#
#   scripts/screenshots-windows.sh OUTDIR [PROGRAM.exe]
#
# PROGRAM defaults to build-win/src/tracesweep.exe (the development stand-in
# over the fake services, build-win/tests/view/win32/tracesweep_dev_fakes.exe,
# works too). Writes OUTDIR/NN-name.png. Runs in a throwaway Wine prefix, so
# nothing of the user's own is read or changed (SHOTS_WINEPREFIX=DIR reuses a
# prepared prefix instead, which saves the half minute of making one).
set -euo pipefail

out=$(realpath -m "${1:?usage: $0 OUTDIR [PROGRAM.exe]}")
here=$(cd "$(dirname "$0")/.." && pwd)
prog=$(realpath "${2:-$here/build-win/src/tracesweep.exe}")
for tool in Xvfb xdotool import wine wineserver; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb xdotool imagemagick wine wine64)" >&2; exit 1; }
done
mkdir -p "$out"

width=1024 height=768
work=$(mktemp -d)
pids=()
cleanup() {
  # Only this run's prefix: its wineserver ends the program if still running.
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export WINEPREFIX=${SHOTS_WINEPREFIX:-$work/prefix}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=-all
unset WAYLAND_DISPLAY

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=:$display
Xvfb "$DISPLAY" -screen 0 ${width}x${height}x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

if [ ! -e "$WINEPREFIX/system.reg" ]; then
  echo "making a Wine prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# A few files in the cookie folder that the registry names, so the Cookies
# page has something to list.
cookies=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
  /v Cookies 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p' || true)
if [ -n "$cookies" ]; then
  unix_cookies=$(winepath -u "$cookies" 2>/dev/null || true)
  if [ -n "$unix_cookies" ]; then
    mkdir -p "$unix_cookies"
    for site in news.example shop.example mail.example; do
      echo "cookie of $site" > "$unix_cookies/user@$site[1].txt"
    done
  fi
fi

# The temporary folder, which the exit run clears (looked up before the
# program runs: Wine's tools would take the keyboard from it).
temp_unix=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null || true)

shot() {
  import -window root "$out/$1.png"
  echo "  $out/$1.png"
}
# The program's own process (Wine's desktop names the program in its command line too).
running() { pgrep -f "^[^ ]*$(basename "$prog")( |\$)" >/dev/null; }
wait_for() {  # wait_for <seconds> <command...>: until the command succeeds
  local limit=$(($1 * 10)); shift
  for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "timed out waiting for: $*" >&2
  return 1
}

# Wine's desktop: one X window with the task bar along its bottom edge and
# the notification area at its right end, where the only icon is ours.
icon_x=$((width - 11)) icon_y=$((height - 11))
click_icon() { xdotool mousemove "$icon_x" "$icon_y" click "$@"; }
# Wine gives the keyboard to no window while none of the program's is active,
# so the menu's items and the exit question's buttons are clicked. The menu
# opens above the icon, in the corner: one item every 17 pixels; its left end
# (the icon's tip may cover the rest).
choose() {  # choose show|about|exit
  local row
  case $1 in show) row=47 ;; about) row=30 ;; exit) row=13 ;; esac
  xdotool mousemove $((width - 130)) $((height - row)) click 1
}
# A click on the empty desktop closes the menu.
dismiss_menu() { xdotool mousemove $((width / 2)) 40 click 1; }
# The exit question is centred on the screen.
answer_exit() {  # answer_exit ok|cancel
  if [ "$1" = ok ]; then
    xdotool mousemove $((width / 2 - 49)) $((height / 2 + 19)) click 1
  else
    xdotool mousemove $((width / 2 + 52)) $((height / 2 + 19)) click 1
  fi
}
# A click on the main window's title (it is centred) gives it the keyboard.
focus_main_window() { xdotool mousemove $((width / 2)) 132 click 1; sleep 0.3; }

wine explorer /desktop=tracesweep,${width}x${height} "$prog" > "$work/program.log" 2>&1 &
pids+=($!)

echo "splash"
wait_for 30 running
sleep 1.2
shot 01-splash
sleep 3
shot 02-tray-only

echo "tray menu"
click_icon 1
sleep 1.2  # the menu waits for the double-click interval
shot 03-tray-menu-left-click
dismiss_menu
sleep 0.4
click_icon 3
sleep 0.6
shot 04-tray-menu-right-click
dismiss_menu
sleep 0.4

echo "pages"
click_icon --repeat 2 --delay 120 1
sleep 1.5
focus_main_window
names=(general cookies cache browser-history secure-wipe about)
for i in "${!names[@]}"; do
  [ "$i" -gt 0 ] && xdotool key ctrl+Tab
  sleep 0.8
  shot "$(printf '%02d-page-%s' $((5 + i)) "${names[$i]}")"
done

echo "the cookie question"
xdotool key ctrl+shift+Tab ctrl+shift+Tab ctrl+shift+Tab ctrl+shift+Tab  # "Cookies"
sleep 0.6
xdotool key alt+d  # "&Delete Cookies"
sleep 0.8
shot 11-cookies-question
xdotool key n  # No
sleep 0.6

echo "a folder wiped through the window"
victim_unix=$WINEPREFIX/drive_c/wipe-me
mkdir -p "$victim_unix/sub"
for i in $(seq 1 40); do head -c 65536 /dev/urandom > "$victim_unix/file$i.bin"; done
echo "keep out" > "$victim_unix/sub/notes.txt"
xdotool key ctrl+Tab ctrl+Tab ctrl+Tab  # "Secure Wipe"
sleep 0.6
xdotool key Tab  # from "Secure Wipe all other areas" to the folder box
xdotool type --delay 10 'C:\wipe-me'
sleep 0.3
shot 12a-wipe-folder-chosen
xdotool key alt+w  # "&Wipe"
sleep 0.8
shot 12b-wipe-warning
xdotool key Return
sleep 2
shot 12c-wipe-done
xdotool key Return
sleep 0.5
echo "  left in the folder: $(find "$victim_unix" | wc -l) entries (the folders remain)"

echo "About from the tray menu"
xdotool key ctrl+Tab ctrl+Tab  # from "Secure Wipe" round to "General"
sleep 0.4
click_icon 3
sleep 0.6
choose about
sleep 1
shot 13-about-from-tray

echo "exit question"
click_icon 3
sleep 0.6
choose exit
sleep 0.8
shot 14-exit-question
answer_exit cancel  # the program goes on
sleep 0.8
running || { echo "the program ended on Cancel" >&2; exit 1; }

echo "the exit run in its progress window"
# "Tracesweep on shutdown", "Empty Recycle Bin" and "Clear Temporary files"
# ticked and saved; the temporary folder filled, so that the run takes a moment.
click_icon 3
sleep 0.6
choose show
sleep 1.2
focus_main_window
xdotool key ctrl+Tab  # from "About" round to "General", its first box focused
sleep 0.5
xdotool key Tab Tab space  # "Tracesweep on shutdown"
xdotool key Tab Tab Tab Tab space  # "Empty Recycle Bin"
sleep 2
xdotool key Tab space  # "Clear Temporary files"
sleep 1
shot 15-general-ticked
xdotool key alt+o  # "&Ok" saves and closes
sleep 0.8
if [ -n "$temp_unix" ] && [ -d "$temp_unix" ]; then
  for i in $(seq 1 300); do head -c 262144 /dev/urandom > "$temp_unix/shot-filler-$i.tmp"; done
fi
click_icon 3
sleep 0.6
choose exit
sleep 0.8
answer_exit ok
sleep 0.5
shot 16-working
if wait_for 30 bash -c "! pgrep -f '^[^ ]*$(basename "$prog")( |\$)' >/dev/null"; then
  echo "the program ended after OK"
else
  shot 17-not-ended
  pgrep -af "$(basename "$prog")" >&2 || true
fi

echo "a second copy"
# The program again, and a second copy in the same Wine desktop.
wine explorer /desktop=tracesweep,${width}x${height} "$prog" > "$work/again.log" 2>&1 &
wait_for 30 running
sleep 6
wine explorer /desktop=tracesweep,${width}x${height} "$prog" > "$work/second.log" 2>&1 &
sleep 3
shot 18-second-copy
xdotool mousemove $((width / 2)) $((height / 2 + 19)) click 1  # its OK, centred
sleep 1

