#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine, Xvfb and a private
# PulseAudio, against the shipped 32-bit build (build/). Where the kernel runs no 32-bit
# x86 code, the tests run through qemu-i386 in a private namespace (scripts/i386.sh).
#
#   scripts/test.sh [--x64|--qemu] [<ctest argument>...]     for example: scripts/test.sh -R startup
#
# --x64 runs the 64-bit test build (build-x64/) natively instead: a quicker loop while
# developing on such a machine, not the judge of the shipped program.
# --qemu runs the 32-bit build through qemu-i386 even where the kernel runs 32-bit code, as
# it runs on a machine of the other kind (Linux 6.7 or later).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/arch.sh

build=build
case "${1:-}" in
--x64)
    build=build-x64
    shift
    ;;
--qemu)
    export USBPHONE_FORCE_QEMU=1
    shift
    ;;
esac
if [ -z "${USBPHONE_SETUP_DONE:-}" ]; then
    scripts/setup.sh "$build"
fi
reexec_where_build_runs "$build" "$PWD/scripts/test.sh" "$@"

echo "test: $(describe_build "$build")"
source scripts/env.sh
start_env "$build"
ctest --preset "$(build_preset "$build")" "$@"
