#!/usr/bin/env bash
# Installs what the build, the tests and the demo need (idempotent), then configures and
# builds the given build trees (default: build, the shipped 32-bit program). Works on a
# fresh Debian 12 as root or via sudo.
#
#   scripts/setup.sh [--no-qemu] [build] [build-x64]
#
# Where the kernel runs no 32-bit x86 code, it also fetches qemu-i386 for scripts/i386.sh:
# qemu-user from bookworm-backports, downloaded and unpacked into build/qemu (not installed,
# so no post-install step registers anything for the rest of the machine). --no-qemu leaves
# that out, for a caller that builds build/ without running anything of it (scripts/figures.sh
# only reads the shipped program's size there); the build itself runs no Windows program.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/arch.sh

want_qemu=yes
if [ "${1:-}" = --no-qemu ]; then
    want_qemu=no
    shift
fi
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build)
for build in "${builds[@]}"; do
    build_preset "$build" >/dev/null
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# make: CMake's default generator needs it, and a minimal Debian root has none.
# x11-xkb-utils: setxkbmap, for the keyboard layout tests' own displays.
# clang and libclang-rt-14-dev: the native build of src/pure/ under the sanitizers and its
# fuzzers (the runtimes are only recommended by clang); llvm-14: llvm-cov for
# scripts/fuzz_coverage.sh; cppcheck and clang-tidy: the static analysis tests.
# faketime: wixl's clock for a reproducible package; osslsigncode: signing and checking
# signatures; openssl: the tests' throwaway signing CA.
packages=(make cmake g++-mingw-w64-i686 googletest wine wine32:i386 wine64 xvfb xauth
          pulseaudio pulseaudio-utils x11-apps x11-utils x11-xkb-utils imagemagick python3 wixl
          msitools faketime osslsigncode openssl clang libclang-rt-14-dev llvm-14 cppcheck
          clang-tidy)
[[ " ${builds[*]} " == *" build-x64 "* ]] && packages+=(g++-mingw-w64-x86-64)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    $sudo dpkg --add-architecture i386
    # The mirror's i386 security index may fail to download; the main index is enough.
    $sudo apt-get update || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -t bookworm \
        --no-install-recommends "${missing[@]}"
fi

# qemu-user of bookworm-backports into build/qemu, through a private apt state that knows
# only that suite: the machine's own sources and lists are not touched.
fetch_qemu() {
    local dir="$PWD/build/qemu"
    local mirror
    mirror=$(apt-cache policy 2>/dev/null |
             sed -n 's|^ *[0-9]* \([a-z+]*://[^ ]*\) bookworm/main .*|\1|p' | head -n 1)
    mirror=${mirror:-http://deb.debian.org/debian}
    echo "setup: this kernel runs no 32-bit x86 code; fetching qemu-user from $mirror bookworm-backports"
    rm -rf "$dir"
    mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial" "$dir/apt/sources.list.d"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main" \
        >"$dir/apt/sources.list"
    local apt=(-o Dir::Etc::SourceList="$dir/apt/sources.list"
               -o Dir::Etc::SourceParts="$dir/apt/sources.list.d"
               -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt/cache"
               -o APT::Architectures=amd64 -o APT::Sandbox::User="$(id -un)" -q)
    if ! apt-get "${apt[@]}" update >"$dir/apt/log" 2>&1 ||
       ! (cd "$dir" && apt-get "${apt[@]}" download qemu-user/bookworm-backports) \
            >>"$dir/apt/log" 2>&1; then
        cat "$dir/apt/log" >&2
        echo "setup: could not download qemu-user from bookworm-backports; without it the" \
             "32-bit build cannot run on this machine" >&2
        return 1
    fi
    dpkg-deb --fsys-tarfile "$dir"/qemu-user_*.deb | tar -x -C "$dir" ./usr/bin/qemu-i386
    rm -rf "$dir/apt" "$dir"/qemu-user_*.deb
    check_qemu
    echo "setup: $(qemu_version)"
}

for build in "${builds[@]}"; do
    if [ "$build" = build ] && [ "$want_qemu" = yes ] && ! native_i386 &&
       ! check_qemu 2>/dev/null; then
        fetch_qemu
    fi
done

for build in "${builds[@]}"; do
    preset=$(build_preset "$build")
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
