#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, headless (CTest's
# emulator for the cross build).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
velquin_wine_prefix
if [ ! -f "$WINEPREFIX/.velquin-null" ]; then
  velquin_wine_driver null
  touch "$WINEPREFIX/.velquin-null"
fi
unset DISPLAY
exec wine "$@"
