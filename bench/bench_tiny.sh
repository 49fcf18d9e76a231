#!/usr/bin/env bash
# Many tiny files: where the walk, not the reading, sets the pace. Two trees of FILES files of 100-500
# bytes (200,000 by default) in FILES / 200 folders, 1% changed, warm page cache, medians of RUNS runs
# (3 by default), ratios to md5sum over both trees on one core, in the same run:
#   cheqora-cli compare -r with the default jobs and with --jobs 1, with its peak memory;
#   two md5sum processes at once, one per tree (what two cores give at best);
#   hashdeep -c md5 -j P -r (P: the hardware threads), when it is installed;
#   cheqora-cli list -r over one tree against md5sum over that tree.
#
# usage: bench/bench_tiny.sh BUILD_DIR [FILES]   (FILES=1000000 for the large run)
#        CLI=/other/cheqora-cli bench/bench_tiny.sh BUILD_DIR   times another build in the same way
#        TREE=DIR bench/bench_tiny.sh BUILD_DIR   keeps the trees in DIR and uses them again next time
set -euo pipefail

BUILD=${1:?usage: bench_tiny.sh BUILD_DIR [FILES]}
FILES=${2:-${FILES:-200000}}
RUNS=${RUNS:-3}
CLI=${CLI:-$BUILD/bin/cheqora-cli}
[ -x "$CLI" ] || { echo "no $CLI: build first" >&2; exit 2; }
for tool in bc perl; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed for peak memory (apt-get install -y time)" >&2; exit 2; }

if [ -n "${TREE:-}" ]; then
    WORK=$TREE
    mkdir -p "$WORK"
else
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/cheqora-bench-tiny.XXXXXX")
    trap 'rm -rf "$WORK"' EXIT
fi
PROCS=$(nproc)

. "$(dirname "$0")/timing.sh"

# median_of NAME COMMAND...: runs the command RUNS times; prints the median wall time and keeps it
# (ms) in MEDIAN.
median_of() {
    local name=$1; shift
    local times=()
    for ((r = 0; r < RUNS; r++)); do
        local t0 t1
        t0=$(now_ns)
        "$@" >/dev/null 2>&1 || [ $? -le 1 ]
        t1=$(now_ns)
        times+=($(((t1 - t0) / 1000000)))
    done
    MEDIAN=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((RUNS + 1) / 2))p")
    printf '  %-40s %8.3f s\n' "$name" "$(echo "$MEDIAN / 1000" | bc -l)"
}

# The trees: FILES files per side, 200 to a folder.
make_trees() { perl "$(dirname "$0")/make_tiny_trees.pl" "$WORK" "$FILES"; }

md5sum_both() { (cd "$WORK" && find old new -type f -print0 | xargs -0 md5sum); }
md5sum_one() { (cd "$WORK" && find old -type f -print0 | xargs -0 md5sum); }
md5sum_two() {
    (cd "$WORK/old" && find . -type f -print0 | xargs -0 md5sum >/dev/null) &
    (cd "$WORK/new" && find . -type f -print0 | xargs -0 md5sum >/dev/null)
    wait
}
hashdeep_both() { (cd "$WORK" && hashdeep -c md5 -j "$PROCS" -r old new); }
# cheqora_both [JOBS]: the default number of jobs when JOBS is not given.
cheqora_both() { "$CLI" compare -r "$WORK/old" "$WORK/new" "$WORK/report.txt" --force --no-line-limit ${1:+--jobs "$1"}; }
cheqora_list() { "$CLI" list -r "$WORK/old" ${1:+--jobs "$1"}; }

if [ -f "$WORK/made-$FILES" ]; then
    echo "Trees of 2 x $FILES files in $WORK, made before"
else
    echo "Building 2 x $FILES files of 100-500 bytes in $(((FILES + 199) / 200)) folders per side in $WORK ..."
    rm -rf "$WORK/old" "$WORK/new" "$WORK"/made-*
    make_trees
    touch "$WORK/made-$FILES"
fi
md5sum_both >/dev/null # warm the page cache
"$CLI" compare -r "$WORK/old" "$WORK/new" "$WORK/report.txt" --force --no-line-limit >/dev/null || true

echo "Compare, both trees ($PROCS hardware threads)"
median_of "md5sum (both trees, one core)" md5sum_both
md5=$MEDIAN
median_of "cheqora-cli compare -r" cheqora_both
cheq=$MEDIAN
tail -n 2 "$WORK/report.txt" | tr -d '\r' | sed 's/^/    report: /'
median_of "cheqora-cli compare -r --jobs 1" cheqora_both 1
one=$MEDIAN
median_of "two md5sum processes, one per tree" md5sum_two
two=$MEDIAN
echo "  ratio cheqora / md5sum:                  $(ratio "$cheq" "$md5")   (target: at most $([ "$FILES" -gt 200000 ] && echo 0.65 || echo 0.60))"
echo "  ratio cheqora --jobs 1 / md5sum:         $(ratio "$one" "$md5")"
echo "  ratio two md5sum processes / md5sum:     $(ratio "$two" "$md5")   (the bound on two cores)"
if command -v hashdeep >/dev/null; then
    median_of "hashdeep -c md5 -j $PROCS -r" hashdeep_both
    echo "  ratio hashdeep / md5sum:                 $(ratio "$MEDIAN" "$md5")"
else
    echo "  hashdeep: not installed"
fi
/usr/bin/time -f '%M' -o "$WORK/peak.txt" "$CLI" compare -r "$WORK/old" "$WORK/new" "$WORK/report.txt" \
    --force --no-line-limit >/dev/null 2>&1 || true
echo "  peak memory, default jobs:               $(($(tail -n 1 "$WORK/peak.txt") / 1024)) MB   (target: under 400 MB)"

echo "List, one tree"
median_of "md5sum (one tree, one core)" md5sum_one
md5one=$MEDIAN
median_of "cheqora-cli list -r" cheqora_list
echo "  ratio cheqora list / md5sum:             $(ratio "$MEDIAN" "$md5one")   (target: at most 0.60)"
median_of "cheqora-cli list -r --jobs 1" cheqora_list 1
echo "  ratio cheqora list --jobs 1 / md5sum:    $(ratio "$MEDIAN" "$md5one")"
