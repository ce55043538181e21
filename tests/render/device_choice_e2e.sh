#!/usr/bin/env bash
# End to end, under an X display whose OpenGL is Mesa's software renderer (as Xvfb's is): which
# device the windowed test run of the real program draws with. A software GL is no hardware
# device, so without ORBELUNE_HAL=software the reference device draws; with it the OpenGL
# device draws, and the window shows the kaleidoscope; with the two HAL attempts made to fail,
# the reference device takes over. The same holds for a hack run with -root, whose window is a
# child of the X server's root window made by the X11 code rather than SDL. The first frame's
# report names the device. On a display without GLX there is no OpenGL at all, and the
# reference device draws in every run.
# Usage: device_choice_e2e.sh PATH/TO/orbelune
set -uo pipefail
program=$(realpath "$1")

source "$(dirname "$0")/e2e_common.sh"

use_scratch_environment
cd "$scratch" || exit 1
use_green_background
export ORBELUNE_FIRST_FRAME_REPORT=1
if grep -qw GLX <<<"$(xdpyinfo -queryExtensions)"; then
  opengl_device=hal
else
  opengl_device=reference
fi

# Runs the program with the environment before "--" and the arguments after it until its first
# frame; sets device to the device its report names, and leaves the run going ($pid; $window
# for /w).
start_run() {
  local settings=()
  while [[ "$1" != -- ]]; do
    settings+=("$1")
    shift
  done
  shift
  env "${settings[@]}" "$program" "$@" 2>report.txt &
  pid=$!
  [[ "$1" == /w ]] && wait_for_window Orbelune
  device=""
  for _ in $(seq 200); do
    device=$(sed -n 's/^orbelune: first frame drawn by the \(.*\) device$/\1/p' report.txt)
    [[ -n "$device" ]] && return
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its first frame ($*): $(cat report.txt)"
    sleep 0.05
  done
  fail "no first frame reported within 10 s ($*)"
}

end_run() {
  kill -TERM "$pid" 2>/dev/null
  wait_for_exit
  [[ -n "$status" ]] || fail "the program is still running 10 s after SIGTERM"
  # 0 for a hack, which ends cleanly on the signal; 143 for a run the signal ends; else a crash
  [[ "$status" == 0 || "$status" == 143 ]] || fail "the program ended with status $status after SIGTERM"
}

start_run ORBELUNE_HAL=software -- /w
[[ "$device" == "$opengl_device" ]] || fail "with ORBELUNE_HAL=software the $device device drew, expected $opengl_device"
sleep 1
import -window "$window" hal.png 2>/dev/null || fail "the window could not be captured"
expect_kaleidoscope hal.png
end_run
echo "the $device device drew the kaleidoscope ($colours colours in its middle)"

start_run ORBELUNE_HAL=software ORBELUNE_D3D_FAIL=hal-hw,hal-sw -- /w
[[ "$device" == reference ]] || fail "with both HAL attempts failing the $device device drew"
end_run

start_run ORBELUNE_HAL= -- /w
[[ "$device" == reference ]] || fail "without the switch the software GL was taken as the hardware device"
end_run

start_run ORBELUNE_HAL=software -- -root
[[ "$device" == "$opengl_device" ]] || fail "in the hack's root window the $device device drew, expected $opengl_device"
sleep 1
import -window root hack.png 2>/dev/null || fail "the screen could not be captured"
expect_kaleidoscope hack.png
end_run
echo "the $device device drew the kaleidoscope in the hack's window ($colours colours in its middle)"

start_run ORBELUNE_HAL= -- -root
[[ "$device" == reference ]] || fail "without the switch the hack's software GL was taken as the hardware device"
end_run
echo "PASS: the $opengl_device device with the switch, the reference device when HAL fails or is software"
