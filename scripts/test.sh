#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine, Xvfb and a private
# PulseAudio. Extra arguments go to ctest (for example -R <regex>).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
source scripts/arch.sh
source scripts/env.sh
start_env "$(run_build_dir)"
ctest --preset "$(run_preset)" "$@"
