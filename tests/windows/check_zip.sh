#!/usr/bin/env bash
# The Windows download as a reader gets it: pagelume-<version>-win64.zip unpacked into a fresh
# folder holds exactly the converter, LICENSE, THIRD-PARTY.txt and 使い方.txt, and the converter
# run from there under Wine writes the same pages as the Linux build for a generated book.
#
# Usage: check_zip.sh ZIP LINUX_PAGELUME_CONVERT
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
zip=$(readlink -f "${1:?the Windows zip}")
linux_convert=$(readlink -f "${2:?the Linux pagelume-convert}")
name=$(basename "$zip" .zip)

work=$(mktemp -d "${TMPDIR:-/tmp}/pagelume-zip.XXXXXX")
export WINEPREFIX="$work/wine"
finish() {
  for server in wineserver wineserver64 /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
    if command -v "$server" >/dev/null 2>&1; then
      "$server" -k 2>/dev/null || true
      "$server" -w 2>/dev/null || true
      break
    fi
  done
  rm -rf "$work"
}
trap finish EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mkdir "$work/unpacked"
(cd "$work/unpacked" && python3 -m zipfile -e "$zip" .)
listing=$(cd "$work/unpacked" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
expected=$(printf '%s\n' "$name/LICENSE" "$name/THIRD-PARTY.txt" "$name/pagelume-convert.exe" \
  "$name/使い方.txt" | LC_ALL=C sort)
[ "$listing" = "$expected" ] || fail "the zip holds"$'\n'"$listing"$'\n'"instead of"$'\n'"$expected"

cd "$work"
python3 "$root/tools/make_book.py" 0.1 book.txt >/dev/null
for options in "" "--split 40" "--line-spacing 2 --header --header-name" "--aozora --kinsoku"; do
  rm -rf linux windows
  mkdir linux windows
  # shellcheck disable=SC2086 # the options are words
  "$linux_convert" $options -d linux book.txt >/dev/null 2>&1 || fail "Linux build failed: $options"
  # shellcheck disable=SC2086
  "$root/cmake/wine-run.sh" "$work/unpacked/$name/pagelume-convert.exe" $options -d windows book.txt \
    >/dev/null 2>&1 || fail "the unpacked exe failed under Wine: $options"
  if ! diff -r linux windows >/dev/null || [ -z "$(ls linux)" ]; then
    fail "the unpacked exe's pages differ from the Linux build's: ${options:-no options}"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s) in $zip"
  exit 1
fi
echo "ok: $name.zip unpacks to its four files and converts as the Linux build does"
