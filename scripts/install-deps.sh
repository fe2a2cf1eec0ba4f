#!/usr/bin/env bash
# Installs the Debian packages Aerolune needs, and only when one is missing.
#   scripts/install-deps.sh build   what building and running the saver needs
#   scripts/install-deps.sh test    that, plus what the tests and benchmarks need
set -euo pipefail

build_packages=(
    g++ cmake ninja-build pkg-config
    libcairo2-dev libpango1.0-dev fonts-dejavu-core zlib1g-dev
    libx11-dev libxext-dev libxrandr-dev libgtkmm-3.0-dev libglib2.0-dev
    libwayland-dev wayland-protocols libxkbcommon-dev
    tzdata
    # Message catalogues: msgfmt and xgettext (CMake's FindGettext)
    gettext
)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool imagemagick x11-utils xscreensaver
    # A headless Wayland compositor, its screenshots and a keyboard to type on it
    sway grim wtype
    dpkg-dev file
    # systemd-analyze, to check the user units the package installs
    systemd
    # The desktops' settings the background is set in: their schemas, Xfce's
    # settings daemon, and a private D-Bus session to reach it on
    gsettings-desktop-schemas dconf-gsettings-backend cinnamon-desktop-data mate-desktop-common
    xfconf libxfconf-0-3 dbus-daemon
    # Clang, libFuzzer's runtime, and llvm-symbolizer to name the lines of a report
    clang libclang-rt-dev llvm
    # include-what-you-use, for scripts/check-includes.sh
    iwyu
    # Installed locales for the tests of the translations: Debian 13's C
    # library translates nothing in the C.UTF-8 locale
    locales-all
)

packages=("${build_packages[@]}")
if [ "${1:-build}" = test ]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run as root or install sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# Try without refreshing first; refresh the lists only when they are stale or absent.
if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
