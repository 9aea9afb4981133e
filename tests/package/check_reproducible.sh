#!/usr/bin/env bash
# Reproducible builds: the Debian package and the Windows zip, each built twice from this source
# tree in fresh build folders at two different paths, come out byte for byte the same. Every date
# in them is the last commit's (SOURCE_DATE_EPOCH, set by the build) and no build path reaches
# the binaries. Needs what `make package` and `make package-windows` install.
#
# Usage: check_reproducible.sh [deb|zip]...   (both by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(deb zip)
jobs=$(nproc)

work=$(mktemp -d "${TMPDIR:-/tmp}/pagelume-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Builds the package of kind $1 in folder $2 and prints the package's path.
build() {
  local kind=$1 dir=$2
  local common=(-S "$root" -B "$dir" -DBUILD_TESTING=OFF -DPAGELUME_BUILD_BENCHMARKS=OFF)
  if [ "$kind" = deb ]; then
    cmake "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
  else
    cmake "${common[@]}" --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DPAGELUME_BUILD_GUI=OFF >/dev/null
  fi
  cmake --build "$dir" -j "$jobs" >/dev/null
  local generator=DEB
  [ "$kind" = deb ] || generator=ZIP
  (cd "$dir" && cpack -G "$generator" >/dev/null)
  find "$dir" -maxdepth 1 -name "*.${kind}" -print -quit
}

failures=0
for kind in "${kinds[@]}"; do
  first=$(build "$kind" "$work/one/build")
  second=$(build "$kind" "$work/another-place/b")
  if [ -z "$first" ] || [ -z "$second" ]; then
    echo "FAIL: no .$kind was made"
    failures=$((failures + 1))
  elif cmp -s "$first" "$second"; then
    echo "ok: the .$kind is the same from two build folders ($(sha256sum <"$first" | cut -c1-16))"
  else
    echo "FAIL: two builds of the .$kind differ: $(basename "$first")"
    cmp "$first" "$second" | head -1 || true
    failures=$((failures + 1))
  fi
  rm -rf "$work/one" "$work/another-place"
done
[ "$failures" -eq 0 ]
