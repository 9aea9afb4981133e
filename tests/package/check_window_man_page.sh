#!/usr/bin/env bash
# The window program's man page names every setting the readme lists (the readme is kept in step
# with the settings dialog by the window's own tests).
#   check_window_man_page.sh README(Shift_JIS) MAN_PAGE
set -euo pipefail
readme=$1
man_page=$2

# The readme's settings: the lines "・caption" of its section ■ 設定, up to the next ■.
settings=$(iconv -f CP932 -t UTF-8 "$readme" | tr -d '\r' |
    awk '/^■ / { inside = ($0 == "■ 設定") } inside' | sed -n 's/^・//p')
[ -n "$settings" ] || { echo "no settings found in $readme" >&2; exit 1; }

missing=0
while IFS= read -r setting; do
    # Each one stands as the tag of its own paragraph (.TP) in the man page.
    if ! grep -qxF -- "$setting" "$man_page"; then
        echo "the man page lacks the setting \"$setting\"" >&2
        missing=$((missing + 1))
    fi
done <<<"$settings"
echo "$(wc -l <<<"$settings") settings checked"
[ "$missing" -eq 0 ]
