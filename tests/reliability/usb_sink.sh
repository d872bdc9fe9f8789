#!/bin/sh
# Unplugs and plugs in the test rig's "USB Audio Device" output: the PulseAudio pipe sink
# that scripts/env.sh loads is unloaded, or loaded again with the arguments it had (and a
# reader started again on its new FIFO, appending to $USB_CAPTURE as before). unplug-device
# and plug-device take the handset's whole sound device away and back, its microphone (the
# null source "usb_in") with its output, as a handset pulled from its USB port. Tests run
# this from inside Wine, which starts Unix programs too.
#   usb_sink.sh unplug|plug|unplug-device|plug-device <work folder> <file made when done>
set -eu
action=$1
work=$2
done_file=$3
mkdir -p "$work"
rm -f "$done_file"
# The rig's stream of silence on the sink (scripts/env.sh): its sink inputs, one a line.
keeper_inputs() {
    keepers=$(LC_ALL=C pactl list clients | awk '/^Client #/ { id = substr($2, 2) }
        /application.name = "usb-sink-keeper"/ { print id }')
    for client in $keepers; do
        pactl list short sink-inputs | awk -F'\t' -v c="$client" '$3 == c { print $1 }'
    done
}

case "$action" in
mode-*)
    mode=${action#mode-}
    [ "$mode" != initial ] || mode=${USB_SINK_INITIAL_MODE:-running}
    case "$mode" in
    running | idle | long-latency) ;;
    *) echo "usb_sink: no such mode: $mode" >&2; exit 2 ;;
    esac
    echo "$mode" > "$USB_SINK_MODE_FILE"
    # The keeper reads the mode when its stream starts: end the stream it has.
    for input in $(keeper_inputs); do pacmd kill-sink-input "$input" >/dev/null 2>&1 || true; done
    i=0
    while [ $i -lt 50 ]; do
        if [ "$mode" = idle ]; then [ -z "$(keeper_inputs)" ] && break
        else [ -n "$(keeper_inputs)" ] && break; fi
        sleep 0.1
        i=$((i + 1))
    done
    [ $i -lt 50 ] || { echo "usb_sink: the sink did not reach mode $mode" >&2; exit 1; }
    # Long enough for the sink to settle at its new latency, or to go idle.
    sleep 0.5
    ;;
unplug-device)
    line=$(pactl list modules short |
           awk -F'\t' '$2 == "module-null-source" && $3 ~ /source_name=usb_in/ { print $1 "\t" $3; exit }')
    [ -n "$line" ] || { echo "usb_sink: no USB microphone loaded" >&2; exit 1; }
    printf '%s' "${line#*	}" > "$work/usb_source.args"
    pactl unload-module "${line%%	*}"
    sh "$0" unplug "$work" "$work/usb_sink.inner"
    ;;
plug-device)
    sh "$0" plug "$work" "$work/usb_sink.inner"
    pactl load-module module-null-source "$(cat "$work/usb_source.args")" >/dev/null
    ;;
unplug)
    line=$(pactl list modules short |
           awk -F'\t' '$2 == "module-pipe-sink" && $3 ~ /sink_name=usb_out/ { print $1 "\t" $3; exit }')
    [ -n "$line" ] || { echo "usb_sink: no USB pipe sink loaded" >&2; exit 1; }
    printf '%s' "${line#*	}" > "$work/usb_sink.args"
    # A sink loaded again gets a monitor named "Monitor of ...": the rig's own name for it
    # is kept here and given back on plug, or the tests that run after this one would find a
    # second "USB" recording device.
    pactl list sources | awk '/^	Name: usb_out.monitor$/ { found = 1 }
        found && /device.description = / { sub(/^[^"]*"/, ""); sub(/"$/, ""); print; exit }' \
        > "$work/usb_sink.monitor"
    pactl unload-module "${line%%	*}"
    ;;
plug)
    args=$(cat "$work/usb_sink.args")
    pactl load-module module-pipe-sink "$args" >/dev/null
    monitor=$(cat "$work/usb_sink.monitor")
    [ -z "$monitor" ] ||
        pacmd update-source-proplist usb_out.monitor device.description="\"$monitor\"" >/dev/null
    fifo=$(printf '%s' "$args" | sed -n 's/.*file=\([^ ]*\).*/\1/p')
    i=0
    while [ ! -p "$fifo" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    # Ends by itself when the sound server closes the FIFO (unloaded again, or stopped).
    cat "$fifo" >> "$USB_CAPTURE" </dev/null 2>/dev/null &
    # The rig's stream of silence (scripts/env.sh) was moved to another sink when this one
    # went away, and PulseAudio does not move it back: without it the sink would idle
    # between sounds from now on, for every later test.
    for input in $(keeper_inputs); do pactl move-sink-input "$input" usb_out; done
    ;;
*)
    echo "usage: usb_sink.sh unplug|plug|unplug-device|plug-device|mode-<mode> <work folder> <done file>" >&2
    exit 2
    ;;
esac
: > "$done_file"
