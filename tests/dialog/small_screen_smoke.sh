#!/usr/bin/env bash
# The real program on a 1366 × 768 screen under a window manager: the whole
# window, frame included, lies on the screen; and Save Image after opening a
# file that is not a job (a PNG whose picture would share the job's name)
# leaves the job's saved picture as it was.
#
#   small_screen_smoke.sh LUMIKOR SAMPLE_JOB
set -euo pipefail
if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1366x768x24" "$0" --inside "$@"
fi
program=$2
sample=$3
unset QT_QPA_PLATFORM
workdir=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$workdir"' EXIT
cd "$workdir"

for _ in $(seq 1 100); do
    xwininfo -root >/dev/null 2>&1 && break
    sleep 0.1
done
openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done

# Waits for a shown window whose name holds the text and prints its id.
wait_for_window() {
    for _ in $(seq 1 300); do
        local window
        window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        sleep 0.1
    done
    echo "the window \"$1\" did not appear" >&2
    return 1
}

# Starts the program on a file, waits until it is drawn (its name in the
# title, or the bare title for a file that draws nothing), presses Ctrl+S and
# ends it with Escape.
save_image_of() {
    "$program" "$1" &
    local pid=$!
    pids+=("$pid")
    local window
    window=$(wait_for_window "$2")
    sleep 0.5  # the load and the fit to the framed window are done
    xdotool windowactivate --sync "$window" key --clearmodifiers ctrl+s
    sleep 0.3
    on_screen "$window"
    xdotool key --clearmodifiers Escape
    wait "$pid"
}

# Fails unless the window and its frame lie wholly on the screen.
on_screen() {
    # xwininfo, not xdotool, whose position counts a frame twice.
    local info x y width height
    info=$(xwininfo -id "$1")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/.*Width: *//p' <<<"$info")
    height=$(sed -n 's/.*Height: *//p' <<<"$info")
    local extents left=0 right=0 top=0 bottom=0
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ',')
    [ -n "$extents" ] && read -r left right top bottom <<<"$extents"
    echo "window ${width}x${height} at $x,$y; frame $left $right $top $bottom"
    if ((x - left < 0 || y - top < 0 || x + width + right > 1366 || y + height + bottom > 768)); then
        echo "the window does not lie wholly on the 1366 x 768 screen" >&2
        return 1
    fi
}

cp "$sample" sample.prn
save_image_of sample.prn "sample.prn"
[ -s sample.bmp ] || { echo "Save Image wrote no sample.bmp" >&2; exit 1; }
cp sample.bmp saved.bmp
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' >sample.png
save_image_of sample.png "Lumikor 20140527"
if ! cmp -s sample.bmp saved.bmp; then
    echo "Save Image after opening sample.png replaced sample.bmp" >&2
    exit 1
fi
echo "the window lies on the screen; sample.bmp is left alone"
