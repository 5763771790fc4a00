#!/usr/bin/env bash
# Times `varnel-split --overwrite` on a log against `cp` of the same log, in
# the same run and the same folder, and prints MB/s (1 MB = 10^6 bytes), the
# split's speed as a fraction of cp's, and the split's peak memory.
#
#   bench/split_bench.sh VARNEL_SPLIT VARNEL_MEASURE LOG [RUNS]
#
# The log is copied into a temporary folder first so the output files land
# there. Each of RUNS rounds (default 3) removes the previous outputs, then
# copies the log and splits it; the best time of each is kept. One untimed
# round comes first so both start with the log in the page cache.
set -euo pipefail

if [[ $# -lt 3 || $# -gt 4 ]]; then
  echo "usage: $0 VARNEL_SPLIT VARNEL_MEASURE LOG [RUNS]" >&2
  exit 2
fi
split=$(realpath "$1")
measure=$(realpath "$2")
log=$(realpath "$3")
runs=${4:-3}

work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-split-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$log" "$work/rover.adi"
bytes=$(stat -c %s "$work/rover.adi")

# run NAME COMMAND...: one timed run; sets seconds and peak_kb, fails on a
# non-zero exit status.
run() {
  local name=$1 figures status
  shift
  figures=$("$measure" "$@" 2>>"$work/output.txt")
  read -r seconds peak_kb status <<<"$figures"
  if [[ $status != 0 ]]; then
    echo "split_bench: $name exited with status $status:" >&2
    tail -n 20 "$work/output.txt" >&2
    exit 1
  fi
}

clean() { rm -f "$work/copy.adi" "$work"/rover_*.adi; }

best_cp=""
best_split=""
split_peak_kb=0
for round in $(seq 0 "$runs"); do
  clean
  run cp cp "$work/rover.adi" "$work/copy.adi"
  cp_seconds=$seconds
  clean
  run varnel-split "$split" --overwrite "$work/rover.adi"
  split_seconds=$seconds
  (( peak_kb > split_peak_kb )) && split_peak_kb=$peak_kb
  [[ $round == 0 ]] && continue  # warm-up
  printf '  round %d: cp %.3f s, varnel-split %.3f s\n' "$round" "$cp_seconds" "$split_seconds"
  if [[ -z $best_cp ]] || awk "BEGIN { exit !($cp_seconds < $best_cp) }"; then best_cp=$cp_seconds; fi
  if [[ -z $best_split ]] || awk "BEGIN { exit !($split_seconds < $best_split) }"; then
    best_split=$split_seconds
  fi
done

outputs=$(find "$work" -name 'rover_*.adi' | wc -l)
output_bytes=$(find "$work" -name 'rover_*.adi' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
if [[ $outputs == 0 ]]; then
  echo "split_bench: varnel-split wrote no output file" >&2
  exit 1
fi
echo "split status lines (last round):"
sed 's/^/  | /' "$work/output.txt" | tail -n "$((outputs + 1))"
awk -v bytes="$bytes" -v cp_s="$best_cp" -v split_s="$best_split" -v peak="$split_peak_kb" \
    -v outputs="$outputs" -v out_bytes="$output_bytes" -v runs="$runs" 'BEGIN {
  mb = bytes / 1e6
  printf "split %.1f MB into %d files (%.1f MB written)\n", mb, outputs, out_bytes / 1e6
  printf "cp throughput:    %.0f MB/s (best of %d)\n", mb / cp_s, runs
  printf "split throughput: %.0f MB/s (best of %d), %.2f x cp\n", mb / split_s, runs, cp_s / split_s
  printf "split peak memory: %.2f MB\n", peak * 1024 / 1e6
}'
