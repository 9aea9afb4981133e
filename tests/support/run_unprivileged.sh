#!/usr/bin/env bash
# Runs the named GoogleTest cases of a test program as a user that file permissions bind, and fails
# unless every one of them ran and passed. Tests of refused writes skip themselves under root, which
# is how CI runs; here they run as uid/gid 65534 (nobody) instead, from a copy of the program in a
# folder that user can reach, since the build tree may not be (a 0700 home, say).
# Usage: run_unprivileged.sh <test program> <Suite.Case>...
set -euo pipefail
program=$(realpath "$1")
shift
[ $# -gt 0 ] || { echo "usage: $0 <test program> <Suite.Case>..." >&2; exit 2; }
filter=$(IFS=:; echo "$*")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/tmp"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "setpriv (util-linux) is needed to drop root" >&2; exit 1; }
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  cp "$program" "$work/"
  program="$work/$(basename "$program")"
  chmod 755 "$program"
  chown 65534:65534 "$work/tmp"
  if ! "${as_user[@]}" test -x "$program" -a -w "$work/tmp"; then
    echo "uid 65534 cannot run $program or write in $work/tmp:" \
      "$(dirname "$work") must be open to every user" >&2
    exit 1
  fi
fi

cd "$work"
status=0
PAGELUME_TEST_TMP="$work/tmp" "${as_user[@]}" "$program" --gtest_filter="$filter" --gtest_color=no \
  >"$work/out" 2>&1 || status=$?
cat "$work/out"
[ "$status" -eq 0 ] || exit "$status"
if grep -q '^\[  SKIPPED \]' "$work/out"; then
  echo "FAIL: a case skipped although it ran as uid $("${as_user[@]}" id -u)" >&2
  exit 1
fi
passed=$(grep -c '^\[       OK \]' "$work/out" || true)
if [ "$passed" -ne $# ]; then
  echo "FAIL: $passed of the $# named cases ran and passed" >&2
  exit 1
fi
