#!/usr/bin/env bash
# Builds the Debian package (make package), installs it with apt-get and checks that what it
# installed is in place and works: both programs, their man pages, the bash completion, the menu
# entry, the AppStream listing, the readme, the changelog and licence notices, and the settings
# folder of a user who cannot write to /usr/bin; lintian finds no error or warning. A package this script installed is removed again at the end; one that was
# installed before is left installed (the new build in its place).
# Runs as root or through sudo, on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/../.."

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

failures=0
pass() { echo "ok: $*"; }
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

version=$(sed -n 's/^project(Pagelume VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
deb=build/release/pagelume_${version}_amd64.deb

rm -f "$deb"
make package
[ -f "$deb" ] || { echo "make package did not make $deb" >&2; exit 1; }
pass "make package made $deb"

# --- The package itself -------------------------------------------------------------------------
failures_before=$failures
info=$(dpkg-deb -f "$deb")
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[ "$(dpkg-deb -f "$deb" Package)" = pagelume ] || fail "package name is not pagelume"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
# dpkg-shlibdeps found the Qt and C++ libraries; the two added by hand are there too.
depended_on=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for needed in libqt6widgets6 libqt6core6 libstdc++6 libc6 fonts-noto-cjk qt6-translations-l10n; do
    grep -qxF "$needed" <<<"$depended_on" || fail "Depends lacks $needed"
done
grep -q '^Maintainer: .*<.*@.*>' <<<"$info" || fail "no Maintainer with an address"
grep -q '^Description: ' <<<"$info" || fail "no Description"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
expected_files=(
    /usr/bin/pagelume
    /usr/bin/pagelume-convert
    /usr/share/applications/pagelume.desktop
    /usr/share/icons/hicolor/scalable/apps/pagelume.svg
    /usr/share/metainfo/io.github.pagelume.Pagelume.metainfo.xml
    /usr/share/pagelume/read201.txt
    /usr/share/man/man1/pagelume.1.gz
    /usr/share/man/man1/pagelume-convert.1.gz
    /usr/share/doc/pagelume/changelog.gz
    /usr/share/doc/pagelume/copyright
    /usr/share/doc/pagelume/LICENSE
    /usr/share/doc/pagelume/THIRD-PARTY.txt
    /usr/share/bash-completion/completions/pagelume-convert
)
for file in "${expected_files[@]}"; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
# Only what is listed above (and the folders that hold it): no tests, benchmarks or libraries.
unexpected=$(grep -v '/$' <<<"$contents" | grep -vxF -f <(printf '%s\n' "${expected_files[@]}") || true)
[ -z "$unexpected" ] || fail "the package holds files nobody asked for: $unexpected"
[ "$failures" -eq "$failures_before" ] && pass "package fields and contents"

# Debian's own checks: no error and no warning (overrides, if ever needed, say why).
if lintian --fail-on error,warning --tag-display-limit 0 "$deb"; then
    pass "lintian: no error or warning"
else
    fail "lintian found errors or warnings"
fi

# --- Installing -----------------------------------------------------------------------------
installed_before=false
dpkg-query -W -f='${Status}' pagelume 2>/dev/null | grep -q "install ok installed" &&
    installed_before=true
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb"
dpkg-query -W -f='${Status} ${Version}' pagelume | grep -qx "install ok installed $version" ||
    { echo "apt-get did not install pagelume $version" >&2; exit 1; }
pass "apt-get installed pagelume $version"

work=$(mktemp -d)
# The ordinary user below must reach a folder inside.
chmod 755 "$work"
finish() {
    $sudo rm -rf "$work"
}
trap finish EXIT

# --- pagelume-convert ---------------------------------------------------------------------------
[ "$(command -v pagelume-convert)" = /usr/bin/pagelume-convert ] ||
    fail "pagelume-convert is not /usr/bin/pagelume-convert on PATH"
if out=$(pagelume-convert --version) && grep -qF "$version" <<<"$out"; then
    pass "pagelume-convert --version: $out"
else
    fail "pagelume-convert --version did not run or did not say $version"
fi

# あい (Shift_JIS) as a one-line source: one page of CR LF, 23 rows of 40 bytes and CR LF, CR LF.
printf '\x82\xa0\x82\xa2\r\n' >"$work/t.txt"
if (cd "$work" && pagelume-convert t.txt -o out.txt); then
    size=$(stat -c %s "$work/out.txt")
    if [ "$size" -eq $((2 + 42 * 23 + 2)) ] && grep -q $'\x82\xa0' "$work/out.txt" &&
        grep -q $'\x82\xa2' "$work/out.txt"; then
        pass "converted a Shift_JIS text into one page of $size bytes"
    else
        fail "the converted page is $size bytes, not 970, or lacks its two characters"
    fi
else
    fail "pagelume-convert exited with status $? on a two-character text"
fi

# --- Man pages and completion -------------------------------------------------------------------
for program in pagelume pagelume-convert; do
    man_page=/usr/share/man/man1/$program.1.gz
    if grep -qs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
        # A slimmed image drops man pages on install; the package contents were checked above.
        echo "note: dpkg excludes /usr/share/man here; $man_page is checked in the package only"
    elif [ "$(man -w "$program" 2>/dev/null)" != "$man_page" ]; then
        fail "man -w $program does not find $man_page"
    else
        # The same check as lintian's: groff's warnings while formatting.
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
            man --warnings -E UTF-8 -l -Tutf8 -Z "$man_page" 2>&1 >/dev/null)
        if [ -z "$warnings" ]; then
            pass "man page $man_page"
        else
            fail "man page warnings: $warnings"
        fi
    fi
done

completion=/usr/share/bash-completion/completions/pagelume-convert
# What the completion function offers for the words given (the last one being completed), run
# in $completion_folder so that file names are predictable.
completion_folder=.
complete_words() {
    cd "$completion_folder" && bash -c '
        completion=$1
        shift
        source "$completion"
        COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=()
        _pagelume_convert
        printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" "$@" | sort | xargs
}
check_completion() {
    local expected=$1
    shift
    local offered
    offered=$(complete_words "$@")
    if [ "$offered" = "$expected" ]; then
        pass "completion of '$*': $offered"
    else
        fail "completion of '$*' offers '$offered', not '$expected'"
    fi
}
if [ -f "$completion" ]; then
    check_completion "auto euc-jp iso-2022-jp sjis utf-16be utf-16le utf-8" pagelume-convert --encoding ""
    check_completion "utf-16be utf-16le utf-8" pagelume-convert --encoding = u
    check_completion "drop paren" pagelume-convert --aozora --ruby ""
    check_completion "0 1 2 3 4" pagelume-convert --line-spacing ""
    check_completion "0 1" pagelume-convert --char-size ""
    check_completion "0 1 2" pagelume-convert --blank-column ""
    processors=$(getconf _NPROCESSORS_ONLN)
    [ "$processors" -le 256 ] || processors=256
    check_completion "$(seq 1 "$processors" | sort | xargs)" pagelume-convert -j ""
    check_completion "$(seq 1 "$processors" | sort | xargs)" pagelume-convert --jobs ""
    completion_folder="$work/completion"
    mkdir -p "$completion_folder/folder"
    touch "$completion_folder/file.txt"
    check_completion "folder" pagelume-convert -d ""
    check_completion "file.txt folder" pagelume-convert --settings ""
    check_completion "file.txt folder" pagelume-convert -o ""
    check_completion "file.txt folder" pagelume-convert ""
else
    fail "no $completion"
fi
# Every option of --help, and none it lacks, in the installed man page and completion.
if tests/package/check_option_lists.sh /usr/bin/pagelume-convert "$man_page" "$completion"; then
    pass "man page and completion name every option of --help"
else
    fail "man page or completion out of step with --help"
fi

# --- Desktop files ------------------------------------------------------------------------------
desktop=/usr/share/applications/pagelume.desktop
if desktop-file-validate "$desktop"; then
    pass "desktop-file-validate $desktop"
else
    fail "desktop-file-validate $desktop"
fi
grep -qx 'Exec=pagelume %F' "$desktop" || fail "$desktop does not start pagelume with files"
grep -qx 'Icon=pagelume' "$desktop" || fail "$desktop does not name the pagelume icon"
metainfo=/usr/share/metainfo/io.github.pagelume.Pagelume.metainfo.xml
if appstreamcli validate --no-net "$metainfo"; then
    pass "appstreamcli validate --no-net $metainfo"
else
    fail "appstreamcli validate --no-net $metainfo"
fi
# Both are written by hand: a new version must reach them too.
grep -qF "<release version=\"$version\"" "$metainfo" ||
    fail "$metainfo has no release $version"
grep -q "^\.TH .*\"Pagelume $version\"" data/pagelume-convert.1 ||
    fail "data/pagelume-convert.1 is not headed Pagelume $version"
icon=/usr/share/icons/hicolor/scalable/apps/pagelume.svg
file -b "$icon" | grep -q 'SVG' || fail "$icon is not an SVG image"

# --- The window program's files -----------------------------------------------------------------
readme=/usr/share/pagelume/read201.txt
if cmp -s "$readme" data/read201.txt; then
    pass "$readme"
else
    fail "$readme is missing or differs from data/read201.txt"
fi
# The program looks for it in the data folder compiled in, which must be this one.
grep -qaF /usr/share/pagelume /usr/bin/pagelume ||
    fail "/usr/bin/pagelume was not built to look for its readme in /usr/share/pagelume"

# A user who cannot write to /usr/bin gets the settings folder under XDG_CONFIG_HOME; the program
# makes it as it starts, before its window opens. The window program must then keep running.
nobody_home="$work/home"
mkdir -m 700 "$nobody_home" "$work/runtime"
$sudo chown 65534:65534 "$nobody_home" "$work/runtime"
# Qt's runtime folder, too, inside $work rather than left in /tmp.
$sudo setpriv --reuid=65534 --regid=65534 --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$nobody_home" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen pagelume >"$work/pagelume.log" 2>&1 &
window_pid=$!
for _ in $(seq 100); do
    [ -d "$nobody_home/.config/pagelume" ] && break
    sleep 0.2
done
sleep 1
if kill -0 "$window_pid" 2>/dev/null; then
    pass "the window program starts (offscreen) as an ordinary user"
    $sudo kill "$window_pid" 2>/dev/null || true
else
    fail "the window program stopped at once: $(cat "$work/pagelume.log")"
fi
wait "$window_pid" 2>/dev/null || true
if [ -d "$nobody_home/.config/pagelume" ] && [ ! -e /usr/bin/pglm201.cfg ]; then
    pass "settings folder ~/.config/pagelume for a user who cannot write to /usr/bin"
else
    fail "the settings folder ~/.config/pagelume was not made (or a settings file is in /usr/bin)"
fi

# --- Removing -----------------------------------------------------------------------------------
if ! $installed_before; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq pagelume
    if [ -e /usr/bin/pagelume-convert ] || [ -e "$readme" ]; then
        fail "apt-get remove left the package's files behind"
    else
        pass "apt-get remove pagelume"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "The package installs and works."
