#!/usr/bin/env bash
# Installs what is missing, builds Aerolune and runs every test: once in a
# normal build (then checks that every file includes the standard headers of
# what it uses) and once with AddressSanitizer and UndefinedBehaviorSanitizer;
# then builds everything with Clang and fuzzes each reader of outside input
# for 20 seconds. Tests that need a display get a private Xvfb. Compiler
# warnings are errors here, and the C++ library checks its preconditions as
# hardened distribution builds do, though neither in a build of one's own.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh" test
jobs=$(nproc)

echo "== build"
"$here/scripts/build.sh" "$here/build" -DAEROLUNE_WERROR=ON -DAEROLUNE_ASSERTIONS=ON -DAEROLUNE_TESTS=ON \
    -DAEROLUNE_BENCHMARKS=ON
echo "== tests"
"$here/scripts/with-display.sh" ctest --test-dir "$here/build" --output-on-failure -j"$jobs" --timeout 300
echo "== includes"
"$here/scripts/check-includes.sh" "$here/build"

echo "== build with sanitizers"
# -O1 and line tables only: a sanitized build that compiles fast and still
# names the line of every report.
"$here/scripts/build.sh" "$here/build-sanitize" -DAEROLUNE_WERROR=ON -DAEROLUNE_ASSERTIONS=ON -DAEROLUNE_SANITIZE=ON -DAEROLUNE_TESTS=ON \
    -DAEROLUNE_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1"
echo "== tests with sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$here/scripts/with-display.sh" ctest --test-dir "$here/build-sanitize" --output-on-failure \
    -j"$jobs" --timeout 600

echo "== build with Clang and fuzz"
"$here/scripts/fuzz.sh" 20
echo "== all tests passed"
