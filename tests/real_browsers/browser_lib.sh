# Shared by make_profiles.sh and visit_sites.sh (sourced, not run): the site
# server on 127.0.0.1 and headless runs of Debian's firefox-esr and chromium
# with the profiles under $HOME.

rb_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Exits with 77 (the callers' "skipped") when a browser is missing.
rb_require_browsers() {
  local program
  for program in firefox-esr chromium python3 timeout; do
    if ! command -v "$program" >/dev/null; then
      echo "real_browsers: $program is not installed" >&2
      exit 77
    fi
  done
}

# A clean environment: only the profiles' HOME and its XDG defaults.
rb_clean_environment() {
  export HOME=$1
  unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_RUNTIME_DIR DBUS_SESSION_BUS_ADDRESS
  unset DISPLAY WAYLAND_DISPLAY
  export MOZ_CRASHREPORTER_DISABLE=1 MOZ_DISABLE_AUTO_SAFE_MODE=1
}

# Starts the site server; sets rb_port and rb_work (removed on exit).
# $1: file that receives one line per request (host, path, Cookie header,
# browser), or "" for none.
rb_start_server() {
  rb_work=$(mktemp -d)
  rb_server_pid=""
  trap rb_stop_server EXIT
  SITE_LOG=${1:-} python3 "$rb_here/site_server.py" "$rb_work/port" 2>"$rb_work/server.log" &
  rb_server_pid=$!
  local _
  for _ in $(seq 100); do [[ -s $rb_work/port ]] && break; sleep 0.1; done
  rb_port=$(cat "$rb_work/port")
}

rb_stop_server() {
  if [[ -n ${rb_server_pid:-} ]]; then kill "$rb_server_pid" 2>/dev/null || true; fi
  rm -rf "${rb_work:-/nonexistent}"
}

# Runs a browser with a time limit. Their exit codes on shutdown are not
# trusted, only what they leave in the profile.
rb_limited() { timeout --kill-after=10 90 "$@" >>"$rb_work/browsers.log" 2>&1 || true; }

rb_firefox_profile() {
  find "$HOME/.mozilla/firefox" "$HOME/.config/mozilla/firefox" -maxdepth 1 -type d \
    -name '*.tracesweep' 2>/dev/null | head -n1 || true
}

rb_chromium_data() { echo "$HOME/.config/chromium"; }

# The test hosts, given as secure so that the pages may store Cache Storage
# and register a service worker over plain HTTP.
rb_secure_hosts="alpha.test,beta.test,www.gamma.test,gamma.test,my_site.test,kept.test"

# The Firefox preferences that send every http(s) request to our server.
rb_write_firefox_prefs() {
  cat >"$1/user.js" <<PREFS
user_pref("network.proxy.type", 1);
user_pref("network.proxy.http", "127.0.0.1");
user_pref("network.proxy.http_port", $rb_port);
user_pref("network.proxy.ssl", "127.0.0.1");
user_pref("network.proxy.ssl_port", $rb_port);
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
  # Only for site data: as secure contexts the pages are cached differently.
  if [[ ${RB_SITE_DATA:-} == 1 ]]; then
    echo "user_pref(\"dom.securecontext.allowlist\", \"$rb_secure_hosts\");" >>"$1/user.js"
  fi
}

# The page visited on each site: / (cookies, cache, history), or with
# RB_SITE_DATA=1 /stored (site data too).
rb_page() { [[ ${RB_SITE_DATA:-} == 1 ]] && echo stored || true; }

rb_visit_firefox() {
  local site
  for site in "$@"; do
    rb_limited firefox-esr --headless -P tracesweep --screenshot "$rb_work/ff.png" \
      "http://$site/$(rb_page)"
  done
}

rb_chromium_flags() {
  echo --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --password-store=basic \
    --disable-features=HttpsUpgrades,HttpsFirstBalancedModeAutoEnable \
    --proxy-server="http://127.0.0.1:$rb_port" "--proxy-bypass-list=<-loopback>"
  if [[ ${RB_SITE_DATA:-} == 1 ]]; then
    echo "--unsafely-treat-insecure-origin-as-secure=http://${rb_secure_hosts//,/,http://}"
  fi
}

rb_visit_chromium() {
  local site
  for site in "$@"; do
    # shellcheck disable=SC2046
    rb_limited chromium $(rb_chromium_flags) --user-data-dir="$(rb_chromium_data)" \
      --virtual-time-budget=3000 --screenshot="$rb_work/cr.png" "http://$site/$(rb_page)"
  done
}
