#!/usr/bin/env bash
# The Windows pagelume-convert.exe under Wine, held to the Linux build: the same output bytes,
# messages and exit status for the same source and settings (a generated book with every spread
# of settings, the book in every encoding the input stage reads, every character of code page 932
# and of JIS X 0212, bytes that are no text), Japanese file names for sources and outputs, and
# "HomePath" written with Wine's reg tool and read back through the Windows registry API.
#
# Usage: e2e_wine.sh WINDOWS_BUILD_DIR LINUX_PAGELUME_CONVERT
# WINEPREFIX should name a throw-away prefix (tests/windows/test-under-wine.sh sets one up).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
windows_build=$(cd "${1:?the Windows build folder}" && pwd)
linux_convert=$(readlink -f "${2:?the Linux pagelume-convert}")
wine_run="$root/cmake/wine-run.sh"
windows_convert="$windows_build/src/cli/pagelume-convert.exe"
print_home="$windows_build/tests/platform/print_infocarry_home.exe"

work=$(mktemp -d "${TMPDIR:-/tmp}/pagelume-e2e-wine.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

checks=0
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

windows() { "$wine_run" "$windows_convert" "$@"; }

# Both converters with the same arguments, output to standard output: the bytes written, the
# messages (Windows ends their lines with CR LF) and the exit status must agree.
same() {
  local label=$1
  shift
  local linux_status=0 windows_status=0
  checks=$((checks + 1))
  "$linux_convert" "$@" >linux.out 2>linux.err || linux_status=$?
  windows "$@" >windows.out 2>windows.err || windows_status=$?
  tr -d '\r' <windows.err >windows.err.lf
  if [ "$linux_status" != "$windows_status" ]; then
    fail "$label: exit status $linux_status on Linux, $windows_status on Windows"
  elif ! cmp -s linux.out windows.out; then
    fail "$label: output differs ($(stat -c %s linux.out) and $(stat -c %s windows.out) bytes)"
  elif ! cmp -s linux.err windows.err.lf; then
    fail "$label: messages differ"
    diff linux.err windows.err.lf | head -5
  fi
}

# --- A generated book with the settings spread of ../shared/tools/compare-outputs ---------------

python3 "$root/tools/make_book.py" 0.2 book.txt
combos=(
  ""
  "--line-spacing 1 --char-size 1 --blank-column 0"
  "--line-spacing 2 --blank-column 2 --verse"
  "--line-spacing 3 --char-size 1 --header"
  "--line-spacing 4 --blank-column 1 --header --verse"
  "--blank-column 2 --char-size 1 --verse --header"
)
for combo in "${combos[@]}"; do
  # shellcheck disable=SC2086
  same "book ${combo:-(defaults)}" $combo -o - book.txt
done

# Standard input and output carry bytes, not text: no CR is added or dropped on the way.
checks=$((checks + 1))
"$linux_convert" -o - - <book.txt >linux.out
windows -o - - <book.txt >windows.out
cmp -s linux.out windows.out || fail "standard input to standard output: the bytes differ"

# A split into numbered files: the same names and the same bytes in each.
mkdir linux-split windows-split
"$linux_convert" --split 20 -d linux-split book.txt
windows --split 20 -d windows-split book.txt
checks=$((checks + 1))
if ! diff -r linux-split windows-split >/dev/null; then
  fail "split: the numbered files differ"
  diff -rq linux-split windows-split | head -5
fi

# --- Other encodings --------------------------------------------------------------------------

python3 - <<'PY'
text = open("book.txt", "rb").read().decode("cp932")
for name, data in [
    ("book-utf8.txt", text.encode("utf-8")),
    ("book-utf8-bom.txt", b"\xef\xbb\xbf" + text.encode("utf-8")),
    ("book-utf16le.txt", b"\xff\xfe" + text.encode("utf-16-le")),
    ("book-utf16be.txt", b"\xfe\xff" + text.encode("utf-16-be")),
    ("book-eucjp.txt", text.encode("euc_jp")),
    ("book-iso2022jp.txt", text.encode("iso2022_jp_ext")),
]:
    open(name, "wb").write(data)

# Every character of code page 932 (NEC and IBM rows included), in UTF-8 and UTF-16.
chars = []
for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
        try:
            chars.append(bytes([lead, trail]).decode("cp932"))
        except UnicodeDecodeError:
            pass
repertoire = "".join("".join(chars[i:i + 40]) + "\r\n" for i in range(0, len(chars), 40))
open("cp932-utf8.txt", "wb").write(repertoire.encode("utf-8"))
open("cp932-utf16le.txt", "wb").write(b"\xff\xfe" + repertoire.encode("utf-16-le"))

# Every two-byte EUC-JP code, every JIS X 0212 code and the half-width katakana as raw bytes,
# assigned or not, 40 to a line; and JIS X 0212 once more as ISO-2022-JP.
def lines(codes):
    return b"".join(b"".join(codes[i:i + 40]) + b"\r\n" for i in range(0, len(codes), 40))
cells = range(0xA1, 0xFF)
open("euc-jis0208.txt", "wb").write(lines([bytes([a, b]) for a in cells for b in cells]))
open("euc-jis0212.txt", "wb").write(
    lines([bytes([0x8F, a, b]) for a in cells for b in cells] +
          [bytes([0x8E, k]) for k in range(0xA1, 0xE0)]))
open("iso2022-jis0212.txt", "wb").write(
    b"".join(b"\x1b$(D" + bytes(sum(([a - 0x80, b - 0x80] for b in cells), [])) + b"\x1b(B\r\n"
             for a in cells))

# Bytes that are no text in the encoding they are taken in: every byte and byte pair.
everything = bytes(range(256)) + bytes(b for a in range(0x80, 0x100) for b in (a, 0x41, a, 0xA1))
open("soup.txt", "wb").write(everything * 4)
PY

for source in book-utf8.txt book-utf8-bom.txt book-utf16le.txt book-utf16be.txt book-eucjp.txt \
  book-iso2022jp.txt cp932-utf8.txt cp932-utf16le.txt; do
  same "$source" --verse -o - "$source"
done
same "book in UTF-8, told" --encoding utf-8 -o - book-utf8.txt
same "book in EUC-JP, told" --encoding euc-jp -o - book-eucjp.txt
same "JIS X 0208 cells in EUC-JP" --verse --encoding euc-jp -o - euc-jis0208.txt
same "JIS X 0212 cells in EUC-JP" --verse --encoding euc-jp -o - euc-jis0212.txt
same "JIS X 0212 cells in ISO-2022-JP" --verse -o - iso2022-jis0212.txt
for encoding in auto sjis utf-8 euc-jp; do
  same "byte soup as $encoding" --verse --encoding "$encoding" -o - soup.txt
done

# --- Japanese file names ----------------------------------------------------------------------

cp book.txt 吾輩は猫である.txt
"$linux_convert" -o - book.txt >expected.out
checks=$((checks + 1))
if ! windows -o 縦書き.txt 吾輩は猫である.txt; then
  fail "Japanese names: the conversion failed"
elif ! cmp -s expected.out 縦書き.txt; then
  fail "Japanese names: 縦書き.txt is missing or differs"
fi

# An output folder with a Japanese name, and an output named after the book's title and author.
mkdir 出力 linux-出力
"$linux_convert" --header --header-name -d linux-出力 吾輩は猫である.txt
checks=$((checks + 1))
if ! windows --header --header-name -d 出力 吾輩は猫である.txt; then
  fail "title as the name: the conversion failed"
elif ! diff -r linux-出力 出力 >/dev/null; then
  fail "title as the name: $(ls 出力) on Windows, $(ls linux-出力) on Linux"
fi

# --- A batch on four workers: the same files, messages and exit status as Linux on one ------------

mkdir -p shelf linux-shelf windows-shelf
for n in 1 2 3 4 5 6; do python3 "$root/tools/make_book.py" "0.0$n" "shelf/book$n.txt" "$n"; done
printf 'x' >windows-shelf/book3.txt && cp windows-shelf/book3.txt linux-shelf/book3.txt
batch=(shelf/book1.txt shelf/book2.txt missing.txt shelf/book3.txt shelf/book4.txt shelf/book1.txt
  shelf/book5.txt shelf/book6.txt)
checks=$((checks + 1))
linux_status=0 windows_status=0
"$linux_convert" -j 1 -d linux-shelf "${batch[@]}" 2>linux.err || linux_status=$?
windows -j 4 -d windows-shelf "${batch[@]}" 2>windows.err || windows_status=$?
tr -d '\r' <windows.err | sed 's/windows-shelf/linux-shelf/g' >windows.err.lf
if [ "$linux_status" != "$windows_status" ] || ! cmp -s linux.err windows.err.lf ||
  ! diff -r linux-shelf windows-shelf >/dev/null; then
  fail "batch on four workers: exit $linux_status and $windows_status, or the messages or files differ"
  diff linux.err windows.err.lf | head -5
fi

# --- The infoCarry Manager's "HomePath" through the registry ------------------------------------

key='HKCU\Software\Sony Corporation\infoCarry\infoCarry Manager'
home_is() {
  local expected=$1 label=$2 got
  checks=$((checks + 1))
  got=$("$wine_run" "$print_home")
  [ "$got" = "$expected" ] || fail "HomePath $label: '$got', not '$expected'"
}
"$wine_run" reg delete "$key" /f >/dev/null 2>&1 || true
home_is "absent" "before it is written"
"$wine_run" reg add "$key" /v HomePath /t REG_SZ /d 'C:\users\本棚' /f >/dev/null
home_is 'found C:\users\本棚' "as a string"
"$wine_run" reg add "$key" /v HomePath /t REG_EXPAND_SZ /d '%USERPROFILE%\infoCarry' /f >/dev/null
home_is 'found %USERPROFILE%\infoCarry' "as an expandable string"
"$wine_run" reg add "$key" /v HomePath /t REG_DWORD /d 7 /f >/dev/null
home_is "not a string" "as a number"
"$wine_run" reg delete "$key" /f >/dev/null

echo "$((checks - failures)) of $checks end-to-end checks under Wine passed"
[ "$failures" -eq 0 ]
