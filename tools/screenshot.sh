#!/usr/bin/env bash
# Starts the window program on a virtual X display with two generated books given on its command
# line, and saves screenshots of the main window with them in its list, of the page preview of
# the first (with its page number box), of the settings dialog and of a Qt dialog (to see it
# speaks Japanese), to check by eye that the text renders and nothing is clipped. Then a second
# copy, set to save without asking, converts four books: the question about a file already
# there over the batch in progress, the error box of a book gone missing with its reason at the
# run's end, and the result column after the run (one 〓 count, one failure with its reason as tooltip).
#
#   tools/screenshot.sh [PROGRAM] [OUTPUT_FOLDER]
#
# PROGRAM defaults to build/release/src/app/pagelume, OUTPUT_FOLDER to build/screenshots.
# Needs Xvfb, xwininfo (x11-utils), ImageMagick's import, libXtst and python3, and a Japanese
# font (fonts-noto-cjk) for the text; `tools/install-deps.sh --gui-tools` installs most of them.
set -euo pipefail
cd "$(dirname "$0")/.."

program=${1:-build/release/src/app/pagelume}
out=${2:-build/screenshots}
[ -x "$program" ] || { echo "no program at $program; build it first" >&2; exit 1; }
mkdir -p "$out"

# A display number nobody uses.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
export DISPLAY=":$display"

pids=()
cleanup() {
  # The program first, then its display.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

# A settings folder of its own, so the run leaves the user's settings alone.
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
books=$(mktemp -d)
python3 tools/make_book.py 0.05 "$books/吾輩は猫である.txt" >/dev/null
python3 - "$books/walden-utf8.txt" <<'PY'
import sys
text = "森の生活\n\n　私はひとりで森の中に住んでいた。いちばん近い隣家から一マイルも離れていた。\n" * 40
open(sys.argv[1], "w", encoding="utf-8").write(text)
PY
QT_QPA_PLATFORM=xcb "$program" "$books/吾輩は猫である.txt" "$books/walden-utf8.txt" &
pids+=($!)

# The id of the first top-level window whose name is exactly $1.
window_id() {
  xwininfo -root -tree | awk -v name="\"$1\":" '
    index($0, name) { print $1; exit }'
}

wait_for_window() {
  local id=""
  for _ in $(seq 100); do
    id=$(window_id "$1")
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "window \"$1\" did not appear" >&2
  return 1
}

# Key presses, pointer moves and clicks through the XTest extension.
xtest() {
  python3 - "$@" <<'PY'
import ctypes, sys, time
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
display = ctypes.c_void_p(x11.XOpenDisplay(None))
for step in sys.argv[1:]:
    if step.startswith("move:"):
        x, y = (int(v) for v in step[5:].split(","))
        xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    elif step == "click":
        xtst.XTestFakeButtonEvent(display, 1, 1, 0)
        xtst.XTestFakeButtonEvent(display, 1, 0, 0)
    else:
        codes = [x11.XKeysymToKeycode(display, x11.XStringToKeysym(k.encode())) for k in step.split("+")]
        for code in codes:
            xtst.XTestFakeKeyEvent(display, code, 1, 0)
        for code in reversed(codes):
            xtst.XTestFakeKeyEvent(display, code, 0, 0)
    x11.XFlush(display)
    time.sleep(0.3)
PY
}

# A point of window $1, $2 and $3 pixels from its top left corner.
point_in() {
  xwininfo -id "$1" | awk -v dx="$2" -v dy="$3" '/Absolute upper-left X/ {x=$4}
    /Absolute upper-left Y/ {y=$4} END {printf "%d,%d", x + dx, y + dy}'
}

main_window=$(wait_for_window "Pagelume for infoCarry  Version 2.0.1")
sleep 1 # let the first paint finish
import -window "$main_window" "$out/main-window.png"
echo "saved $out/main-window.png"

# The second entry (UTF-8) selected: its text in the preview.
xtest "move:$(point_in "$main_window" 60 84)" click
sleep 1
import -window "$main_window" "$out/text-preview-utf8.png"
echo "saved $out/text-preview-utf8.png"

# The first entry, and the tab of its pages.
xtest "move:$(point_in "$main_window" 60 66)" click "move:$(point_in "$main_window" 352 72)" click
sleep 2
import -window "$main_window" "$out/page-preview.png"
echo "saved $out/page-preview.png"

# A click on the menu "設定(&C)" (second in the menu bar), then its one entry "設定...(&C)".
xtest "move:$(point_in "$main_window" 105 11)" click Down Return
dialog=$(wait_for_window "設定")
sleep 1
import -window "$dialog" "$out/settings-dialog.png"
echo "saved $out/settings-dialog.png"
# Enter applies and closes it (its default button); then the open dialog (Ctrl+O), one of Qt's
# own, to see that it speaks Japanese too.
xtest Return
sleep 1
xtest "move:$(point_in "$main_window" 150 200)" click Control_L+o
sleep 2
import -window root "$out/open-dialog.png"
echo "saved $out/open-dialog.png"

xtest Escape
sleep 0.5
kill "${pids[-1]}" 2>/dev/null || true
wait "${pids[-1]}" 2>/dev/null || true
unset 'pids[-1]'

# A portable copy whose settings save without asking into a folder of its own.
portable=$(mktemp -d)
saved=$(mktemp -d)
cp "$program" data/read201.txt "$portable/"
printf '[setting]\r\nsavepath=%s\r\n[pagelume]\r\nsavewithoutasking=1\r\n' "$saved" \
  > "$portable/pglm201.cfg"
printf '%s\n' "𠮷野の里" "" "　𠮷野の桜は、今年もよく咲いた。" > "$books/𠮷野の里.txt"
echo "消える本" > "$books/消えた本.txt"
echo "earlier" > "$saved/walden-utf8.txt"
QT_QPA_PLATFORM=xcb "$portable/pagelume" "$books/吾輩は猫である.txt" "$books/消えた本.txt" \
  "$books/walden-utf8.txt" "$books/𠮷野の里.txt" &
pids+=($!)
main_window=$(wait_for_window "Pagelume for infoCarry  Version 2.0.1")
rm "$books/消えた本.txt"
sleep 1
# All four entries selected, the first in focus (a missing one would have its preview fail), then
# 整形.
xtest "move:$(point_in "$main_window" 60 120)" click Shift_L+Home \
  "move:$(point_in "$main_window" 126 40)" click
question=$(wait_for_window "上書きの確認")
sleep 1
import -window root "$out/batch-replace-question.png"
echo "saved $out/batch-replace-question.png"
xtest Return # 置き換える
# The failures of such a run are told once, at its end.
error_box=$(wait_for_window "Pagelume for infoCarry")
sleep 1
import -window root "$out/error-reason.png"
echo "saved $out/error-reason.png"
xtest Return
sleep 1
# The pointer over the failed entry's result: its reason as tooltip (shown in an active window
# only, so the foot of the window is clicked first).
xtest "move:$(point_in "$main_window" 300 560)" click "move:$(point_in "$main_window" 225 84)" \
  "move:$(point_in "$main_window" 226 85)"
sleep 2
import -window root "$out/result-column.png"
echo "saved $out/result-column.png"
