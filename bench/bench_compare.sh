#!/usr/bin/env bash
# Times `cheqora-cli compare --recursive` against md5sum over both trees and `hashdeep -r -c md5 -j P`
# (P: the hardware threads), in the same run, on three generated pairs of trees:
#   (a) 8 files of 64 MiB per side, half of them changed;
#   (b) 20,000 files of 1-8 KiB in 200 folders per side, 10% changed and 1% removed;
#   (c) one 1 GiB file per side, the last byte changed.
# Each tool runs on a warm page cache; the best of RUNS runs counts. For each tree: the ratios to
# md5sum with the default number of jobs and with --jobs 1, cheqora's peak memory, and a scaling
# table for 1, 2 and 4 jobs. Then the scan-list driver sorts and looks up a million records and
# prints its peak memory.
#
# usage: bench/bench_compare.sh BUILD_DIR   (RUNS=3 by default; CLI=/other/cheqora-cli times another build)
set -euo pipefail

BUILD=${1:?usage: bench_compare.sh BUILD_DIR}
RUNS=${RUNS:-3}
CLI=${CLI:-$BUILD/bin/cheqora-cli}
SCANLIST=$BUILD/bin/bench_scanlist
[ -x "$CLI" ] || { echo "no $CLI: build first" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/cheqora-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

. "$(dirname "$0")/timing.sh"

# best_of NAME COMMAND...: prints and stores the best wall time of RUNS runs (s).
best_of() {
    local name=$1; shift
    local best
    best=$(best_ms "$@")
    printf '  %-34s %8.3f s\n' "$name" "$(echo "$best / 1000" | bc -l)"
    eval "BEST_$(echo "$name" | tr -c 'A-Za-z0-9\n' '_')=$best"
}

PROCS=$(nproc)
md5sum_both() { (cd "$1" && find old new -type f -print0 | xargs -0 md5sum); }
hashdeep_both() { (cd "$1" && hashdeep -r -c md5 -j "$PROCS" old new); }
# cheqora_both DIR [JOBS]: the default number of jobs when JOBS is not given.
cheqora_both() {
    "$CLI" compare "$1/old" "$1/new" "$1/report.txt" --recursive --force --no-line-limit ${2:+--jobs "$2"}
}
# peak_mb COMMAND...: the command's peak resident memory in MB.
peak_mb() {
    /usr/bin/time -f '%M' -o "$WORK/peak.txt" "$@" >/dev/null 2>&1 || true
    echo "$(($(tail -n 1 "$WORK/peak.txt") / 1024))"
}

# Tree (a): large files.
make_tree_a() {
    local d=$WORK/a
    mkdir -p "$d/old" "$d/new"
    for i in 1 2 3 4 5 6 7 8; do
        head -c $((64 << 20)) /dev/urandom >"$d/old/big$i.bin"
        cp "$d/old/big$i.bin" "$d/new/big$i.bin"
        if [ "$i" -le 4 ]; then
            printf 'changed' | dd of="$d/new/big$i.bin" bs=1 seek=$((i * 1000003)) conv=notrunc status=none
        fi
    done
}

# Tree (c): one large file per side.
make_tree_c() {
    local d=$WORK/c
    mkdir -p "$d/old" "$d/new"
    head -c $((1 << 30)) /dev/urandom >"$d/old/huge.bin"
    cp "$d/old/huge.bin" "$d/new/huge.bin"
    printf 'x' | dd of="$d/new/huge.bin" bs=1 seek=$(((1 << 30) - 1)) conv=notrunc status=none
}

# Tree (b): many small files; perl writes them without a process per file.
make_tree_b() {
    local d=$WORK/b
    perl -e '
        use strict; use File::Path qw(make_path);
        my ($root) = @ARGV; srand(42);
        for my $side ("old", "new") { make_path("$root/$side/d$_") for 0 .. 199; }
        for my $i (0 .. 19999) {
            my $rel = sprintf("d%d/file%05d.dat", $i % 200, $i);
            my $size = 1024 + int(rand(7 * 1024 + 1));
            my $data = join("", map { chr(int(rand(256))) } 1 .. 64) x int($size / 64 + 1);
            $data = substr($data, 0, $size);
            open(my $o, ">", "$root/old/$rel") or die; binmode $o; print $o $data; close $o;
            my $roll = $i % 100;
            next if $roll == 99;                     # 1% removed
            substr($data, int($size / 2), 1) = chr((ord(substr($data, int($size / 2), 1)) + 1) % 256) if $roll < 10;
            open(my $n, ">", "$root/new/$rel") or die; binmode $n; print $n $data; close $n;
        }' "$d"
}

command -v bc >/dev/null || { echo "bc is needed for the ratios" >&2; exit 2; }
HAVE_HASHDEEP=1
command -v hashdeep >/dev/null || HAVE_HASHDEEP=0

echo "Building the trees in $WORK ..."
make_tree_a
make_tree_b
make_tree_c
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed for peak memory (apt-get install -y time)" >&2; exit 2; }

declare -A SCALING
for tree in a b c; do
    dir=$WORK/$tree
    case $tree in
    a) echo "Tree (a): 8 files of 64 MiB per side, 4 changed"; target=0.55; today=0.98 ;;
    b) echo "Tree (b): 20,000 files of 1-8 KiB in 200 folders per side, 10% changed, 1% removed"; target=0.65; today=1.05 ;;
    c) echo "Tree (c): one 1 GiB file per side, the last byte changed"; target=0.60; today=0.97 ;;
    esac
    md5sum_both "$dir" >/dev/null # warm the page cache
    best_of "md5sum (both trees)" md5sum_both "$dir"
    md5=$BEST_md5sum__both_trees_
    best_of "cheqora-cli compare --recursive" cheqora_both "$dir"
    cheq=$BEST_cheqora_cli_compare___recursive
    tail -n 3 "$dir/report.txt" | tr -d '\r' | sed 's/^/    report: /'
    echo "  ratio cheqora / md5sum:             $(ratio "$cheq" "$md5")   (target: at most $target)"
    if [ "$HAVE_HASHDEEP" = 1 ]; then
        best_of "hashdeep -r -c md5 -j $PROCS" hashdeep_both "$dir"
        hd=$(eval echo "\$BEST_hashdeep__r__c_md5__j_$PROCS")
        echo "  ratio hashdeep / md5sum:            $(ratio "$hd" "$md5")"
        echo "  ratio cheqora / hashdeep:           $(ratio "$cheq" "$hd")"
    else
        echo "  hashdeep is not installed (apt-get install -y hashdeep): skipped"
    fi
    row=""
    for jobs in 1 2 4; do
        best_of "cheqora-cli compare --jobs $jobs" cheqora_both "$dir" "$jobs"
        ms=$(eval echo "\$BEST_cheqora_cli_compare___jobs_$jobs")
        row="$row $(printf '%8.3f s %5s' "$(echo "$ms / 1000" | bc -l)" "$(ratio "$ms" "$md5")")"
        if [ "$jobs" = 1 ]; then
            echo "  ratio --jobs 1 / md5sum:            $(ratio "$ms" "$md5")   (one digest at a time before: $today; at most 1.05 times that)"
        fi
    done
    SCALING[$tree]=$row
    peak=$(peak_mb "$CLI" compare "$dir/old" "$dir/new" "$dir/report.txt" --recursive --force --no-line-limit)
    echo "  peak memory, default jobs:          $peak MB   (target: under 100 MB)"
done

echo "Scaling (time, ratio to md5sum in the same run; $PROCS hardware threads)"
printf '  %-6s %17s %17s %17s\n' tree "--jobs 1" "--jobs 2" "--jobs 4"
for tree in a b c; do
    printf '  %-6s%s\n' "($tree)" "${SCALING[$tree]}"
done

if [ -x "$SCANLIST" ]; then
    echo "Scan list: 1,000,000 records"
    "$SCANLIST" 1000000 | sed 's/^/  /'
fi
