#!/usr/bin/env bash
# Installs what the build, the tests and the demo need (idempotent), then configures and
# builds the shipped 32-bit program in ./build and, on a machine that cannot run 32-bit x86
# code, the 64-bit test build in ./build-x64. Works on a fresh Debian 12 as root or via sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/arch.sh

packages=(cmake g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine32:i386 wine64
          xvfb xauth pulseaudio pulseaudio-utils x11-apps x11-utils imagemagick python3 wixl msitools)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "setup: installing ${missing[*]}"
    $sudo dpkg --add-architecture i386
    # The mirror's i386 security index may fail to download; the main index is enough.
    $sudo apt-get update || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -t bookworm \
        --no-install-recommends "${missing[@]}"
fi

for preset in $(build_presets); do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
