#!/usr/bin/env bash
# CPU cost of the real program's windowed test run: starts `orbelune /w`, lets it present
# for a few seconds and reads the process's CPU time from /proc. Needs an X display (run it
# under xvfb-run -a) or falls back to whatever display backend the program picks.
# Usage: orbelune_idle_cpu.sh PATH/TO/orbelune [SECONDS]
set -euo pipefail
program=$1
seconds=${2:-5}

scratch=$(mktemp -d)
trap 'kill -KILL "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
export ORBELUNE_REGISTRY="$scratch/registry.reg"
export XDG_RUNTIME_DIR="$scratch"

"$program" /w &
pid=$!
sleep 1  # start-up is not what is measured
ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
start=$(cpu_ticks)
sleep "$seconds"
end=$(cpu_ticks)
kill -0 "$pid" || { echo "orbelune ended early"; exit 1; }
awk -v t=$((end - start)) -v hz="$ticks_per_second" -v s="$seconds" \
  'BEGIN { printf "orbelune /w: %.2f s CPU in %d s = %.1f %% of one core\n", t / hz, s, 100 * t / hz / s }'
