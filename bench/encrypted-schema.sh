#!/usr/bin/env bash
# Times `vellumtide-cli schema` on each Office-encrypted test database, with
# its password on standard input, next to an unencrypted ACE file for scale.
#   bench/encrypted-schema.sh [RUNS]
# Uses hyperfine (Debian's package) when it is installed, else a plain loop.
# Builds an optimised CLI in build-bench/ unless VT_CLI names one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-20}
cli=${VT_CLI:-$root/build-bench/src/cli/vellumtide-cli}
if [ -z "${VT_CLI:-}" ]; then
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCHMARKS=OFF -DVT_BUILD_GUI=OFF >/dev/null
  ninja -C "$root/build-bench" -j2 vellumtide-cli >/dev/null
fi
data=$root/tests/data/jet
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# file, password, what it is
cases=(
  "mdb-reader/bigint.accdb||not encrypted"
  "mdb-reader/office-agile-4.2.accdb|password|RC4 CryptoAPI, 128-bit (Access)"
  "office-crypto/rc4-40bit.accdb|Vellum tide ß€😀|RC4 CryptoAPI, 40-bit"
  "office-crypto/standard-aes128.accdb|Vellum tide ß€😀|standard AES-128, SHA-1 x 50,000"
  "office-crypto/agile-aes192-sha256.accdb|Vellum tide ß€😀|agile AES-192, SHA-256 x 1,000"
  "jackcessencrypt/db2007-enc.accdb|Test123|agile AES-128, SHA-1 x 100,000 (Access)"
  "jackcessencrypt/db2013-enc.accdb|1234|agile AES-256, SHA-512 x 100,000 (Access)"
)

printf '%-42s %8s  %10s  %s\n' file KiB 'ms (mean)' kind
for entry in "${cases[@]}"; do
  IFS='|' read -r file password kind <<<"$entry"
  printf '%s\n' "$password" >"$work/password"
  command="'$cli' schema '$data/$file' --password-stdin <'$work/password' >/dev/null"
  "$cli" schema "$data/$file" --password-stdin <"$work/password" >/dev/null  # fails loudly
  if command -v hyperfine >/dev/null; then
    hyperfine --runs "$runs" --warmup 3 --export-json "$work/t.json" "$command" >/dev/null
    ms=$(python3 -c 'import json,sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["mean"] * 1000))' "$work/t.json")
  else
    start=$(date +%s.%N)
    for ((i = 0; i < runs; i++)); do sh -c "$command"; done
    ms=$(awk -v a="$start" -v b="$(date +%s.%N)" -v n="$runs" 'BEGIN { printf "%.1f", (b - a) * 1000 / n }')
  fi
  printf '%-42s %8d  %10s  %s\n' "$file" $(($(stat -c %s "$data/$file") / 1024)) "$ms" "$kind"
done
