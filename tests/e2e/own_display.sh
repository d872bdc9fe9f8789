#!/bin/sh
# Runs a command on an X display of its own whose keyboard layout is <layout>: Wine takes
# its keymap from the X server, and changing the shared display's layout would change the
# keystrokes of every other test. The display goes away with the command.
#   own_display.sh <layout> <command...>
set -eu
layout=$1
shift
work=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
# Xvfb picks a free display number itself and writes it once it accepts connections, so
# runs on the same machine never race for a number. -noreset: otherwise the server starts
# afresh, with its default layout, as soon as setxkbmap (its only client) disconnects.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
server=$!
i=0
while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do
    kill -0 "$server" 2>/dev/null || { echo "own_display: Xvfb failed" >&2; exit 1; }
    sleep 0.1
    i=$((i + 1))
done
[ -s "$work/display" ] || { echo "own_display: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$work/display")"
export DISPLAY
setxkbmap -display "$DISPLAY" "$layout"
active=$(setxkbmap -display "$DISPLAY" -query | sed -n 's/^layout: *//p')
if [ "$active" != "$layout" ]; then
    echo "own_display: the layout of $DISPLAY is '$active', not '$layout'" >&2
    exit 1
fi
echo "own_display: $DISPLAY with the keyboard layout $active"
"$@"
