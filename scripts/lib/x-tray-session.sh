# A private X display with a tray host (trayer), for the scripts that run the desktop client as a user meets
# it. Sourced; the caller defines fail(), keeps the PIDs it must stop in the array pids and its files in $work.

# Polls a command for up to $1 tenths of a second. The bounds below are generous: they only decide how long
# a broken client takes to fail on a busy machine, never whether a working one passes.
wait_for() {
    local tries=$1 try
    shift
    for ((try = 0; try < tries; try++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# A display of our own: a number nobody holds, and our server must be the one answering on it (a run
# started at the same moment may have picked the same number).
start_xvfb() {
    local n attempt
    for ((attempt = 0; attempt < 20; attempt++)); do
        n=$((100 + RANDOM % 400))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        if wait_for 300 xdpyinfo -display ":$n" && kill -0 "$xvfb_pid" 2>/dev/null; then
            pids+=("$xvfb_pid")
            export DISPLAY=":$n"
            return 0
        fi
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    done
    return 1
}

# trayer now and then fails to open a display that has only just come up: give it three tries.
start_trayer() {
    local attempt
    for ((attempt = 0; attempt < 3; attempt++)); do
        trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true --transparent true \
            --alpha 0 --tint 0x1e2a38 --distance 0 >>"$work/trayer.log" 2>&1 &
        pids+=($!)
        wait_for 300 xdotool search --class trayer && return 0
        kill "${pids[-1]}" 2>/dev/null || true
    done
    return 1
}

# The icon's window, once it sits inside trayer's panel.
docked_icon() {
    local id
    id=$(xwininfo -root -tree | awk '/"panel"/ { panel = 1; next } panel && /zelto-premium/ { print $1; exit }')
    [ -n "$id" ] && echo "$id"
}
