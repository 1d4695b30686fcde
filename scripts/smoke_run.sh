#!/usr/bin/env bash
# Starts the real program offscreen with a throwaway home, checks that it stays
# up for a few seconds, then ends it with SIGTERM and expects a clean end.
set -euo pipefail
exe=$(realpath "$1")
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
export XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$exe" &
pid=$!
sleep 4
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid" || true
  echo "smoke run: the program ended by itself"
  exit 1
fi
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
# 0 (handled SIGTERM) or 143 (128 + SIGTERM) are clean ends; a crash is not.
if [ "$status" -ne 0 ] && [ "$status" -ne 143 ]; then
  echo "smoke run: ended with status $status"
  exit 1
fi
echo "smoke run: stayed up and ended cleanly"
