#!/usr/bin/env bash
# Times `vellumtide-cli schema` against mdbtools' `mdb-schema` over the same
# databases, in one run, and prints the ratio.
#   bench/schema-vs-mdbtools.sh [ROUNDS] [DATA_DIR]
# Builds an optimised CLI in build-bench/ unless VT_CLI names one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3}
data=${2:-$root/../shared/testdata}
cli=${VT_CLI:-$root/build-bench/src/cli/vellumtide-cli}

if [ -z "${VT_CLI:-}" ]; then
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCHMARKS=OFF -DVT_BUILD_GUI=OFF >/dev/null
  ninja -C "$root/build-bench" -j2 vellumtide-cli >/dev/null
fi
command -v mdb-schema >/dev/null || { echo "mdb-schema (mdbtools) is not installed" >&2; exit 2; }

mapfile -t files < <(find "$data" -type f \( -name '*.mdb' -o -name '*.accdb' \) | sort)
[ ${#files[@]} -gt 0 ] || { echo "no databases under $data" >&2; exit 2; }

# Runs "$@ FILE" for every file, ROUNDS times; prints seconds and failures.
run() {
  local failures=0 start end
  start=$(date +%s.%N)
  for ((r = 0; r < rounds; r++)); do
    for f in "${files[@]}"; do
      timeout 30 "$@" "$f" >/dev/null 2>&1 || failures=$((failures + 1))
    done
  done
  end=$(date +%s.%N)
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }') $((failures / rounds))"
}

read -r ours ours_failed < <(run "$cli" schema)
read -r theirs theirs_failed < <(run mdb-schema)
printf 'files: %d, rounds: %d\n' "${#files[@]}" "$rounds"
printf 'vellumtide-cli schema: %8.3f s  (%d files without a schema)\n' "$ours" "$ours_failed"
printf 'mdb-schema:            %8.3f s  (%d files without a schema)\n' "$theirs" "$theirs_failed"
printf 'ratio (vellumtide / mdb-schema): %s\n' "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')"
