#!/usr/bin/env bash
# The Windows installer as a user meets it, under Wine:
#   windows_installer.sh <installer> <zip> <program it packs> <wine-run>
# In a fresh Wine prefix: a silent install (/S) puts the zip's files and an
# uninstaller in "Program Files\Clavitone", a Start-menu shortcut whose program
# carries the icon, and an entry in the list of installed programs. Started
# through that shortcut, the installed program shows its window, and a bar
# moved there is saved in the user's settings. A silent uninstall, as the list
# of installed programs starts it, leaves no installed file, shortcut or entry,
# and the user's settings where they were.
set -euo pipefail
installer="$1"
zip="$2"
built="$3"
run="$4"

scratch="$(mktemp -d)"
# A display of its own, where no other check's Clavitone window shows: its
# prefix is its own too.
unset DISPLAY
. "$(dirname "$0")/wine_window.sh"
# Only the installed DLLs count, in a prefix no other check has touched.
export CLAVITONE_WINEPATH=""
export CLAVITONE_WINEPREFIX="$scratch/prefix"

[ -f "$installer" ] || fail "no installer $installer (scripts/windows makes it)"
[ "$installer" -nt "$built" ] ||
    fail "$installer is older than $built: pack it again (scripts/windows)"
command -v wrestool >/dev/null || fail "wrestool is missing (package icoutils)"

# The entry in the list of installed programs: all users' for an
# administrator (as Wine's user is), else the user's own.
entries=(
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Clavitone'
    'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Clavitone'
)
# Where the installer notes its folder, under the same root.
records=('HKLM\Software\Kestrane' 'HKCU\Software\Kestrane')
entry=""
find_entry() {
    entry=""
    local key
    for key in "${entries[@]}"; do
        if registry "$key" >/dev/null; then
            entry="$key"
            return 0
        fi
    done
    return 1
}
drive="$CLAVITONE_WINEPREFIX/drive_c"
folder="$drive/Program Files/Clavitone"
shortcuts() { find "$drive" -name 'Clavitone.lnk' 2>/dev/null; }

echo "-- $(basename "$installer") /S"
"$run" "$installer" /S </dev/null >>"$scratch/wine.log" 2>&1 || fail "the installer ended with $?"
installed() { [ -f "$folder/clavitone.exe" ] && find_entry; }
wait_for 120 installed || fail "nothing installed in $folder, or no entry: $(ls "$drive")"

# The zip's files, and the uninstaller.
unzip -q "$zip" -d "$scratch/unzipped"
expected="$( (cd "$scratch/unzipped/$(basename "$zip" .zip)" && find . -type f; echo ./Uninstall.exe) |
    sort)"
present="$(cd "$folder" && find . -type f | sort)"
[ "$present" = "$expected" ] ||
    fail "the installed files are not the zip's and Uninstall.exe: $(diff <(echo "$expected") <(echo "$present"))"
echo "installed: $(echo "$present" | wc -l) files in $folder (the zip's and Uninstall.exe)"

details="$(registry "$entry")"
for value in 'DisplayName[[:space:]]+REG_SZ[[:space:]]+Clavitone$' \
    'DisplayIcon[[:space:]]+REG_SZ[[:space:]]+.*\\clavitone\.exe$' \
    'UninstallString[[:space:]]+REG_SZ[[:space:]]+.*\\Uninstall\.exe"?$'; do
    grep -Eq "$value" <<<"$details" || fail "the entry $entry has no $value: $details"
done
echo "entry: $entry"

shortcut="$(shortcuts)"
[ -n "$shortcut" ] && [ "$(wc -l <<<"$shortcut")" -eq 1 ] || fail "no single Start-menu shortcut: $shortcut"
[[ "$shortcut" == */"Start Menu/Programs/Clavitone/Clavitone.lnk" ]] ||
    fail "the shortcut is not in the Start menu: $shortcut"
wrestool -l --type=14 "$folder/clavitone.exe" | grep -q . ||
    fail "clavitone.exe has no icon for its shortcut"
echo "shortcut: ${shortcut#"$drive/"}, to clavitone.exe with its icon"

echo "-- started through the shortcut"
"$run" reg delete "$settings_key" /f </dev/null >/dev/null 2>&1 || true
link="$("$run" winepath -w "$shortcut" </dev/null 2>/dev/null | tr -d '\r')"
[ -n "$link" ] || fail "winepath did not name $shortcut"
start_program "$scratch" start /wait "$link"
measure_window
pan_moved
close_program
# Wine's start can end before the program it started: the files are in use
# until clavitone.exe itself has ended (Wine's tasklist is a stub, so its
# processes are found by their prefix).
program_running() {
    local process
    for process in /proc/[0-9]*; do
        tr '\0' '\n' <"$process/cmdline" 2>/dev/null | grep -qi '\\clavitone\.exe$' || continue
        tr '\0' '\n' <"$process/environ" 2>/dev/null |
            grep -qxF "WINEPREFIX=$CLAVITONE_WINEPREFIX" && return 0
    done
    return 1
}
wait_for 60 eval '! program_running' || fail "clavitone.exe did not end"
settings="$(registry "$settings_key\\Clavitone")"

echo "-- the uninstaller /S, as the list of installed programs starts it"
uninstall="$(registry "$entry" /v UninstallString |
    sed -n 's/^[[:space:]]*UninstallString[[:space:]]*REG_SZ[[:space:]]*//p' | tr -d '"')"
[ -n "$uninstall" ] || fail "no UninstallString in $entry"
"$run" "$uninstall" /S </dev/null >>"$scratch/wine.log" 2>&1 || fail "the uninstaller ended with $?"
# It runs on from a copy of itself, to be able to remove the original.
recorded() { registry "${records[0]}" >/dev/null || registry "${records[1]}" >/dev/null; }
removed() { [ ! -e "$folder" ] && ! find_entry && [ -z "$(shortcuts)" ] && ! recorded; }
wait_for 120 removed ||
    fail "left after uninstalling: $(find "$folder" -type f 2>/dev/null | wc -l) files," \
        "entry '$entry', shortcut '$(shortcuts)', $(recorded && echo "the installer's key")"
echo "after uninstalling: 0 files left in $folder, no entry, no shortcut, no key of the installer's"
[ "$(registry "$settings_key\\Clavitone")" = "$settings" ] ||
    fail "the settings changed: $(registry "$settings_key\\Clavitone")"
echo "the settings stay:"
echo "$settings"
