#!/usr/bin/env bash
# install-tree.sh BUILD_DIR WITH_SETTINGS: installs the build tree into a
# scratch prefix with `cmake --install` (nothing is built again) and checks
# what a user gets there: every file in its place, manual pages that format
# cleanly and describe every option, and programs that run on their own data.
set -euo pipefail
build=$1
with_settings=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/layout.sh"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-install-tree.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "cmake --install"; }
check_layout "$prefix" "$with_settings"
check_programs "$prefix" "$scratch" "$with_settings"
echo "installed tree under a scratch prefix: all checks passed"
