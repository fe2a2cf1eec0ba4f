#!/usr/bin/env bash
# Installs what is missing, builds Aerolune and runs the saver with the given options.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh" build
"$here/scripts/build.sh" "$here/build" -DAEROLUNE_TESTS=OFF -DAEROLUNE_BENCHMARKS=OFF >&2
exec "$here/build/apps/aerolune/aerolune" "$@"
