#!/usr/bin/env bash
# bench/measure-cpu.sh [BUILD_DIR] [SECONDS]
# What a full-screen saver costs, in CPU seconds per second of the saver and
# of the display server together, over SECONDS (default 10) of steady state.
# Aerolune's four skies (day, night, sunset, sunrise, each at a place where it
# shows right now) are measured beside the stock hacks deco and abstractile in
# the same run, so that a machine busy with other work shifts them all alike:
# - on X11 (a private Xvfb, the saver on the root window);
# - on Wayland (a private headless sway, the saver as its background layer;
#   sway's own time is the server's);
# each at 1920x1080 and at 3840x2160 with a device scale of 2.
# SERVERS="x11 wayland" and SIZES="1080 2160" pick a part of the table.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${2:-10}
servers=${SERVERS:-x11 wayland}
sizes=${SIZES:-1080 2160}
aerolune=$build/apps/aerolune/aerolune
hacks=/usr/libexec/xscreensaver
settle=7 # the loading panel has faded out after this many seconds
ticks=$(getconf CLK_TCK)
[ -x "$aerolune" ] || { echo "no saver at $aerolune: build it first" >&2; exit 1; }

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

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

server=0
server_name=
extra_server=0
cleanup() {
    for pid in $server $extra_server; do
        if [ "$pid" -gt 0 ]; then kill "$pid" 2>/dev/null || true; fi
    done
    if [ -n "${runtime:-}" ]; then rm -rf "$runtime"; fi
}
trap cleanup EXIT

start_x11() { # WIDTH HEIGHT
    local number
    for number in $(seq 140 180); do
        [ -e "/tmp/.X${number}-lock" ] || break
    done
    Xvfb ":$number" -screen 0 "$1x$2x24" -nolisten tcp >/dev/null 2>&1 &
    server=$!
    export DISPLAY=":$number"
    unset WAYLAND_DISPLAY
    sleep 1
}

# sway refuses to run as root: it runs as nobody, in a runtime folder of its own.
start_wayland() { # WIDTH HEIGHT SCALE
    runtime=$(mktemp -d /tmp/aerolune-measure-XXXXXX)
    printf 'output HEADLESS-1 resolution %sx%s scale %s\nxwayland disable\n' "$1" "$2" "$3" \
        >"$runtime/config"
    local user=()
    if [ "$(id -u)" = 0 ]; then
        chown nobody "$runtime"
        user=(runuser -u nobody --)
    fi
    chmod 700 "$runtime"
    "${user[@]}" env -i XDG_RUNTIME_DIR="$runtime" HOME="$runtime" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 PATH=/usr/bin:/bin \
        sway -c "$runtime/config" >"$runtime/sway.log" 2>&1 &
    extra_server=$!
    for _ in $(seq 100); do
        [ -S "$runtime/wayland-1" ] && break
        sleep 0.1
    done
    # runuser waits for sway as its child: sway's own time is the server's.
    server=$(pgrep -P "$extra_server" -x sway || echo "$extra_server")
    export WAYLAND_DISPLAY="$runtime/wayland-1"
    unset DISPLAY
    sleep 1
}

stop_server() {
    local pid
    for pid in $server $extra_server; do # never 0: that is the whole process group
        if [ "$pid" -gt 0 ]; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    server=0
    extra_server=0
    if [ -n "${runtime:-}" ]; then rm -rf "$runtime"; fi
    runtime=
}

# Runs one program in the background, lets it settle, and prints its row.
measure() { # NAME SETTLE COMMAND...
    local name=$1 wait=$2
    shift 2
    "$@" >/dev/null 2>&1 &
    local saver=$!
    sleep "$wait"
    if ! kill -0 "$saver" 2>/dev/null; then
        printf '  %-12s did not run\n' "$name"
        return
    fi
    local s0 x0 s1 x1
    s0=$(cpu_ticks $saver)
    x0=$(cpu_ticks "$server")
    sleep "$seconds"
    s1=$(cpu_ticks $saver)
    x1=$(cpu_ticks "$server")
    kill -TERM $saver 2>/dev/null || true
    wait $saver 2>/dev/null || true
    awk -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v t="$ticks" -v d="$seconds" -v m="$name" \
        'BEGIN { printf "  %-12s %8.3f %8.3f %8.3f\n", m, s/t/d, x/t/d, (s+x)/t/d }'
}

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
    local run=(-root) mode zone lon
    if [ "$kind" = x11 ]; then
        start_x11 "$width" "$height"
    else
        start_wayland "$width" "$height" "$scale"
        run=(--layer background)
    fi
    for mode in day night sunset sunrise; do
        if [ -z "${place[$mode]}" ]; then
            printf '  %-12s no place shows it now\n' "$mode"
            continue
        fi
        read -r zone lon <<<"${place[$mode]}"
        measure "$mode" "$settle" env TZ="$zone" "$aerolune" "${run[@]}" "${scaled[@]}" \
            --lat 30 --lon "$lon" --seed 1
    done
    for hack in deco abstractile; do
        if [ ! -x "$hacks/$hack" ]; then
            printf '  %-12s not installed (xscreensaver-data)\n' "$hack"
        elif [ "$kind" = wayland ]; then
            printf '  %-12s an X11 hack: see the X11 table\n' "$hack"
        else
            measure "$hack" 2 "$hacks/$hack" -root
        fi
    done
    stop_server
}

echo "CPU seconds per second, saver and display server, over ${seconds} s"
for kind in $servers; do
    for size in $sizes; do
        table "$kind" "$size"
    done
done
