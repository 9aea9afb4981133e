#!/usr/bin/env bash
# The man page and the bash completion are written by hand; this fails when either misses an
# option that `pagelume-convert --help` lists, or names one it does not, or when the encoding
# names they (and --help) give for --encoding are not the ones the program takes.
# Usage: check_option_lists.sh PAGELUME_CONVERT MAN_PAGE COMPLETION
set -euo pipefail

program=$1 man_page=$2 completion=$3

# The options a text names, one a line, sorted: long ones and single-letter short ones.
options_in() {
    grep -oE -- '(^|[^[:alnum:]-])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' |
        grep -vxE -- '-[a-z][a-z-]+' | sort -u
}

# --help lists an option at the start of its line, indented.
from_help=$("$program" --help | grep -E '^ +-' | options_in)
# roff writes "-" as "\-" and switches fonts with "\fB" and the like.
from_man=$(gzip -cdf "$man_page" | sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' | options_in)
# What the completion offers for a word that starts with "-".
from_completion=$(bash -c '
    source "$1"
    function=$(complete -p pagelume-convert | grep -oE -- "-F [^ ]+" | cut -c4-)
    COMP_WORDS=(pagelume-convert -) COMP_CWORD=1 COMPREPLY=()
    "$function"
    printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" | sort -u)

status=0
compare() {
    local name=$1 found=$2
    if [ "$found" != "$from_help" ]; then
        echo "$name does not name the options --help lists (< only in --help, > only in $name):"
        diff <(echo "$from_help") <(echo "$found") | grep '^[<>]' || true
        status=1
    fi
}
[ -n "$from_help" ] || { echo "no options found in the output of $program --help"; exit 1; }
compare "$man_page" "$from_man"
compare "$completion" "$from_completion"

# The encodings: the program names the ones it takes when refused one it lacks.
encodings=$({ "$program" --encoding '?' - </dev/null 2>&1 || true; } | grep -o "takes .*, not" |
    sed -e 's/^takes //' -e 's/, not$//' -e 's/ or /, /' | tr ',' '\n' | tr -d ' ' | sort -u)
[ -n "$encodings" ] || { echo "$program names no encodings"; exit 1; }
offered=$(bash -c '
    source "$1"
    function=$(complete -p pagelume-convert | grep -oE -- "-F [^ ]+" | cut -c4-)
    COMP_WORDS=(pagelume-convert --encoding "") COMP_CWORD=2 COMPREPLY=()
    "$function"
    printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" | sort -u)
if [ "$offered" != "$encodings" ]; then
    echo "$completion does not offer the encodings --encoding takes (< taken, > offered):"
    diff <(echo "$encodings") <(echo "$offered") | grep '^[<>]' || true
    status=1
fi
# --help and the man page (its --encoding paragraph) name every one.
man_encoding=$(gzip -cdf "$man_page" | sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' |
    sed -n '/^\.BI --encoding/,/^\.TP/p')
help_encoding=$("$program" --help | sed -n '/--encoding/,/^      --aozora/p')
for name in $encodings; do
    grep -qw -- "$name" <<<"$man_encoding" || { echo "$man_page misses encoding $name"; status=1; }
    grep -qw -- "$name" <<<"$help_encoding" || { echo "--help misses encoding $name"; status=1; }
done
exit $status
