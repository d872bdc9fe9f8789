#!/usr/bin/env bash
# The demo: installs what is missing and builds (scripts/setup.sh), then runs usbphone.exe
# under Wine with the handset simulator's window beside it and "SkypePath" pointing at the
# Skype simulator, plays a scripted session through the simulators' control channels and
# prints the transcript. Transcript, journal and screenshots land in <build>/demo.
#
#   scripts/demo.sh                  the scripted session with the shipped 32-bit build
#                                    (through qemu-i386 where the kernel runs no 32-bit code)
#   scripts/demo.sh --x64            the same with the 64-bit test build, natively
#   scripts/demo.sh --interactive    with a working display: afterwards the driver and both
#                                    simulators keep running for you to use by hand
#
# The exit code is 0 when every step saw its expected effect.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/arch.sh

interactive=""
build=build
for arg in "$@"; do
    case "$arg" in
        --interactive) interactive=1 ;;
        --x64) build=build-x64 ;;
        *) echo "usage: scripts/demo.sh [--x64] [--interactive]" >&2; exit 2 ;;
    esac
done
# Only a display someone looks at makes sense for the hand-driven part; xwd is installed
# with the demo's tools, so it doubles as the probe.
if [ -n "$interactive" ] && ! { [ -n "${DISPLAY:-}" ] && xwd -root -silent >/dev/null 2>&1; }; then
    echo "demo: --interactive needs a working display (DISPLAY); running the scripted session only"
    interactive=""
fi

if [ -z "${USBPHONE_SETUP_DONE:-}" ]; then
    scripts/setup.sh "$build"
fi
reexec_where_build_runs "$build" "$PWD/scripts/demo.sh" "$@"

echo "demo: $(describe_build "$build")"
source scripts/env.sh
start_env "$build"
out="$PWD/$build/demo"
rm -rf "$out"
mkdir -p "$out"

# "@@SCREENSHOT <file> [<file>:<geometry>]...": the whole screen, then close-ups cropped from
# the same picture (small ones enlarged, pixels kept sharp). The ".done" file answers demo.exe.
screenshot() {
    local first=$1
    shift
    xwd -root -silent | convert xwd:- png:"$out/$first" || return 1
    echo "                    picture   $out/$first"
    local crop file geometry width
    for crop in "$@"; do
        file=${crop%%:*}
        geometry=${crop#*:}
        width=${geometry%%x*}
        if [ "$width" -lt 200 ]; then
            convert "$out/$first" -crop "$geometry" +repage -scale 400% png:"$out/$file" || return 1
        else
            convert "$out/$first" -crop "$geometry" +repage png:"$out/$file" || return 1
        fi
        echo "                    picture   $out/$file"
    done
    touch "$out/$first.done"
}

echo "demo: display $DISPLAY, USB capture $USB_CAPTURE, output in $out"
set +e
"$WINE" "$build/bin/demo.exe" --out "$out" ${interactive:+--interactive} 2>&1 |
    while IFS= read -r line; do
        line=${line%$'\r'}
        case "$line" in
            "@@SCREENSHOT "*)
                # shellcheck disable=SC2086 # the request is a list of words
                screenshot ${line#@@SCREENSHOT } || echo "demo: screenshot failed: $line"
                ;;
            *) printf '%s\n' "$line" ;;
        esac
    done | tee "$out/transcript.txt"
code=${PIPESTATUS[0]}
set -e

echo "demo: transcript $out/transcript.txt, handset journal $out/journal.txt"
echo "demo: demo.exe ended with code $code"
if [ "$code" -eq 0 ] && [ -n "$interactive" ]; then
    echo "demo: the driver, the \"Handset\" window and the Skype simulator keep running on $DISPLAY."
    echo "demo: press Enter here to stop all of them (this also ends every Wine program of $build)."
    read -r _ </dev/tty || true
fi
exit "$code"
