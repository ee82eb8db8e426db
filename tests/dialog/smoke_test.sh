#!/usr/bin/env bash
# Starts the desktop program under a virtual X server, waits for its window,
# presses Escape and expects the program to end with status 0.
set -euo pipefail
program=$1
if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1400x1000x24" "$0" --inside "$program"
fi
program=$2
# The real program on the virtual server, whatever platform the caller chose.
unset QT_QPA_PLATFORM
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
cd "$workdir"

"$program" &
pid=$!
window=""
for _ in $(seq 1 300); do
    window=$(xwininfo -root -tree | awk '/"Lumikor 20140527"/ {print $1; exit}')
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "the window did not appear" >&2
    kill "$pid"
    exit 1
fi
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers Escape
for _ in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        exit $?
    fi
    sleep 0.1
done
echo "the program did not end on Escape" >&2
kill "$pid"
exit 1
