#!/usr/bin/env bash
# Builds the Jet reader's libFuzzer targets (clang, ASan+UBSan) and runs one.
#   scripts/fuzz-reader.sh SECONDS [extra libFuzzer flags]
#   VT_FUZZ_TARGET=fuzz_jet_parts scripts/fuzz-reader.sh SECONDS
# fuzz_jet_reader (the default) reads whole files; fuzz_jet_parts feeds small
# inputs to the property, text, row and table-definition readers directly.
# The corpus lives in build-fuzz/corpus (seeded from the test databases);
# crashes land in build-fuzz/artifacts. Keep a copy of each one that was
# fixed in tests/data/jet/fuzz-regressions/.
set -euo pipefail
seconds=${1:?usage: scripts/fuzz-reader.sh SECONDS [libFuzzer flags]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VT_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVT_FUZZ=ON \
  -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCHMARKS=OFF -DVT_BUILD_GUI=OFF >/dev/null
target=${VT_FUZZ_TARGET:-fuzz_jet_reader}
ninja -C "$build" -j2 fuzz_jet_reader fuzz_jet_parts

if [ "$target" = fuzz_jet_parts ]; then
  mkdir -p "$build/corpus-parts" "$build/artifacts"
  exec "$build/fuzz/fuzz_jet_parts" "$build/corpus-parts" \
    -max_total_time="$seconds" -max_len=12288 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$build/artifacts/parts-" -print_final_stats=1 "$@"
fi

mkdir -p "$build/corpus" "$build/seeds" "$build/artifacts"
# Seeds: the test files that fit in -max_len (320 KiB: the smallest ACE
# files, among them the Office-encrypted ones, are about 308 KiB), plus the
# regressions, the damaged files of tests/data/jet/damaged,
# office-crypto/agile-head.bin, the first pages of an encrypted file, small
# enough for the fuzzer to mutate quickly, and a few copies of the smallest
# Jet 3 and Jet 4 files with each kind of damage of scripts/damage.py.
max_len=327680
for source in jackcess/delColTestV1997.mdb jackcess/fixedTextTestV2000.mdb; do
  python3 "$root/scripts/damage.py" "$root/tests/data/jet/$source" "$build/damaged-seeds/$(basename "$source")" 24 1
done
find "$build/damaged-seeds" -type f -size +$((max_len / 1024))k -delete  # the sparse giants
for dir in "$root/tests/data/jet" "$root/../shared/testdata" "$build/damaged-seeds"; do
  [ -d "$dir" ] || continue
  find "$dir" -type f \( -name '*.mdb' -o -name '*.accdb' -o -name '*.bin' -o -path '*/damaged-seeds/*' \) -size -$((max_len / 1024 + 1))k -print0 |
    while IFS= read -r -d '' f; do cp -n "$f" "$build/seeds/$(sha1sum "$f" | cut -c1-16)" ; done
done

exec "$build/fuzz/fuzz_jet_reader" "$build/corpus" "$build/seeds" \
  -max_total_time="$seconds" -max_len=$max_len -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="$build/artifacts/" -print_final_stats=1 "$@"
