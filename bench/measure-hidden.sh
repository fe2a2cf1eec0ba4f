#!/usr/bin/env bash
# bench/measure-hidden.sh [BUILD_DIR] [SECONDS]
# What the saver costs while nobody can see it, in CPU seconds per second of
# the saver alone over SECONDS (default 60), beside what it costs shown:
# - X11 (a private Xvfb): its own window shown, unmapped (as when minimised
#   or on another workspace), and wholly covered by another window;
# - Wayland (a private headless sway): the wallpaper (--layer background)
#   shown, behind a full-screen opaque window, and with the output's power
#   off (swaymsg output HEADLESS-1 power off, or dpms off before sway 1.9).
#   sway's own share is given beside it. The headless backend of sway 1.7
#   cannot turn its output off (its log says "Failed to commit output"): it
#   goes on drawing and asking for frames, and the figure then shows it.
# Each runs a day sky, the dearest to draw, at 1920x1080.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
seconds=${2:-60}
aerolune=$build/apps/aerolune/aerolune
ticks=$(getconf CLK_TCK)
[ -x "$aerolune" ] || { echo "no saver at $aerolune: build it first" >&2; exit 1; }

# shellcheck source=bench/servers.sh
source "$here/bench/servers.sh"

# A longitude at latitude 30 where it is day now (in UTC).
lon=
for candidate in $(seq -180 10 170); do
    if TZ=UTC "$aerolune" --forecast --lat 30 --lon "$candidate" | grep -qx "mode: day"; then
        lon=$candidate
        break
    fi
done
[ -n "$lon" ] || { echo "no day anywhere?" >&2; exit 1; }

# measure NAME PID [SERVER_PID]: CPU s/s of PID (and of the server) over SECONDS.
measure() {
    local name=$1 pid=$2 server=${3:-} before after serverBefore=0 serverAfter=0
    before=$(cpu_ticks "$pid")
    [ -n "$server" ] && serverBefore=$(cpu_ticks "$server")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    [ -n "$server" ] && serverAfter=$(cpu_ticks "$server")
    printf '%-42s saver %.4f s/s' "$name" "$(echo "($after - $before) / $ticks / $seconds" | bc -l)"
    [ -n "$server" ] &&
        printf '   server %.4f s/s' "$(echo "($serverAfter - $serverBefore) / $ticks / $seconds" | bc -l)"
    echo
}

x11() {
    start_x11 1920 1080
    export "${env[2]}" # DISPLAY=:N
    TZ=UTC "$aerolune" --lat 30 --lon "$lon" --seed 3 &
    local saver=$!
    started+=("$saver")
    local window
    window=$(xdotool search --sync --name '^Aerolune$' | head -1)
    sleep 10 # past the loading panel's fade
    measure "X11 window, shown" "$saver" "$server"
    xdotool windowunmap --sync "$window"
    measure "X11 window, unmapped" "$saver" "$server"
    xdotool windowmap --sync "$window"
    sleep 2
    display -geometry 1600x900+0+0 -size 1600x900 xc:gray &
    local cover=$!
    started+=("$cover")
    sleep 2
    measure "X11 window, covered by another" "$saver" "$server"
    unset DISPLAY
}

wayland() {
    start_wayland 1920 1080 1
    local sock
    sock=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -1)
    local client=(env "${env[@]}" TZ=UTC)
    "${client[@]}" "$aerolune" --layer background --lat 30 --lon "$lon" --seed 3 &
    local saver=$!
    started+=("$saver")
    sleep 10
    measure "Wayland wallpaper, shown" "$saver" "$server"
    # The covering window is the saver itself, full screen: opaque, and
    # measured apart from the wallpaper.
    "${client[@]}" "$aerolune" --wayland --fullscreen --lat 30 --lon "$lon" &
    local cover=$!
    started+=("$cover")
    sleep 3
    measure "Wayland wallpaper, behind a full-screen window" "$saver" "$server"
    kill "$cover"
    wait "$cover" 2>/dev/null || true
    sleep 2
    SWAYSOCK=$sock swaymsg -q output HEADLESS-1 power off 2>/dev/null ||
        SWAYSOCK=$sock swaymsg -q output HEADLESS-1 dpms off
    sleep 2
    local state="powered off"
    SWAYSOCK=$sock swaymsg -t get_outputs | grep -Eq '"(dpms|power)": true' &&
        state="still on (sway could not turn it off)"
    measure "Wayland wallpaper, output $state" "$saver" "$server"
    SWAYSOCK=$sock swaymsg -q output HEADLESS-1 power on 2>/dev/null ||
        SWAYSOCK=$sock swaymsg -q output HEADLESS-1 dpms on
}

echo "CPU seconds per second over $seconds s, a day sky at 1920x1080"
x11
command -v sway >/dev/null && wayland
