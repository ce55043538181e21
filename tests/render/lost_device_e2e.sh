#!/usr/bin/env bash
# End to end, under an X display: the windowed test run of the real program with its device
# lost at every tenth present. Each loss is followed by a reset, and the window must keep
# showing the kaleidoscope (many colours in its middle, the green background in its corners),
# not a black or frozen picture, while the run goes on.
# Usage: lost_device_e2e.sh PATH/TO/orbelune
set -uo pipefail
program=$(realpath "$1")

source "$(dirname "$0")/e2e_common.sh"

use_scratch_environment
cd "$scratch" || exit 1
use_green_background
export ORBELUNE_D3D_LOSE_EVERY=10

"$program" /w &
pid=$!

wait_for_window Orbelune

# At 60 frames a second the device is lost six times a second: look at the window a few times.
previous=""
for look in 1 2 3; do
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "the program ended after a lost device"
  import -window "$window" "look$look.png" 2>/dev/null || fail "the window could not be captured"
  expect_kaleidoscope "look$look.png"
  digest=$(convert "look$look.png" -format '%#' info:)
  [[ "$digest" != "$previous" ]] || fail "look $look: the picture has not moved since the last look"
  previous=$digest
  echo "look $look: $colours colours in the middle"
done

kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
echo "PASS: the kaleidoscope came back after every lost device"
