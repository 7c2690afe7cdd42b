#!/usr/bin/env bash
# Builds the Debian package build/landscape-demo_VERSION_ARCH.deb with CPack
# (tools/debian/) and checks it with lintian: an error fails.
set -euo pipefail
cd "$(dirname "$0")/.."
umask 022  # the modes of the generated data inside the package
source tools/debian-sources.sh
install_missing_packages dpkg-dev lintian imagemagick fonts-liberation
tools/build.sh
rm -f build/landscape-demo_*.deb
(cd build && cpack -G DEB > cpack.log) || { cat build/cpack.log; exit 1; }
package=$(ls build/landscape-demo_*.deb)
lintian --fail-on error "$package"
echo "Built $package"
