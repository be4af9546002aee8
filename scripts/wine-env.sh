# Sourced: a private Wine prefix under build-win/, booted once, and one wineserver that
# stays up while the tests run (each test program then starts in a fraction of a second).
# `wine_up` starts it, `wine_down` stops it.
export WINEPREFIX="$PWD/build-win/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts at boot
wine_up() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
  # The first boot makes the prefix (a minute); later ones find it made.
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  wineserver -p
}
wine_down() {
  wineserver -k 2>/dev/null || true
}
