#!/usr/bin/env bash
# Makes real browser profiles for tests: Debian's firefox-esr and chromium run
# headless with TARGET as their HOME, against a small site served on
# 127.0.0.1 (tests/real_browsers/site_server.py, used as their HTTP proxy so
# that several host names reach it). Afterwards TARGET holds a Firefox profile
# ("tracesweep") and a Chromium profile ("Default") with cookies, cache entries
# and history of every site below, and one bookmark each.
#
# Usage: make_profiles.sh TARGET [SITE ...]
#   TARGET  a folder that does not exist yet or is empty; it is kept.
#   SITE    host names to visit (default: alpha.test beta.test www.gamma.test
#           my_site.test).
# Prints "HOME=<TARGET>" on its last line. Exit status 77 when a browser is
# missing (the callers' "skipped").
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [[ $# -lt 1 ]]; then
  echo "usage: $0 TARGET [SITE ...]" >&2
  exit 2
fi
target=$1
shift
sites=("$@")
[[ ${#sites[@]} -gt 0 ]] || sites=(alpha.test beta.test www.gamma.test my_site.test)

for browser in firefox-esr chromium python3; do
  if ! command -v "$browser" >/dev/null; then
    echo "make_profiles: $browser is not installed" >&2
    exit 77
  fi
done

mkdir -p "$target"
target=$(cd "$target" && pwd)
if [[ -n $(ls -A "$target") ]]; then
  echo "make_profiles: $target is not empty" >&2
  exit 2
fi

# A clean environment: only the throwaway HOME and its XDG defaults.
export HOME=$target
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_RUNTIME_DIR DBUS_SESSION_BUS_ADDRESS
unset DISPLAY WAYLAND_DISPLAY
export MOZ_CRASHREPORTER_DISABLE=1 MOZ_DISABLE_AUTO_SAFE_MODE=1

work=$(mktemp -d)
server_pid=""
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$here/site_server.py" "$work/port" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 50); do [[ -s $work/port ]] && break; sleep 0.1; done
port=$(cat "$work/port")

# Runs a command with a time limit; the browsers' own exit codes on shutdown
# are not trusted, only what they leave in the profile.
limited() { timeout --kill-after=10 90 "$@" >>"$work/browsers.log" 2>&1 || true; }

make_firefox() {
  limited firefox-esr --headless -CreateProfile tracesweep
  local profile
  profile=$(find "$HOME/.mozilla/firefox" "$HOME/.config/mozilla/firefox" -maxdepth 1 \
    -type d -name '*.tracesweep' 2>/dev/null | head -n1 || true)
  if [[ -z $profile ]]; then
    echo "make_profiles: firefox-esr made no profile" >&2
    cat "$work/browsers.log" >&2
    exit 1
  fi
  cat >"$profile/user.js" <<PREFS
user_pref("network.proxy.type", 1);
user_pref("network.proxy.http", "127.0.0.1");
user_pref("network.proxy.http_port", $port);
user_pref("network.proxy.ssl", "127.0.0.1");
user_pref("network.proxy.ssl_port", $port);
user_pref("network.proxy.no_proxies_on", "");
user_pref("network.proxy.allow_hijacking_localhost", true);
user_pref("dom.security.https_first", false);
user_pref("dom.security.https_only_mode", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.auto", false);
user_pref("extensions.update.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("privacy.trackingprotection.enabled", false);
PREFS
  for site in "${sites[@]}"; do
    limited firefox-esr --headless -P tracesweep --screenshot "$work/ff.png" "http://$site/"
  done
}

make_chromium() {
  local data="$HOME/.config/chromium"
  mkdir -p "$data/Default"
  # One bookmark, so that a test can see that bookmarks survive.
  cat >"$data/Default/Bookmarks" <<'JSON'
{ "roots": {
    "bookmark_bar": { "children": [ { "name": "Kept", "type": "url", "url": "http://kept.test/" } ],
                      "name": "Bookmarks bar", "type": "folder" },
    "other": { "children": [], "name": "Other bookmarks", "type": "folder" },
    "synced": { "children": [], "name": "Mobile bookmarks", "type": "folder" } },
  "version": 1 }
JSON
  for site in "${sites[@]}"; do
    limited chromium --headless --no-sandbox --disable-gpu --no-first-run \
      --disable-background-networking --disable-component-update --disable-sync \
      --password-store=basic --disable-features=HttpsUpgrades,HttpsFirstBalancedModeAutoEnable \
      --proxy-server="http://127.0.0.1:$port" --proxy-bypass-list="<-loopback>" \
      --user-data-dir="$data" --virtual-time-budget=3000 \
      --screenshot="$work/cr.png" "http://$site/"
  done
}

make_firefox
make_chromium
echo "HOME=$target"
