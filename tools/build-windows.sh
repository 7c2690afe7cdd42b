#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 into build-windows/bin/
# (demo.exe, demo-tool.exe, the test programs) and packs
# build-windows/landscape-demo-windows.zip. libpng, FreeType, GLEW and
# meshoptimizer are built once from Debian's source packages (fetched with a
# private apt configuration under build-windows/apt; the machine's sources
# stay as they are), GoogleTest from /usr/src/googletest; they are kept in
# build-windows/deps for later builds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
deps=$out/deps
toolchain=$root/tools/windows/mingw-toolchain.cmake
jobs=$(nproc)

# Debian packages: the cross compiler, zlib for it, Wine to run the results,
# dpkg-source to unpack source packages, zip for the package.
source tools/debian-sources.sh
install_missing_packages g++-mingw-w64-x86-64 libz-mingw-w64-dev wine64 wine dpkg-dev zip libgtest-dev cmake xvfb xdotool

# Bump when the dependency build changes, so that the kept build is redone.
deps_version="4 libpng1.6 freetype glew meshoptimizer googletest"
if [ "$(cat "$deps/.complete" 2>/dev/null)" != "$deps_version" ]; then
    echo "Building the Windows dependencies (once)..."
    rm -rf "$deps"
    fetch_debian_sources "$out" libpng1.6 freetype glew meshoptimizer

    cmake_dep() {  # name, source folder, options...
        local name=$1 source=$2
        shift 2
        cmake -S "$source" -B "$out/deps-build/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF "$@" > /dev/null
        cmake --build "$out/deps-build/$name" -j "$jobs" > /dev/null
        cmake --install "$out/deps-build/$name" > /dev/null
    }
    cmake_dep libpng "$(debian_source libpng1.6)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    cmake_dep freetype "$(debian_source freetype)" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
        -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
    cmake_dep glew "$root/tools/windows/glew" -DGLEW_SOURCE_DIR="$(debian_source glew)"
    cmake_dep meshoptimizer "$(debian_source meshoptimizer)" -DMESHOPT_BUILD_SHARED_LIBS=OFF
    cmake_dep googletest /usr/src/googletest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
    echo "$deps_version" > "$deps/.complete"
fi

# The runtime data/ and a.raw that the package and the tests read, made by the Linux build's generator.
if [ ! -f data/.complete ]; then
    tools/build.sh
fi

# -O2 as on Linux (GCC 12's -O3 warns falsely about vector inserts).
cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DWARNINGS_AS_ERRORS="${WARNINGS_AS_ERRORS:-OFF}" \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DBUILD_BENCHMARKS=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/windows/wine-run.sh" > /dev/null
cmake --build "$out" -j "$jobs"

# The package: what a Windows user unzips and double-clicks.
package=$out/package/landscape-demo
rm -rf "$out/package" "$out/landscape-demo-windows.zip"
mkdir -p "$package"
x86_64-w64-mingw32-strip -o "$package/demo.exe" "$out/bin/demo.exe"  # no symbol table in the package
cp -r shaders data a.raw "$package/"  # what the demo reads from its working folder
rm -f "$package/data/.complete"
cp tools/windows/README.txt "$package/"
(cd "$out/package" && zip -qr9 "$out/landscape-demo-windows.zip" landscape-demo)
echo "Built build-windows/bin/ and build-windows/landscape-demo-windows.zip"
