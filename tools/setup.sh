#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine
# (skipping what is there already) and generates the Japanese locale.
set -euo pipefail
need=()
# clang and its runtime (libFuzzer and the sanitizers) build the fuzz
# targets; libclang-rt-dev is the one that matches the default clang.
for pkg in cmake g++ make libgtest-dev googletest mingw-w64 wine wine64 \
           xvfb fonts-ipafont locales imagemagick clang libclang-rt-dev \
           libdtl-dev ccache; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${need[@]}"
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen
fi
