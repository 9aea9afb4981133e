#!/usr/bin/env bash
# What `make test-windows` runs once both builds are there: the Windows build's tests under Wine,
# headless and in a throw-away Wine prefix, then the end-to-end comparison of its converter with
# the Linux one.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/pagelume-wine.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY

wineserver=""
for candidate in wineserver wineserver64 /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
  if command -v "$candidate" >/dev/null 2>&1; then
    wineserver=$(command -v "$candidate")
    break
  fi
done
finish() {
  if [ -n "$wineserver" ]; then
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
  fi
  rm -rf "$WINEPREFIX"
}
trap finish EXIT

# The prefix is set up before anything runs in it, rather than by the first tests at once; Wine's
# notes about it are no news. Then one Wine server serves every test: started and stopped per
# program it would cost time, and a program may start just as the last server is going away.
# Wine's own background programs start with the server's first program and keep its output
# open, so that first program is a wineboot that writes nowhere rather than a test.
cmake/wine-run.sh wineboot -u </dev/null >/dev/null 2>&1
if [ -n "$wineserver" ]; then
  "$wineserver" -w
  "$wineserver" -p
  cmake/wine-run.sh wineboot </dev/null >/dev/null 2>&1
fi
# Now and then a program started under Wine dies at once without a word (a start-up race in Wine,
# not in the program); a test that fails is run again, and one that fails three times fails.
ctest --preset windows-cross --repeat until-pass:3
bash tests/windows/e2e_wine.sh build/windows-cross build/release/src/cli/pagelume-convert
