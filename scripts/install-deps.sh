#!/usr/bin/env bash
# Installs what building, running and testing Veltrop needs on Debian 12. Safe to run again.
set -euo pipefail

packages=(
    build-essential cmake pkg-config clang-format ccache
    qt6-base-dev qt6-base-dev-tools libsqlcipher-dev sqlcipher libsodium-dev libcsv-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool xclip openbox trayer xdg-utils x11-utils fonts-dejavu-core libx11-dev
    dbus-daemon
    dpkg-dev file desktop-file-utils appstream lintian
    bc time
    at-spi2-core python3-gi gir1.2-atspi-2.0 dbus-bin python3-dbusmock python3-dbus
    weston xwayland qt6-wayland
    clang libclang-rt-14-dev
    syncthing
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
