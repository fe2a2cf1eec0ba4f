#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS [TARGET...]]: builds the libFuzzer targets of fuzz/
# with Clang into build-fuzz/ and runs each (all by default, as many at a
# time as there are processors) for SECONDS (default 20), starting from its
# seeds in fuzz/corpus/TARGET/. Any crash,
# leak, sanitizer report, hang or runaway memory fails, and the input that
# did it is kept as build-fuzz/artifacts/TARGET-*. Inputs that reached new
# code are kept in build-fuzz/corpus/TARGET/ for the next run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
build=$here/build-fuzz

# The whole program is built, with every warning an error: this is also
# the project's check that Clang compiles it cleanly.
"$here/scripts/build.sh" "$build" -DCMAKE_CXX_COMPILER=clang++ -DAEROLUNE_FUZZ=ON -DAEROLUNE_WERROR=ON -DAEROLUNE_ASSERTIONS=ON \
    -DAEROLUNE_TESTS=OFF -DAEROLUNE_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1"

# The longest input worth trying for each: well past the longest useful
# text, and room for a small data file with a few rows of each table. A
# 4 KiB gzip input cannot inflate beyond a few MiB, so the memory limit
# below holds for the gzip reader as well.
declare -A max_len=(
    [KeyFile]=4096 [Gazetteer]=4096 [CompressedFile]=4096 [Shoreline]=4096
    [Options]=512 [Time]=64 [PlaceSearch]=1024
)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(KeyFile Gazetteer CompressedFile Shoreline Options Time PlaceSearch)

mkdir -p "$build/artifacts" "$build/logs"
# One target for SECONDS, its summary or its failure in its log's .result.
fuzz_one() {
    local target=$1 log=$build/logs/$1.log
    mkdir -p "$build/corpus/$target"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
        -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" \
        "$build/corpus/$target" "$here/fuzz/corpus/$target" >"$log" 2>&1; then
        local runs last
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        last=$(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -n 1)
        echo "fuzz_$target: $runs runs in ${seconds}s; $(grep -o 'cov: [0-9]* ft: [0-9]*' <<<"$last")," \
            "$(grep -o 'exec/s: [0-9]*' <<<"$last")" >"$log.result"
    else
        echo FAILED >"$log.result"
    fi
}
# As many at a time as there are processors: each fuzzer uses one.
for target in "${targets[@]}"; do
    [ -n "${max_len[$target]:-}" ] || { echo "unknown fuzz target $target" >&2; exit 2; }
done
running=0
for target in "${targets[@]}"; do
    fuzz_one "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$(nproc)" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait
failed=()
for target in "${targets[@]}"; do
    log=$build/logs/$target.log
    if [ "$(cat "$log.result")" = FAILED ]; then
        echo "fuzz_$target FAILED; the end of $log:" >&2
        tail -n 60 "$log" >&2
        failed+=("$target")
    else
        cat "$log.result"
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $build/artifacts/)" >&2
    exit 1
fi
