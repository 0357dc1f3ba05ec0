# Shared by the checks of the Windows packages under Wine (windows_package.sh,
# windows_installer.sh): sourced, never run. Before sourcing, set `run` to the
# build's wine-run and `scratch` to a fresh folder of the check's own.
#
# Gives: fail, wait_for, a display (the run's, else an Xvfb of its own),
# start_program / close_program for clavitone.exe, measure_window (the window
# at its design size), registry (reg query), settings_key, and pan_moved (the
# pan bar moved with the mouse until the registry holds it).

# fail and wait_for, shared with the scripts.
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"

settings_key='HKCU\Software\VB and VBA Program Settings\Kestrane'

xvfb=""
program=""
cleanup() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# The display of the run when there is one (Wine keeps one display per prefix
# at a time), else one of its own.
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
    xvfb=$!
    wait_for 20 grep -qs '[0-9]' "$scratch/display" || fail "Xvfb did not start"
    export DISPLAY=":$(cat "$scratch/display")"
fi
unset QT_QPA_PLATFORM

window=""
find_window() { window="$(xdotool search --onlyvisible --name '^Clavitone$' 2>/dev/null | head -n 1)"; }
# start_program <folder> <program and arguments, under wine-run>: starts it
# there and waits for the Clavitone window.
start_program() {
    local folder="$1"
    shift
    # Its output (Wine's) to a file: Wine's helpers inherit it and outlive it.
    (cd "$folder" && exec "$run" "$@" </dev/null >>"$scratch/wine.log" 2>&1) &
    program=$!
    wait_for 120 find_window || fail "no Clavitone window within 120 s"
}
# Closes the window as its close button does, and waits for the program (what
# start_program started) to end.
close_program() {
    # A close message that comes while the window is still being set up can be
    # lost under Wine; it is sent again until the program ends.
    ask_to_close() {
        "$run" taskkill /im clavitone.exe </dev/null >/dev/null 2>&1 || true
        wait_for 10 eval '! kill -0 "$program" 2>/dev/null'
    }
    wait_for 90 ask_to_close || fail "clavitone.exe did not end"
    wait "$program" || fail "clavitone.exe ended with status $?"
    program=""
}
registry() { "$run" reg query "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# Under Wine the first window found can be replaced by another while the
# program sets up: each look finds the window afresh.
size=""
measure() {
    find_window && [ -n "$window" ] || return 1
    size="$(xwininfo -id "$window" 2>/dev/null |
        awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')"
    [ "$size" = 304x436 ]
}
measure_window() {
    wait_for 30 measure || fail "the window is $size, not 304x436"
    echo "window $window: $size"
}

# The pan bar: 157 x 19 pixels at (101, 152) in the window, at 0 after a start
# without settings. A click in its trough right of the thumb moves it up (by a
# page, or on to the pointer when Wine is slow to deliver the release). A click
# that comes before the window takes input is repeated.
pan_saved() {
    registry "$settings_key\\Clavitone" /v Pan |
        grep -Eq 'Pan[[:space:]]+REG_SZ[[:space:]]+([1-9]|[1-9][0-9]|1[0-2][0-9])$'
}
click_pan() {
    find_window && [ -n "$window" ] || return 1
    xdotool mousemove --window "$window" 233 161 click 1 2>/dev/null || return 1
    wait_for 10 pan_saved
}
pan_moved() {
    wait_for 60 click_pan ||
        fail "Pan did not reach the registry: $(registry "$settings_key\\Clavitone")"
}
