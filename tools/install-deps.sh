#!/usr/bin/env bash
# Installs the Debian packages Pagelume needs to build, test and run, when they are missing.
# Works as root or through sudo on Debian 12.
set -euo pipefail

# libicu-dev: the conversion's reference test and fuzz harness hold it to ICU's converters.
packages=(
  build-essential cmake pkg-config clang-format strace
  libgtest-dev libgmock-dev libbenchmark-dev libicu-dev zlib1g-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-noto-cjk qt6-translations-l10n
)
# unicode-data: Unicode's data and Unihan, which tools/make_readable_forms.py reads to regenerate
# src/input/readable_forms.cpp (checked in: the build does not need it).
if [ "${1:-}" = "--table-tools" ]; then
  packages+=(unicode-data python3)
fi
if [ "${1:-}" = "--gui-tools" ]; then
  packages+=(xvfb xauth imagemagick x11-utils libxtst6 python3)
fi
# What `make package` and its check use: dpkg-shlibdeps (with file) works out the package's
# dependencies; the others check what the package installs.
if [ "${1:-}" = "--package-tools" ]; then
  packages+=(dpkg-dev file appstream desktop-file-utils man-db lintian)
fi
# What `make test-windows` uses: the MinGW-w64 cross compiler, GoogleTest's sources to build for
# Windows, Wine to run the tests and Python for the sample book.
if [ "${1:-}" = "--windows" ]; then
  packages+=(g++-mingw-w64-x86-64 libz-mingw-w64-dev googletest wine64 python3)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
