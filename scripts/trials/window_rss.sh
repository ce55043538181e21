#!/usr/bin/env bash
# A real windowed run (`orbelune /w`) under a virtual display for SECONDS seconds, its resident
# memory, open descriptors and threads sampled every SAMPLE_SECONDS (default 60). A saver left
# running all night must not grow: the run fails when the resident memory of the last sample
# exceeds the first one (taken after one interval of warming up) by more than
# ALLOWED_GROWTH_KB (default 4096), or when descriptors or threads grew.
# Usage: window_rss.sh PATH/TO/orbelune SECONDS [SAMPLE_SECONDS]
set -uo pipefail
program=$(realpath "$1")
seconds=$2
interval=${3:-60}
allowed_growth_kb=${ALLOWED_GROWTH_KB:-4096}

source "$(dirname "$0")/../../tests/render/e2e_common.sh"

if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

use_scratch_environment
cd "$scratch" || exit 1
nice -n 10 "$program" /w &
pid=$!
wait_for_window Orbelune

field() { awk -v name="$1:" '$1 == name { print $2 }' "/proc/$pid/status"; }
samples=$((seconds / interval))
printf '%8s %10s %10s %8s %8s\n' second rss_kb peak_kb fds threads
for sample in $(seq 0 "$samples"); do
  [[ $sample -gt 0 ]] && sleep "$interval"
  kill -0 "$pid" 2>/dev/null || fail "the program ended during the run (sample $sample)"
  rss=$(field VmRSS) fds=$(ls "/proc/$pid/fd" | wc -l) threads=$(field Threads)
  printf '%8s %10s %10s %8s %8s\n' "$((sample * interval))" "$rss" "$(field VmHWM)" "$fds" "$threads"
  if [[ $sample -le 1 ]]; then
    first=$rss first_fds=$fds first_threads=$threads
  fi
done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null

growth=$((rss - first))
echo "resident memory after warming up: $first kB, at the end: $rss kB (growth $growth kB)"
[[ $growth -le $allowed_growth_kb ]] || fail "resident memory grew by $growth kB"
[[ $fds -le $first_fds ]] || fail "open descriptors grew from $first_fds to $fds"
[[ $threads -le $first_threads ]] || fail "threads grew from $first_threads to $threads"
echo "PASS: $seconds s of a windowed run, memory, descriptors and threads flat"
