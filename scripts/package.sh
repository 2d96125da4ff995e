#!/usr/bin/env bash
# Builds the Debian package build-package/veltrop_<version>_<arch>.deb: installs
# into /usr, stripped, with Debian's own compiler flags and hardening (build type
# None adds no flags of CMake's to them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CFLAGS CXXFLAGS LDFLAGS

cmake -S . -B build-package -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DVELTROP_TESTS=OFF -DVELTROP_BENCH=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB)
