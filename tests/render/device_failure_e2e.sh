#!/usr/bin/env bash
# End to end, under an X display: the windowed test run of the real program with every device
# creation refused. The user must see exactly one message box titled "エラー", with the saver
# window already hidden, and the program must end with code 1 once the box is closed.
# Usage: device_failure_e2e.sh PATH/TO/orbelune
set -uo pipefail
program=$1

source "$(dirname "$0")/e2e_common.sh"

use_scratch_environment
export ORBELUNE_D3D_FAIL=all

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
echo "PASS: one message box, saver window hidden, exit code 1"
