#!/usr/bin/env bash
# Builds Velquin.exe and starts it under Wine with a Japanese locale, on the
# current display (or on a private Xvfb display when there is none).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 -j "$(nproc 2>/dev/null || echo 2)" --target Velquin
source tools/wine-env.sh
velquin_wine_prefix
wineserver -k 2>/dev/null || true
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :98 -screen 0 1024x768x24 >/dev/null 2>&1 &
  export DISPLAY=:98
  echo "No display: Velquin runs on the private display :98"
fi
velquin_wine_driver x11
rm -f "$WINEPREFIX/.velquin-null"
cd build/win32
exec wine Velquin.exe
