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
# The include check reads the sources while the tests mostly wait on their
# display servers: at the lowest priority, beside them, it costs the tests
# nothing and the run two minutes less.
includes_log=$(mktemp)
# A session of its own, so that a failed test run ends it and its workers.
setsid nice -n 19 "$here/scripts/check-includes.sh" "$here/build" >"$includes_log" 2>&1 &
includes=$!
echo "== tests"
"$here/scripts/with-display.sh" ctest --test-dir "$here/build" --output-on-failure -j"$jobs" --timeout 300 ||
    { kill -- -"$includes" 2>/dev/null; exit 1; }
echo "== includes"
included=0
wait "$includes" || included=$?
cat "$includes_log"
rm -f "$includes_log"
[ "$included" = 0 ] || exit 1

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
