#!/usr/bin/env bash
# Builds the benchmarks with the Windows build and runs them under Wine:
# start-up against a bare program of the same kind, the first showing of
# each page, then the runner streaming through the real window, its idle
# cost and the window's answer time. Not a test: it prints numbers.
#   tools/bench.sh [build folder]   (default: build/bench-win)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/bench-win}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVELQUIN_TESTS=OFF >/dev/null
make -C "$build" -j2 velquin_bench velquin_startup_bench >/dev/null
# A prefix of its own, so that the shared one of the tests is left alone.
export VELQUIN_WINEPREFIX="${VELQUIN_WINEPREFIX:-$build/wineprefix}"
echo "load: $(uptime)"
"$root/tools/wine-run.sh" "$build/bench/velquin_startup_bench.exe"
"$root/tools/wine-run.sh" "$build/bench/velquin_bench.exe"
echo "load: $(uptime)"
