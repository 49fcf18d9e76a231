#!/usr/bin/env bash
# Runs each fuzz target for SECONDS on its seed corpus (fuzz/corpus/TARGET) and on what earlier runs
# added (BUILD/corpus/TARGET), one per processor at a time, and prints its runs, coverage and
# findings. A finding's input is kept in BUILD/findings/TARGET and its log in BUILD/logs; the exit
# status is 1 when any target found one.
# usage: fuzz/run.sh BUILD SECONDS [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1 seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(digestlist statefile textcatalogue cliargs)
# The targets hand their inputs to the parsers as files: in memory where the machine has /dev/shm, as
# a disk that discards on truncation makes each run many times slower.
mkdir -p "$build/logs"
TMPDIR=$(mktemp -d /dev/shm/cheqora-fuzz.XXXXXX 2>/dev/null || mktemp -d "$PWD/$build/tmp.XXXXXX")
trap 'rm -rf "$TMPDIR"' EXIT
# The digest-list reader takes a 2 MiB buffer per list, which AddressSanitizer maps afresh each time;
# clearing its shadow in place rather than handing the pages back saves a third of each run.
export TMPDIR UBSAN_OPTIONS=print_stacktrace=1 ASAN_OPTIONS=clear_shadow_mmap_threshold=1073741824

fuzz() {
  local t=$1 corpus=$build/corpus/$1 findings=$build/findings/$1
  mkdir -p "$corpus" "$findings"
  "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=5 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$t" >"$build/logs/$t.log" 2>&1
  echo $? >"$build/logs/$t.status"
}

running=0
for t in "${targets[@]}"; do
  fuzz "$t" &
  if (( ++running >= $(nproc) )); then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
for t in "${targets[@]}"; do
  log=$build/logs/$t.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  found=$(grep -c 'Test unit written to' "$log")
  printf '%-14s runs %9s  coverage %5s  findings %d\n' "$t" "${runs:-?}" "${cov:-?}" "$found"
  if [ "$(cat "$build/logs/$t.status")" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    grep -m1 -B2 -A30 -e 'PROPERTY BROKEN' -e '^==[0-9]*==ERROR' -e 'runtime error' "$log" || tail -40 "$log"
  fi
done
exit $failed
