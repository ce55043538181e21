#!/usr/bin/env bash
# End to end, under an X display: a windowed test run of the real program that cannot start its
# renderer. The user must see exactly one message box titled "エラー", with the saver window
# already hidden, and the program must end with code 1 once the box is closed.
#   device      every device creation is refused
#   image-file  the settings name an image file that does not exist
#   image-fifo  the settings name a FIFO that nothing writes to: it must not hang the start
#   image-device  the settings name /dev/urandom, a file without end
# Usage: startup_failure_e2e.sh PATH/TO/orbelune device|image-file|image-fifo|image-device
set -uo pipefail
program=$1
failure=$2

source "$(dirname "$0")/e2e_common.sh"

use_scratch_environment
use_image_file() {
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n"FileName"="%s"\n' "$1" \
    >"$ORBELUNE_REGISTRY"
}
case "$failure" in
  device) export ORBELUNE_D3D_FAIL=all ;;
  image-file) use_image_file "$scratch/no-such-picture.png" ;;
  image-fifo)
    mkfifo "$scratch/pipe.png" || fail "cannot make a FIFO"
    use_image_file "$scratch/pipe.png" ;;
  image-device) use_image_file /dev/urandom ;;
  *) fail "unknown failure '$failure'" ;;
esac

"$program" /w &
pid=$!

boxes=""
for _ in $(seq 200); do
  boxes=$(xdotool search --name '^エラー$' 2>/dev/null)
  [[ -n "$boxes" ]] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended without showing a message box"
  sleep 0.05
done
[[ -n "$boxes" ]] || fail "no message box titled エラー within 10 s"

# Give a second box, if the program were to show one, the time to appear.
sleep 0.5
count=$(xdotool search --name '^エラー$' 2>/dev/null | wc -l)
[[ "$count" -eq 1 ]] || fail "$count message boxes are showing, expected exactly one"

visible=$(xdotool search --onlyvisible --name '^Orbelune$' 2>/dev/null | wc -l)
[[ "$visible" -eq 0 ]] || fail "the saver window is still showing beside the message box"

box=$(echo "$boxes" | head -n 1)
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --clearmodifiers Return

wait_for_exit
[[ -n "$status" ]] || fail "the program is still running 10 s after the message box was closed"
[[ "$status" -eq 1 ]] || fail "exit code $status, expected 1"
echo "PASS ($failure): one message box, saver window hidden, exit code 1"
