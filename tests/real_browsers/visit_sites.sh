#!/usr/bin/env bash
# Opens sites again with the profiles that make_profiles.sh made, and records
# what the browsers sent: one line per request, tab-separated: host, path,
# Cookie header, "firefox" or "chromium".
#
# Usage: visit_sites.sh HOME LOG SITE ...
# Exit status 77 when a browser is missing.
set -euo pipefail
source "$(dirname "$0")/browser_lib.sh"

if [[ $# -lt 3 ]]; then
  echo "usage: $0 HOME LOG SITE ..." >&2
  exit 2
fi
home=$(cd "$1" && pwd)
log=$2
shift 2
rb_require_browsers
rb_clean_environment "$home"
: >"$log"
rb_start_server "$log"
profile=$(rb_firefox_profile)
[[ -n $profile ]] && rb_write_firefox_prefs "$profile"
rb_visit_firefox "$@"
rb_visit_chromium "$@"
