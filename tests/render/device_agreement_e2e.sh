#!/usr/bin/env bash
# End to end, under an X display with Mesa's software OpenGL admitted as the hardware device:
# the saver's frame drawn by the OpenGL device agrees with the reference device's at the same
# clock (orbelune-tool frame --device), with the halo and the mask in other colours than black
# so that the blending shows; and, where the shared bench scene is at hand, so does its frame
# (bench_scene --device). The two devices round 8-bit colour arithmetic differently and GL
# leaves the rasterisation of exact ties to the driver, so pixels may differ by a step or two
# and a few along edges; the stated tolerance: at most 0.1 % of the pixels differ by more than
# 5 % of the range, and the whole picture keeps a PSNR of at least 45 dB.
# Usage: device_agreement_e2e.sh PATH/TO/orbelune-tool PATH/TO/bench_scene [BENCH-SCENE-DIR]
set -uo pipefail
tool=$(realpath "$1")
bench=$(realpath "$2")
scene_folder=${3:-}

source "$(dirname "$0")/e2e_common.sh"

use_scratch_environment
cd "$scratch" || exit 1
export ORBELUNE_HAL=software
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n"BackColor"=dword:0000ff00\n"HaloColor"=dword:00ff4020\n' \
  >"$ORBELUNE_REGISTRY"

# Fails unless the pictures $1 and $2 agree within the tolerance above.
expect_agreement() {
  convert "$1" -alpha off first.ppm && convert "$2" -alpha off second.ppm || fail "cannot read $1 or $2"
  local pixels far psnr
  pixels=$(identify -format '%[fx:w*h]' first.ppm)
  far=$(compare -metric AE -fuzz 5% first.ppm second.ppm null: 2>&1)
  psnr=$(compare -metric PSNR first.ppm second.ppm null: 2>&1)
  echo "$1 / $2: $far of $pixels pixels differ by more than 5 %, PSNR $psnr dB"
  [[ "$far" =~ ^[0-9]+$ ]] || fail "compare said: $far"
  ((far * 1000 <= pixels)) || fail "$far pixels differ by more than 5 %"
  [[ "$psnr" == inf ]] || awk -v p="$psnr" 'BEGIN { exit !(p >= 45) }' || fail "PSNR $psnr dB below 45"
}

for time in 0 20000; do
  "$tool" frame --time "$time" --size 640x400 --device hal --out "hal-$time.bmp" >/dev/null ||
    fail "the OpenGL device drew no frame at $time ms"
  "$tool" frame --time "$time" --size 640x400 --out "ref-$time.bmp" >/dev/null || fail "no reference frame"
  expect_agreement "hal-$time.bmp" "ref-$time.bmp"
done

if [[ -n "$scene_folder" && -d "$scene_folder" ]]; then
  for theta in 30 10; do
    "$bench" --scene "$scene_folder" --size 800x600 --frames 0 --theta "$theta" --device hal \
      --write-frame "scene-hal-$theta.bmp" || fail "bench_scene drew nothing on the OpenGL device"
    "$bench" --scene "$scene_folder" --size 800x600 --frames 0 --theta "$theta" --device ref \
      --write-frame "scene-ref-$theta.bmp" || fail "bench_scene drew nothing on the reference device"
    expect_agreement "scene-hal-$theta.bmp" "scene-ref-$theta.bmp"
  done
fi
echo "PASS: the OpenGL device's frames agree with the reference device's"
