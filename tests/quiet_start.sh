#!/usr/bin/env bash
# A start where there is no sound, as a terminal user meets it:
#   quiet_start.sh <program>
# No sound server (an empty runtime folder, no PULSE_SERVER) and no sound card
# (an ALSA configuration that defines no device). The program starts, draws its
# window, and writes nothing of ALSA's or FluidSynth's to standard error; with
# CLAVITONE_SOUND_DEBUG=1 their messages are there, for someone who asks.
set -euo pipefail
program="$1"

# fail and wait_for, shared with the scripts.
. "$(dirname "$0")/../scripts/lib/common.sh"

scratch="$(mktemp -d)"
started=""
cleanup() {
    [ -z "$started" ] || kill "$started" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/config" "$scratch/home"
mkdir -m 700 "$scratch/run"
: >"$scratch/no-devices.conf"
# The program looks for a sound device only once it has found a soundfont.
soundfont=/usr/share/sounds/sf2/default-GM.sf2
[ -r "$soundfont" ] || fail "no soundfont at $soundfont (package fluid-soundfont-gm)"

# start <log> [VARIABLE=value]...: starts the program until its window is
# drawn, which comes after the sound output was opened, then ends it. Qt's
# painting log says when; it is left out of the log kept.
start() {
    local log="$1"
    shift
    env -i PATH="$PATH" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
        XDG_RUNTIME_DIR="$scratch/run" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen \
        ALSA_CONFIG_PATH="$scratch/no-devices.conf" QT_LOGGING_RULES=qt.widgets.painting=true \
        "$@" "$program" >/dev/null 2>"$log.all" </dev/null &
    started=$!
    drawn() { grep -qs '^qt.widgets.painting: Syncing' "$log.all"; }
    wait_for 60 drawn || fail "the window was never drawn: $(grep -v '^qt\.' "$log.all")"
    kill -0 "$started" || fail "the program ended early: $(grep -v '^qt\.' "$log.all")"
    kill "$started"
    wait "$started" || true
    started=""
    # On one start in a hundred the program opens its home page, which the
    # offscreen platform says it cannot: Qt's words, not the sound's.
    grep -v -e '^qt.widgets.painting: ' \
        -e "^This plugin does not support QPlatformServices::openDocument() for 'file:///.*/homepage/index.html'.\$" \
        "$log.all" >"$log" || true
}

echo "-- CLAVITONE_SOUND_DEBUG=1: the libraries' messages"
start "$scratch/debug" CLAVITONE_SOUND_DEBUG=1
cat "$scratch/debug"
grep -q '^ALSA lib ' "$scratch/debug" || fail "no message of ALSA's"
grep -q '^fluidsynth: ' "$scratch/debug" || fail "no message of FluidSynth's"

echo "-- a plain start"
start "$scratch/plain"
lines="$(wc -l <"$scratch/plain")"
[ "$lines" -eq 0 ] || fail "$lines lines on standard error: $(cat "$scratch/plain")"
echo "standard error: $lines lines"
