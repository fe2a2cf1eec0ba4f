#!/usr/bin/env bash
# debian-package.sh BUILD_DIR SOURCE_DIR WITH_SETTINGS: packs the build tree with CPack, checks the
# package and runs the programs unpacked from it; 77 (skipped) without the Debian tools.
set -euo pipefail
build=$1 source_dir=$2 with_settings=$3
source "$(dirname "$0")/layout.sh"
for tool in dpkg-deb dpkg-shlibdeps file objdump; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
scratch=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-debian-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Without dpkg-shlibdeps CPack would make a package whose Depends lack every
# library; it must refuse instead, and say what to install.
if cpack --config "$build/CPackConfig.cmake" -B "$scratch/refused" \
    -D AEROLUNE_DPKG_SHLIBDEPS=/nonexistent/dpkg-shlibdeps >"$scratch/refused.log" 2>&1 ||
    ! grep -q 'dpkg-dev' "$scratch/refused.log" || [ -n "$(find "$scratch/refused" -name '*.deb')" ]; then
    cat "$scratch/refused.log" >&2
    fail "cpack made a package without dpkg-shlibdeps, or did not say what to install"
fi
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB"; }
deb=$(echo "$scratch"/out/*.deb)
[ -f "$deb" ] || fail "cpack made no single package: $deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package) $(field Section) $(field Architecture)" = "aerolune x11 $(dpkg --print-architecture)" ] &&
    [[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] && [ "$(field Description | wc -l)" -gt 1 ] &&
    grep -qw xscreensaver <<<"$(field Recommends)" || fail "control fields: $(dpkg-deb -f "$deb")"
if command -v dpkg-parsechangelog >/dev/null; then
    changelog=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Version)
    [ "$(field Version)" = "$changelog" ] || fail "version $(field Version), change log $changelog"
fi
names=$(sed -e 's/ *([^)]*)//g' -e 's/ *|[^,]*//g' -e 's/, */\n/g' <<<"$(field Depends)")
needs() { grep -qxF "$1" <<<"$names" || fail "Depends lacks $1 ($2): $(field Depends)"; }
# What dpkg-shlibdeps cannot see: the fonts and the time zones.
needs fonts-dejavu-core "the text's font"
needs tzdata "the time zones"

dpkg -x "$deb" "$scratch/root"
# Every library a program links, as the package of this release that holds it
# here (libgtkmm-3.0-1v5 on Debian 12, libgtkmm-3.0-1t64 on Debian 13).
holder() {
    local path=$1 candidate found
    for candidate in "$path" "${path#/usr}" "/usr$path"; do
        found=$(dpkg -S "$candidate" 2>/dev/null | grep -v '^diversion' | head -n 1) || continue
        [ -n "$found" ] && { echo "${found%%:*}"; return; }
    done
    fail "no package holds $path"
}
for program in "$scratch"/root/usr/{libexec/xscreensaver/aerolune,bin/aerolune-settings}; do
    [ -e "$program" ] || continue
    libraries=$(ldd "$program")
    for soname in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
        path=$(awk -v soname="$soname" '$1 == soname && $2 == "=>" { print $3 }' <<<"$libraries")
        [ -n "$path" ] || fail "$(basename "$program") links $soname, which is not found"
        package=$(holder "$path") || exit 1
        needs "$package" "for $soname"
    done
done
check_layout "$scratch/root/usr" "$with_settings"
for program in "$scratch"/root/usr/{libexec/xscreensaver/aerolune,bin/aerolune-settings}; do
    [ ! -e "$program" ] || file "$program" | grep -q ', stripped' || fail "$program is not stripped"
done
check_programs "$scratch/root/usr" "$scratch" "$with_settings"
echo "Debian package $(basename "$deb"): all checks passed"
