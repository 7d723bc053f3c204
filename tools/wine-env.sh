# Sourced by the Wine scripts: the project's own Wine prefix under build/,
# a Japanese locale (ANSI code page 932), and no debug chatter.
VELQUIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VELQUIN_WINEPREFIX:-$VELQUIN_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8

# Creates the prefix once. Windows, messages and clicks work without any
# display through Wine's null graphics driver; screenshots switch it to x11.
velquin_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.velquin-ready" ]; then
    mkdir -p "$WINEPREFIX"
    DISPLAY= wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.velquin-ready"
  fi
}

velquin_wine_driver() {  # null | x11
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$1" /f >/dev/null 2>&1
  # Japanese UI font: the window asks for its usual Japanese face; point it
  # at the IPA fonts that Debian provides.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'IPAGothic' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f >/dev/null 2>&1
}
