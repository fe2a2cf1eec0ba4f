#!/usr/bin/env bash
# debian-package.sh BUILD_DIR SOURCE_DIR WITH_SETTINGS: builds the Debian
# package from the build tree with CPack (nothing is built again), checks its
# control fields, unpacks it into a scratch root with `dpkg -x` and runs the
# programs from there. Exits 77 (skipped) without the Debian tools it needs.
set -euo pipefail
build=$1
source_dir=$2
with_settings=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/layout.sh"

for tool in dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-debian-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Without dpkg-shlibdeps CPack would make a package whose Depends lack every
# library; it must refuse instead (the missing tool is feigned here).
if cpack --config "$build/CPackConfig.cmake" -B "$scratch/refused" \
    -D AEROLUNE_DPKG_SHLIBDEPS=/nonexistent/dpkg-shlibdeps >"$scratch/refused.log" 2>&1; then
    fail "cpack made a package without dpkg-shlibdeps"
fi
grep -q 'dpkg-dev' "$scratch/refused.log" || { cat "$scratch/refused.log" >&2; fail "cpack did not say what to install"; }
[ -z "$(find "$scratch/refused" -name '*.deb' 2>/dev/null)" ] || fail "a package was left behind"

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB"; }
packages=("$scratch"/out/*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || fail "cpack made ${#packages[@]} packages"
deb=${packages[0]}
dpkg-deb -I "$deb" >/dev/null || fail "dpkg-deb -I cannot read the package"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = aerolune ] || fail "Package: $(field Package)"
[ "$(field Section)" = x11 ] || fail "Section: $(field Section)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Description | head -n 1)" ] || fail "no Description"
[ "$(field Description | wc -l)" -gt 1 ] || fail "the Description has no long text"
grep -qw xscreensaver <<<"$(field Recommends)" || fail "Recommends: $(field Recommends)"
if command -v dpkg-parsechangelog >/dev/null; then
    changelog=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Version)
    [ "$(field Version)" = "$changelog" ] ||
        fail "the package is version $(field Version) but the change log's last entry is $changelog"
fi
# What dpkg-shlibdeps finds, and what it cannot see: the fonts of the text
# and the time-zone data.
depends=$(field Depends)
required=(libc6 libstdc++6 libcairo2 libpango-1.0-0 libpangocairo-1.0-0 libx11-6 libxext6 zlib1g
    libwayland-client0 libxkbcommon0 fonts-dejavu-core tzdata)
[ "$with_settings" = 1 ] && required+=(libgtkmm-3.0-1v5)
# One package name a line, versions and alternatives left out.
names=$(sed -e 's/ *([^)]*)//g' -e 's/ *|[^,]*//g' -e 's/, */\n/g' <<<"$depends")
for package in "${required[@]}"; do
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done

root=$scratch/root
dpkg -x "$deb" "$root"
check_layout "$root/usr" "$with_settings"
for program in "$root/usr/libexec/xscreensaver/aerolune" "$root/usr/bin/aerolune-settings"; do
    [ -e "$program" ] || continue
    file "$program" | grep -q ', stripped' || fail "$program is not stripped"
done
check_programs "$root/usr" "$scratch" "$with_settings"
echo "Debian package $(basename "$deb"): all checks passed"
