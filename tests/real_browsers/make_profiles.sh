#!/usr/bin/env bash
# Makes real browser profiles for tests: Debian's firefox-esr and chromium run
# headless with TARGET as their HOME, against a small site served on
# 127.0.0.1 (site_server.py, used as their HTTP proxy so that several host
# names reach it). Afterwards TARGET holds a Firefox profile ("tracesweep",
# under ~/.config/mozilla/firefox) and a Chromium profile ("Default", under
# ~/.config/chromium) with cookies, cache entries and history of every site,
# Firefox's default bookmarks and one Chromium bookmark (http://kept.test/).
#
# Usage: make_profiles.sh TARGET [SITE ...]
#   TARGET  a folder that does not exist yet or is empty; it is kept.
#   SITE    host names to visit (default: alpha.test beta.test www.gamma.test
#           my_site.test); each page sets a cookie for its host, a domain
#           cookie for its parent domain and one from script.
# With RB_SITE_DATA=1 the pages visited are /stored, which also store site
# data (localStorage, sessionStorage, IndexedDB, Cache Storage, a service
# worker).
# Prints "HOME=<TARGET>" on its last line. Exit status 77 when a browser is
# missing (the callers' "skipped").
set -euo pipefail
source "$(dirname "$0")/browser_lib.sh"

if [[ $# -lt 1 ]]; then
  echo "usage: $0 TARGET [SITE ...]" >&2
  exit 2
fi
target=$1
shift
sites=("$@")
[[ ${#sites[@]} -gt 0 ]] || sites=(alpha.test beta.test www.gamma.test my_site.test)
rb_require_browsers

mkdir -p "$target"
target=$(cd "$target" && pwd)
if [[ -n $(ls -A "$target") ]]; then
  echo "make_profiles: $target is not empty" >&2
  exit 2
fi
rb_clean_environment "$target"
rb_start_server ""

rb_limited firefox-esr --headless -CreateProfile tracesweep
profile=$(rb_firefox_profile)
if [[ -z $profile ]]; then
  echo "make_profiles: firefox-esr made no profile" >&2
  cat "$rb_work/browsers.log" >&2
  exit 1
fi
rb_write_firefox_prefs "$profile"
rb_visit_firefox "${sites[@]}"

data=$(rb_chromium_data)
mkdir -p "$data/Default"
cat >"$data/Default/Bookmarks" <<'JSON'
{ "roots": {
    "bookmark_bar": { "children": [ { "name": "Kept", "type": "url", "url": "http://kept.test/" } ],
                      "name": "Bookmarks bar", "type": "folder" },
    "other": { "children": [], "name": "Other bookmarks", "type": "folder" },
    "synced": { "children": [], "name": "Mobile bookmarks", "type": "folder" } },
  "version": 1 }
JSON
rb_visit_chromium "${sites[@]}"
echo "HOME=$target"
