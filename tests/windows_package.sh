#!/usr/bin/env bash
# The Windows package as a user meets it, under Wine:
#   windows_package.sh <build folder> <wine-run>
# Installs the build into a fresh folder, as the zip holds it, and starts
# clavitone.exe there with only the package's own DLLs, on an Xvfb display of
# its own. Checks that the window shows at its design size, that a start and
# close with nothing touched leaves no key in the registry, and that a bar
# moved with the mouse is saved there as a string.
set -euo pipefail
build="$1"
run="$2"
key='HKCU\Software\VB and VBA Program Settings\Kestrane'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

scratch="$(mktemp -d)"
xvfb=""
program=""
cleanup() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

folder="$scratch/prefix/bin"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
for file in clavitone.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll PATCH.INI homepage/index.html \
    skins/slate.cjs README.txt; do
    [ -f "$folder/$file" ] || fail "the package has no $file"
done

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
wait_for 20 grep -q '[0-9]' "$scratch/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$scratch/display")"
unset QT_QPA_PLATFORM
export CLAVITONE_WINEPATH=""

window=""
find_window() { window="$(xdotool search --onlyvisible --name '^Clavitone$' 2>/dev/null | head -n 1)"; }
start() {
    (cd "$folder" && exec "$run" ./clavitone.exe) &
    program=$!
    wait_for 120 find_window || fail "no Clavitone window within 120 s"
}
# Closes the window as its close button does, and waits for the program to end.
close() {
    "$run" taskkill /im clavitone.exe >/dev/null
    wait_for 60 eval '! kill -0 "$program" 2>/dev/null' || fail "clavitone.exe did not end"
    wait "$program" || fail "clavitone.exe ended with status $?"
    program=""
}
registry() { "$run" reg query "$@" 2>/dev/null | tr -d '\r'; }

"$run" reg delete "$key" /f >/dev/null 2>&1 || true

echo "-- started and closed untouched"
start
size="$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')"
echo "window $window: $size"
[ "$size" = 304x436 ] || fail "the window is $size, not 304x436"
close
if registry "$key" >/dev/null; then
    fail "a start without a change created $key"
fi
echo "reg query \"$key\": no such key"

echo "-- the pan bar moved with the mouse"
start
# The pan bar: 157 x 19 pixels at (101, 152) in the window; a click in its
# trough right of the thumb moves it one page up, from 0 to 10.
xdotool mousemove --window "$window" 233 161 click 1
pan_saved() { registry "$key\\Clavitone" /v Pan | grep -Eq 'Pan[[:space:]]+REG_SZ[[:space:]]+10$'; }
wait_for 30 pan_saved || fail "Pan=10 did not reach the registry: $(registry "$key\\Clavitone")"
close
registry "$key\\Clavitone"
