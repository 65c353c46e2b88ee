#!/usr/bin/env bash
# Times Quillet's tally + report and Python's collections.Counter on the same
# text in the same run, and prints the ratio. Usage: bench/compare.sh [units]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
units="${1:-100000000}"
bin="$root/build/bench/bench_frequency"
[ -x "$bin" ] || cmake --build "$root/build" --target bench_frequency
data="$(mktemp --suffix=.txt)"
trap 'rm -f "$data"' EXIT
"$bin" --generate "$units" "$data"

ours=$("$bin" --file "$data")
echo "$ours"
ours_s=$(echo "$ours" | awk '{print $5}')

python_s=$(python3 - "$data" <<'PY'
import collections, statistics, sys, time
text = open(sys.argv[1], encoding="utf-8", newline="").read()
runs = []
for _ in range(3):
    t = time.perf_counter()
    collections.Counter(text)
    runs.append(time.perf_counter() - t)
print(f"{statistics.median(runs):.4f}")
PY
)
echo "Counter       median ${python_s} s"
awk -v a="$python_s" -v b="$ours_s" 'BEGIN { printf "Quillet is %.1fx faster than Counter\n", a / b }'
