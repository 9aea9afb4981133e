#!/usr/bin/env bash
# Drives pagelume-convert through bad input and failing file systems, as a user would meet them.
# For each case: the exit status, the message, and that no existing file was damaged or left
# half-written. Usage: e2e_faults.sh PATH_TO_PAGELUME_CONVERT
set -u
convert=$(readlink -f "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/pagelume-e2e.XXXXXX")
mounted=""
cleanup() {
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
  chmod -R u+rwx "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1
chmod 755 "$work"

passed=0
failed=0
skipped=0
ok() { passed=$((passed + 1)); echo "ok - $1"; }
bad() { failed=$((failed + 1)); echo "FAILED - $1"; }
skip() { skipped=$((skipped + 1)); echo "skipped - $1"; }

# run EXPECTED_STATUS MESSAGE_PATTERN NAME -- ARGS... : runs the converter, checks status and stderr.
run() {
  local want=$1 pattern=$2 name=$3
  shift 4
  "${as_user[@]}" "$convert" "$@" >"$work/stdout" 2>"$work/stderr"
  local got=$?
  if [ "$got" -ne "$want" ]; then
    bad "$name: exit $got, expected $want ($(head -c 300 "$work/stderr"))"
    return 1
  fi
  if [ -n "$pattern" ] && ! grep -q -- "$pattern" "$work/stderr"; then
    bad "$name: message '$(head -c 300 "$work/stderr")' lacks '$pattern'"
    return 1
  fi
  return 0
}
same() { cmp -s "$1" "$2"; }
no_leftovers() { ! ls -a "$1" | grep -q 'pagelume-.*\.tmp'; }
page_file_ok() { # FILE ROWS: whole pages of the fixed size
  local size rows=$2
  size=$(stat -c %s "$1")
  [ $(((size - 2) % (2 + 42 * rows))) -eq 0 ] && [ "$size" -gt 2 ]
}

as_user=()
# Permissions mean nothing to root: those cases run as an unprivileged user when we are root.
unprivileged=()
if [ "$(id -u)" -eq 0 ]; then
  if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    unprivileged=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  fi
fi

printf 'sample text\r\n' >sample.txt
echo "existing output" >keep.txt
cp keep.txt keep.orig

# --- missing source
if run 1 "cannot read 'missing.txt'" "missing source" -- -o out1.txt missing.txt && [ ! -e out1.txt ]; then
  ok "missing source"
fi

# --- unreadable source
cp sample.txt secret.txt && chmod 000 secret.txt
if [ "$(id -u)" -ne 0 ] || [ ${#unprivileged[@]} -gt 0 ]; then
  mkdir -p open && chmod 777 open
  as_user=("${unprivileged[@]}")
  if run 1 "Permission denied" "unreadable source" -- -o open/out2.txt secret.txt && [ ! -e open/out2.txt ]; then
    ok "unreadable source"
  fi
  as_user=()
else
  skip "unreadable source (no way to drop root's rights here)"
fi

# --- output folder that is not writable; the existing file in it stays as it was
mkdir -p locked && cp keep.orig locked/keep.txt && chmod 555 locked
if [ "$(id -u)" -ne 0 ] || [ ${#unprivileged[@]} -gt 0 ]; then
  chmod 644 sample.txt
  as_user=("${unprivileged[@]}")
  if run 1 "Permission denied" "unwritable output folder" -- -f -o locked/keep.txt sample.txt &&
    same locked/keep.txt keep.orig && no_leftovers locked; then
    ok "unwritable output folder"
  fi
  as_user=()
else
  skip "unwritable output folder (no way to drop root's rights here)"
fi
chmod 755 locked

# --- a read-only output file is not replaced, even with --force
mkdir -p open2 && chmod 777 open2 && cp keep.orig open2/keep.txt && chmod 444 open2/keep.txt
if [ "$(id -u)" -ne 0 ] || [ ${#unprivileged[@]} -gt 0 ]; then
  as_user=("${unprivileged[@]}")
  if run 1 "Permission denied" "read-only output" -- -f -o open2/keep.txt sample.txt &&
    same open2/keep.txt keep.orig && no_leftovers open2; then
    ok "read-only output file is not replaced"
  fi
  as_user=()
else
  skip "read-only output file (no way to drop root's rights here)"
fi

# --- output path that is a folder
mkdir -p afolder
if run 1 "is a folder" "output is a folder" -- -f -o afolder sample.txt && [ -d afolder ]; then
  ok "output path is a folder"
fi

# --- existing output without --force: refused, untouched
if run 1 "already exists" "existing output" -- -o keep.txt sample.txt && same keep.txt keep.orig; then
  ok "existing output is not replaced without --force"
fi

# --- names of up to 255 bytes, the most a name may have: our own temporary and aside names are
# short whatever the output's length
mkdir -p longnames
for length in 250 255; do
  long=longnames/$(printf 'a%.0s' $(seq $((length - 4)))).txt
  if run 0 "" "$length-byte name" -- -o "$long" sample.txt && page_file_ok "$long" 23 &&
    cp "$long" long.first && printf 'other text\r\n' >other.txt &&
    run 0 "" "$length-byte name, --force" -- -f -o "$long" other.txt && page_file_ok "$long" 23 &&
    ! same "$long" long.first && [ "$(ls -A longnames | wc -l)" -eq 1 ]; then
    ok "$length-byte output name written new and over an existing one"
  fi
  rm -f "$long"
done

# --- with --force a link at the output's path is written through, but in a shared folder (sticky
# and writable by all, like /tmp) only a link of the runner's or of the folder's owner is followed
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  mkdir -p shared private && chmod 1777 shared
  echo "the runner's own file" >private/target.txt
  cp private/target.txt target.orig
  ln -s "$work/private/target.txt" shared/planted.txt && chown -h nobody shared/planted.txt
  ln -s planted.txt shared/chain.txt # the runner's link to the planted one
  for link in planted chain; do
    if run 1 "'shared/$link.txt': a link in a shared folder that another user owns is not followed" \
      "planted link ($link)" -- -f -o "shared/$link.txt" sample.txt &&
      same private/target.txt target.orig && [ -L "shared/$link.txt" ] && no_leftovers shared &&
      no_leftovers private; then
      ok "a link another user planted in a shared folder is not followed ($link)"
    fi
  done
  ln -s ../private/target.txt shared/own.txt
  if run 0 "" "own link in a shared folder" -- -f -o shared/own.txt sample.txt &&
    page_file_ok private/target.txt 23 && [ -L shared/own.txt ]; then
    ok "the runner's own link in a shared folder is written through"
  fi
else
  skip "links in a shared folder (a link of another user's needs root to make)"
fi

# --- no output is ever written over a source, not even with --force: the books themselves, the
# same file by another spelling, a link to it, a split part that lands on it, standard input
mkdir -p shelf shelf/out
printf 'one book\r\n' >shelf/a.txt
printf 'another book\r\n' >shelf/b.txt
printf 'a third\r\n' >shelf/c_1.txt
ln -sf ../a.txt shelf/out/a.txt
cp shelf/a.txt a.orig && cp shelf/b.txt b.orig && cp shelf/c_1.txt c.orig
shelf_same() { same shelf/a.txt a.orig && same shelf/b.txt b.orig && same shelf/c_1.txt c.orig; }
if (cd shelf && "$convert" -f a.txt b.txt >/dev/null 2>"$work/stderr"); [ $? -eq 1 ] &&
  grep -q "'a.txt' is one of the sources" "$work/stderr" && grep -q "'b.txt' is one of the sources" "$work/stderr" &&
  ! grep -q -- "--force" "$work/stderr" && shelf_same; then
  ok "-f over the books themselves refuses each and leaves them as they were"
else
  bad "-f over the books themselves: $(head -c 300 "$work/stderr")"
fi
failed_before=$failed
if run 1 "is one of the sources" "output is the source by another spelling" -- -f -o shelf/../shelf/a.txt shelf/a.txt &&
  shelf_same; then
  ok "output that is the source by another spelling"
elif [ "$failed" -eq "$failed_before" ]; then
  bad "output that is the source by another spelling"
fi
failed_before=$failed
if run 1 "is one of the sources" "output is a link to the source" -- -f -d shelf/out shelf/a.txt && shelf_same; then
  ok "output that is a link to the source"
elif [ "$failed" -eq "$failed_before" ]; then
  bad "output that is a link to the source"
fi
mkdir -p shelf/parts
for _ in $(seq 600); do printf '\x82\xa0'; done >shelf/long.txt
cp shelf/c_1.txt shelf/parts/long_2.txt
failed_before=$failed
if run 1 "'shelf/parts/long_2.txt' is one of the sources" "split part over another source" -- \
  -f --split 1 -d shelf/parts shelf/long.txt shelf/parts/long_2.txt &&
  same shelf/parts/long_2.txt c.orig && [ ! -e shelf/parts/long_1.txt ]; then
  ok "a split part that would land on another source"
elif [ "$failed" -eq "$failed_before" ]; then
  bad "a split part that would land on another source"
fi
if "$convert" -f -o shelf/a.txt - <shelf/a.txt >/dev/null 2>"$work/stderr"; [ $? -eq 1 ] &&
  grep -q "is one of the sources" "$work/stderr" && shelf_same; then
  ok "output over the file standard input reads"
else
  bad "output over standard input's file: $(head -c 300 "$work/stderr")"
fi

# --- a zip as Aozora Bunko makes them (a code page 932 name, an image beside the text) stands for
# its texts: each converts to exactly the pages of the text itself, named after the member
make_zip=(python3 "$(dirname "$(readlink -f "$0")")/../../tools/make_zip.py")
mkdir -p zips zips/plain zips/ref zips/out
printf '\x8c\xe1\x94\x79\x82\xcd\x94\x4c\x82\xc5\x82\xa0\x82\xe9\r\n\x89\xc4\x96\xda\x9f\x80\x90\xce\r\n\r\n\x81\x40\x96\xbc\x91\x4f\x82\xcd\x82\xdc\x82\xbe\x96\xb3\x82\xa2\x81\x42\r\n' >zips/wagahai.txt
printf 'second\r\n' >zips/second.txt
printf '\x89PNG\r\n\x1a\n' >zips/fig.png
if "${make_zip[@]}" zips/book.zip "neko/表紙と本文.txt=zips/wagahai.txt" "neko/fig01.png=zips/fig.png" \
  "Second.TXT=zips/second.txt"; then
  cp zips/book.zip zips/book.orig
  cp zips/wagahai.txt "zips/plain/表紙と本文.txt" && cp zips/second.txt zips/plain/Second.TXT
  "$convert" --header -d zips/ref "zips/plain/表紙と本文.txt" zips/plain/Second.TXT 2>/dev/null
  if run 0 "" "zip of texts" -- --header -d zips/out zips/book.zip &&
    [ "$(ls zips/out | wc -l)" -eq 2 ] && same "zips/out/表紙と本文.txt" "zips/ref/表紙と本文.txt" &&
    same zips/out/Second.TXT zips/ref/Second.TXT; then
    ok "each text of a zip converts to the pages of the text itself, under the member's name"
  else
    bad "zip of texts: $(ls zips/out) $(head -c 300 "$work/stderr")"
  fi
  rm -f zips/out/*
  failed_before=$failed
  if run 1 "not converting 'zips/book.zip': it holds 2 texts" "-o with a zip of two texts" -- \
    -o zips/out/one.txt zips/book.zip && [ ! -e zips/out/one.txt ]; then
    ok "-o refuses a zip of two texts, which would both go to it"
  elif [ "$failed" -eq "$failed_before" ]; then
    bad "-o with a zip of two texts"
  fi
  "${make_zip[@]}" zips/single.zip "a.txt=zips/second.txt" && cp zips/single.zip zips/single.orig
  failed_before=$failed
  if run 1 "'zips/single.zip' is one of the sources" "output over the zip" -- \
    -f -o zips/single.zip zips/single.zip && same zips/single.zip zips/single.orig; then
    ok "no output is written over the zip its text is read from"
  elif [ "$failed" -eq "$failed_before" ]; then
    bad "output over the zip"
  fi
else
  bad "a zip for the tests could not be made"
fi

# --- zips that cannot be read: a member that inflates past 256 MiB, as its record says or hiding
# it (refused at the first byte past the size it gives), a zip cut short, a zip without a text.
# Each is refused by name and nothing is written; the other sources are converted all the same.
if "${make_zip[@]}" zips/bomb.zip "bomb.txt=zeros:270000000" &&
  "${make_zip[@]}" --size 1000 zips/hidden.zip "bomb.txt=zeros:270000000" &&
  "${make_zip[@]}" --cut 30 zips/cut.zip "a.txt=zips/second.txt" &&
  "${make_zip[@]}" zips/images.zip "fig01.png=zips/fig.png"; then
  failed_before=$failed
  if run 1 "cannot read 'zips/bomb.zip › bomb.txt': it inflates past 256 MiB" "zip bomb" -- \
    -d zips/out zips/bomb.zip sample.txt && [ "$(ls zips/out)" = sample.txt ]; then
    ok "a member that inflates past 256 MiB is refused, the next source converted"
  elif [ "$failed" -eq "$failed_before" ]; then
    bad "zip bomb: $(ls zips/out)"
  fi
  rm -f zips/out/*
  failed_before=$failed
  if run 1 "cannot read 'zips/hidden.zip › bomb.txt': its compressed data are damaged" \
    "zip bomb hiding its size" -- -d zips/out zips/hidden.zip && [ -z "$(ls zips/out)" ]; then
    ok "a member that inflates past the size it gives is refused"
  elif [ "$failed" -eq "$failed_before" ]; then
    bad "zip bomb hiding its size"
  fi
  failed_before=$failed
  if run 1 "cannot read 'zips/cut.zip': not a zip file, or one cut short" "zip cut short" -- \
    -d zips/out zips/cut.zip && [ -z "$(ls zips/out)" ]; then
    ok "a zip cut short is refused"
  elif [ "$failed" -eq "$failed_before" ]; then
    bad "zip cut short"
  fi
  failed_before=$failed
  if run 1 "cannot read 'zips/images.zip': the zip holds no .txt file" "zip without a text" -- \
    -d zips/out zips/images.zip && [ -z "$(ls zips/out)" ]; then
    ok "a zip without a text is refused"
  elif [ "$failed" -eq "$failed_before" ]; then
    bad "zip without a text"
  fi
else
  bad "zips for the tests could not be made"
fi

# --- full disk: a small tmpfs when this machine lets us mount one
mkdir -p full
if mount -t tmpfs -o size=64k tmpfs full 2>/dev/null; then
  mounted="$work/full"
  cp keep.orig full/keep.txt
  python3 - <<'PY' 2>/dev/null || head -c 400000 /dev/urandom | tr -dc 'a-z\n' >big.txt
open("big.txt", "wb").write(("\u3042" * 50 + "\n").encode("cp932") * 4000)
PY
  if run 1 "No space left on device" "full disk" -- -f -o full/keep.txt big.txt &&
    same full/keep.txt keep.orig && no_leftovers full; then
    ok "full disk: reported, earlier file intact, no partial file"
  fi
  umount full && mounted=""
else
  skip "full disk (mounting a tmpfs is not allowed here)"
fi

# --- an end-of-file mark in mid-text ends it, and the user hears so: where it stood in the file
printf 'before\r\n\x1aafter\r\n' >marked.txt
printf '\xff\xfe\x2c\x67\x87\x65\x1a\x00\x42\x00' >marked16.txt # BOM, 本文, U+001A, B
failed_before=$failed
if run 0 "the text after byte 8 (an end-of-file mark) was not converted" "end-of-file mark" -- \
  -o marked.out marked.txt && page_file_ok marked.out 23 &&
  run 0 "the text after byte 6 (an end-of-file mark)" "end-of-file mark in UTF-16" -- \
    -o marked16.out marked16.txt; then
  ok "an end-of-file mark in mid-text is reported with its place in the file"
elif [ "$failed" -eq "$failed_before" ]; then
  bad "an end-of-file mark in mid-text is reported with its place in the file"
fi

# --- 0-byte file: one blank page
: >empty.txt
if run 0 "" "empty source" -- -o empty.out empty.txt && [ "$(stat -c %s empty.out)" -eq $((2 + 42 * 23 + 2)) ]; then
  ok "0-byte source gives one blank page"
fi

# --- 50 MB file
python3 "$(dirname "$(readlink -f "$0")")/../../tools/make_book.py" 50 book50.txt 2>/dev/null ||
  yes "$(printf '\x8e\x84\x82\xcd\x94\x4c\x82\xc5\x82\xa0\x82\xe9\x81\x42')" | head -c 52428800 >book50.txt
if run 0 "" "50 MB source" -- -o book50.out book50.txt && page_file_ok book50.out 23; then
  ok "50 MB source"
fi
rm -f book50.txt book50.out

# --- interrupts at random moments leave every output complete, old or new, and nothing else: a
# single output and a series being replaced with --force, under SIGINT, SIGTERM, SIGHUP, SIGQUIT.
# PAGELUME_E2E_SINGLE_MB, PAGELUME_E2E_SERIES_MB and PAGELUME_E2E_ROUNDS make it a long trial
# (150, 10 and 20 for a release); the moment is drawn across each run's own duration.
single_mb=${PAGELUME_E2E_SINGLE_MB:-3}
series_mb=${PAGELUME_E2E_SERIES_MB:-3}
rounds=${PAGELUME_E2E_ROUNDS:-8}
make_book() { # MEGABYTES FILE
  python3 "$(dirname "$(readlink -f "$0")")/../../tools/make_book.py" "$1" "$2" 2>/dev/null ||
    yes "$(printf '\x8e\x84\x82\xcd\x94\x4c\x82\xc5\x82\xa0\x82\xe9\x81\x42')" | head -c $(($1 * 1000000)) >"$2"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
make_book "$single_mb" single_book.txt
make_book "$series_mb" book3.txt
head -c $((series_mb * 500000)) book3.txt >half3.txt
mkdir -p sig/old sig/new sig/out
"$convert" --split 1 -d sig/old half3.txt >/dev/null 2>&1
for f in sig/old/half3_*.txt; do mv "$f" "sig/old/book3_${f##*_}"; done
start=$(now_ms)
"$convert" --split 1 -d sig/new book3.txt >/dev/null 2>&1
series_ms=$(($(now_ms) - start + 1))
start=$(now_ms)
"$convert" -o sig/new/single.txt single_book.txt >/dev/null 2>&1
single_ms=$(($(now_ms) - start + 1))
(cd sig/old && sha256sum -- * | sort -k2) >sig/old.sums
(cd sig/new && sha256sum -- * | sort -k2) >sig/new.sums
interrupt_ok=1
for round in $(seq 1 "$rounds"); do
  signal=$(echo INT TERM HUP QUIT | cut -d' ' -f$(((round - 1) % 4 + 1)))
  rm -rf sig/out && cp -r sig/old sig/out && printf 'old single\r\n' >sig/out/single.txt
  if [ $((round % 2)) -eq 0 ]; then
    args=(-f --split 1 -d sig/out book3.txt); span=$series_ms
  else
    args=(-f -o sig/out/single.txt single_book.txt); span=$single_ms
  fi
  "$convert" "${args[@]}" >/dev/null 2>"$work/stderr" &
  pid=$!
  # Somewhere within the run, a little past its end at most; never before the run has set up
  # its signal handling (a sanitizer build starts slowly), when the signal would simply kill it.
  delay_ms=$((RANDOM % (span * 11 / 10 + 20) + 150))
  sleep "$((delay_ms / 1000)).$(printf '%03d' $((delay_ms % 1000)))"
  kill -s "$signal" "$pid" 2>/dev/null
  wait "$pid"
  status=$?
  (cd sig/out && sha256sum -- * | sort -k2) >sig/out.sums
  series_old=$(grep -c book3_ sig/old.sums); series_now=$(grep book3_ sig/out.sums)
  single_now=$(grep single.txt sig/out.sums)
  if ls -a sig/out | grep -q 'pagelume-'; then
    interrupt_ok=0; bad "SIG$signal left our files behind: $(ls -a sig/out | grep pagelume- | head -3)"
  elif [ "$series_now" != "$(grep book3_ sig/old.sums)" ] && [ "$series_now" != "$(grep book3_ sig/new.sums)" ]; then
    interrupt_ok=0; bad "SIG$signal left a mixed series ($series_old parts before)"
  elif [ "$single_now" != "$(grep single.txt sig/new.sums)" ] && ! grep -q 'old single' sig/out/single.txt; then
    interrupt_ok=0; bad "SIG$signal left a damaged single output"
  elif [ "$status" -ne 0 ] && { [ "$status" -ne $((128 + $(kill -l "$signal"))) ] || ! grep -q "stopped by SIG$signal" "$work/stderr"; }; then
    interrupt_ok=0; bad "SIG$signal: exit $status, $(head -c 200 "$work/stderr")"
  fi
done
[ "$interrupt_ok" -eq 1 ] && ok "interrupts leave complete outputs, old or new, and nothing else ($rounds rounds)"

# --- SIGKILL cannot be caught: a single output being written has no name to leave, and the parts
# of a series wait in one hidden staging folder, which the next run into the folder removes
kill_ok=1
for round in 1 2 3; do
  rm -rf sig/out && mkdir sig/out
  "$convert" -o sig/out/single.txt single_book.txt >/dev/null 2>&1 &
  pid=$!
  delay_ms=$((RANDOM % (single_ms * 9 / 10 + 10) + 5))
  sleep "0.$(printf '%03d' $((delay_ms % 1000)))"
  kill -s KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  if ls -a sig/out | grep -q 'pagelume-'; then
    kill_ok=0; bad "SIGKILL of a single output left $(ls -a sig/out | grep pagelume- | head -3)"
  fi
  "$convert" --split 1 -d sig/out book3.txt >/dev/null 2>&1 &
  pid=$!
  delay_ms=$((RANDOM % (series_ms * 9 / 10 + 10) + 5))
  sleep "$((delay_ms / 1000)).$(printf '%03d' $((delay_ms % 1000)))"
  kill -s KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  if ls -a sig/out | grep -v '\.staging$' | grep -q 'pagelume-'; then
    kill_ok=0; bad "SIGKILL of a series left $(ls -a sig/out | grep pagelume- | head -3)"
  fi
  "$convert" -f -o sig/out/after.txt half3.txt >/dev/null 2>&1
  if ls -a sig/out | grep -q 'pagelume-'; then
    kill_ok=0; bad "the next run left a killed run's $(ls -a sig/out | grep pagelume- | head -3)"
  fi
done
[ "$kill_ok" -eq 1 ] && ok "SIGKILL leaves at most a staging folder, which the next run removes"
rm -rf sig book3.txt half3.txt single_book.txt

# --- a folder made read-only while a long series is written: the run fails with the reason, names
# whatever of ours it could not remove, and the next run into the folder clears it
if [ "${#unprivileged[@]}" -gt 0 ] || [ "$(id -u)" -ne 0 ]; then
  make_book 20 book20.txt
  mkdir -p rofolder && chmod 777 rofolder && chmod 644 book20.txt
  as_user=("${unprivileged[@]}")
  "${as_user[@]}" "$convert" --split 2 -o rofolder/r.txt book20.txt >"$work/stdout" 2>"$work/stderr" &
  pid=$!
  # Once parts are waiting for their placing.
  for _ in $(seq 1 500); do ls -A rofolder | grep -q staging && break; sleep 0.01; done
  chmod 555 rofolder
  wait "$pid"; status=$?
  as_user=()
  chmod 777 rofolder
  if [ "$status" -eq 0 ]; then
    skip "read-only folder mid-run (the run ended first)"
  elif ! grep -q "Permission denied" "$work/stderr"; then
    bad "read-only folder mid-run: $(head -c 300 "$work/stderr")"
  else
    unnamed=""
    for left in $(ls -A rofolder); do grep -q -- "$left" "$work/stderr" || unnamed="$unnamed $left"; done
    if [ -n "$unnamed" ]; then
      bad "read-only folder mid-run left, without a word:$unnamed"
    else
      "${unprivileged[@]}" "$convert" -o rofolder/next.txt sample.txt >/dev/null 2>&1
      if [ "$(ls -A rofolder)" != next.txt ]; then
        bad "the next run left $(ls -A rofolder | head -3)"
      else
        ok "a folder made read-only mid-run: the reason, what was left, and the next run clears it"
      fi
    fi
  fi
  rm -rf rofolder book20.txt
else
  skip "read-only folder mid-run (no way to drop root's rights here)"
fi

# --- a series replaces the earlier series of its name whole: parts past the new last one go; a
# single output and a series of the same name leave each other alone; without --force a part of an
# earlier series refuses the source
python3 "$(dirname "$(readlink -f "$0")")/../../tools/make_book.py" 1 series.txt 2>/dev/null ||
  yes "$(printf '\x8e\x84\x82\xcd\x94\x4c\x82\xc5\x82\xa0\x82\xe9\x81\x42')" | head -c 1000000 >series.txt
mkdir -p ser
"$convert" --split 20 -o ser/x.txt series.txt 2>/dev/null
printf 'single\r\n' >ser/x.txt
long_parts=$(ls ser | grep -c '^x_')
failed_before=$failed
if run 0 "" "shorter series over a longer one" -- -f --split 60 -o ser/x.txt series.txt &&
  [ "$(ls ser | grep -c '^x_')" -lt "$long_parts" ] &&
  [ ! -e "ser/x_$(($(ls ser | grep -c '^x_') + 1)).txt" ] && grep -q single ser/x.txt &&
  ! ls -a ser | grep -q pagelume-; then
  ok "a shorter series replaces a longer one whole, and leaves the single output alone"
elif [ "$failed" -eq "$failed_before" ]; then
  bad "a shorter series replaces a longer one whole, and leaves the single output alone"
fi
parts=$(ls ser | grep -c '^x_')
rm -f ser/x_*.txt && printf 'stale\r\n' >"ser/x_$((parts + 1)).txt" && cp "ser/x_$((parts + 1)).txt" stale.orig
failed_before=$failed
if run 1 "x_$((parts + 1)).txt' already exists" "part of an earlier series without --force" -- --split 60 -o ser/x.txt series.txt &&
  [ ! -e ser/x_1.txt ] && same "ser/x_$((parts + 1)).txt" stale.orig; then
  ok "without --force a part of an earlier series refuses the source"
elif [ "$failed" -eq "$failed_before" ]; then
  bad "without --force a part of an earlier series refuses the source"
fi

# --- runs placing files in one folder take turns, so two runs never interleave a series: while
# another holds the folder's lock, a run says so and waits, and places its series whole after
mkdir -p serC
if command -v flock >/dev/null; then
  flock serC sleep 2 &
  holder=$!
  sleep 0.3
  "$convert" -f --split 5 -o serC/both.txt series.txt 2>"$work/stderr" &
  runner=$!
  sleep 1
  placed_early=$(ls serC | grep -c '^both_[0-9]*\.txt$')
  wait "$runner"; status=$?
  wait "$holder"
  if [ "$placed_early" -eq 0 ] && [ "$status" -eq 0 ] && grep -q "waiting for another run" "$work/stderr" &&
    [ -e serC/both_1.txt ] && ! ls -a serC | grep -q pagelume-; then
    ok "a run waits for another placing files in the folder, and says so"
  else
    bad "folder lock: $placed_early placed early, exit $status, $(head -c 200 "$work/stderr")"
  fi
else
  skip "folder lock (no flock command)"
fi
rm -rf ser serC series*.txt stale.orig

# --- a 1 MB line without any break
head -c 1048576 /dev/zero | tr '\0' 'a' >longline.txt
# 1,048,576 one-byte cells at 23 x 13 cells a page.
pages=$(((1048576 / (23 * 13)) + 1))
if run 0 "" "1 MB line" -- -o longline.out longline.txt &&
  [ "$(stat -c %s longline.out)" -eq $((pages * (2 + 42 * 23) + 2)) ]; then
  ok "1 MB line without a break"
fi

# --- random bytes: converted, paging ends
head -c 300000 /dev/urandom >binary.bin
if run 0 "" "binary file" -- -o binary.out binary.bin && [ -s binary.out ]; then
  ok "binary file converts and ends"
fi

# --- 10 000 empty lines: 9 999 empty columns (an empty line at the very start leaves none)
python3 -c 'open("blank.txt","wb").write(b"\r\n" * 10000)' 2>/dev/null || printf '\r\n%.0s' $(seq 10000) >blank.txt
# 9 999 empty columns of 23 spaces, 13 columns a page.
pages=$((9999 / 13 + 1))
if run 0 "" "empty lines" -- -o blank.out blank.txt && [ "$(stat -c %s blank.out)" -eq $((pages * (2 + 42 * 23) + 2)) ]; then
  ok "10 000 empty lines"
fi

# --- settings file with garbage values: loaded and brought into range
printf '[setting]\r\ngyokan=99\r\ncharsize=abc\r\nspaceline=-7\r\ndivisionsize=0\r\nusedivision=junk\r\n' >garbage.cfg
# gyokan 99 → 4 (newspaper, 11 rows); charsize "abc" → 0; spaceline -7 → no choice (two-byte blanks).
if run 0 "" "garbage settings" -- --settings garbage.cfg -o garbage.out sample.txt && page_file_ok garbage.out 11; then
  ok "settings file with garbage values"
fi

# --- settings file that cannot be read: a usage error, nothing written
if run 2 "garbage-missing.cfg" "missing settings" -- --settings garbage-missing.cfg -o nothing.out sample.txt && [ ! -e nothing.out ]; then
  ok "unreadable settings file is a usage error"
fi

# --- only a regular file of at most 1 MiB is a settings file: a device, a FIFO (whose opening
# would wait for a writer), a folder or a larger file is a usage error, found out at once
mkfifo settings.fifo
mkdir settings.dir
head -c 1048577 /dev/zero | tr '\0' 'x' >large.cfg
cp large.cfg large.orig
as_user=(timeout 10)
for case in "/dev/zero:not a regular file" "settings.fifo:not a regular file" \
  "settings.dir:Is a directory" "large.cfg:larger than 1048576 bytes"; do
  file=${case%%:*} reason=${case#*:}
  if run 2 "cannot read settings file '$file': $reason" "settings file $file" -- --settings "$file" -o nothing.out sample.txt &&
    [ ! -e nothing.out ]; then
    ok "settings file $file refused"
  fi
done
as_user=()
if [ -p settings.fifo ] && same large.cfg large.orig; then
  ok "refused settings files left as they were"
else
  bad "a refused settings file was changed"
fi

# --- an output that is a FIFO is refused without being opened (opening it would wait for a reader)
mkfifo pipe.txt
if run 1 "not a regular file" "FIFO output" -- -f -o pipe.txt sample.txt && [ -p pipe.txt ]; then
  ok "FIFO output refused"
fi
if run 1 "not a regular file" "FIFO output, no --force" -- -o pipe.txt sample.txt && [ -p pipe.txt ]; then
  ok "FIFO output refused without --force too"
fi

# --- control bytes in the title never reach the file name: a NUL would cut it short
mkdir -p names
printf 'ab\000cd\r\nau\r\nbody\r\n' >nul.txt
if run 0 "" "NUL in the title" -- --header --header-name -d names nul.txt && [ -f "names/abcd[au].txt" ]; then
  ok "NUL in the title is left out of the name"
fi
printf 'x\001y\tz\r\nau\r\nbody\r\n' >ctl.txt
if run 0 "" "control bytes in the title" -- --header --header-name -d names ctl.txt &&
  [ -f "names/xyz[au].txt" ] && [ "$(ls names | wc -l)" -eq 2 ]; then
  ok "control bytes in the title are left out of the name"
fi

# --- a source too large for the text's positions is refused before it is read; memory that runs
# out fails that source alone, and the next one is converted
# (AddressSanitizer reserves terabytes of address space, so a build with it cannot start under a
# limit on it.)
if ldd "$convert" 2>/dev/null | grep -q libasan; then
  skip "3 GB source and memory limit (sanitizer build)"
else
  truncate -s 3G huge.txt
  truncate -s 1900M large.txt
  if (ulimit -v 1500000 && run 1 "too long" "3 GB source" -- -o huge.out huge.txt) && [ ! -e huge.out ]; then
    ok "3 GB source refused unread"
  fi
  if (ulimit -v 1500000 && run 1 "not enough memory" "source beyond memory" -- -d names large.txt sample.txt) &&
    [ ! -e names/large.txt ] && [ -f names/sample.txt ]; then
    ok "source beyond the memory limit fails alone"
  fi
  truncate -s 300M huge.cfg
  if (ulimit -v 1500000 && run 2 "larger than 1048576 bytes" "300 MB settings file" -- --settings huge.cfg -o nothing.out sample.txt) &&
    [ ! -e nothing.out ]; then
    ok "300 MB settings file refused unread"
  fi
  rm -f huge.txt large.txt huge.cfg
fi

# --- an output that replaces a file reaches the disk before it is renamed into place
if command -v strace >/dev/null; then
  cp keep.orig synced.txt
  strace -f -o fsync.trace -e trace=fsync,fdatasync,syncfs,rename,renameat,renameat2 "$convert" -f -o synced.txt sample.txt 2>/dev/null
  first_sync=$(grep -n 'fsync\|fdatasync\|syncfs' fsync.trace | head -n 1 | cut -d: -f1)
  first_rename=$(grep -n 'rename' fsync.trace | head -n 1 | cut -d: -f1)
  if [ -n "$first_sync" ] && [ -n "$first_rename" ] && [ "$first_sync" -lt "$first_rename" ]; then
    ok "output flushed to the disk before the rename"
  else
    bad "output not flushed before the rename: $(tr '\n' ' ' <fsync.trace | head -c 300)"
  fi
else
  skip "fsync before rename (no strace)"
fi

# --- replacing a series waits for the disk once for all its parts, not once a part
if command -v strace >/dev/null; then
  mkdir -p series
  head -c 12000 /dev/zero | tr '\0' a >series.txt # 41 pages of 299 one-byte cells
  if run 0 "" "fresh series" -- --split 1 -d series series.txt && [ "$(ls series | wc -l)" -eq 41 ]; then
    strace -f -o series.trace -e trace=fsync,fdatasync,syncfs,rename,renameat,renameat2 \
      "$convert" -f --split 1 -d series series.txt 2>/dev/null
    flushes=$(grep -c 'fsync(\|fdatasync(\|syncfs(' series.trace)
    first_sync=$(grep -n 'fsync(\|fdatasync(\|syncfs(' series.trace | head -n 1 | cut -d: -f1)
    first_rename=$(grep -n 'rename' series.trace | head -n 1 | cut -d: -f1)
    if [ "$flushes" -eq 1 ] && [ -n "$first_rename" ] && [ "$first_sync" -lt "$first_rename" ] &&
      [ "$(ls series | wc -l)" -eq 41 ] && no_leftovers series; then
      ok "a replaced series is flushed once, before its first rename"
    else
      bad "a replaced series: $flushes flushes for 41 parts"
    fi
  fi
else
  skip "one flush for a replaced series (no strace)"
fi

# --- a name made from the title and author of a UTF-8 source keeps the characters code page 932
# lacks (鷗), as the pages cannot
mkdir -p names
printf '\xe9\xb7\x97\xe5\xa4\x96\xe3\x81\xae\xe6\x9c\xac\n\xe6\xa3\xae\xe9\xb7\x97\xe5\xa4\x96\n\n\xe6\x9c\xac\xe6\x96\x87\n' >names/ogai.txt
if run 0 "" "name from a UTF-8 title" -- --header --header-name -d names names/ogai.txt &&
  [ -f "names/$(printf '\xe9\xb7\x97\xe5\xa4\x96\xe3\x81\xae\xe6\x9c\xac[\xe6\xa3\xae\xe9\xb7\x97\xe5\xa4\x96].txt')" ]; then
  ok "a name from a UTF-8 title keeps what Shift_JIS lacks"
else
  bad "a name from a UTF-8 title: $(ls names)"
fi
rm -rf names

# --- a batch on four workers gives exactly what one gives: the same files, the same messages in
# the same order, the same exit status. The batch holds books of many sizes, failures (a missing
# source, a folder, a damaged zip, bytes no encoding reads, an end-of-file mark) and refusals (an
# output already there, two sources of one output name, titles that name two books alike, a
# series replacing a longer one), so that entries end in another order than they started.
mkdir -p jobs/tree/src/a jobs/tree/src/b jobs/tree/src/dir.txt jobs/tree/out jobs/tree/series
for n in $(seq 16); do
  python3 "$(dirname "$(readlink -f "$0")")/../../tools/make_book.py" "0.0$((n % 5 + 1))" \
    "jobs/tree/src/book$n.txt" "$n" >/dev/null 2>&1 ||
    yes "$(printf '\x8e\x84\x82\xcd\x94\x4c%d\x82\xc5\x82\xa0\x82\xe9\x81\x42' "$n")" | head -c $((n * 3000)) >"jobs/tree/src/book$n.txt"
done
make_book 1 jobs/tree/src/large.txt
printf '\x93\xaf\x82\xb6\x91\xe8\r\n\x92\x98\x8e\xd2\r\n\r\n\x88\xea\r\n' >jobs/tree/src/a/same.txt
printf '\x93\xaf\x82\xb6\x91\xe8\r\n\x92\x98\x8e\xd2\r\n\r\n\x93\xf1\x94\xd4\r\n' >jobs/tree/src/b/same.txt
printf 'bad \x82\xa0\xff\xfe bytes\r\n' >jobs/tree/src/bad.txt
printf '\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\n' >jobs/tree/src/utf8.txt
printf 'before\x1aafter\r\n' >jobs/tree/src/eof.txt
printf 'PK\x03\x04cut' >jobs/tree/src/broken.zip
"${make_zip[@]}" jobs/tree/src/two.zip "one.txt=jobs/tree/src/book1.txt" "book3.txt=jobs/tree/src/book2.txt" 2>/dev/null
echo "already here" >jobs/tree/out/book5.txt
for _ in $(seq 2000); do printf '\x82\xa0'; done >jobs/tree/src/tiny.txt
for n in $(seq 40); do echo "old part $n" >"jobs/tree/series/tiny_$n.txt"; done
books=()
for n in $(seq 16); do books+=("src/book$n.txt"); done
plain=(-d out "${books[@]}" src/large.txt missing.txt src/dir.txt src/a/same.txt src/b/same.txt
  src/bad.txt src/utf8.txt src/eof.txt src/broken.zip src/two.zip src/book9.txt)
series=(-f --split 2 --header -d series src/tiny.txt src/a/same.txt src/b/same.txt src/large.txt
  "${books[@]}" src/tiny.txt)
named=(--header --header-name -d named src/a/same.txt src/book3.txt src/b/same.txt src/book4.txt)
for j in 1 4; do
  cp -a jobs/tree "jobs/j$j"
  mkdir "jobs/j$j/named"
  (cd "jobs/j$j" && "$convert" -j "$j" "${plain[@]}" >plain.out 2>plain.err; echo $? >plain.status
    "$convert" -j "$j" "${series[@]}" >series.out 2>series.err; echo $? >series.status
    "$convert" -j "$j" "${named[@]}" >named.out 2>named.err; echo $? >named.status)
done
if diff -r jobs/j1 jobs/j4 >"$work/stderr" 2>&1 && [ "$(cat jobs/j1/plain.status)" -eq 1 ] &&
  grep -q "already exists" jobs/j1/plain.err && grep -q "already written by an earlier source" jobs/j1/plain.err &&
  grep -q "cannot read 'missing.txt'" jobs/j1/plain.err && grep -q "already written" jobs/j1/series.err &&
  [ -e jobs/j1/series/tiny_1.txt ] && [ ! -e jobs/j1/series/tiny_40.txt ] && [ "$(cat jobs/j1/series.status)" -eq 1 ] &&
  grep -q "already written" jobs/j1/named.err; then
  ok "a batch on four workers gives the files, messages and exit status of one"
else
  bad "a batch on four workers differs from one: $(head -c 600 "$work/stderr") $(head -c 300 jobs/j1/plain.err)"
fi
rm -rf jobs

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
