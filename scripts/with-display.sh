#!/usr/bin/env bash
# scripts/with-display.sh COMMAND...: runs COMMAND with DISPLAY set, starting a
# private Xvfb (1920x1080x24) when there is no display, and stopping it after.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$@"
fi
for number in $(seq 90 130); do
    [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ] || break
done
Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp +extension MIT-SHM >/tmp/xvfb-$number.log 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$number"
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
"$@"
