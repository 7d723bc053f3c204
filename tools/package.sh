#!/usr/bin/env bash
# Makes the archive handed to users (build/win32/Velquin-<version>.zip),
# lists it, unpacks it into a fresh folder and starts the unpacked
# Velquin.exe there under Wine, as a user who double-clicks it: the first
# start's message, the window, the settings file written at close.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root/build/win32"
cpack >/dev/null
zip="$(ls -t Velquin-*.zip | head -1)"
echo "$root/build/win32/$zip:"
cmake -E tar tf "$zip"
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$root/build/win32/$zip")
folder="$(ls -d "$unpacked"/Velquin-*)"
source "$root/tools/wine-env.sh"
VELQUIN_EXE="$(winepath -w "$folder/Velquin.exe")" \
VELQUIN_START="$(winepath -w "$folder")" \
  "$root/tools/wine-run.sh" tests/velquin_wine_tests.exe \
  --gtest_filter='Executable.FirstStart*' --gtest_brief=1
