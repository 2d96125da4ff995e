#!/usr/bin/env bash
# Builds the Debian package BUILD_DIR/veltrop_<version>_<arch>.deb: installs into /usr,
# stripped, with Debian's own compiler flags and hardening.
#
#   scripts/package.sh [BUILD_DIR]
#
# Without BUILD_DIR it configures and builds build-package/ for the package alone (build
# type None adds no flags of CMake's to Debian's). With BUILD_DIR it packages that build
# as it is: one configured with scripts/debian-build-flags.sh and the prefix /usr, as
# scripts/test.sh configures build/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-}
if [ -z "$build" ]; then
    build=build-package
    scripts/install-deps.sh
    source scripts/debian-build-flags.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
        -DVELTROP_TESTS=OFF -DVELTROP_BENCH=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)"
fi
(cd "$build" && cpack -G DEB)
