#!/usr/bin/env bash
# bench/measure-cpu.sh [BUILD_DIR] [SECONDS]
# What a full-screen saver costs, in CPU seconds per second of the saver and
# of the display server together, over SECONDS (default 20) of steady state.
# Aerolune's four skies (day, night, sunset, sunrise, each at a place where it
# shows right now) are measured beside the stock hacks deco and abstractile,
# all at once, each on a display server of its own, so that a machine busy
# with other work shifts them all alike:
# - on X11 (a private Xvfb each, the program on the root window);
# - on Wayland (a private headless sway each, the saver as its background
#   layer; sway's own time is the server's);
# each at 1920x1080 and at 3840x2160 with a device scale of 2.
# Steady state begins once the loading panel has faded and the backdrop's
# first walk step is over: that step takes 60 s, the later ones 240 s, so its
# colours change four times as fast as in the hours that follow.
# SERVERS="x11 wayland" and SIZES="1080 2160" pick a part of the table.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${2:-20}
servers=${SERVERS:-x11 wayland}
sizes=${SIZES:-1080 2160}
aerolune=$build/apps/aerolune/aerolune
hacks=/usr/libexec/xscreensaver
settle=${SETTLE:-65}
ticks=$(getconf CLK_TCK)
[ -x "$aerolune" ] || { echo "no saver at $aerolune: build it first" >&2; exit 1; }

# shellcheck source=bench/servers.sh
source "$here/bench/servers.sh"

# A time zone and a longitude at latitude 30 where the sky shows `mode` now.
# The day whose sunrise and sunset count is the time zone's: just after
# midnight in UTC no longitude shows a sunset of today there.
place_for() {
    local zone lon
    for zone in UTC Etc/GMT+8 Etc/GMT-8; do
        for lon in $(seq -180 2 178); do
            if TZ=$zone "$aerolune" --forecast --lat 30 --lon "$lon" 2>/dev/null |
                grep -qx "mode: $1"; then
                echo "$zone $lon"
                return
            fi
        done
    done
    return 1
}

declare -A place
for mode in day night sunset sunrise; do
    place[$mode]=$(place_for "$mode" || true)
done
scaling=no
# Read whole: grep -q would stop reading and a long help end on SIGPIPE.
[[ $("$aerolune" --help 2>&1) == *--scale* ]] && scaling=yes

table() { # SERVER SIZE
    local kind=$1 size=$2 width=1920 height=1080 scale=1 scaled=()
    if [ "$size" = 2160 ]; then
        width=3840 height=2160 scale=2
        [ "$kind" = x11 ] && [ "$scaling" = yes ] && scaled=(--scale 2)
    fi
    echo
    echo "$kind ${width}x${height} scale $scale"
    if [ "$kind" = x11 ] && [ "$scale" != 1 ] && [ "$scaling" = no ]; then
        echo "  (this saver has no --scale: it draws one pixel per point)"
    fi
    printf '  %-12s %8s %8s %8s\n' "" saver server total
    local run=(-root) names=() programs=() servers_of=() notes=() mode zone lon hack
    [ "$kind" = wayland ] && run=(--layer background)
    for mode in day night sunset sunrise; do
        if [ -z "${place[$mode]}" ]; then
            notes+=("$(printf '  %-12s no place shows it now' "$mode")")
            continue
        fi
        read -r zone lon <<<"${place[$mode]}"
        if [ "$kind" = x11 ]; then start_x11 "$width" "$height"; else
            start_wayland "$width" "$height" "$scale"; fi
        env "${env[@]}" TZ="$zone" "$aerolune" "${run[@]}" "${scaled[@]}" \
            --lat 30 --lon "$lon" --seed 1 >/dev/null 2>&1 &
        started+=($!)
        names+=("$mode") programs+=($!) servers_of+=("$server")
    done
    for hack in deco abstractile; do
        if [ ! -x "$hacks/$hack" ]; then
            notes+=("$(printf '  %-12s not installed (xscreensaver-data)' "$hack")")
        elif [ "$kind" = wayland ]; then
            notes+=("$(printf '  %-12s an X11 hack: see the X11 table' "$hack")")
        else
            start_x11 "$width" "$height"
            env "${env[@]}" "$hacks/$hack" -root >/dev/null 2>&1 &
            started+=($!)
            names+=("$hack") programs+=($!) servers_of+=("$server")
        fi
    done
    sleep "$settle"
    local i before=() after=()
    for i in "${!programs[@]}"; do
        before+=("$(cpu_ticks "${programs[$i]}") $(cpu_ticks "${servers_of[$i]}")")
    done
    sleep "$seconds"
    for i in "${!programs[@]}"; do
        after+=("$(cpu_ticks "${programs[$i]}") $(cpu_ticks "${servers_of[$i]}")")
    done
    for i in "${!programs[@]}"; do
        if ! kill -0 "${programs[$i]}" 2>/dev/null; then
            printf '  %-12s did not run\n' "${names[$i]}"
            continue
        fi
        awk -v b="${before[$i]}" -v a="${after[$i]}" -v t="$ticks" -v d="$seconds" \
            -v m="${names[$i]}" 'BEGIN { split(b, x); split(a, y); s = y[1] - x[1]
                r = y[2] - x[2]; printf "  %-12s %8.3f %8.3f %8.3f\n", m, s/t/d, r/t/d, (s+r)/t/d }'
    done
    for i in "${!notes[@]}"; do echo "${notes[$i]}"; done
    cleanup
}

echo "CPU seconds per second, saver and display server, over ${seconds} s of steady state"
for kind in $servers; do
    for size in $sizes; do
        table "$kind" "$size"
    done
done
