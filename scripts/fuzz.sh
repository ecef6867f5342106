#!/bin/sh
# The libFuzzer targets of fuzz/, built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, each run for FUZZ_SECONDS (default 60) from its
# seed corpus in fuzz/corpus/<target>. New inputs go to BUILD-DIR/corpus (the
# seeds in the repository stay as they are); an input that breaks a property
# or trips a sanitizer is kept as BUILD-DIR/findings/<target>-crash-*.
# Installs clang first when it is missing.
# Usage: scripts/fuzz.sh [BUILD-DIR]     (default: build-fuzz; FUZZ_SECONDS=n, JOBS=n)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-2}

scripts/setup.sh --fuzz

mkdir -p "$build"
CC=clang CXX=clang++ cmake -S . -B "$build" -DKT_FUZZ=ON -DKT_BUILD_GUI=OFF -DKT_BUILD_BENCH=OFF \
    -DKT_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "$jobs" --target fuzzers

mkdir -p "$build/findings"

# One target: fuzz for the given time; the exit status is the verdict.
run_target() {
    name=$1
    seeds=fuzz/corpus/$name/
    work="$build/corpus/$name"
    mkdir -p "$work"
    dict=""
    if [ -f "fuzz/$name.dict" ]; then dict="-dict=fuzz/$name.dict"; fi
    # shellcheck disable=SC2086
    "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name-" $dict "$work" "$seeds" >"$build/$name.log" 2>&1
    echo $? >"$build/$name.status"
}

# The targets run $jobs at a time (each libFuzzer process uses one core).
names=""
for seeds in fuzz/corpus/*/; do names="$names $(basename "$seeds")"; done
running=0
for name in $names; do
    run_target "$name" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait
        running=0
    fi
done
wait

failed=""
total=0
passed=0
for name in $names; do
    total=$((total + 1))
    log="$build/$name.log"
    if [ "$(cat "$build/$name.status")" = 0 ]; then
        passed=$((passed + 1))
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(sed -n 's/^#[0-9]*[[:space:]]*DONE[[:space:]]*cov: \([0-9]*\).*/\1/p' "$log")
        corpus=$(find "$build/corpus/$name" -type f | wc -l)
        echo "fuzz: $name: ${runs:-?} runs in ${seconds} s, ${cov:-?} coverage points, $corpus inputs found"
    else
        failed="$failed $name"
        echo "fuzz: $name FAILED; the log follows (input kept in $build/findings/)"
        tail -n 40 "$log"
    fi
done
echo "fuzz: $passed passed, $((total - passed)) failed"
[ -z "$failed" ]
