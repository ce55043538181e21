#!/usr/bin/env bash
# A saver start meets a store it cannot write or read, as a user's machine may have it:
#   read-only   the store's folder is on a read-only mount
#   full-disk   the store lies on a full file system (a 64 KiB tmpfs, filled up)
#   folder      a folder stands where the store file should be
#   fifo        a FIFO stands there
# The start must reach its first frame all the same (on the stored values it could read, or
# on the fallbacks), its write of DefImageNum must fail quietly, and what was there must stay
# exactly as it was, with no temporary file left beside it. The mounts are made in a mount
# namespace of the script's own (unshare), so no root is needed where user namespaces are
# allowed, and nothing outside is touched.
# Usage: store_faults_e2e.sh PATH/TO/orbelune read-only|full-disk|folder|fifo
set -uo pipefail
program=$(realpath "$1")
fault=$2

if [[ -z "${ORBELUNE_IN_NAMESPACE:-}" ]]; then
  ORBELUNE_IN_NAMESPACE=1 exec unshare --user --map-root-user --mount "$0" "$@"
fi

source "$(dirname "$0")/../render/e2e_common.sh"

use_scratch_environment
trap 'cd /; umount "$scratch/config" 2>/dev/null; rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
export ORBELUNE_DISPLAY=headless ORBELUNE_FIRST_FRAME_REPORT=1
mkdir config
export ORBELUNE_REGISTRY="$scratch/config/registry.reg"

write_user_store() {
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n"Distance"=dword:0000003c\n"BackColor"=dword:0000ff00\n' \
    >"$ORBELUNE_REGISTRY"
  cp "$ORBELUNE_REGISTRY" before.reg
}

case "$fault" in
  read-only)
    write_user_store
    mount --bind config config && mount -o remount,bind,ro config || fail "cannot make a read-only mount"
    touch config/probe 2>/dev/null && fail "the read-only mount takes writes" ;;
  full-disk)
    mount -t tmpfs -o size=64k tmpfs config || fail "cannot mount a tmpfs"
    write_user_store
    dd if=/dev/zero of=config/filler bs=4k 2>/dev/null
    echo x >>config/filler 2>/dev/null && fail "the file system is not full" ;;
  folder) mkdir "$ORBELUNE_REGISTRY" ;;
  fifo) mkfifo "$ORBELUNE_REGISTRY" ;;
  *) fail "unknown fault '$fault'" ;;
esac

"$program" /s 2>stderr.txt &
pid=$!
for _ in $(seq 200); do
  grep -q "first frame" stderr.txt && break
  kill -0 "$pid" 2>/dev/null || fail "the saver ended without a frame: $(cat stderr.txt)"
  sleep 0.05
done
grep -q "first frame" stderr.txt || fail "no frame within 10 s"
kill -KILL "$pid"
wait "$pid" 2>/dev/null
grep -v "first frame" stderr.txt && fail "the saver told the user something about the store"

case "$fault" in
  read-only | full-disk) cmp -s before.reg "$ORBELUNE_REGISTRY" || fail "the store changed" ;;
  folder) [[ -d "$ORBELUNE_REGISTRY" && -z $(ls -A "$ORBELUNE_REGISTRY") ]] || fail "the folder changed" ;;
  fifo) [[ -p "$ORBELUNE_REGISTRY" ]] || fail "the FIFO was replaced" ;;
esac
[[ -z $(find config -name 'registry.reg.tmp*') ]] || fail "a temporary file was left: $(ls config)"
echo "PASS ($fault): the saver drew its first frame, the store is as it was"
