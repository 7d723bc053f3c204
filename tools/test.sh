#!/usr/bin/env bash
# Builds and runs every test: the native tests (under AddressSanitizer and
# UndefinedBehaviorSanitizer), a short run of every fuzz target, and the
# Windows build's tests under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc 2>/dev/null || echo 2)"
# A compiler cache, where there is one: a fresh clone then builds in a few
# minutes from the objects of the last build on this machine. Paths are
# taken relative to the clone, and the build folder left out of the
# objects' keys, so any clone's objects serve another.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
fi

cmake -S . -B build/native -DVELQUIN_SANITIZE=ON >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 -j "$jobs"

source tools/wine-env.sh
velquin_wine_prefix
# One Wine server for the whole run (a program then starts in a fraction of
# a second), ended when the run ends.
unset DISPLAY
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's own services start with the first program and live as long as the
# server: started here, they do not hold CTest's output pipe open (ctest
# would otherwise wait for them until the test's time limit).
tools/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1 || true

status=0
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
# Every reader meets random input for about twenty seconds in all; a longer
# run (tools/fuzz.sh 60) is a benchmark, not a test.
targets=$(ls fuzz/*.cpp | wc -l)
bash tools/fuzz.sh $(( (20 + targets - 1) / targets )) || status=1
ctest --test-dir build/win32 --output-on-failure || status=1
# The archive for users, unpacked and started; restarts at 144 DPI.
bash tools/package.sh || status=1
bash tools/dpi-test.sh || status=1
exit $status
