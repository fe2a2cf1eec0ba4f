#!/usr/bin/env bash
# install-tree.sh BUILD_DIR WITH_SETTINGS: checks what `cmake --install` gives under a scratch prefix.
set -euo pipefail
source "$(dirname "$0")/layout.sh"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-install-tree.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cmake --install "$1" --prefix "$scratch/prefix" >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "cmake --install"; }
check_layout "$scratch/prefix" "$2"
check_programs "$scratch/prefix" "$scratch" "$2"
echo "installed tree under a scratch prefix: all checks passed"
