#!/usr/bin/env bash
# The demo: builds the driver and runs it under Wine with a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
source scripts/arch.sh
source scripts/env.sh
build=$(run_build_dir)
start_env "$build"
out="$PWD/$build/demo"
mkdir -p "$out"
"$WINE" "$build/bin/usbphone.exe" &
driver=$!
sleep 3
xwd -root -silent | convert xwd:- png:"$out/running.png"
echo "demo: screenshot $out/running.png"
"$WINE" taskkill /IM usbphone.exe >/dev/null 2>&1 || true
code=0
wait "$driver" || code=$?
echo "demo: usbphone.exe ended with code $code"
exit "$code"
