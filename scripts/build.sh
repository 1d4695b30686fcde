#!/usr/bin/env bash
# Installs what is missing, then configures and builds into ./build.
# Extra arguments go to the CMake configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$top/build" -j"$(nproc)"
