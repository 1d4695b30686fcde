#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64 into ./build-win and runs its
# tests under Wine, in a throwaway Wine prefix whose home, Desktop, Documents
# and trash are folders of a temporary directory, never the real ones.
# Extra arguments go to the CMake configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TRACESWEEP_WINDOWS_BUILD:-$top/build-win}
bash "$top/scripts/install-deps.sh" "$top/scripts/debian-packages-windows.txt"

# SQLite, linked into the program from the amalgamation that the npm package
# better-sqlite3 ships (deps/sqlite3), and LZ4 from the source the npm
# package lz4 ships (deps/lz4/lib), fetched once into the build folder (where
# cmake/SQLite.cmake and cmake/LZ4.cmake look). No install script runs:
# nothing native of the packages is built.
npm_deps="$build/deps/npm"
if [ ! -f "$npm_deps/node_modules/better-sqlite3/deps/sqlite3/sqlite3.c" ] ||
   [ ! -f "$npm_deps/node_modules/lz4/deps/lz4/lib/lz4.c" ]; then
  command -v npm >/dev/null || { echo "npm is needed once, to fetch SQLite and LZ4 (apt-get install npm)" >&2; exit 1; }
  mkdir -p "$npm_deps"
  npm install --prefix "$npm_deps" --ignore-scripts --no-audit --no-fund better-sqlite3@12 lz4@0.6.5
fi

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchains/mingw-w64-x86_64.cmake" "$@"
cmake --build "$build" -j"$(nproc)"

sandbox=$(mktemp -d "${TMPDIR:-/tmp}/tracesweep-wine-XXXXXX")
export HOME="$sandbox/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$sandbox/run"
export WINEPREFIX="$sandbox/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# The recycle bin of Wine is the freedesktop trash under XDG_DATA_HOME; it
# has to exist for the bin to be emptied at all.
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info"
chmod 700 "$XDG_RUNTIME_DIR"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$sandbox"
}
trap cleanup EXIT

wineboot --init >/dev/null 2>&1
wineserver -w
# The user folders of the prefix lead into the sandbox's home; make them
# plain folders of the prefix, so nothing reaches past it.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm -f "$link"
    mkdir -p "$link"
  fi
done
# One warm server for every test program: each then starts in well under a second.
wineserver -p >/dev/null 2>&1
# Wine's own services start with the first program and stay; started here,
# they hold none of ctest's output pipes.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
# The bin of this prefix is the sandbox's: the tests may empty it.
export TRACESWEEP_TEST_EMPTY_RECYCLE_BIN=1
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
