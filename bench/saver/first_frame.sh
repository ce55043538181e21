#!/usr/bin/env bash
# Start-up time of the windowed test run: from the moment this script executes `orbelune /w`
# to the return of its first Present that the display took (the frame is handed to the window;
# the X server shows it right after). Everything in between counts: loading the program and
# its libraries, the window, the settings, the device, the scene's setup and the first frame,
# with the presentation paced to the display's refresh as a user's run is. The program reports
# the moment of that Present itself (ORBELUNE_FIRST_FRAME_REPORT=1); the goal is under 150 ms.
# Runs under a virtual X display (xvfb-run) when there is none.
# Usage: first_frame.sh PATH/TO/orbelune [RUNS]   (prints each run, then the median in ms last)
set -euo pipefail
program=$1
runs=${2:-5}
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

scratch=$(mktemp -d)
pid=""
trap '[[ -n "$pid" ]] && kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
# A store and a single-instance lock of the runs' own: the user's settings stay as they are.
export ORBELUNE_REGISTRY="$scratch/registry.reg"
export XDG_RUNTIME_DIR="$scratch"
export ORBELUNE_FIRST_FRAME_REPORT=1

times=()
for run in $(seq "$runs"); do
  # The start is read in the very shell that becomes the program.
  ( echo "$EPOCHREALTIME" > "$scratch/start"; exec "$program" /w ) 2> "$scratch/err" &
  pid=$!
  for _ in $(seq 200); do
    grep -q "first frame presented" "$scratch/err" 2>/dev/null && break
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
  presented=$(sed -n 's/^orbelune: first frame presented at //p' "$scratch/err")
  [[ -n "$presented" ]] || { echo "run $run: no frame presented within 10 s"; cat "$scratch/err"; exit 1; }
  milliseconds=$(awk -v s="$(cat "$scratch/start")" -v p="$presented" 'BEGIN { printf "%.1f", (p - s) * 1000 }')
  echo "run $run: first frame $milliseconds ms after the start"
  times+=("$milliseconds")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
