#!/usr/bin/env bash
# Seeded faults: applies each fault of scripts/mutants*.txt to a copy of the tree, one at a time,
# builds, runs the whole suite and says whether the suite caught it. A manual check of what the tests
# are worth, not part of `make test`.
#
#   bash scripts/mutants.sh [BUILD_ROOT]   # MUTANTS=regex picks faults by their description;
#                                           # CHECK=1 only checks that each fault still applies;
#                                           # TESTS=regex runs (and builds) only the tests it names;
#                                           # FULL=1 runs the whole suite for every fault and names
#                                           # every test that caught it (else the first one is enough);
#                                           # SKIP=N leaves out the first N faults listed
set -uo pipefail
cd "$(dirname "$0")/.."
REPO=$PWD
ROOT=${1:-build-mutants}
SRC=$ROOT/src
BUILD=$SRC/build # inside the copy, as in a checkout, so ccache serves both
LISTS=(scripts/mutants*.txt)
mkdir -p "$SRC" "$BUILD"
ROOT=$(cd "$ROOT" && pwd); SRC=$ROOT/src; BUILD=$SRC/build

# One line of the list into its four fields. A tab is white space to `read`, which would merge the
# two tabs around an empty replacement: the line is split at a separator that is not.
split_fault() {
  local line
  IFS= read -r line || return 1
  IFS=$'\x1f' read -r file find replace what <<<"${line//$'\t'/$'\x1f'}"
}

if [ -n "${CHECK:-}" ]; then
  bad=0
  while split_fault; do
    [[ -z "$file" || "$file" == \#* ]] && continue
    find=${find//@@/$'\n'}
    n=$(FIND="$find" perl -0777 -ne 'my $c = () = /\Q$ENV{FIND}\E/g; print $c' "$file" 2>/dev/null || echo 0)
    [ "$n" = 1 ] || { echo "does not apply ($n): $what"; bad=1; }
  done < <(cat "${LISTS[@]}")
  echo "$(cat "${LISTS[@]}" | grep -cv -e '^#' -e '^$') faults listed"
  exit $bad
fi

# The copy is refreshed file by file from a snapshot of the checkout: a file that differs (changed
# since an earlier run, or left with a fault by an interrupted one) is replaced and takes a fresh
# time, so it is compiled again; the others keep theirs, so a fault rebuilds only what it touches.
# Faults are undone from the same snapshot, so edits to the checkout during a run do not leak in.
PRISTINE=$ROOT/pristine
rm -rf "$PRISTINE" && mkdir -p "$PRISTINE"
git ls-files -co --exclude-standard | grep -v '^build' | tar -cf - -T - | tar -xf - -C "$PRISTINE"
(cd "$PRISTINE" && find . -type f) | while IFS= read -r f; do
  cmp -s "$PRISTINE/$f" "$SRC/$f" || { mkdir -p "$(dirname "$SRC/$f")" && cp "$PRISTINE/$f" "$SRC/$f"; }
done

# Every fault relinks every test program: lld, where the machine has it, does that several times faster.
flags=()
command -v ccache >/dev/null && flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
command -v ld.lld >/dev/null && flags+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld)
cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" >"$ROOT/configure.log" 2>&1 \
  || { echo "configure failed: $ROOT/configure.log"; exit 2; }

# Without FULL=1 the suite runs in two rounds, the tests that take seconds each (or need every
# program built) only when the quick ones pass, and each round stops at its first failing test:
# most faults are caught in seconds. A quick test that a fault holds up for a minute has caught it.
SLOW=${SLOW:-'^(tst_digest|tst_cli|tst_hostiletrees|e2e_window|install_layout)$'}
stop=()
# The programs a round needs: its test executables (tests are named like them) and the two
# programs they start; an empty list builds everything.
targets_of() {
  local names n
  mapfile -t names < <(cd "$BUILD" && ctest -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p')
  printf '%s\n' --target cheqora cheqora-cli
  for n in "${names[@]}"; do [[ $n == tst_* ]] && echo "$n"; done
}
round() { # timeout, ctest selection...; $targets: what to build
  local timeout=$1; shift
  cmake --build "$BUILD" "${targets[@]}" >"$ROOT/build.log" 2>&1 || return 3
  (cd "$BUILD" && ctest -j2 --timeout "$timeout" "$@" "${stop[@]}" >>"$ROOT/ctest.log" 2>&1)
}
run_suite() { # 0 when every test passed
  : >"$ROOT/ctest.log"
  if [ -n "${TESTS:-}" ]; then
    targets=("${selected[@]}"); round 180 -R "$TESTS"
  elif [ -n "${FULL:-}" ]; then
    targets=(); round 180
  else
    targets=("${quick[@]}"); round 60 -E "$SLOW" || return
    targets=(); round 180 -R "$SLOW"
  fi
}
[ -n "${TESTS:-}" ] && mapfile -t selected < <(targets_of -R "$TESTS")
mapfile -t quick < <(targets_of -E "$SLOW")

run_suite
case $? in
  0) ;;
  3) echo "the unchanged tree does not build: $ROOT/build.log"; exit 2 ;;
  *) echo "the unchanged tree fails its tests: $ROOT/ctest.log"; exit 2 ;;
esac

[ -n "${FULL:-}" ] || stop=(--stop-on-failure)
total=0; caught=0; missed=(); unusable=(); listed=0
while split_fault; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  listed=$((listed + 1))
  [ "$listed" -le "${SKIP:-0}" ] && continue
  [[ -n "${MUTANTS:-}" && ! "$what" =~ $MUTANTS ]] && continue
  total=$((total + 1))
  find=${find//@@/$'\n'}; replace=${replace//@@/$'\n'}
  n=$(FIND="$find" perl -0777 -ne 'my $c = () = /\Q$ENV{FIND}\E/g; print $c' "$SRC/$file")
  if [ "$n" != 1 ]; then
    printf 'NOT APPLIED  %-60s (%s: text found %s times)\n' "$what" "$file" "$n"
    unusable+=("$what"); continue
  fi
  FIND="$find" REPL="$replace" perl -0777 -pi -e 's/\Q$ENV{FIND}\E/$ENV{REPL}/' "$SRC/$file"
  run_suite
  rc=$?
  cp "$PRISTINE/$file" "$SRC/$file" # a fresh time, so the next build compiles the original again
  if [ $rc = 3 ]; then
    printf 'NO BUILD     %s\n' "$what"; unusable+=("$what")
  elif [ $rc = 0 ]; then
    printf 'MISSED       %s\n' "$what"; missed+=("$what")
  else
    failed=$(grep -o '[0-9]* - [A-Za-z_0-9]* ' "$ROOT/ctest.log" | awk '{print $3}' | tr '\n' ' ')
    printf 'caught       %-60s by %s\n' "$what" "$failed"; caught=$((caught + 1))
  fi
done < <(cat "${LISTS[@]}")

echo
echo "$caught of $total seeded faults caught; ${#missed[@]} missed; ${#unusable[@]} not applied or not built"
bash scripts/test_ratio.sh
[ ${#missed[@]} = 0 ] && [ ${#unusable[@]} = 0 ]
