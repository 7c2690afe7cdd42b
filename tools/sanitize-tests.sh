#!/usr/bin/env bash
# Builds the whole project with clang, AddressSanitizer (leak detection on)
# and UndefinedBehaviorSanitizer into build-asan/, with the fuzz harnesses,
# and runs the test suite there. Any sanitizer report fails its test. Memory
# the engine keeps for the whole process by design is listed, with reasons,
# in tools/lsan-suppressions.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

CC=clang CXX=clang++ cmake -S . -B build-asan -DSANITIZE=ON -DBUILD_FUZZERS=ON -DBUILD_BENCHMARKS=OFF \
    -DWARNINGS_AS_ERRORS="${WARNINGS_AS_ERRORS:-OFF}" > /dev/null
cmake --build build-asan -j "$(nproc)"

source tools/sanitizer-env.sh
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
