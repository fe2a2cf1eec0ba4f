#!/usr/bin/env bash
# install-tree.sh BUILD_DIR WITH_SETTINGS: installs the build tree into a
# scratch prefix with `cmake --install` (nothing is built again) and checks
# what a user gets there.
set -euo pipefail
source "$(dirname "$0")/layout.sh"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-install-tree.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cmake --install "$1" --prefix "$scratch/prefix" >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "cmake --install"; }
check_layout "$scratch/prefix" "$2"
check_programs "$scratch/prefix" "$scratch" "$2"
echo "installed tree under a scratch prefix: all checks passed"
