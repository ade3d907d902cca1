#!/usr/bin/env bash
# Counts the stored properties of every test database, and how many of them
# a module built with --full-design sets, and how many it leaves out, by
# name and reason.
#   scripts/property-counts.sh CLI [DATA_DIR]
set -uo pipefail
cli=${1:?usage: property-counts.sh CLI [DATA_DIR]}
data=${2:-$(cd "$(dirname "$0")/.." && pwd)/../shared/testdata}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
touch "$out/stored.txt" "$out/set.txt" "$out/left.txt" "$out/expr.txt"
find "$data" -name '*.mdb' -o -name '*.accdb' | sort | while read -r f; do
  for pw in "" password ucanaccess Test123 1234; do
    if [ -n "$pw" ]; then a=(--password "$pw"); else a=(); fi
    if "$cli" schema "$f" "${a[@]}" > "$out/s.json" 2>/dev/null; then
      "$cli" build "$f" "${a[@]}" -o "$out/m.bas" --force --full-design >/dev/null 2>&1
      python3 - "$out/s.json" >> "$out/stored.txt" <<'PY'
import json,sys
d=json.load(open(sys.argv[1]))
def emit(ps):
    for p in ps or []: print(p['name'])
emit(d.get('properties'))
for t in d['tableDefs']:
    if t['attributes'] & 0x80000002 == 0x80000002 or t['attributes'] & 0x80000000: continue
    emit(t.get('properties'))
    for f in t['fields']: emit(f.get('properties'))
    for x in t['indexes']: emit(x.get('properties'))
for q in d['queryDefs']: emit(q.get('properties'))
PY
      grep -cE '^ *\.fdExpression = ' "$out/m.bas" >> "$out/expr.txt"
      grep -oE '^ *SetProperty [^,]+, "[^"]+"' "$out/m.bas" | sed -E 's/.*, "([^"]+)"/\1/' >> "$out/set.txt"
      grep -oE "^ *' Property \"[^\"]+\" of .* is left out: .*" "$out/m.bas" | sed -E "s/^ *' Property \"([^\"]+)\" of .* is left out: (.*)/\1|\2/" >> "$out/left.txt"
      break
    fi
  done
done
echo "calculated expressions set: $(awk '{s+=$1} END {print s+0}' "$out/expr.txt")"
echo "stored: $(wc -l < $out/stored.txt)  set: $(wc -l < $out/set.txt)  left out with a comment: $(wc -l < $out/left.txt)"
echo "--- left out, by name and reason"; sort "$out/left.txt" | uniq -c | sort -rn
echo "--- set, by name (top 40)"; sort "$out/set.txt" | uniq -c | sort -rn | head -40
echo "--- stored but neither set nor commented (their object is not created), by name"
python3 - "$out" <<'PY'
import sys,collections
d=sys.argv[1]
st=collections.Counter(open(d+'/stored.txt').read().split('\n'))
se=collections.Counter(open(d+'/set.txt').read().split('\n'))
le=collections.Counter(l.split('|')[0] for l in open(d+'/left.txt').read().split('\n'))
rest=st-se-le
print(sum(v for k,v in rest.items() if k), dict((k,v) for k,v in rest.most_common(15) if k))
PY
rm -rf "$out"
