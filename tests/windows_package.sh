#!/usr/bin/env bash
# The Windows zip as a user meets it, under Wine:
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

scratch="$(mktemp -d)"
. "$(dirname "$0")/wine_window.sh"
export CLAVITONE_WINEPATH=""

[ -f "$zip" ] || fail "no package $zip (scripts/windows makes it)"
[ "$zip" -nt "$built" ] || fail "$zip is older than $built: pack it again (scripts/windows)"
unzip -q "$zip" -d "$scratch/unzipped"
folder="$scratch/unzipped/$(basename "$zip" .zip)"
[ "${#runtime[@]}" -gt 0 ] || fail "no MinGW runtime DLLs named"
for file in clavitone.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
    "${runtime[@]}" PATCH.INI homepage/index.html skins/slate.cjs README.txt; do
    [ -f "$folder/$file" ] || fail "the package has no $file"
done

"$run" reg delete "$settings_key" /f </dev/null >/dev/null 2>&1 || true

echo "-- started and closed untouched"
start_program "$folder" ./clavitone.exe
measure_window
close_program
if registry "$settings_key" >/dev/null; then
    fail "a start without a change created $settings_key"
fi
echo "reg query \"$settings_key\": no such key"

echo "-- the pan bar moved with the mouse"
start_program "$folder" ./clavitone.exe
pan_moved
close_program
registry "$settings_key\\Clavitone"
