#!/usr/bin/env bash
# Velquin.exe restarted on a 144-DPI screen: a Wine prefix of its own
# (build/wineprefix-144, made once) whose LogPixels is 144, so that the
# project's own prefix keeps 96.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export VELQUIN_WINEPREFIX="$root/build/wineprefix-144"
source "$root/tools/wine-env.sh"
velquin_wine_prefix
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
cd "$root/build/win32"
VELQUIN_EXPECT_DPI=144 VELQUIN_EXE="$(winepath -w Velquin.exe)" \
  "$root/tools/wine-run.sh" tests/velquin_wine_tests.exe \
  --gtest_filter='Executable.*:Window.EveryCaption*' --gtest_brief=1
