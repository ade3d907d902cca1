#!/usr/bin/env bash
# Writes what vellumtide-cli prints and builds for every test database into
# one folder, so two builds of the tool can be compared with `diff -r`:
#   scripts/snapshot-outputs.sh CLI OUT_DIR [DATA_DIR]
# For each database: list, schema, and build at both commenting levels with
# common code on and off, each with its stderr and exit code.
set -uo pipefail
cli=${1:?usage: snapshot-outputs.sh CLI OUT_DIR [DATA_DIR]}
out=${2:?usage: snapshot-outputs.sh CLI OUT_DIR [DATA_DIR]}
root=$(cd "$(dirname "$0")/.." && pwd)
data=${3:-$root/../shared/testdata}
cli=$(realpath "$cli")

# Passwords of the protected samples, as their projects' tests use them.
password_for() {
  case "$(basename "$1")" in
    password.mdb) echo ucanaccess ;;
    *with-password* | *-enc.* | office-agile*) echo password ;;
    *) echo "" ;;
  esac
}

# run NAME COMMAND...: stdout to NAME.out, stderr and exit code to NAME.err
run() {
  local name=$1; shift
  "$@" >"$name.out" 2>"$name.err"
  echo "exit $?" >>"$name.err"
}

mkdir -p "$out"
count=0
while IFS= read -r db; do
  rel=${db#"$data"/}
  dir="$out/$rel"
  mkdir -p "$dir"
  pw=$(password_for "$db")
  args=()
  [ -n "$pw" ] && args=(--password "$pw")
  run "$dir/list" "$cli" list "$db" "${args[@]}"
  run "$dir/schema" "$cli" schema "$db" "${args[@]}"
  for comments in low high; do
    for common in on off; do
      opts=(--comments "$comments")
      [ "$common" = off ] && opts+=(--no-common-code)
      run "$dir/build-$comments-$common" "$cli" build "$db" -o "$dir/Module-$comments-$common.bas" \
        --force "${opts[@]}" "${args[@]}"
    done
  done
  count=$((count + 1))
done < <(find "$data" -type f \( -name '*.mdb' -o -name '*.accdb' \) | sort)
echo "snapshot-outputs: $count databases into $out"
