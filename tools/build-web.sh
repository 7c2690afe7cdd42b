#!/usr/bin/env bash
# Builds the demo for the web with Debian's emscripten into build-web/bin/
# (demo.html with its .js, .wasm and .data; demo-tool.js for node) and packs
# build-web/landscape-demo-web.zip, a folder any static web host serves as
# it is. zlib, libpng, FreeType and meshoptimizer are built once from
# Debian's source packages (fetched as for the Windows build) into
# build-web/deps. No emscripten port is used: ports download at build time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-web
deps=$out/deps
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
# emscripten's JavaScript optimiser loads its modules from Debian's node path.
export NODE_PATH=/usr/share/nodejs

# The compiler, a browser for the tests (tools/web/page_test.py), dpkg-source
# to unpack source packages, zip for the package.
source tools/debian-sources.sh
install_missing_packages emscripten chromium-headless-shell dpkg-dev zip cmake ninja-build python3

# Bump when the dependency build changes, so that the kept build is redone.
deps_version="2 zlib libpng1.6 freetype meshoptimizer"
if [ "$(cat "$deps/.complete" 2>/dev/null)" != "$deps_version" ]; then
    echo "Building the web dependencies (once)..."
    rm -rf "$deps" "$out/deps-build"
    fetch_debian_sources "$out" zlib libpng1.6 freetype meshoptimizer

    # zlib's CMake build fails on Debian's tarball; its configure script works.
    (cd "$(debian_source zlib)" && emconfigure ./configure --static --prefix="$deps" > /dev/null &&
        emmake make -j "$jobs" libz.a > /dev/null && emmake make install > /dev/null)

    cmake_dep() {  # name, source folder, options...
        local name=$1 source=$2
        shift 2
        emcmake cmake -S "$source" -B "$out/deps-build/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_FIND_ROOT_PATH="$deps" -DBUILD_SHARED_LIBS=OFF "$@" > /dev/null
        cmake --build "$out/deps-build/$name" -j "$jobs" > /dev/null
        cmake --install "$out/deps-build/$name" > /dev/null
    }
    cmake_dep libpng "$(debian_source libpng1.6)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF
    # On the zlib above (without it FreeType builds its own copy, which clashes with it).
    cmake_dep freetype "$(debian_source freetype)" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
        -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
    cmake_dep meshoptimizer "$(debian_source meshoptimizer)" -DMESHOPT_BUILD_SHARED_LIBS=OFF
    echo "$deps_version" > "$deps/.complete"
fi

# The runtime data/ the page preloads, made by the Linux build's generator.
if [ ! -f data/.complete ]; then
    tools/build.sh
fi

emcmake cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_FIND_ROOT_PATH="$deps" \
    -DWARNINGS_AS_ERRORS="${WARNINGS_AS_ERRORS:-OFF}" -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF > /dev/null
cmake --build "$out" -j "$jobs"

# The package: a folder any static web host serves as it is.
package=$out/package/landscape-demo-web
rm -rf "$out/package" "$out/landscape-demo-web.zip"
mkdir -p "$package"
cp "$out"/bin/demo.{html,js,wasm,data} "$package/"
cp "$out/bin/demo.html" "$package/index.html"  # the address of the folder opens the demo
(cd "$out/package" && zip -qr9 "$out/landscape-demo-web.zip" landscape-demo-web)
echo "Built build-web/bin/ and build-web/landscape-demo-web.zip"
