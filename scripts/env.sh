# Sourced by the test and demo scripts: the run-time environment of the Windows programs.
#   start_env <build dir>  - private Wine prefix (created once), Xvfb when there is no
#                            display, a private PulseAudio with named devices
#   stop_env               - ends every process start_env started (also run on exit)
# After start_env: WINE (the loader to use), WINEPREFIX, DISPLAY, PULSE_SERVER, USB_CAPTURE (the raw 22050 Hz
# mono s16le stream played on "USB Audio Device"), USB_SINK_MODE_FILE (the mode that sink runs
# in, see keep_usb_sink_running) and SKYPESIM_SOUND_DEVICES (the Skype simulator's device
# list) are exported.

ENV_PIDS=()

stop_env() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    local pid
    for pid in "${ENV_PIDS[@]}"; do
        kill "$pid" >/dev/null 2>&1 || true
    done
    if [ -n "${PULSE_DIR:-}" ] && [ -f "$PULSE_DIR/pid" ]; then
        kill "$(cat "$PULSE_DIR/pid")" >/dev/null 2>&1 || true
    fi
    ENV_PIDS=()
}

start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    local n
    for n in $(seq 90 150); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        ENV_PIDS+=($!)
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && return
            sleep 0.1
        done
    done
    echo "env: could not start Xvfb" >&2
    return 1
}

start_pulse() {
    local envdir=$1
    PULSE_DIR="$envdir/pulse"
    rm -rf "$PULSE_DIR"
    mkdir -p "$PULSE_DIR/runtime"
    chmod 700 "$PULSE_DIR/runtime"
    local socket="$PULSE_DIR/native"
    export USB_CAPTURE="$envdir/usb-capture.raw"
    : > "$USB_CAPTURE"
    cat > "$PULSE_DIR/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$socket
# pacmd's way in, for the commands pactl lacks (tests/reliability/usb_sink.sh renames the
# monitor of a sink it loads again).
load-module module-cli-protocol-unix
load-module module-null-sink sink_name=speakers sink_properties=device.description=Speakers
load-module module-pipe-sink sink_name=usb_out file=$PULSE_DIR/usb.fifo format=s16le rate=22050 channels=1 use_system_clock_for_timing=yes sink_properties=device.description="USB\ Audio\ Device"
load-module module-null-source source_name=line_in description=Line\ In
load-module module-null-source source_name=usb_in description="Mikrofon (USB-Audiogerät)"
# Every sink has a monitor source, which Wine lists as a recording device; Windows has no such
# thing. Name them without "USB", so that the handset's microphone is the only USB recording
# device, as on a real PC.
update-source-proplist speakers.monitor device.description="Speakers monitor"
update-source-proplist usb_out.monitor device.description="Handset earpiece monitor"
set-default-sink speakers
set-default-source line_in
PA
    XDG_RUNTIME_DIR="$PULSE_DIR/runtime" HOME="$PULSE_DIR" pulseaudio -n -F "$PULSE_DIR/default.pa" \
        --exit-idle-time=-1 --daemonize=yes --use-pid-file=yes --system=false \
        --log-target=file:"$PULSE_DIR/log" >/dev/null 2>&1
    export PULSE_SERVER="unix:$socket"
    export PULSE_RUNTIME_PATH="$PULSE_DIR/runtime/pulse"
    local i
    for i in $(seq 1 50); do
        [ -p "$PULSE_DIR/usb.fifo" ] && break
        sleep 0.1
    done
    cp "$PULSE_DIR/runtime/pulse/pid" "$PULSE_DIR/pid" 2>/dev/null || true
    # The Skype simulator's own device list, from the sound server's descriptions (not from
    # what Wine's waveOut and waveIn make of them), as Z: path for the Windows side.
    local devices="$PULSE_DIR/sound-devices.txt"
    for i in $(seq 1 50); do
        LC_ALL=C pactl list short sources 2>/dev/null | grep -q usb_in && break
        sleep 0.1
    done
    { LC_ALL=C pactl list sinks | sed -n 's/^[[:space:]]*Description: /out /p'
      LC_ALL=C pactl list sources | sed -n 's/^[[:space:]]*Description: /in /p'; } > "$devices"
    export SKYPESIM_SOUND_DEVICES="Z:${devices//\//\\}"
    # The pipe sink writes into a FIFO; this reader keeps what was played.
    cat "$PULSE_DIR/usb.fifo" >> "$USB_CAPTURE" &
    ENV_PIDS+=($!)
    # The mode the USB sink runs in (see keep_usb_sink_running), read by its keeper and
    # switched by tests (tests/reliability/usb_sink.sh mode-<name>). USBPHONE_USB_SINK_MODE
    # chooses it for a whole run; USBPHONE_IDLE_USB_SINK=1 is the same as idle.
    export USB_SINK_MODE_FILE="$envdir/usb-sink-mode"
    if [ -n "${USBPHONE_IDLE_USB_SINK:-}" ]; then
        USB_SINK_INITIAL_MODE=idle
    else
        USB_SINK_INITIAL_MODE=${USBPHONE_USB_SINK_MODE:-running}
    fi
    export USB_SINK_INITIAL_MODE
    echo "$USB_SINK_INITIAL_MODE" > "$USB_SINK_MODE_FILE"
    keep_usb_sink_running
}

# The rig's USB sink runs in one of three modes:
#   running       a stream of silence kept on it (added to every sound, it changes no sample)
#                 at a short latency, as a device that a call holds open keeps running;
#   idle          nothing keeps it running: with no stream it idles, as a real device does
#                 between keys while no call holds it; the first stream after that is played
#                 late, and the pipe sink takes a stream's data in blocks of up to 93 ms;
#   long-latency  kept running with a stream that asks for 200 ms, so that the sink takes its
#                 streams' data in 80 ms blocks: a long output latency, under which a player
#                 that closes its device when the sound is reported done cuts the sound.
# The keeper reads the mode from $USB_SINK_MODE_FILE each time its stream starts; a test that
# switches the mode ends the stream, and the keeper starts again in the new mode. Tests unload
# and load the sink (tests/reliability/usb_sink.sh): PulseAudio then moves the stream to
# another sink, and the script moves it back by its client name.
keep_usb_sink_running() {
    (
        while :; do
            case $(cat "$USB_SINK_MODE_FILE" 2>/dev/null) in
            idle)
                sleep 0.2
                continue
                ;;
            long-latency) latency=200 ;;
            *) latency=20 ;;
            esac
            XDG_RUNTIME_DIR="$PULSE_DIR/runtime" HOME="$PULSE_DIR" pacat --playback \
                --client-name=usb-sink-keeper \
                --device=usb_out --raw --format=s16le --rate=22050 --channels=1 \
                --latency-msec=$latency /dev/zero >/dev/null 2>&1 || true
            sleep 0.2
        done
    ) &
    ENV_PIDS+=($!)
}

start_wine_prefix() {
    local build=$1
    WINE=$(wine_loader "$(basename "$build")")
    export WINE
    export WINEPREFIX="$build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/.usbphone-ready-2" ]; then
        echo "env: creating the Wine prefix (once per build tree)"
        # Made with the display up: a prefix made without one has no display driver set,
        # and every program in it ends at once.
        rm -rf "$WINEPREFIX"
        local started=$SECONDS
        if ! "$WINE" wineboot --init >"$build/env/wineboot.log" 2>&1 || ! wineserver -w ||
           [ ! -f "$WINEPREFIX/system.reg" ]; then
            tail -n 20 "$build/env/wineboot.log" >&2
            echo "env: wineboot failed to make $WINEPREFIX" >&2
            return 1
        fi
        # Without this a crashing program sits in Wine's crash dialog forever under Xvfb.
        "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1
        # With no window manager, Wine waits 2 s for every visible window that is hidden or
        # destroyed unless its windows are unmanaged.
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.usbphone-ready-2"
        echo "env: Wine prefix made in $((SECONDS - started)) s"
    fi
    # Start the Wine server and its services now, from here: otherwise the first test
    # program starts them, they inherit its output, and CTest waits for them to end.
    wineserver -p >/dev/null 2>&1 || true
    if ! "$WINE" cmd /c exit >/dev/null 2>&1; then
        echo "env: $WINE cannot run programs in $WINEPREFIX" >&2
        return 1
    fi
}

start_env() {
    local build
    build=$(cd "$1" && pwd)
    trap stop_env EXIT
    mkdir -p "$build/env"
    start_display
    start_pulse "$build/env"
    start_wine_prefix "$build"
}
