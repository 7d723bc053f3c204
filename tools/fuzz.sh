#!/usr/bin/env bash
# Builds every fuzz target (fuzz/NAME.cpp) natively with clang in build/fuzz
# and runs each for SECONDS (default 60), starting from its seeds in
# fuzz/corpus/NAME. Prints one line per target: its name, the inputs it ran,
# and "ok" or what failed with the input kept for it. Fails when a target
# fails.   tools/fuzz.sh [SECONDS [NAME...]]  (NAME: only those targets)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
build="$root/build/fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVELQUIN_FUZZ=ON \
  -DVELQUIN_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if ! cmake --build "$build" -j2 >"$build/build.log" 2>&1; then
  grep -E "error|Error" "$build/build.log" | head -20
  exit 1
fi

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# A smaller quarantine than AddressSanitizer's 256 MB: the inputs are small,
# and the machine is shared.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
status=0
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for source in "$root"/fuzz/*.cpp; do names+=("$(basename "$source" .cpp)"); done
fi
for name in "${names[@]}"; do
  # New inputs go to the build folder; the repository's seeds stay as kept.
  work="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  log="$build/logs/$name.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  rc=0
  "$build/fuzz/velquin_fuzz_$name" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$work" "${seeds[@]}" >"$log" 2>&1 || rc=$?
  runs="$(grep -o 'number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)"
  if [ "$rc" -eq 0 ]; then
    printf '%-14s %10s runs  ok\n' "$name" "${runs:-0}"
  else
    status=1
    what="$(grep -m1 -E '^PROPERTY FAILED|runtime error|^SUMMARY' "$log" || echo "exit $rc")"
    input="$(grep -o 'Test unit written to .*' "$log" | sed 's/Test unit written to //' | tail -1)"
    printf '%-14s %10s runs  FAILED: %s (input: %s; log: %s)\n' \
      "$name" "${runs:-0}" "$what" "${input:-none}" "$log"
  fi
done
exit $status
