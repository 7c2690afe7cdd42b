#!/usr/bin/env bash
# Checks the layering and formatting, then sets up, builds and runs the whole
# test suite through CTest, with the Windows build (mingw-w64, build-windows/)
# and its suites under Wine, and the web build (emscripten, build-web/) checked
# under node and headless Chromium, and the Debian package installed into a
# clean Debian system; then the same suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang, build-asan/), and each
# fuzz harness for a minute (FUZZ_SECONDS overrides; 0 skips the fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."
export WARNINGS_AS_ERRORS=ON  # a warning fails the test command's builds
tools/setup.sh
tools/check-architecture.sh  # layering rules and formatting, by search
tools/build.sh
tools/build-windows.sh
tools/build-web.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
tools/package-linux.sh  # the Debian package, checked by lintian
tools/test-package.sh   # installed into a clean Debian 12 system (root; cached in /var/cache/landscape-demo)
tools/test-windows.sh
tools/sanitize-tests.sh
if [ "${FUZZ_SECONDS:-60}" != 0 ]; then
    tools/fuzz.sh
fi
