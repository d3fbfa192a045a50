#!/bin/bash
# Starts the built program on an X display of its own (xcb platform, fresh
# HOME and TeX trees), waits until the start-up scan has filled the main
# window, quits it from the keyboard and checks that the process ends with
# status 0, that the run log holds the whole run and that the preferences
# were saved. One run per road: Ctrl+Q, and File > Quit through the menu keys.
set -u
exe=$1
work=$(mktemp -d)
xpid=
cleanup() {
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/xvfb.sh"
start_xvfb "$work" || exit 1

fail=0
run() { # road name, then the xdotool keys
    local road=$1; shift
    local dir=$work/$road
    mkdir -p "$dir/home"
    env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_DOCUMENTS_DIR -u TEXMFOUTPUT \
        HOME="$dir/home" TEXMFHOME="$dir/texmf" TEXMFVAR="$dir/texmf-var" TEXMFCONFIG="$dir/texmf-config" \
        TEXMFLOCAL="$dir/texmf-local" \
        QT_QPA_PLATFORM=xcb "$exe" >"$dir/out" 2>&1 &
    local pid=$!
    local log=$dir/home/QLKlogfile.txt
    for _ in $(seq 300); do
        grep -q "Finished Setupwin" "$log" 2>/dev/null && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -q "Finished Setupwin" "$log" 2>/dev/null; then
        echo "$road: the start-up scan did not finish"; cat "$dir/out"; kill -9 $pid 2>/dev/null; fail=1; return
    fi
    local wid
    wid=$(xdotool search --sync --onlyvisible --name '^LaTeX Quillmark$' | head -n1)
    xdotool windowfocus --sync "$wid"
    xdotool key --delay 100 "$@"
    local status=
    for _ in $(seq 100); do
        if ! kill -0 $pid 2>/dev/null; then
            wait $pid
            status=$?
            break
        fi
        sleep 0.1
    done
    if [ -z "$status" ]; then
        echo "$road: still running 10 s after the quit"; kill -9 $pid; fail=1; return
    fi
    [ "$status" = 0 ] || { echo "$road: exit status $status"; cat "$dir/out"; fail=1; }
    [ -f "$dir/home/.config/Quillmark Prefs" ] || { echo "$road: no preferences file"; fail=1; }
    # The log ends with a whole line: the stream was flushed and closed.
    [ "$(tail -c1 "$log" | od -An -c | tr -d ' ')" = '\n' ] || { echo "$road: log cut short"; fail=1; }
    echo "$road: status ${status}"
}

run ctrl-q ctrl+q
run file-menu alt+f q
exit $fail
