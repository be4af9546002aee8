# Sourced: a private Wine prefix under build-win/, booted once, and one wineserver that
# stays up while the tests run (each test program then starts in a fraction of a second).
# `wine_up` starts it, `wine_down` stops it.
export WINEPREFIX="$PWD/build-win/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts at boot
wine_up() {
  mkdir -p "$WINEPREFIX"
  wineserver -k 2>/dev/null || true  # a server left persistent by an earlier run would never end
  # The first boot makes the prefix (a minute); later ones find it made. Its server is
  # waited for, then the persistent one is started.
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  # Detached from our output: a server holding a pipe open would keep its reader waiting.
  wineserver -p </dev/null >/dev/null 2>&1
  # The first program starts Wine's services, which stay with the server and keep whatever
  # output they were given: start them here, on /dev/null, and not inside a test's pipe.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
wine_down() {
  wineserver -k 2>/dev/null || true
}
