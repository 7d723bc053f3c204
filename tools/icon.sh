#!/usr/bin/env bash
# Draws the program's icon from its source drawing and writes the icon file
# that the resource script uses, in the sizes Windows asks for (16, 24, 32,
# 48 and 256 pixels). Needs ImageMagick (tools/setup.sh installs it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
src="$root/resources/icon/velquin.mvg"
out="$root/resources/icon/velquin.ico"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# Drawn once at full size, on a transparent ground, then scaled down.
convert -size 256x256 -background none "mvg:$src" "$tmp/256.png"
sizes=()
for s in 16 24 32 48; do
  convert "$tmp/256.png" -filter Lanczos -resize "${s}x${s}" "$tmp/$s.png"
  sizes+=("$tmp/$s.png")
done
convert "${sizes[@]}" "$tmp/256.png" "$out"
echo "$out"
