#!/usr/bin/env bash
# Pictures of every page of the real window under Wine on a private Xvfb
# display, as PNG files in the given folder (default build/screenshots).
# At 144 DPI: VELQUIN_WINEPREFIX=build/wineprefix-144 (tools/dpi-test.sh
# makes it) and a larger VELQUIN_SCREEN, such as 1920x1200.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
out="$(realpath -m "${1:-$VELQUIN_ROOT/build/screenshots}")"
mkdir -p "$out"
shots="$VELQUIN_ROOT/build/win32/velquin_shots.exe"
velquin_wine_prefix
# A Wine server started without a display makes later windows fail, and
# one started with a display must not outlive it.
wineserver -k 2>/dev/null || true
Xvfb "${VELQUIN_DISPLAY:-:97}" -screen 0 "${VELQUIN_SCREEN:-1024x768}x24" >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY="${VELQUIN_DISPLAY:-:97}"
velquin_wine_driver x11
rm -f "$WINEPREFIX/.velquin-null"
# A start folder of its own, where the program has run before (so no
# first-start message waits for a click), at the design place and size.
start="$(mktemp -d)"
# VELQUIN_BOUNDS="top left width height" starts it elsewhere.
read -r top left width height <<<"${VELQUIN_BOUNDS:-149 233 612 476}"
printf '2.2.2\r\n%s\r\n%s\r\n%s\r\n%s\r\n' "$top" "$left" "$width" "$height" > "$start/Velquin.ini"
(cd "$start" && wine "$shots" "$(winepath -w "$out")")
rm -rf "$start"
for f in "$out"/*.bmp; do
  convert "$f" "${f%.bmp}.png" && rm -f "$f"
done
# The README's picture is kept in the repository.
mkdir -p "$VELQUIN_ROOT/docs"
cp "$out/readme.png" "$VELQUIN_ROOT/docs/velquin.png"
velquin_wine_driver null
touch "$WINEPREFIX/.velquin-null"
ls "$out"
