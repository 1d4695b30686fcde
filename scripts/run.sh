#!/usr/bin/env bash
# Sets up, builds and starts Tracesweep.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/build.sh"
exec "$top/build/src/tracesweep"
