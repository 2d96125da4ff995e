#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its SVG (needs rsvg-convert from
# librsvg2-bin). The PNGs are committed, so building needs no SVG renderer; run this
# after changing data/icons/veltrop.svg.
set -euo pipefail
icons="$(cd "$(dirname "$0")/../data/icons" && pwd)"
for size in 16 24 32 48 64 128 256; do
    mkdir -p "$icons/${size}x${size}"
    rsvg-convert --width "$size" --height "$size" "$icons/veltrop.svg" \
        --output "$icons/${size}x${size}/veltrop.png"
done
