#!/usr/bin/env bash
# Configures and builds into build/ (binaries in build/bin/), then makes the
# runtime data/ folder when it is missing or older than its generator.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS="${WARNINGS_AS_ERRORS:-OFF}" > /dev/null
cmake --build build -j "$(nproc)"
if [ -x build/bin/generate-data ]; then
    if [ ! -f data/.complete ] || [ build/bin/generate-data -nt data/.complete ]; then
        build/bin/generate-data data
    fi
fi
