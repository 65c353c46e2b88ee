#!/usr/bin/env bash
# quillet-report against a Python collections.Counter script and `wc -m`, in one
# run over the same files: a 1 GB UTF-8 corpus of about 10,000 files, a 1 GB
# GB18030 file, and peak memory on it and on a 4 GB file (/usr/bin/time -v).
# The text is fortunes-zh's, repeated. The data stays in $QUILLET_BENCH_DIR
# (default /tmp/quillet-bench) for later runs.
# Usage: bench/report_bench.sh [path/to/quillet-report]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${1:-$root/build/quillet-report}"
data="${QUILLET_BENCH_DIR:-/tmp/quillet-bench}"
python=/usr/bin/python3
mkdir -p "$data"

if [ ! -d "$data/corpus" ]; then
    echo "Writing a 1 GB UTF-8 corpus of 10,000 files to $data/corpus"
    "$python" - "$data/corpus" <<'PY'
import os, sys
root = sys.argv[1]
text = "".join(open(f"/usr/share/games/fortunes/{n}.u8", encoding="utf-8").read()
               for n in ("chinese", "tang300", "song100"))
blob = (text * (1 + (1 << 27) // len(text.encode())))
data = blob.encode()
size = 100_000
for i in range(10_000):
    folder = os.path.join(root, f"{i // 100:03d}")
    os.makedirs(folder, exist_ok=True)
    start = (i * 7919 * 13) % (len(data) - 2 * size)
    # Start and end on a line, so that every file is valid UTF-8.
    start = data.index(b"\n", start) + 1
    end = data.index(b"\n", start + size) + 1
    with open(os.path.join(folder, f"{i:05d}.txt"), "wb") as f:
        f.write(data[start:end])
PY
fi
if [ ! -f "$data/gb18030-1g.txt" ]; then
    echo "Writing a 1 GB GB18030 file and a 4 GB UTF-8 file"
    # GB18030 takes two bytes where UTF-8 takes three: the corpus and a half, cut after a line.
    { find "$data/corpus" -name '*.txt' | sort | xargs cat; find "$data/corpus" -name '*.txt' | sort | head -5000 | xargs cat; } |
        iconv -f UTF-8 -t GB18030 | head -c 1073741824 | sed '$d' > "$data/gb18030-1g.txt"
    for _ in 1 2 3 4; do find "$data/corpus" -name '*.txt' | sort | xargs cat; done > "$data/utf8-4g.txt"
fi
corpus_bytes=$(du -sb "$data/corpus" | cut -f1)
echo "corpus: $corpus_bytes bytes in $(find "$data/corpus" -name '*.txt' | wc -l) files; $(nproc) cores"
cat "$data"/gb18030-1g.txt "$data"/utf8-4g.txt > /dev/null # in the page cache, as the corpus is after writing
find "$data/corpus" -name '*.txt' -print0 | xargs -0 cat > /dev/null

# "wall cpu": the wall time and the processor time (user + system) of a
# command, its output thrown away; on a shared machine the processor time is
# the steadier figure.
measure() {
    /usr/bin/time -f "%e %U %S" "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.2f %.2f", $1, $2 + $3}'
}
peak() { # the peak resident set of a command, in MiB
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident/ {printf "%.1f", $6 / 1024}'
}
ratio() { echo "$1 / $2" | bc -l | xargs printf '%.1f'; }
line() { # name, then "wall cpu" of quillet-report and of each other program with its name
    local name="$1" q="$2"
    shift 2
    printf '%s: quillet-report %s s (cpu %s s)' "$name" ${q% *} ${q#* }
    while (($#)); do
        printf ', %s %s s (cpu %s s; %sx wall, %sx cpu)' "$1" ${2% *} ${2#* } \
            "$(ratio ${2% *} ${q% *})" "$(ratio ${2#* } ${q#* })"
        shift 2
    done
    echo
}

q=$(measure "$program" --quiet --order count "$data/corpus")
w=$(measure sh -c "find '$data/corpus' -name '*.txt' -print0 | LC_ALL=C.UTF-8 xargs -0 wc -m | tail -1")
c=$(measure "$python" "$root/bench/report_counter.py" "$data/corpus")
line "1 GB UTF-8, 10,000 files" "$q" "wc -m" "$w" "Counter script" "$c"
g=$(measure "$program" --quiet --order count "$data/gb18030-1g.txt")
gc=$(measure "$python" "$root/bench/report_counter.py" --gb18030 "$data/gb18030-1g.txt")
line "1 GB GB18030 file" "$g" "Counter script" "$gc"
printf 'peak memory: 1 GB GB18030 file %s MiB, 4 GB UTF-8 file %s MiB, 1 GB corpus %s MiB\n' \
    "$(peak "$program" --quiet "$data/gb18030-1g.txt")" "$(peak "$program" --quiet "$data/utf8-4g.txt")" \
    "$(peak "$program" --quiet "$data/corpus")"
