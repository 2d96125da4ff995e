#!/usr/bin/env bash
# Installs dependencies, builds, and runs the whole test suite twice: once plain,
# once under AddressSanitizer and UndefinedBehaviorSanitizer; checks the installed
# files and the Debian package; runs each fuzz target over its seeds and a fixed number
# of new inputs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
# CI sets VELTROP_WERROR=ON, so that no warning lands.
werror="-DVELTROP_WERROR=${VELTROP_WERROR:-OFF}"
# The plain build is also the one the package is checked from: Debian's flags, /usr.
source scripts/debian-build-flags.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr "$werror" >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
scripts/check-install.sh build
unset CFLAGS CXXFLAGS LDFLAGS DEB_BUILD_MAINT_OPTIONS

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELTROP_SANITIZE=ON -DVELTROP_BENCH=OFF \
    "$werror" >/dev/null
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs")

# Runs in all per target, seeds included. Every table opened reads its schema in a probe
# process of its own, so table_open and csv_import (which imports each input a dozen
# times) manage about four inputs a second on two cores. With the build, about eight minutes.
for run in table_open:1000 csv_import:800 field_text:20000; do
    FUZZ_RUNS=${run#*:} scripts/fuzz.sh "${run%%:*}"
done
