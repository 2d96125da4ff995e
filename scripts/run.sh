#!/usr/bin/env bash
# Installs what Veltrop needs, builds it, and starts it in the caller's current folder,
# where it keeps (or creates) its table file Veltrop.DB.
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target veltrop

cd "$here"
exec "$root/build/veltrop"
