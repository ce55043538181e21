#!/usr/bin/env bash
# Runs fuzz targets for a while each, one after the other, with the address and
# undefined-behaviour sanitizers they are built with: each starts from a corpus of its own in
# OUT/corpora (kept between runs, first filled from the target's seeds) and ends with a line
# of figures: executions, coverage (libFuzzer's cov and ft), corpus size, crashes and
# undefined-behaviour reports. An input that fails is kept as OUT/crashes/TARGET-crash-*; move
# it into the target's regressions/ folder once mended.
# Usage: fuzz.sh FUZZ_BUILD_DIR OUT SECONDS [TARGET...]   (all targets when none are named)
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(realpath "$1")/bin
out=$(realpath -m "$2")
seconds=$3
shift 3
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(command_lines_fuzzer dialog_template_fuzzer image_recognition_fuzzer
  registry_text_fuzzer resource_file_fuzzer scene_image_fuzzer xfile_binary_fuzzer xfile_compressed_fuzzer
  xfile_text_fuzzer)
mkdir -p "$out/crashes"

seeds_of() {
  case "$1" in
    image_recognition_fuzzer | scene_image_fuzzer) echo "$top/fuzz/images/seeds" ;;
    xfile_*_fuzzer) local form=${1#xfile_} && echo "$top/fuzz/xfile/seeds/${form%_fuzzer}" ;;
    command_lines_fuzzer) echo "$top/fuzz/command_lines/seeds" ;;
    dialog_template_fuzzer) echo "$top/fuzz/dialog_template/seeds" ;;
    registry_text_fuzzer) echo "$top/fuzz/registry_text/seeds" ;;
    resource_file_fuzzer) echo "$top/fuzz/resources/seeds" ;;
  esac
}

options_of() {
  case "$1" in
    image_recognition_fuzzer) echo "-rss_limit_mb=4096 -malloc_limit_mb=1024 -max_len=65536" ;;
    # Every refused file shows the saver's message on standard error.
    scene_image_fuzzer) echo "-rss_limit_mb=4096 -malloc_limit_mb=1024 -max_len=65536 -close_fd_mask=2" ;;
    command_lines_fuzzer) echo "-max_len=512 -dict=$top/fuzz/command_lines/command_lines.dict" ;;
    xfile_*_fuzzer) echo "-max_len=65536" ;;
    *) echo "-max_len=8192" ;;
  esac
}

failed=0
for target in "${targets[@]}"; do
  corpus="$out/corpora/$target"
  mkdir -p "$corpus"
  seeds=$(seeds_of "$target")
  [[ -n "$seeds" && -d "$seeds" ]] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null
  # shellcheck disable=SC2046
  (cd "$out" && nice "$bin/$target" $(options_of "$target") -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$out/crashes/$target-" "$corpus" >"$out/$target.log" 2>&1)
  status=$?
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$out/$target.log" | tail -n 1)
  executions=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$out/$target.log")
  cov=$(sed -nE 's/.*cov: ([0-9]+).*/\1/p' <<<"$done_line")
  features=$(sed -nE 's/.*ft: ([0-9]+).*/\1/p' <<<"$done_line")
  crashes=$(find "$out/crashes" -name "$target-*" | wc -l)
  # Targets built without -fno-sanitize-recover only print undefined behaviour and go on.
  reports=$(grep -c 'runtime error:' "$out/$target.log")
  printf '%-26s %6ss %10s executions  cov %6s  ft %6s  corpus %5s  crashes %s  reports %s\n' "$target" \
    "$seconds" "${executions:-?}" "${cov:-?}" "${features:-?}" "$(ls "$corpus" | wc -l)" "$crashes" "$reports"
  [[ $status -eq 0 && $crashes -eq 0 && $reports -eq 0 ]] || failed=1
done
exit $failed
