#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The real-browser tests need the browsers; they are skipped where absent.
bash "$top/scripts/install-deps.sh" "$top/scripts/debian-packages-browsers.txt"
bash "$top/scripts/build.sh"
cd "$top/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600
