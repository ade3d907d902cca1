#!/usr/bin/env bash
# Makes the Debian packages vellumtide-cli and vellumtide from a Release
# build of their own, and checks both with lintian: any error or warning
# fails the script (informational tags are shown, and pass).
#   scripts/package.sh [BUILD_DIR]      (default build-package)
# The .deb files are left in BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
# The packages' folders and files get their modes through the umask too.
umask 022
bash scripts/install-deps.sh --packaging

build=${1:-build-package}
# The dates in the manual pages and the changelog: the last commit's, not
# the build's.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH
# Debian's compiler and linker flags, with every hardening feature, as a
# Debian package build would pass them (CMake reads no CPPFLAGS).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCHMARKS=OFF
cmake --build "$build" -j"${VT_JOBS:-$(nproc)}"

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/*.deb)
if [ ${#debs[@]} -ne 2 ]; then
  echo "package: expected two .deb files in $build, found: ${debs[*]}" >&2
  exit 1
fi
for deb in "${debs[@]}"; do
  echo "== $deb"
  dpkg-deb --field "$deb"
  dpkg-deb --contents "$deb"
done

# Errors and warnings fail; informational tags are shown. The tags the
# packages override (share/lintian/overrides, each with its reason) are
# listed after, and do not fail.
echo "== lintian"
lintian --display-info --fail-on error,warning "${debs[@]}"
echo "== lintian: overridden tags"
lintian --show-overrides --fail-on none "${debs[@]}" | grep -E '^(N|O): ' || true
echo "package: lintian found no error or warning in ${debs[*]}"
