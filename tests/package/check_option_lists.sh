#!/usr/bin/env bash
# The man page and the bash completion are written by hand; this fails when either misses an
# option that `pagelume-convert --help` lists, or names one it does not.
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
exit $status
