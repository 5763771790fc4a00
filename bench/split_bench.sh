#!/usr/bin/env bash
# Times `varnel-split --overwrite` on a log against `cp` of the same log, in
# alternating pairs in the same folder, and prints each pair's ratio, the
# median ratio, the median MB/s of both (1 MB = 10^6 bytes) and the split's
# peak memory.
#
#   bench/split_bench.sh VARNEL_SPLIT VARNEL_MEASURE LOG [PAIRS]
#
# The machine's load moves absolute speeds by a third from one minute to the
# next, but a cp and a split run back to back see the same machine, so the
# ratio is taken pair by pair and the median of the pairs is the figure.
# PAIRS (default 7, at least 5) timed pairs follow one untimed pair that
# brings the log into the page cache. Times come from varnel-measure's
# monotonic clock (sub-millisecond).
set -euo pipefail

if [[ $# -lt 3 || $# -gt 4 ]]; then
  echo "usage: $0 VARNEL_SPLIT VARNEL_MEASURE LOG [PAIRS]" >&2
  exit 2
fi
split=$(realpath "$1")
measure=$(realpath "$2")
log=$(realpath "$3")
pairs=${4:-7}
if (( pairs < 5 )); then
  echo "split_bench: at least 5 pairs" >&2
  exit 2
fi

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

clean() { rm -f "$work/copy.adi" "$work"/rover_*.adi "$work/output.txt"; }

results=$work/pairs.txt
: >"$results"
split_peak_kb=0
for pair in $(seq 0 "$pairs"); do
  clean
  run cp cp "$work/rover.adi" "$work/copy.adi"
  cp_seconds=$seconds
  clean
  run varnel-split "$split" --overwrite "$work/rover.adi"
  split_seconds=$seconds
  (( peak_kb > split_peak_kb )) && split_peak_kb=$peak_kb
  [[ $pair == 0 ]] && continue  # warm-up
  ratio=$(awk -v s="$split_seconds" -v c="$cp_seconds" 'BEGIN { printf "%.3f", s / c }')
  printf '  pair %d: cp %.4f s, varnel-split %.4f s, ratio %s\n' \
    "$pair" "$cp_seconds" "$split_seconds" "$ratio"
  echo "$cp_seconds $split_seconds $ratio" >>"$results"
done

outputs=$(find "$work" -name 'rover_*.adi' | wc -l)
output_bytes=$(find "$work" -name 'rover_*.adi' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
if [[ $outputs == 0 ]]; then
  echo "split_bench: varnel-split wrote no output file" >&2
  exit 1
fi
echo "split status lines (last pair):"
sed 's/^/  | /' "$work/output.txt"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
cp_median=$(awk '{ print $1 }' "$results" | median)
split_median=$(awk '{ print $2 }' "$results" | median)
ratio_median=$(awk '{ print $3 }' "$results" | median)
awk -v bytes="$bytes" -v cp_s="$cp_median" -v split_s="$split_median" -v ratio="$ratio_median" \
    -v peak="$split_peak_kb" -v outputs="$outputs" -v out_bytes="$output_bytes" -v pairs="$pairs" 'BEGIN {
  mb = bytes / 1e6
  printf "split %.1f MB into %d files (%.1f MB written)\n", mb, outputs, out_bytes / 1e6
  printf "cp throughput:    %.0f MB/s (median of %d)\n", mb / cp_s, pairs
  printf "split throughput: %.0f MB/s (median of %d)\n", mb / split_s, pairs
  printf "split/cp ratio: %.2f (median of %d pairs)\n", ratio, pairs
  printf "split peak memory: %.2f MB\n", peak * 1024 / 1e6
}'
