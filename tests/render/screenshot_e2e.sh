#!/usr/bin/env bash
# End to end, under an X display: F12 in the windowed test run of the real program writes
# OrbeluneSS.bmp into the current directory, holding exactly the 800 x 600 client area of the
# window where it stands on the screen, with the kaleidoscope in it. The background colour is
# set to green: the mask covers the client area's corners with it, while the X desktop around
# the window is blue, so any shift of the rectangle would show in a corner.
# Usage: screenshot_e2e.sh PATH/TO/orbelune
set -uo pipefail
program=$(realpath "$1")

source "$(dirname "$0")/e2e_common.sh"

use_scratch_environment
cd "$scratch" || exit 1
use_green_background

# A blue desktop, so that desktop pixels in the screenshot would show.
convert -size 16x16 xc:'#3050a0' desktop.png
display -window root desktop.png 2>/dev/null || true
rm -f desktop.png

"$program" /w &
pid=$!

wait_for_window Orbelune

xdotool windowmove "$window" 150 100
sleep 0.5
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key --clearmodifiers F12

for _ in $(seq 200); do
  [[ -s OrbeluneSS.bmp ]] && break
  sleep 0.05
done
sleep 0.3  # let the writer finish
[[ -s OrbeluneSS.bmp ]] || fail "no OrbeluneSS.bmp 10 s after F12"

# Ending the run releases the scene and the device at process exit; that has to go cleanly.
xdotool key --clearmodifiers alt+F4
wait_for_exit
[[ -n "$status" ]] || fail "the program is still running 10 s after Alt+F4"
[[ "$status" -eq 0 ]] || fail "exit code $status after Alt+F4, expected 0"

read -r width height < <(od -An -tu4 -j18 -N8 OrbeluneSS.bmp)
bits=$(od -An -tu2 -j28 -N2 OrbeluneSS.bmp | tr -d ' ')
size=$(stat -c %s OrbeluneSS.bmp)
echo "screenshot $width x $height, $bits bits, $size bytes"
[[ "$width" -eq 800 && "$height" -eq 600 && "$bits" -eq 32 ]] || fail "expected 800 x 600 at 32 bits"
[[ "$size" -eq 1920056 ]] || fail "file size $size, expected 1920056"
expect_kaleidoscope OrbeluneSS.bmp
echo "PASS: F12 wrote the 800 x 600 client area with the kaleidoscope ($colours colours in its middle)"
