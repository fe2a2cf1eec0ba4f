# Sourced by the bench scripts: private display servers for a measured run,
# and the processor time of a process. Everything started is recorded in
# `started` (and each sway's runtime folder in `folders`) and ended by
# `cleanup`, which runs on exit.

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

started=()
folders=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
    for folder in "${folders[@]}"; do rm -rf "$folder"; done
    started=()
    folders=()
}
trap cleanup EXIT

# Each starter sets `server` (the pid whose time is the server's) and `env`
# (what a client needs to reach it, for env(1)).
start_x11() { # WIDTH HEIGHT
    local number
    for number in $(seq 140 200); do
        [ -e "/tmp/.X${number}-lock" ] || break
    done
    Xvfb ":$number" -screen 0 "$1x$2x24" -nolisten tcp >/dev/null 2>&1 &
    server=$!
    started+=("$server")
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.1
    done
    env=(-u WAYLAND_DISPLAY "DISPLAY=:$number")
}

# sway refuses to run as root: it runs as nobody, in a runtime folder of its
# own (`runtime`, where its IPC socket is too).
start_wayland() { # WIDTH HEIGHT SCALE
    runtime=$(mktemp -d /tmp/aerolune-measure-XXXXXX)
    folders+=("$runtime")
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
    local parent=$!
    started+=("$parent")
    for _ in $(seq 100); do
        [ -S "$runtime/wayland-1" ] && break
        sleep 0.1
    done
    # runuser waits for sway as its child: sway's own time is the server's.
    server=$(pgrep -P "$parent" -x sway || echo "$parent")
    started+=("$server")
    env=(-u DISPLAY "WAYLAND_DISPLAY=$runtime/wayland-1" "XDG_RUNTIME_DIR=$runtime")
}
