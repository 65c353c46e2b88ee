#!/bin/bash
# Opens FILE in each program named, one after the other, in a real window
# (Xvfb with openbox): how long each stays busy (until its CPU time stops
# growing for 2 s) and its peak resident memory. "quillet" is this build's.
#   bench/real_window.sh FILE quillet [mousepad gedit featherpad ...]
# Needs Xvfb and openbox; the other editors only if named.
set -u
file=$1
shift
here=$(cd "$(dirname "$0")/.." && pwd)
display=:${QUILLET_BENCH_DISPLAY:-79}
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
ticks=$(getconf CLK_TCK)
for program in "$@"; do
    command=$program
    [ "$program" = quillet ] && command=${QUILLET_BIN:-$here/build/quillet}
    start=$(date +%s.%N)
    "$command" "$file" >/dev/null 2>&1 &
    pid=$!
    last=-1 quiet=0 busy=$start
    while [ $quiet -lt 20 ]; do
        sleep 0.1
        [ -d /proc/$pid ] || { echo "$program: ended"; continue 2; }
        cpu=$(awk '{print $14 + $15}' /proc/$pid/stat)
        if [ "$cpu" = "$last" ]; then quiet=$((quiet + 1)); else quiet=0 busy=$(date +%s.%N); fi
        last=$cpu
    done
    peak=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
    printf '%-12s busy %6.2f s, CPU %6.2f s, peak resident %5d MB\n' "$program" \
        "$(echo "$busy - $start" | bc)" "$(echo "$last / $ticks" | bc -l)" $((peak / 1024))
    kill $pid 2>/dev/null
    sleep 0.5
    kill -9 $pid 2>/dev/null
    wait $pid 2>/dev/null
done
kill $wm $xvfb
wait 2>/dev/null
