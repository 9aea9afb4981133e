#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, headless; CTest and the test discovery
# call it in front of every test program. It uses the Wine prefix in WINEPREFIX (make
# test-windows sets a throw-away one); without one, a prefix of its own under the temporary
# folder, never the user's ~/.wine.
set -euo pipefail

wine=""
for candidate in wine64 wine /usr/lib/wine/wine64; do
  if command -v "$candidate" >/dev/null 2>&1; then
    wine=$(command -v "$candidate")
    break
  fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: Wine is not installed (Debian package wine64)" >&2
  exit 127
fi

export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/pagelume-wine-$(id -u)}"
# Wine's own diagnostics would mix with the program's stderr, which tests compare.
export WINEDEBUG="${WINEDEBUG:--all}"
# Console programs need no display; without one Wine does not try to open a window.
unset DISPLAY WAYLAND_DISPLAY

# A new prefix is set up once, before any program runs in it; tests started side by side must not
# both set it up.
if [ ! -e "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.setup-lock" bash -c \
    '[ -e "$WINEPREFIX/system.reg" ] || "$0" wineboot -u </dev/null >/dev/null 2>&1' "$wine"
fi
exec "$wine" "$@"
