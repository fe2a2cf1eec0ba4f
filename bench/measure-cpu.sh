#!/usr/bin/env bash
# bench/measure-cpu.sh [BUILD_DIR] [SECONDS]
# Runs the saver full-screen (-root) on a private 1920x1080 Xvfb once per sky
# (day, night, sunset, sunrise), picking a place where that sky shows right now,
# and prints the CPU seconds per second that the saver and the X server use
# together over SECONDS (default 20) of steady state.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${2:-20}
aerolune=$build/apps/aerolune/aerolune
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# A longitude at latitude 30 where the sky shows `mode` now.
longitude_for() {
    for lon in $(seq -180 2 178); do
        if "$aerolune" --forecast --lat 30 --lon "$lon" 2>/dev/null | grep -qx "mode: $1"; then
            echo "$lon"
            return
        fi
    done
    return 1
}

for number in $(seq 140 180); do
    [ -e "/tmp/.X${number}-lock" ] || break
done
Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$number"
sleep 1

printf '%-8s %10s %10s %10s\n' sky saver xserver total
for mode in day night sunset sunrise; do
    lon=$(longitude_for "$mode") || { echo "$mode: no place shows it now"; continue; }
    "$aerolune" -root --lat 30 --lon "$lon" --seed 1 &
    saver=$!
    sleep 8 # the loading panel has faded
    s0=$(cpu_ticks $saver); x0=$(cpu_ticks $xvfb)
    sleep "$seconds"
    s1=$(cpu_ticks $saver); x1=$(cpu_ticks $xvfb)
    kill -TERM $saver
    wait $saver
    awk -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v t="$ticks" -v d="$seconds" -v m="$mode" \
        'BEGIN { printf "%-8s %10.3f %10.3f %10.3f\n", m, s/t/d, x/t/d, (s+x)/t/d }'
done
