#!/usr/bin/env bash
# The Windows package as a user meets it, under Wine:
#   windows_package.sh <zip> <program it packs> <wine-run> <MinGW runtime DLL>...
# Unzips the package that ships into a fresh folder and starts clavitone.exe
# there with only the package's own DLLs, on an Xvfb display of its own when
# the run has none. Checks that the window shows at its design size, that a
# start and close with nothing touched leaves no key in the registry, and that
# a bar moved with the mouse is saved there as a string (REG_SZ) of its new
# value.
set -euo pipefail
zip="$1"
built="$2"
run="$3"
shift 3
# The compiler's runtime libraries the package must hold (cmake/MingwRuntime.cmake).
runtime=("$@")
key='HKCU\Software\VB and VBA Program Settings\Kestrane'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# wait_for, shared with the scripts.
. "$(dirname "$0")/../scripts/lib/common.sh"

scratch="$(mktemp -d)"
xvfb=""
program=""
cleanup() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

[ -f "$zip" ] || fail "no package $zip (scripts/windows makes it)"
[ "$zip" -nt "$built" ] || fail "$zip is older than $built: pack it again (scripts/windows)"
unzip -q "$zip" -d "$scratch/unzipped"
folder="$scratch/unzipped/$(basename "$zip" .zip)"
[ "${#runtime[@]}" -gt 0 ] || fail "no MinGW runtime DLLs named"
for file in clavitone.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
    "${runtime[@]}" PATCH.INI homepage/index.html skins/slate.cjs README.txt; do
    [ -f "$folder/$file" ] || fail "the package has no $file"
done

# The display of the run when there is one (Wine keeps one display per prefix
# at a time), else one of its own.
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
    xvfb=$!
    wait_for 20 grep -q '[0-9]' "$scratch/display" || fail "Xvfb did not start"
    export DISPLAY=":$(cat "$scratch/display")"
fi
unset QT_QPA_PLATFORM
export CLAVITONE_WINEPATH=""

window=""
find_window() { window="$(xdotool search --onlyvisible --name '^Clavitone$' 2>/dev/null | head -n 1)"; }
start() {
    # Its output (Wine's) to a file: Wine's helpers inherit it and outlive it.
    (cd "$folder" && exec "$run" ./clavitone.exe </dev/null >>"$scratch/wine.log" 2>&1) &
    program=$!
    wait_for 120 find_window || fail "no Clavitone window within 120 s"
}
# Closes the window as its close button does, and waits for the program to end.
close() {
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

"$run" reg delete "$key" /f </dev/null >/dev/null 2>&1 || true

echo "-- started and closed untouched"
start
# Under Wine the first window found can be replaced by another while the
# program sets up: each look finds the window afresh.
size=""
measure() {
    find_window && [ -n "$window" ] || return 1
    size="$(xwininfo -id "$window" 2>/dev/null |
        awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')"
    [ "$size" = 304x436 ]
}
wait_for 30 measure || fail "the window is $size, not 304x436"
echo "window $window: $size"
close
if registry "$key" >/dev/null; then
    fail "a start without a change created $key"
fi
echo "reg query \"$key\": no such key"

echo "-- the pan bar moved with the mouse"
start
# The pan bar: 157 x 19 pixels at (101, 152) in the window, at 0 after a start
# without settings. A click in its trough right of the thumb moves it up (by a
# page, or on to the pointer when Wine is slow to deliver the release). A click
# that comes before the window takes input is repeated.
pan_saved() {
    registry "$key\\Clavitone" /v Pan | grep -Eq 'Pan[[:space:]]+REG_SZ[[:space:]]+([1-9]|[1-9][0-9]|1[0-2][0-9])$'
}
click_pan() {
    find_window && [ -n "$window" ] || return 1
    xdotool mousemove --window "$window" 233 161 click 1 2>/dev/null || return 1
    wait_for 10 pan_saved
}
wait_for 60 click_pan || fail "Pan did not reach the registry: $(registry "$key\\Clavitone")"
close
registry "$key\\Clavitone"
