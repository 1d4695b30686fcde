#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/debian-packages.txt that are
# missing. Needs root or sudo. Extra list files may be named as arguments.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here/debian-packages.txt" "$@")
wanted=$(grep -hv '^\s*#' "${lists[@]}" | awk 'NF{print $1}' | sort -u)
missing=()
for p in $wanted; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
