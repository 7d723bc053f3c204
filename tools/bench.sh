#!/usr/bin/env bash
# Builds the benchmarks with the Windows build and runs them under Wine:
# start-up against a bare program of the same kind, the first showing of
# each page, then the runner streaming through the real window, find in
# 50 MB of output, the cost of a silent command and the window's answer
# time. Not a test: it prints numbers.
#   tools/bench.sh [build folder]   (default: build/bench-win)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/bench-win}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVELQUIN_TESTS=OFF >/dev/null
make -C "$build" -j2 velquin_bench velquin_startup_bench velquin_repeat_bench >/dev/null
# A prefix of its own, so that the shared one of the tests is left alone.
export VELQUIN_WINEPREFIX="${VELQUIN_WINEPREFIX:-$build/wineprefix}"
# The connections window: readings of 5,000 and 1,000 endpoints.
make -C "$build" -j2 velquin_connections_bench >/dev/null
"$root/tools/wine-run.sh" "$build/bench/velquin_connections_bench.exe"
echo "load: $(uptime)"
# Start-up runs on one processor, with a Wine server of its own started
# there: a start is a long chain of requests to that server, and on a
# virtual machine each request that wakes the other, idle processor waits
# for it far longer than the request takes (start-up measured anything from
# 1.6 to 2.4 times the reference from one run to the next, first showings
# 13 to 100 ms). On one processor both programs pay only for their own
# work. The runner, whose child and reader thread work side by side, keeps
# both processors.
WINEPREFIX="$VELQUIN_WINEPREFIX" wineserver -k 2>/dev/null || true
taskset -c 0 "$root/tools/wine-run.sh" "$build/bench/velquin_startup_bench.exe"
WINEPREFIX="$VELQUIN_WINEPREFIX" wineserver -k 2>/dev/null || true
"$root/tools/wine-run.sh" "$build/bench/velquin_bench.exe"
# The repetition: the comparison of two runs, a thousand kept runs, and a
# thousand runs every 0.5 s in the real window (about nine minutes).
"$root/tools/wine-run.sh" "$build/bench/velquin_repeat_bench.exe" "${VELQUIN_REPEAT_RUNS:-1000}"
# The ping graph: 16 MB of replies with it open and closed, a painting, a day.
make -C "$build" -j2 velquin_graph_bench >/dev/null
"$root/tools/wine-run.sh" "$build/bench/velquin_graph_bench.exe"
# The monitor window: 256 loopback hosts at one probe a second.
make -C "$build" -j2 velquin_monitor_bench >/dev/null
"$root/tools/wine-run.sh" "$build/bench/velquin_monitor_bench.exe"
# A day of 1,024 monitor rows on a scripted clock: memory and figures.
make -C "$build" -j2 velquin_memory_bench >/dev/null
"$root/tools/wine-run.sh" "$build/bench/velquin_memory_bench.exe"
# The monitor left running: one notification for 200 rows down, the log's cost.
make -C "$build" -j2 velquin_alert_bench >/dev/null
"$root/tools/wine-run.sh" "$build/bench/velquin_alert_bench.exe"
# The monitor's port rows: 256 loopback listeners, then TIME_WAIT, handles
# and memory a minute for VELQUIN_TCP_MINUTES (default 5).
make -C "$build" -j2 velquin_tcp_bench >/dev/null
"$root/tools/wine-run.sh" "$build/bench/velquin_tcp_bench.exe" "${VELQUIN_TCP_MINUTES:-5}"
echo "load: $(uptime)"
