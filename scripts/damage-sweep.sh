#!/usr/bin/env bash
# Builds the module from thousands of damaged copies of the test databases
# and counts every way a fault could slip through:
#   scripts/damage-sweep.sh [COPIES_PER_DATABASE] [SEED]
# Uses VT_CLI when set (a sanitizer build finds more), else builds one in
# build-sweep/ with AddressSanitizer and UndefinedBehaviorSanitizer.
# Prints crashes, hangs, sanitizer reports, failures without a message,
# builds that succeeded with fewer objects than the sound file without a
# note, and files left behind; the script fails unless all are zero.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
per=${1:-200}
seed=${2:-1}
cli=${VT_CLI:-$root/build-sweep/src/cli/vellumtide-cli}
if [ -z "${VT_CLI:-}" ]; then
  cmake -S "$root" -B "$root/build-sweep" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVT_SANITIZE=ON \
    -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCHMARKS=OFF -DVT_BUILD_GUI=OFF >/dev/null
  ninja -C "$root/build-sweep" vellumtide-cli >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1

# Sound sources only: tests/data/jet/damaged holds files that are damaged already.
mapfile -t sources < <(find "$root/tests/data/jet" -maxdepth 2 -type f \( -name '*.mdb' -o -name '*.accdb' \) \
                         ! -name '*enc*' ! -name '*password*' ! -path '*/damaged/*' | sort)

# Objects a module creates: tables, queries, relations.
objects() { grep -c -E 'CreateTableDef\(|CreateQueryDef\(|^    AddRelation ' "$1" || true; }

crashes=0 hangs=0 sanitizer=0 silent=0 smaller=0 leftovers=0 total=0 failed=0 succeeded=0
for source in "${sources[@]}"; do
  "$cli" build "$source" -o "$work/sound.bas" --force -q >/dev/null 2>&1 || continue
  sound=$(objects "$work/sound.bas")
  python3 "$root/scripts/damage.py" "$source" "$work/copies" "$per" "$seed"
  for copy in "$work"/copies/*; do
    total=$((total + 1))
    out="$work/out"
    rm -rf "$out" && mkdir -p "$out"
    set +e
    timeout 10 "$cli" build "$copy" -o "$out/m.bas" --force >"$work/stdout" 2>"$work/stderr"
    code=$?
    set -e
    name="$(basename "$source") $(basename "$copy")"
    if [ $code -eq 124 ]; then hangs=$((hangs + 1)); echo "hang: $name"
    elif [ $code -ge 128 ]; then crashes=$((crashes + 1)); echo "crash ($code): $name"
    fi
    if grep -q -E 'ERROR: AddressSanitizer|runtime error:|ERROR: LeakSanitizer' "$work/stderr"; then
      sanitizer=$((sanitizer + 1)); echo "sanitizer: $name"
    fi
    if [ $code -ne 0 ] && [ $code -lt 124 ]; then
      failed=$((failed + 1))
      [ -s "$work/stderr" ] || { silent=$((silent + 1)); echo "silent failure: $name"; }
    fi
    if [ $code -eq 0 ]; then
      succeeded=$((succeeded + 1))
      if [ "$(objects "$out/m.bas")" -lt "$sound" ] && ! grep -q '^Note: ' "$work/stderr"; then
        smaller=$((smaller + 1)); echo "smaller design without a note: $name"
      fi
    fi
    if [ -n "$(find "$out" -mindepth 1 ! -name m.bas)" ]; then
      leftovers=$((leftovers + 1)); echo "left behind: $name"
    fi
  done
  rm -rf "$work/copies"
done
printf 'copies %d (failed %d, succeeded %d): crashes %d, hangs %d, sanitizer reports %d, ' \
  "$total" "$failed" "$succeeded" "$crashes" "$hangs" "$sanitizer"
printf 'failures without a message %d, smaller designs without a note %d, files left behind %d\n' \
  "$silent" "$smaller" "$leftovers"
[ $((crashes + hangs + sanitizer + silent + smaller + leftovers)) -eq 0 ]
