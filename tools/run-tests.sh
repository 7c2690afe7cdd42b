#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
