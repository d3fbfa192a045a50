# Sourced by the display tests: starts Xvfb on a display of its own in the
# folder $1 (1280x1024) and exports DISPLAY; sets xpid to the server's pid.
start_xvfb() {
    local work=$1
    # -displayfd lets the server choose a free display, so parallel runs never share one.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
    xpid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.err"; return 1; }
    export DISPLAY=:$(head -n1 "$work/display")
}
