#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine, Xvfb and a private
# PulseAudio, against the shipped 32-bit build (build/). Where the kernel runs no 32-bit
# x86 code, the tests run through qemu-i386 in a private namespace (scripts/i386.sh).
#
#   scripts/test.sh [--x64] [<ctest argument>...]     for example: scripts/test.sh -R startup
#
# --x64 runs the 64-bit test build (build-x64/) natively instead: a quicker loop while
# developing on such a machine, not the judge of the shipped program.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/arch.sh

build=build
if [ "${1:-}" = --x64 ]; then
    build=build-x64
    shift
fi
if [ -z "${USBPHONE_SETUP_DONE:-}" ]; then
    scripts/setup.sh "$build"
fi
reexec_where_build_runs "$build" "$PWD/scripts/test.sh" "$@"

echo "test: $(describe_build "$build")"
source scripts/env.sh
start_env "$build"
ctest --preset "$(build_preset "$build")" "$@"
