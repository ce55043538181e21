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

# The store of the run ($ORBELUNE_REGISTRY) with a green background: the mask covers the
# corners of a frame with it, so a frame shifted or replaced by something else shows there.
use_green_background() {
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n"BackColor"=dword:0000ff00\n' \
    >"$ORBELUNE_REGISTRY"
}

# Fails unless the picture in file $1 shows the kaleidoscope over the green background: green
# in all four corners, many colours in the middle. Sets colours to their number there.
expect_kaleidoscope() {
  local corner colour width height
  read -r width height < <(convert "$1" -format '%w %h' info:)
  for corner in 0,0 $((width - 1)),0 0,$((height - 1)) $((width - 1)),$((height - 1)); do
    colour=$(convert "$1" -alpha off -format "%[hex:p{$corner}]" info:)
    [[ "$colour" == 00FF00* ]] || fail "$1: corner $corner is $colour, expected the green background"
  done
  colours=$(convert "$1" -alpha off -gravity center -crop 300x300+0+0 +repage -unique-colors -format '%w' info:)
  [[ "$colours" -gt 200 ]] || fail "$1: only $colours colours in the middle: no kaleidoscope"
}
