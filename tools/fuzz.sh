#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, AddressSanitizer, UBSan) into
# build-asan/ and fuzzes each one for a bounded time (default 60 s;
# FUZZ_SECONDS overrides), as many at once as there are cores. Each fuzzer
# grows a working corpus in build-asan/fuzz/<name>, started from the seeds in
# tests/fuzz/corpus/<name>.
# Any input that crashes a harness is copied to tests/fuzz/regressions/<name>/,
# where the normal test suite replays it from then on, and the run fails.
#
#   tools/fuzz.sh [name ...]     names: model_file png tga bmp shader_source raw_heights
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(model_file png tga bmp shader_source raw_heights)

CC=clang CXX=clang++ cmake -S . -B build-asan -DSANITIZE=ON -DBUILD_FUZZERS=ON -DBUILD_BENCHMARKS=OFF > /dev/null
cmake --build build-asan -j "$(nproc)" --target "${names[@]/#/fuzz_}"

# The harnesses write every input to a scratch file: keep those in memory.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
source tools/sanitizer-env.sh

fuzz_one() {
    local name=$1 seconds=$2
    local work=build-asan/fuzz/$name/corpus crashes=build-asan/fuzz/$name/crashes log=build-asan/fuzz/$name/log.txt
    rm -rf "$crashes"
    mkdir -p "$work" "$crashes"
    local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                   -artifact_prefix="$crashes/")
    [ -f "tests/fuzz/$name.dict" ] && options+=(-dict="tests/fuzz/$name.dict")
    local status=0
    "build-asan/bin/fuzz_$name" "${options[@]}" "$work" "tests/fuzz/corpus/$name" > "$log" 2>&1 || status=$?
    local runs corpus
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    corpus=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1 | cut -d' ' -f2)
    echo "fuzz_$name: ${runs:-?} executions, corpus ${corpus:-?} (inputs/bytes), exit $status"
    if [ "$status" -ne 0 ] || [ -n "$(ls -A "$crashes")" ]; then
        mkdir -p "tests/fuzz/regressions/$name"
        cp "$crashes"/* "tests/fuzz/regressions/$name/" 2>/dev/null || true
        tail -n 60 "$log"
        echo "fuzz_$name FAILED: the input is kept in tests/fuzz/regressions/$name/"
        return 1
    fi
}
export -f fuzz_one

printf '%s\n' "${names[@]}" | xargs -P "$(nproc)" -I{} bash -c "fuzz_one {} $seconds"
