# Shared by the end-to-end scripts here, which source it: failing with a message, a registry
# and runtime directory of the run's own, and waiting for the program to end.

fail() { echo "FAIL: $*"; [[ -n "${pid:-}" ]] && kill -KILL "$pid" 2>/dev/null; exit 1; }

# A registry and a runtime directory of its own in $scratch: the run writes DefImageNum, and
# the single-instance lock must not meet another test's run.
use_scratch_environment() {
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  export ORBELUNE_REGISTRY="$scratch/registry.reg"
  export XDG_RUNTIME_DIR="$scratch"
}

# Waits up to 10 s for the program ($pid) to end; sets status to its exit code, or to nothing
# when it is still running.
wait_for_exit() {
  status=""
  for _ in $(seq 200); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      return
    fi
    sleep 0.05
  done
}

# Waits up to 10 s for a visible window of exactly this title while the program ($pid) runs;
# sets window to its id.
wait_for_window() {
  window=""
  for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [[ -n "$window" ]] && return
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window \"$1\" showed"
    sleep 0.05
  done
  fail "no window titled $1 within 10 s"
}
