#!/usr/bin/env bash
# Splits a log and its twin (the same QSOs with one thing changed: a damaged
# length, line ends taken out) with `varnel-split --overwrite`, in alternating
# pairs, and prints each pair's times, then for each side its median time,
# its peak memory (the highest of its runs), its exit status and how many
# QSOs it wrote, whether both wrote the same output files, and the median of
# the pairs' LOG/TWIN time ratios.
#
#   bench/twin_bench.sh VARNEL_SPLIT VARNEL_MEASURE LOG TWIN [PAIRS]
#
# The twin may also be the same log split with other options: the words of
# VARNEL_LOG_OPTIONS (none by default) are given to the log's splits only.
#
# As in split_bench.sh, the ratio is taken pair by pair, since the machine's
# load moves absolute speeds from one minute to the next; PAIRS (default 7,
# at least 5) timed pairs follow one untimed pair. A split that fails is a
# figure, not an error of the benchmark: its exit status is printed and the
# pairs go on. A run still going after VARNEL_BENCH_TIMEOUT seconds (default
# 120) is stopped, with exit status 124; its time is then a lower bound.
set -euo pipefail

if [[ $# -lt 4 || $# -gt 5 ]]; then
  echo "usage: $0 VARNEL_SPLIT VARNEL_MEASURE LOG TWIN [PAIRS]" >&2
  exit 2
fi
split=$(realpath "$1")
measure=$(realpath "$2")
pairs=${5:-7}
limit=${VARNEL_BENCH_TIMEOUT:-120}
if (( pairs < 5 )); then
  echo "twin_bench: at least 5 pairs" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-twin-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Each side splits its own copy in its own folder, so the outputs of the two
# can be compared at the end.
mkdir "$work/log" "$work/twin"
cp "$3" "$work/log/rover.adi"
cp "$4" "$work/twin/rover.adi"
declare -A name=([log]=$(basename "$3") [twin]=$(basename "$4"))
declare -A peak_kb=([log]=0 [twin]=0) status_max=([log]=0 [twin]=0) failures=([log]=0 [twin]=0)

# run SIDE: one timed split of SIDE's log; sets seconds, and keeps the side's
# highest peak and exit status.
run() {
  local side=$1 figures kb status options=()
  [[ $side == log ]] && read -r -a options <<<"${VARNEL_LOG_OPTIONS:-}"
  rm -f "$work/$side"/rover_*.adi
  figures=$("$measure" timeout --kill-after=5 "$limit" "$split" --overwrite "${options[@]}" \
            "$work/$side/rover.adi" 2>"$work/$side-output.txt")
  read -r seconds kb status <<<"$figures"
  (( kb > peak_kb[$side] )) && peak_kb[$side]=$kb
  (( status > status_max[$side] )) && status_max[$side]=$status
  (( status != 0 )) && failures[$side]=$((failures[$side] + 1))
  return 0
}

results=$work/pairs.txt
: >"$results"
for pair in $(seq 0 "$pairs"); do
  run twin
  twin_seconds=$seconds
  run log
  log_seconds=$seconds
  [[ $pair == 0 ]] && continue  # warm-up
  ratio=$(awk -v l="$log_seconds" -v t="$twin_seconds" 'BEGIN { printf "%.3f", l / t }')
  printf '  pair %d: twin %.4f s, log %.4f s, ratio %s\n' "$pair" "$twin_seconds" "$log_seconds" "$ratio"
  echo "$twin_seconds $log_seconds $ratio" >>"$results"
done

# The QSOs in SIDE's output files, by their end-of-record tags.
written() {
  find "$work/$1" -name 'rover_*.adi' -exec cat {} + | { grep -o -i '<eor>' || true; } | wc -l
}
if [[ -z $(find "$work/log" "$work/twin" -name 'rover_*.adi' -print -quit) ]]; then
  same="no output files"
elif diff -rq -x rover.adi "$work/log" "$work/twin" >/dev/null; then
  same=yes
else
  same=no
fi

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
runs=$((pairs + 1))
for side in log twin; do
  column=1
  [[ $side == log ]] && column=2
  bytes=$(stat -c %s "$work/$side/rover.adi")
  echo "$side: ${name[$side]}, $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB"
  if grep -q -E '^ERROR|^Did not' "$work/$side-output.txt"; then
    echo "  status lines (last run):"
    grep -m 3 -E '^ERROR|^Did not' "$work/$side-output.txt" | cut -c 1-100 | sed 's/^/  | /'
  fi
  awk -v side="$side" -v s="$(awk -v c="$column" '{ print $c }' "$results" | median)" \
      -v k="${peak_kb[$side]}" -v pairs="$pairs" 'BEGIN {
    printf "%s seconds: %.4f (median of %d)\n", side, s, pairs
    printf "%s peak memory: %.2f MB\n", side, k * 1024 / 1e6
  }'
  if (( failures[$side] == 0 )); then
    echo "$side exit status: 0"
  else
    echo "$side exit status: ${status_max[$side]} (the highest; non-zero in ${failures[$side]} of $runs runs)"
  fi
  echo "$side QSOs written: $(written "$side") (last run)"
done
echo "same output files: $same"
echo "log/twin time ratio: $(awk '{ print $3 }' "$results" | median) (median of $pairs pairs)"
