#!/usr/bin/env bash
# Saver starts killed (SIGKILL) at random moments, as a crash or a power cut would stop them:
# every start writes DefImageNum into a store that holds the user's other settings. After each
# kill the store must be exactly one of its two whole versions (the user's values with the
# old or the new DefImageNum), never torn, empty or damaged, and at most one temporary file may
# be left beside it.
# Usage: killed_starts.sh PATH/TO/orbelune [STARTS] [LONGEST_DELAY_MS]
set -uo pipefail
program=$(realpath "$1")
starts=${2:-20}
longest_delay_ms=${3:-60}

source "$(dirname "$0")/../render/e2e_common.sh"

use_scratch_environment
cd "$scratch" || exit 1
export ORBELUNE_DISPLAY=headless ORBELUNE_FIRST_FRAME_REPORT=1

cat >"$ORBELUNE_REGISTRY" <<'STORE'
REGEDIT4

[HKEY_CURRENT_USER\Software\VORLANE\Orbelune Scr F]
"ObjectDistance"=dword:00000023
"ObjectXSpeed"=dword:00000096
"Distance"=dword:0000003c
"RotationSpeed"=dword:000003e7
"Clockwise"=dword:00000000
"BackColor"=dword:0000ff00
"HaloColor"=dword:00123456
"FileName"="Default"
STORE

# A start left to run until its first frame has written DefImageNum; it is then stopped.
start_until_first_frame() {
  "$program" /s 2>first-frame.txt &
  pid=$!
  for _ in $(seq 200); do
    grep -q "first frame" first-frame.txt && break
    sleep 0.05
  done
  grep -q "first frame" first-frame.txt || fail "a start showed no frame within 10 s"
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
}

# The two whole versions of the store, as the program itself writes them.
start_until_first_frame
cp "$ORBELUNE_REGISTRY" version-a.reg
start_until_first_frame
cp "$ORBELUNE_REGISTRY" version-b.reg
cmp -s version-a.reg version-b.reg && fail "two starts wrote the same DefImageNum"
grep -q '"HaloColor"=dword:00123456' version-a.reg || fail "a start lost the user's HaloColor"

flips=0
left_temporary=0
previous=b
for start in $(seq "$starts"); do
  "$program" /s 2>/dev/null &
  pid=$!
  delay_ms=$((RANDOM % longest_delay_ms))
  sleep "$((delay_ms / 1000)).$(printf '%03d' $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if cmp -s "$ORBELUNE_REGISTRY" version-a.reg; then
    now=a
  elif cmp -s "$ORBELUNE_REGISTRY" version-b.reg; then
    now=b
  else
    cp "$ORBELUNE_REGISTRY" "$OLDPWD/torn-store.reg" 2>/dev/null
    fail "start $start, killed after $delay_ms ms: the store is neither whole version (kept as torn-store.reg)"
  fi
  [[ $now != "$previous" ]] && flips=$((flips + 1))
  previous=$now
  temporaries=$(find . -maxdepth 1 -name 'registry.reg.tmp*' | wc -l)
  [[ $temporaries -le 1 ]] || fail "start $start: $temporaries temporary files beside the store"
  left_temporary=$((left_temporary + temporaries))
  [[ -z $(find . -maxdepth 1 -name 'registry.reg.damaged-*') ]] || fail "start $start: the store was taken as damaged"
done
echo "PASS: $starts killed starts ($flips had written DefImageNum, $left_temporary left a temporary file)," \
  "the store whole after each, $(find . -maxdepth 1 -name 'registry.reg.tmp*' | wc -l) temporary file at the end"
