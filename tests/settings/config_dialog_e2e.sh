#!/usr/bin/env bash
# End to end, under an X display: `orbelune /c` shows the configuration dialog titled
# "オプション"; a screenshot of it is kept at the path given; Enter (OK) writes the eleven values
# and ends with 1; a second run with a stored setting shows it, and Escape (Cancel) writes
# nothing and ends with 1.
# Usage: config_dialog_e2e.sh PATH/TO/orbelune SCREENSHOT.png
set -uo pipefail
program=$(realpath "$1")
screenshot=$(realpath -m "$2")

source "$(dirname "$0")/../render/e2e_common.sh"

use_scratch_environment
cd "$scratch" || exit 1
export GSETTINGS_BACKEND=memory  # no session bus here for GTK's settings

open_dialog() {
  "$program" /c 2>"$scratch/stderr.txt" &
  pid=$!
  wait_for_window オプション
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null
}

open_dialog
import -window root "$screenshot" || fail "no screenshot"
read -r width height < <(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
echo "dialog window $width x $height"
# 283 x 275 dialog units at a 9-point font: between 5 and 8 pixels a horizontal unit's four.
((width > 283 * 5 / 4 && width < 283 * 8 / 4)) || fail "dialog width $width does not follow the template"
((height > 275 * 10 / 8 && height < 275 * 18 / 8)) || fail "dialog height $height does not follow the template"
colours=$(convert "$screenshot" -alpha off -unique-colors -format '%w' info:)
((colours > 20)) || fail "the screenshot holds only $colours colours: no dialog drawn"

xdotool key --clearmodifiers Return
wait_for_exit
[[ -n "$status" ]] || fail "the program is still running 10 s after Enter"
[[ "$status" -eq 1 ]] || fail "exit code $status after Enter, expected 1"
for value in '"ObjectDistance"=dword:0000000a' '"ObjectXSpeed"=dword:00000064' \
    '"ObjectYSpeed"=dword:00000078' '"ObjectRotationSpeed"=dword:000000f0' \
    '"Distance"=dword:00000019' '"RotationSpeed"=dword:00000258' \
    '"ObjectClockwise"=dword:00000000' '"Clockwise"=dword:00000001' \
    '"BackColor"=dword:00000000' '"HaloColor"=dword:00000000' '"FileName"=hex(1):44,65,66,61,75,6c,74'; do
  grep -qF "$value" "$ORBELUNE_REGISTRY" || fail "Enter did not write $value"
done

printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n"Distance"=dword:00000050\n' \
  >"$ORBELUNE_REGISTRY"
cp "$ORBELUNE_REGISTRY" before.reg
open_dialog
xdotool key --clearmodifiers Escape
wait_for_exit
[[ -n "$status" ]] || fail "the program is still running 10 s after Escape"
[[ "$status" -eq 1 ]] || fail "exit code $status after Escape, expected 1"
cmp -s before.reg "$ORBELUNE_REGISTRY" || fail "Escape changed the store"
echo "PASS: the dialog showed ($width x $height, $colours colours), Enter wrote the eleven values, Escape nothing"
