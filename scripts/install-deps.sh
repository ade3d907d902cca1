#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, fuzzing and
# benchmarking Vellumtide need. Safe to run again: apt skips what is there.
# With --packaging it installs what making and checking the Debian packages
# needs too (scripts/package.sh); the tests and CI do without it.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev libcli11-dev libssl-dev libexpat1-dev libutf8proc-dev
  libdouble-conversion-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  clang libclang-rt-14-dev
  mdbtools time
  xvfb xauth x11-utils imagemagick xdotool
  groff-base
)
# scripts/package.sh: dpkg-shlibdeps (dpkg-dev) for CPack, lintian, and
# man-db to read the manual pages the packages install.
packaging=(dpkg-dev lintian man-db)
if [ "${1:-}" = "--packaging" ]; then
  packages+=("${packaging[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: installed ${missing[*]}"
