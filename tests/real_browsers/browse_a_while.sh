#!/usr/bin/env bash
# Browses the sites with the Firefox profile that make_profiles.sh made as a
# user would, in an ordinary (not screenshot) headless window, until the
# browser has written its session files and the sites' icons; then ends it
# as a crash would, so that the session files stay for the next start.
#
# Usage: browse_a_while.sh HOME SITE ...
# Exit status 77 when a browser is missing.
set -euo pipefail
source "$(dirname "$0")/browser_lib.sh"

if [[ $# -lt 2 ]]; then
  echo "usage: $0 HOME SITE ..." >&2
  exit 2
fi
home=$(cd "$1" && pwd)
shift
rb_require_browsers
rb_clean_environment "$home"
rb_start_server ""
profile=$(rb_firefox_profile)
rb_write_firefox_prefs "$profile"
echo 'user_pref("browser.sessionstore.interval", 1000);' >>"$profile/user.js"
urls=()
for site in "$@"; do urls+=("http://$site/"); done
firefox-esr --headless -P tracesweep "${urls[@]}" >>"$rb_work/browsers.log" 2>&1 &
pid=$!
recovery="$profile/sessionstore-backups/recovery.jsonlz4"
for _ in $(seq 900); do
  [[ -s $recovery ]] && break
  sleep 0.1
done
sleep 3
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[[ -s $recovery ]] || { cat "$rb_work/browsers.log" >&2; exit 1; }
