#!/bin/bash
# Windows of the program on an X display of its own with a window manager
# (openbox), as a user sees them:
#  - the map window and the Text Window with a long overwrite list open with
#    their whole frame, title bar included, within the 1280x1024 screen;
#  - while a 3 s command runs the window keeps painting and shows the busy
#    line and pointer, and a click on another button is acted on only after
#    the command has ended.
set -u
probe=$1
work=$(mktemp -d)
pids=()
xpid=
cleanup() {
    for p in "${pids[@]}" $xpid; do kill "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/xvfb.sh"
start_xvfb "$work" || exit 1
mkdir -p "$work/home"
export HOME=$work/home TEXMFHOME=$work/texmf TEXMFVAR=$work/texmf-var TEXMFCONFIG=$work/texmf-config \
    TEXMFLOCAL=$work/texmf-local QT_QPA_PLATFORM=xcb
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_DOCUMENTS_DIR
openbox --sm-disable >"$work/openbox.out" 2>&1 &
pids+=($!)
# Waits up to $1 tenths of a second for the command that follows to succeed.
# The limits are generous: on a loaded machine each step may take a while,
# and only an answer that never comes is a failure.
poll() {
    local n=$1; shift
    for _ in $(seq "$n"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
if ! poll 600 wm_running; then
    echo "the window manager did not start"; cat "$work/openbox.out"; exit 1
fi

# Starts the probe in a mode and waits for its "ready".
start_probe() {
    local mode=$1
    "$probe" "$mode" >"$work/$mode.out" 2>"$work/$mode.err" &
    pids+=($!)
    poll 600 grep -q '^ready' "$work/$mode.out" && return 0
    echo "$mode: the probe did not get ready"; cat "$work/$mode.err"; return 1
}

fail=0
framed() { # the window $1 has the window manager's frame around it
    local t
    t=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | cut -d, -f3 | tr -d ' ')
    [ -n "$t" ] && [ "$t" -gt 0 ]
}
# The frame a window has: its place on the screen less the borders the
# window manager put around it.
check_frame() {
    local name=$1 wid info x y w h ext l r t b
    wid=$(xdotool search --sync --onlyvisible --name "^$name\$" | head -n1)
    [ -n "$wid" ] || { echo "$name: no window"; fail=1; return; }
    # The window manager may still be placing it: a frame first, then a
    # moment for the place.
    poll 300 framed "$wid"
    sleep 1
    info=$(xwininfo -id "$wid")
    x=$(sed -n 's/.*Absolute upper-left X: *\(-\?[0-9]*\).*/\1/p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *\(-\?[0-9]*\).*/\1/p' <<<"$info")
    w=$(sed -n 's/.*Width: *\([0-9]*\).*/\1/p' <<<"$info")
    h=$(sed -n 's/.*Height: *\([0-9]*\).*/\1/p' <<<"$info")
    ext=$(xprop -id "$wid" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
    IFS=, read -r l r t b <<<"$ext"
    if [ -z "${t:-}" ] || [ "$t" -eq 0 ]; then
        echo "$name: no frame from the window manager ($ext)"; cat "$work/openbox.out"; fail=1; return
    fi
    local left=$((x - l)) top=$((y - t)) right=$((x + w + r)) bottom=$((y + h + b))
    echo "$name: frame $left,$top to $right,$bottom"
    if [ "$left" -lt 0 ] || [ "$top" -lt 0 ] || [ "$right" -gt 1280 ] || [ "$bottom" -gt 1024 ]; then
        echo "$name: the frame is not within the screen"; fail=1
    fi
}

if start_probe frames; then
    check_frame "Updmap Window"
    check_frame "The following files will be overwritten"
else
    fail=1
fi

if start_probe busy; then
    wid=$(xdotool search --sync --onlyvisible --name '^Busy probe$' | head -n1)
    xdotool mousemove --window "$wid" 70 30 click 1
    # The second click comes while the command runs.
    poll 600 grep -q '^started' "$work/busy.out"
    xdotool mousemove --window "$wid" 260 30 click 1
    poll 600 grep -q '^second' "$work/busy.out"
    cat "$work/busy.out"
    read -r _ started < <(grep '^started' "$work/busy.out")
    read -r _ ended _ status _ paints _ busy < <(grep '^ended' "$work/busy.out")
    read -r _ second < <(grep '^second' "$work/busy.out")
    if [ -z "${started:-}" ] || [ -z "${ended:-}" ] || [ -z "${second:-}" ]; then
        echo "busy: the command or the second click never came"; cat "$work/busy.err"; fail=1
    else
        [ "$status" = 6 ] || { echo "busy: status $status"; fail=1; }
        [ $((ended - started)) -ge 2900 ] || { echo "busy: the command ended early"; fail=1; }
        [ "$second" -ge "$ended" ] || { echo "busy: the click acted inside the command"; fail=1; }
        # A paint every 30 ms asked for: most of them came during the 3 s.
        [ "$paints" -ge 20 ] || { echo "busy: only $paints paints during the command"; fail=1; }
        [ "$busy" = 1 ] || { echo "busy: no busy line and pointer"; fail=1; }
    fi
else
    fail=1
fi
exit $fail
