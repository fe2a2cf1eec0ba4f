#!/usr/bin/env bash
# scripts/try-fresh.sh bookworm|trixie: tries the README's two commands on a
# fresh minimal Debian of that release, as a new user would.
#
# Makes the release with `debootstrap --variant=minbase` (kept as a tarball
# after the first time), unpacks it into a new folder, clones the committed
# HEAD of this repository into it, and there runs `scripts/run.sh --forecast`
# (it installs the build's packages, builds and runs the saver without a
# display) and then `scripts/test.sh`, printing the end of each and its exit
# status. Exits 0 when both passed.
#
# It runs as root (through sudo otherwise). The chroot lives in namespaces of
# its own: its mounts (/proc, a small /dev with its own pseudo-terminals and
# /dev/shm, /sys, /run) are seen by nothing else and vanish with it, and every
# process left in it ends when the run ends, however it ends (Ctrl-C too).
# The tests run without a network, on a loopback of their own, so that their
# X displays (whose abstract sockets are per network) and those of anyone
# else on the machine never meet.
#
#   TRY_FRESH_DIR   where the tarballs and runs are kept (/var/cache/aerolune-try-fresh)
#   TRY_FRESH_KEEP  1 keeps the run's folder after a pass too (it is kept after a failure)
#   MIRROR          the Debian mirror debootstrap uses (its own default otherwise)
set -euo pipefail

release=${1:-}
case "$release" in
bookworm | trixie) ;;
*)
    echo "usage: scripts/try-fresh.sh bookworm|trixie" >&2
    exit 2
    ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "try-fresh.sh needs root (or sudo) for debootstrap and chroot" >&2; exit 1; }
    exec sudo --preserve-env=TRY_FRESH_DIR,TRY_FRESH_KEEP,MIRROR "$0" "$@"
fi

here=$(cd "$(dirname "$0")/.." && pwd)
head=$(git -C "$here" rev-parse HEAD)
if [ -n "$(git -C "$here" status --porcelain --untracked-files=no)" ]; then
    echo "note: trying the committed $head; the changes not committed are not in it" >&2
fi
cache=${TRY_FRESH_DIR:-/var/cache/aerolune-try-fresh}
mkdir -p "$cache"
started=$(date +%s)
elapsed() { local s=$(($(date +%s) - $1)); printf '%dm%02ds' $((s / 60)) $((s % 60)); }

# The release, made once.
tarball=$cache/$release-minbase.tar.gz
if [ ! -f "$tarball" ]; then
    if ! command -v debootstrap >/dev/null; then
        echo "== installing debootstrap"
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap ||
            { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap; }
    fi
    echo "== debootstrap --variant=minbase $release (once; kept as $tarball)"
    fresh=$cache/$release-minbase.new
    rm -rf --one-file-system "$fresh"
    debootstrap --variant=minbase "$release" "$fresh" ${MIRROR:+"$MIRROR"} >"$cache/$release-debootstrap.log" 2>&1 ||
        { tail -n 20 "$cache/$release-debootstrap.log" >&2; exit 1; }
    tar -C "$fresh" --numeric-owner -czf "$tarball.new" .
    mv "$tarball.new" "$tarball"
    rm -rf --one-file-system "$fresh"
fi

# A new root for this run; an earlier run of the same release is cleared first.
root=$cache/$release-run
mounted() { grep -q " $1[/ ]" /proc/self/mountinfo; }
if [ -e "$root" ]; then
    mounted "$root" && { echo "something is still mounted under $root; not clearing it" >&2; exit 1; }
    rm -rf --one-file-system "$root"
fi
mkdir -p "$root"
tar -C "$root" --numeric-owner -xzf "$tarball"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone --quiet --no-checkout "$here" "$root/root/aerolune"
git -C "$root/root/aerolune" checkout --quiet --detach "$head"

# Runs a command in the chroot, in new mount, PID and IPC namespaces (and a
# network one of its own with `isolated`). When this script ends, the
# namespace's first process is killed, and with it everything else there.
ns=
in_chroot() {
    local network=()
    [ "$1" = isolated ] && network=(--net)
    shift
    # The ordinary SIGINT a terminal sends: programs started in the background
    # by a script inherit it ignored otherwise, and some tests send it.
    env --default-signal=INT,QUIT unshare --mount --pid --ipc "${network[@]}" --fork --kill-child \
        --mount-proc="$root/proc" /bin/bash -euc '
            root=$1; shift
            dev=$root/dev
            mount -t tmpfs -o mode=755,nosuid tmpfs "$dev"
            for node in null zero full random urandom tty; do
                touch "$dev/$node"
                mount --bind "/dev/$node" "$dev/$node"
            done
            mkdir "$dev/pts" "$dev/shm"
            mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$dev/pts"
            ln -s pts/ptmx "$dev/ptmx"
            mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$dev/shm"
            ln -s /proc/self/fd "$dev/fd"
            ln -s /proc/self/fd/0 "$dev/stdin"
            ln -s /proc/self/fd/1 "$dev/stdout"
            ln -s /proc/self/fd/2 "$dev/stderr"
            mount -t sysfs -o ro,nosuid,nodev,noexec sysfs "$root/sys"
            mount -t tmpfs -o mode=755,nosuid,nodev tmpfs "$root/run"
            ip link set lo up 2>/dev/null || true
            exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
                PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"' \
        in-chroot "$root" "$@" &
    ns=$!
    local status=0
    wait "$ns" || status=$?
    ns=
    return "$status"
}
# The script's own output, for what is said while a command's output goes to its log.
exec 3>&1
finish() {
    local status=$?
    exec 1>&3 2>&3
    if [ -n "$ns" ]; then
        kill -KILL "$ns" 2>/dev/null || true
        wait "$ns" 2>/dev/null || true
    fi
    # Nothing was mounted outside the namespaces; this only confirms it.
    if mounted "$root"; then
        echo "still mounted under $root:" >&2
        grep " $root[/ ]" /proc/self/mountinfo >&2
    elif [ "$status" -eq 0 ] && [ "${TRY_FRESH_KEEP:-0}" != 1 ]; then
        rm -rf --one-file-system "$root"
    else
        echo "the run's folder is kept: $root"
    fi
}
trap finish EXIT
trap 'echo "== interrupted" >&3; exit 130' INT
trap 'echo "== terminated" >&3; exit 143' TERM

# Runs one of the README's commands in the clone, its output to a log kept
# beside the tarballs; prints the end of the log, the exit status and the time.
results=()
try() {
    local name=$1 network=$2
    shift 2
    local log=$cache/$release-$name.log since status=0
    since=$(date +%s)
    echo "== $release: $* (log: $log)"
    in_chroot "$network" /bin/bash -c 'cd /root/aerolune && exec "$@"' command "$@" >"$log" 2>&1 || status=$?
    tail -n "${TRY_FRESH_LINES:-15}" "$log" | sed 's/^/    /'
    results+=("$release: $* exited $status after $(elapsed "$since")")
    echo "== ${results[-1]}"
    return "$status"
}

overall=0
# run.sh installs the packages the build needs over the network; test.sh's
# own are installed the same way before its run, which has no network.
try run networked scripts/run.sh --forecast --lat 48.85 --lon 2.35 || overall=1
try install-deps networked scripts/install-deps.sh test || overall=1
try test isolated scripts/test.sh || overall=1

echo "== summary ($(elapsed "$started") in all)"
printf '   %s\n' "${results[@]}"
exit "$overall"
