#!/usr/bin/env bash
# The built program's command line, as a user types it:
#   command_line.sh <program> <version>
# --version and --help print their text on standard output and exit with 0,
# --bogus prints one line naming it on standard error and exits with 2; none
# of them writes a setting. They are answered with no display at all, and on
# an Xvfb display of the check's own no window of any kind is made or mapped
# (an X client watching the root window sees every one). A start with Qt's own
# options (-display, -style) still shows the window there.
set -euo pipefail
program="$1"
version="$2"

# fail and wait_for, shared with the scripts.
. "$(dirname "$0")/../scripts/lib/common.sh"

scratch="$(mktemp -d)"
xvfb=""
watcher=""
started=""
cleanup() {
    [ -z "$started" ] || kill "$started" 2>/dev/null || true
    [ -z "$watcher" ] || kill "$watcher" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/config" "$scratch/home" "$scratch/bin"
mkdir -m 700 "$scratch/run"
# On one start in a hundred the program opens its home page: a browser that
# opens nothing keeps it quiet.
printf '#!/bin/sh\nexit 0\n' >"$scratch/bin/xdg-open"
chmod 755 "$scratch/bin/xdg-open"

# run <display or empty> <arguments>...: the program in a clean environment,
# ended after 30 s if it does not end by itself (124); sets status, out and
# error.
run() {
    local display="$1"
    shift
    status=0
    env -i PATH="$scratch/bin:$PATH" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
        XDG_RUNTIME_DIR="$scratch/run" LC_ALL=C.UTF-8 ${display:+DISPLAY="$display"} \
        timeout 30 "$program" "$@" >"$scratch/out" 2>"$scratch/error" </dev/null || status=$?
    out="$(cat "$scratch/out")"
    error="$(cat "$scratch/error")"
}

# check <display or empty>: the three answers.
check() {
    run "$1" --version
    [ "$status" -eq 0 ] || fail "--version exited with $status: $error"
    [ "$out" = "Clavitone $version" ] || fail "--version printed '$out'"
    [ -z "$error" ] || fail "--version wrote to standard error: $error"

    run "$1" --help
    [ "$status" -eq 0 ] || fail "--help exited with $status: $error"
    [[ "$out" == "Usage: clavitone "* ]] || fail "--help printed '$out'"
    for word in --help --version -platform Kestrane.conf CLAVITONE_SOUND_DEBUG; do
        [[ "$out" == *"$word"* ]] || fail "--help does not name $word: $out"
    done
    [ -z "$error" ] || fail "--help wrote to standard error: $error"

    run "$1" --bogus
    [ "$status" -eq 2 ] || fail "--bogus exited with $status"
    [ -z "$out" ] || fail "--bogus printed '$out' on standard output"
    [ "$(wc -l <"$scratch/error")" -eq 1 ] || fail "--bogus wrote more than one line: $error"
    [[ "$error" == *"'--bogus'"* ]] || fail "--bogus was not named: $error"

    [ -z "$(ls -A "$scratch/config")" ] || fail "a setting was written: $(ls -A "$scratch/config")"
}

echo "-- no display"
check ""
echo "--version, --help, --bogus: answered, exit 0, 0 and 2, no setting written"

echo "-- on an Xvfb display, watched"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
wait_for 20 grep -qs '[0-9]' "$scratch/display" || fail "Xvfb did not start"
display=":$(cat "$scratch/display")"
# Every window made, mapped or unmapped on the display, and the marks below.
watch() {
    DISPLAY="$display" xev -root -event substructure -event property >"$scratch/events" 2>&1 &
    watcher=$!
}
watch
# mark <name>: a property of that name set on the root window; the watcher
# has seen everything before it once it has seen the mark.
mark() { DISPLAY="$display" xprop -root -f "$1" 8s -set "$1" set; }
seen() { grep -q "($1)" "$scratch/events"; }
# The watcher may not be listening yet: the first mark is set until it is
# seen. On a busy machine the display can turn a first client away: the
# watcher is started again when it has ended.
first_mark() {
    kill -0 "$watcher" 2>/dev/null || watch
    mark CLAVITONE_BEFORE 2>/dev/null && seen CLAVITONE_BEFORE
}
wait_for 60 first_mark || fail "the watcher saw nothing on $display: $(head -c 300 "$scratch/events")"
windows() { grep -E '^(CreateNotify|MapNotify) event' "$scratch/events" || true; }
before="$(windows)"
check "$display"
mark CLAVITONE_AFTER
wait_for 20 seen CLAVITONE_AFTER || fail "the watcher did not see the second mark"
[ "$(windows)" = "$before" ] || fail "a window was made on the display: $(windows)"
echo "--version, --help, --bogus on $display: no window made or mapped"

echo "-- a start with Qt's options -display and -style"
env -i PATH="$scratch/bin:$PATH" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
    XDG_RUNTIME_DIR="$scratch/run" LC_ALL=C.UTF-8 \
    "$program" -display "$display" -style fusion >/dev/null 2>"$scratch/error" </dev/null &
started=$!
mapped() { grep -q '^MapNotify event' "$scratch/events"; }
wait_for 60 mapped || fail "the window was never mapped: $(cat "$scratch/error")"
kill -0 "$started" || fail "the program ended early: $(cat "$scratch/error")"
echo "the window mapped on $display"
